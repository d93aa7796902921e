// Reads what names each server file in the registry, on a thread of its own.
// While the path field names a file, the registry of that file's view is read
// ahead and watched, and read again when another program changes it; after
// the file's export only what can have changed is read again, so the answer
// comes in a millisecond or two even among thousands of classes. Without a
// reading ahead (a click at once, a change that came just before the click),
// the whole view is read after the export, while the window waits and answers.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "paths/serverroad.h"
#include "registrynames.h"
#include "runtime/handles.h"
#include "runtime/thread.h"

namespace services {

// The names readers' quiet time: a reader reads the registry again once its
// changes have paused this long, and the window says what it waits for once a
// reading has taken this long.
inline constexpr DWORD kQuietMs = 250;

// One reading around an export: Done is signalled once Result holds the answer.
class NamesReading {
public:
    NamesReading(NamesTarget target, std::array<bool, ViewIndexes::kCount> freshBefore);
    HANDLE Done() const { return done_.Get(); }
    const NamesTarget& Target() const { return target_; }
    // Nullopt when the export did not run, the file could not be opened, or the reader stopped first.
    const std::optional<RegistryNames>& Result() const { return result_; }

private:
    friend class NamesReader;
    NamesTarget target_;
    std::array<bool, ViewIndexes::kCount> freshBefore_;
    std::optional<ULONGLONG> since_;  // the export ran beside a reading: what was written from then on
    bool ended_ = false;              // the export has returned
    bool ran_ = false;                // and was called, so the registry may have changed
    std::optional<RegistryNames> result_;
    rt::Handle done_;
};

// What an export's start does to a reading ahead still in progress: the
// window stops it, not to keep the click waiting, and reads the whole view
// after the export; the command line, which named its files a moment before,
// lets it go on beside the export, and after it reads again only the keys
// written since the export began (and what may name the file).
enum class AheadInProgress { Stop, Finish };

class NamesReader {
public:
    NamesReader();
    ~NamesReader();  // stops the thread; a reading still waiting ends without a result
    NamesReader(const NamesReader&) = delete;
    NamesReader& operator=(const NamesReader&) = delete;

    // The path field now names `files`, each resolved once: read ahead for them.
    void LookAhead(ServerFiles files);
    // A server's export for the target is about to run: notes which of its
    // view's indexes still hold, after a reading ahead in progress stopped or
    // finished, and reads what identifies the file while the export runs.
    std::shared_ptr<NamesReading> ExportStarts(const NamesTarget& target,
                                               AheadInProgress ahead = AheadInProgress::Stop);
    // The export has returned; `ran`: it was called, so what names the file is
    // read now. Otherwise the reading ends at once without a result.
    void ExportEnded(NamesReading& reading, bool ran);

private:
    bool Start();  // with the mutex held
    void Run() noexcept;
    void Loop();
    void Serve(NamesReading& reading);
    void Anticipate(const std::vector<ServerFile>& files);
    void WaitIdle();
    bool ExportWaiting();
    std::optional<TargetFacts> Facts(const NamesTarget& target, bool withTypeLib);

    rt::Mutex mutex_;
    rt::Handle wake_;  // set whenever there is something new for the thread
    std::deque<std::shared_ptr<NamesReading>> readings_;
    ServerFiles ahead_;          // the files to read ahead for, once the thread gets to them
    rt::Condition anticipated_;  // told when a reading ahead starts or ends
    bool stop_ = false;
    std::atomic<bool> cancel_{false};    // stops a reading ahead
    std::atomic<bool> stopping_{false};  // stops everything
    rt::Thread thread_;

    // Read and updated by the thread alone; their freshness may be asked from any.
    ViewIndexes views_[2] = {ViewIndexes(RegistryView::Bits32), ViewIndexes(RegistryView::Bits64)};
    std::map<std::wstring, TargetFacts> facts_;  // by the path opened, upper case
    ServerFiles lastAhead_;                      // the files last read ahead for
    std::vector<size_t> watched_;                // the views of the files it names
};

}  // namespace services
