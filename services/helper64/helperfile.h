// The 64-bit helper's program file, written out from the bytes embedded in
// the program. The program runs elevated, so nothing a user without
// elevation can do may swap the file, steer its start or make the program
// delete anything else. The file lies in a fresh folder in the system's
// temporary folder, under a name drawn from the system's random generator,
// with an access list for administrators and the system alone; folder and
// file are held open from the moment they exist until they are deleted, with
// no sharing that allows renaming, replacing or deleting them, and every step
// goes through those handles, never again by a path.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "runtime/handles.h"
#include "runtime/thread.h"

namespace services {

class HelperFile {
public:
    HelperFile() = default;
    // Stops the sweep for leftovers, then deletes the file and its folder
    // through the held handles.
    ~HelperFile();
    HelperFile(const HelperFile&) = delete;
    HelperFile& operator=(const HelperFile&) = delete;

    // Unpacks `packed` (packedimage.h) straight into the file, then holds and
    // checks it, once; later calls check nothing new. Then sweeps what killed
    // programs left, on a thread of its own. The system's error code on
    // failure, else 0.
    DWORD Prepare(std::span<const uint8_t> packed);
    // The held file as the system names it now: the path to start.
    const std::wstring& Path() const { return path_; }
    // True when the image of `process` (started, not yet resumed) is the held file itself.
    bool IsImageOf(HANDLE process) const;

private:
    DWORD WriteAndHold(std::span<const uint8_t> image);
    void Remove();

    rt::Handle folder_;
    rt::Handle held_;
    std::wstring path_;
    std::atomic<bool> stopSweep_{false};
    rt::Thread sweep_;  // the leftovers' sweep; joined before the folder goes
};

// At most this many entries of the temporary folder are looked at per
// sweep, so that a folder a user fills with look-alikes costs a bounded time.
inline constexpr int kSweptEntries = 8192;

// `prefix` followed by 32 hexadecimal digits from the system's random
// generator: a name nobody can guess or take in advance. Empty on failure.
std::wstring UnguessableName(const wchar_t* prefix);

}  // namespace services
