#include "namesreader.h"

#include <objbase.h>

#include "serverpath.h"

namespace services {
namespace {

size_t Slot(RegistryView view) {
    return view == RegistryView::Bits64 ? 1 : 0;
}

// Files named ahead are remembered for their type libraries; a field typed
// letter by letter names many that are not, so the memory is kept short.
constexpr size_t kMostFacts = 32;

}  // namespace

NamesReading::NamesReading(NamesTarget target, std::array<bool, ViewIndexes::kCount> freshBefore)
    : target_(std::move(target)),
      freshBefore_(freshBefore),
      done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

NamesReader::~NamesReader() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        cancel_ = true;
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void NamesReader::LookAhead(const std::wstring& fieldText) {
    const std::lock_guard lock(mutex_);
    fieldText_ = fieldText;
    if (!thread_.joinable()) thread_ = std::thread(&NamesReader::Run, this);
    wake_.notify_all();
}

std::shared_ptr<NamesReading> NamesReader::ExportStarts(const NamesTarget& target) {
    const std::lock_guard lock(mutex_);
    // A reading ahead now would read the export half done.
    cancel_ = true;
    ViewIndexes& view = views_[Slot(target.view)];
    std::array<bool, ViewIndexes::kCount> fresh{};
    for (size_t i = 0; i < fresh.size(); ++i) fresh[i] = view[i].Fresh();
    auto reading = std::make_shared<NamesReading>(target, fresh);
    readings_.push_back(reading);
    if (!thread_.joinable()) thread_ = std::thread(&NamesReader::Run, this);
    wake_.notify_all();
    return reading;
}

void NamesReader::ExportEnded(NamesReading& reading, bool ran) {
    {
        const std::lock_guard lock(mutex_);
        reading.ended_ = true;
        reading.ran_ = ran;
    }
    wake_.notify_all();
}

void NamesReader::Run() {
    // Type libraries are read through OLE.
    const HRESULT ole = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !readings_.empty() || fieldText_; });
        if (stop_) break;
        if (!readings_.empty()) {
            const std::shared_ptr<NamesReading> reading = readings_.front();
            readings_.pop_front();
            lock.unlock();
            Serve(*reading);
            SetEvent(reading->Done());
            lock.lock();
        } else {
            const std::wstring text = std::move(*fieldText_);
            fieldText_.reset();
            cancel_ = false;
            lock.unlock();
            // Behind the window's own work; back to normal to wait, so that a reading starts at once.
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
            Anticipate(text);
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
            lock.lock();
            // Stopped by an export: taken up again once its reading is done.
            if (cancel_ && !fieldText_) fieldText_ = text;
        }
    }
    // Readings nobody will serve end without a result.
    for (const auto& reading : readings_) SetEvent(reading->Done());
    lock.unlock();
    if (SUCCEEDED(ole)) CoUninitialize();
}

void NamesReader::Serve(NamesReading& reading) {
    const std::optional<TargetFacts> facts = Facts(reading.target_);
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return reading.ended_ || stop_; });
        if (stop_ || !reading.ran_) return;
    }
    if (!facts) return;
    ViewIndexes& view = views_[Slot(reading.target_.view)];
    if (!view.AfterExport(reading.freshBefore_, *facts, stopping_)) return;
    reading.result_ = view.Collect(reading.target_, *facts);
}

void NamesReader::Anticipate(const std::wstring& fieldText) {
    for (const std::wstring& path : SplitServerPaths(fieldText)) {
        if (cancel_) return;
        const std::optional<NamesTarget> target = TargetOf(ChooseRoad(path));
        // The file's own type library is read now, and its view's registry.
        if (target && Facts(*target)) views_[Slot(target->view)].Refresh(cancel_);
    }
}

std::optional<TargetFacts> NamesReader::Facts(const NamesTarget& target) {
    std::wstring key = target.opened;
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    const auto known = facts_.find(key);
    std::optional<TargetFacts> facts = FactsOf(target, known == facts_.end() ? nullptr : &known->second);
    if (!facts) return facts;
    if (facts_.size() >= kMostFacts && known == facts_.end()) facts_.clear();
    facts_[key] = *facts;
    return facts;
}

}  // namespace services
