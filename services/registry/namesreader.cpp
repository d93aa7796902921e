#include "namesreader.h"

#include <algorithm>

#include "runtime/comscope.h"
#include "runtime/errors.h"

namespace services {
namespace {

size_t Slot(RegistryView view) {
    return view == RegistryView::Bits64 ? 1 : 0;
}

// Files named ahead are remembered for their names; a field typed letter by
// letter names many that are not, so the memory is kept short.
constexpr size_t kMostFacts = 32;

// Keys written this shortly before an export began count as its own: the
// registry stamps a write with the system's clock, whose tick may be coarser.
constexpr ULONGLONG kClockSlack = 10'000'000;  // one second, in the clock's 100 ns units

}  // namespace

NamesReading::NamesReading(NamesTarget target, std::array<bool, ViewIndexes::kCount> freshBefore)
    : target_(std::move(target)),
      freshBefore_(freshBefore),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

NamesReader::NamesReader() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

NamesReader::~NamesReader() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        cancel_ = true;
        stopping_ = true;
    }
    SetEvent(wake_.Get());
    if (thread_.Joinable()) thread_.Join();
}

void NamesReader::LookAhead(ServerFiles files) {
    if (!files) return;
    const std::lock_guard lock(mutex_);
    ahead_ = std::move(files);
    Start();
    SetEvent(wake_.Get());
}

std::shared_ptr<NamesReading> NamesReader::ExportStarts(const NamesTarget& target, AheadInProgress ahead) {
    std::unique_lock lock(mutex_);
    std::array<bool, ViewIndexes::kCount> fresh{};
    std::optional<ULONGLONG> since;
    if (ahead == AheadInProgress::Finish) {
        // Once the reading ahead is under way, this reading comes after it.
        if (thread_.Joinable()) anticipated_.Wait(lock, [this] { return stop_ || !ahead_; });
        since = RegistryClockNow() - kClockSlack;
    } else {
        // A reading ahead now would read the export half done.
        cancel_ = true;
        ViewIndexes& view = views_[Slot(target.view)];
        for (size_t i = 0; i < fresh.size(); ++i) fresh[i] = view[i].Fresh();
    }
    auto reading = std::make_shared<NamesReading>(target, fresh);
    reading->since_ = since;
    // Without a thread nobody reads: the reading ends at once, without a result.
    if (stop_ || !Start()) {
        SetEvent(reading->Done());
        return reading;
    }
    readings_.push_back(reading);
    SetEvent(wake_.Get());
    return reading;
}

void NamesReader::ExportEnded(NamesReading& reading, bool ran) {
    {
        const std::lock_guard lock(mutex_);
        reading.ended_ = true;
        reading.ran_ = ran;
    }
    SetEvent(wake_.Get());
}

bool NamesReader::Start() {
    if (thread_.Joinable()) return true;
    try {
        thread_ = rt::Thread([this] { Run(); });
    } catch (const rt::RuntimeError&) {
        return false;
    }
    return true;
}

// Nothing may leave the thread: a throw there would end the process. What
// failed is read whole next time; should the thread itself fail, every
// reading ends at once without a result.
void NamesReader::Run() noexcept {
    // Type libraries are read through OLE.
    const rt::ComScope ole(COINIT_MULTITHREADED);
    try {
        Loop();
    } catch (...) {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        for (const auto& reading : readings_) SetEvent(reading->Done());
        readings_.clear();
        anticipated_.NotifyAll();
    }
}

// What there is to do is in the queues; the wake event only says that there is something.
void NamesReader::Loop() {
    for (;;) {
        std::unique_lock lock(mutex_);
        if (stop_) {
            // Readings nobody will serve end without a result.
            for (const auto& reading : readings_) SetEvent(reading->Done());
            break;
        }
        if (!readings_.empty()) {
            const std::shared_ptr<NamesReading> reading = readings_.front();
            readings_.pop_front();
            lock.unlock();
            try {
                Serve(*reading);
            } catch (...) {
                views_[Slot(reading->target_.view)].Forget();
            }
            SetEvent(reading->Done());
        } else if (ahead_) {
            const ServerFiles files = std::move(ahead_);
            cancel_ = false;
            anticipated_.NotifyAll();
            lock.unlock();
            // Behind the window's own work; back to normal to wait, so that a reading starts at once.
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
            lastAhead_ = files;
            try {
                Anticipate(*files);
            } catch (...) {
                for (ViewIndexes& view : views_) view.Forget();
            }
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
            lock.lock();
            anticipated_.NotifyAll();
            // Stopped by an export: taken up again once its reading is done.
            if (cancel_ && !ahead_) ahead_ = files;
        } else {
            lock.unlock();
            WaitIdle();
        }
    }
}

// Until asked for something, or until another program changes what was read
// ahead for the field's files: then, once it pauses, that is read again.
void NamesReader::WaitIdle() {
    std::vector<HANDLE> events{wake_.Get()};
    for (size_t slot : watched_)
        for (size_t i = 0; i < ViewIndexes::kCount; ++i)
            if (views_[slot][i].Fresh()) events.push_back(views_[slot][i].Changed());
    const DWORD woke =
        WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, INFINITE) -
        WAIT_OBJECT_0;
    if (woke == 0 || woke >= events.size()) return;
    WaitForSingleObject(wake_.Get(), kQuietMs);
    const std::lock_guard lock(mutex_);
    if (!ahead_) ahead_ = lastAhead_;
}

// What identifies the file, and the type library it carries, is read while
// the export runs; the registry once it has returned. Beside a reading ahead,
// the file's facts are read once the export returned, from what that reading
// knew of the file: its other spellings cost the most, and are kept.
void NamesReader::Serve(NamesReading& reading) {
    std::optional<TargetFacts> facts = reading.since_ ? std::nullopt : Facts(reading.target_, true);
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (stop_ || (reading.ended_ && !reading.ran_)) return;
            if (reading.ended_) break;
        }
        WaitForSingleObject(wake_.Get(), INFINITE);
    }
    if (reading.since_) facts = Facts(reading.target_, true);
    if (!facts) return;
    ViewIndexes& view = views_[Slot(reading.target_.view)];
    const bool read = reading.since_ ? view.Settle(*reading.since_, *facts, stopping_)
                                     : view.AfterExport(reading.freshBefore_, *facts, stopping_);
    if (!read) return;
    reading.result_ = view.Collect(reading.target_, *facts);
}

void NamesReader::Anticipate(const std::vector<ServerFile>& files) {
    watched_.clear();
    for (const ServerFile& file : files) {
        if (cancel_) return;
        const std::optional<NamesTarget> target = TargetOf(file);
        if (!target) continue;
        const size_t slot = Slot(target->view);
        if (std::find(watched_.begin(), watched_.end(), slot) == watched_.end()) watched_.push_back(slot);
        views_[slot].Refresh(cancel_);
        // Only what the program's own readers read, for a command to come: the file's type library
        // waits for it, and an export already waiting reads its own.
        if (!ExportWaiting()) Facts(*target, false);
    }
}

bool NamesReader::ExportWaiting() {
    const std::lock_guard lock(mutex_);
    return !readings_.empty();
}

std::optional<TargetFacts> NamesReader::Facts(const NamesTarget& target, bool withTypeLib) {
    std::wstring key = target.opened;
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    const auto known = facts_.find(key);
    std::optional<TargetFacts> facts =
        FactsOf(target, known == facts_.end() ? nullptr : &known->second, withTypeLib);
    if (!facts) return facts;
    if (facts_.size() >= kMostFacts && known == facts_.end()) facts_.clear();
    facts_[key] = *facts;
    return facts;
}

}  // namespace services
