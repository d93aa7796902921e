// The 64-bit helper's program file, written out from the bytes embedded in
// the program. The program runs elevated, so no process without elevation may
// get to replace the file between its writing and its start: it is written
// into a fresh folder that only administrators and the system may write to,
// then held open denying writes and deletes, and checked against the embedded
// bytes through that very handle. The file and its folder go when this ends.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

namespace services {

class HelperFile {
public:
    HelperFile() = default;
    ~HelperFile();
    HelperFile(const HelperFile&) = delete;
    HelperFile& operator=(const HelperFile&) = delete;

    // Writes, holds and checks the file, once; later calls check nothing new.
    // The system's error code on failure, else 0.
    DWORD Prepare(std::span<const uint8_t> image);
    const std::wstring& Path() const { return path_; }

private:
    DWORD MakeFolder();
    DWORD WriteAndHold(std::span<const uint8_t> image);
    void Remove();

    std::wstring folder_;
    std::wstring path_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
};

}  // namespace services
