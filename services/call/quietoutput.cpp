#include "quietoutput.h"

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <iterator>

namespace services {
namespace {

// The runtime's own handle for a descriptor; null when it has none (a
// program without a console or a redirection).
HANDLE RuntimeHandle(int descriptor) {
    const intptr_t handle = _get_osfhandle(descriptor);
    return handle == -1 || handle == -2 ? nullptr : reinterpret_cast<HANDLE>(handle);
}

}  // namespace

QuietOutput::QuietOutput()
    : nul_(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                       nullptr)) {
    if (!nul_) return;
    std::fflush(stdout);
    std::fflush(stderr);
    nulDescriptor_ = _open("NUL", _O_WRONLY | _O_BINARY);
    for (Stream& stream : streams_) Quiet(stream);
}

QuietOutput::~QuietOutput() {
    if (!nul_) return;
    std::fflush(stdout);
    std::fflush(stderr);
    // In reverse: both descriptors may share one handle, whose flags come back last.
    for (auto stream = std::rbegin(streams_); stream != std::rend(streams_); ++stream) Restore(*stream);
    if (nulDescriptor_ >= 0) _close(nulDescriptor_);
    // The runtime now holds copies; a handle it had is nobody's unless it is a standard one.
    HANDLE closed = nullptr;
    for (const Stream& stream : streams_) {
        if (stream.saved < 0 || stream.runtime == stream.real || stream.runtime == closed) continue;
        CloseHandle(stream.runtime);
        closed = stream.runtime;
    }
}

// Moving a descriptor closes the handle it had, which some runtimes share
// with the standard handle: that handle is kept from closing meanwhile.
void QuietOutput::Quiet(Stream& stream) {
    stream.real = GetStdHandle(stream.kind);
    SetStdHandle(stream.kind, nul_.Get());
    stream.runtime = RuntimeHandle(stream.descriptor);
    if (!stream.runtime || nulDescriptor_ < 0 || !GetHandleInformation(stream.runtime, &stream.runtimeFlags))
        return;
    SetHandleInformation(stream.runtime, HANDLE_FLAG_PROTECT_FROM_CLOSE, HANDLE_FLAG_PROTECT_FROM_CLOSE);
    stream.saved = _dup(stream.descriptor);
    if (stream.saved >= 0) _dup2(nulDescriptor_, stream.descriptor);
}

// Last the standard handle: a runtime may set it as it moves a descriptor.
void QuietOutput::Restore(const Stream& stream) {
    if (stream.saved >= 0) {
        _dup2(stream.saved, stream.descriptor);
        _close(stream.saved);
        SetHandleInformation(stream.runtime, HANDLE_FLAG_PROTECT_FROM_CLOSE, stream.runtimeFlags);
    }
    SetStdHandle(stream.kind, stream.real);
}

}  // namespace services
