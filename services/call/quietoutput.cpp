#include "quietoutput.h"

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>

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
    for (Stream& stream : streams_) Restore(stream);
    if (nulDescriptor_ >= 0) _close(nulDescriptor_);
}

void QuietOutput::Quiet(Stream& stream) {
    stream.real = GetStdHandle(stream.kind);
    SetStdHandle(stream.kind, nul_.Get());
    const HANDLE runtime = RuntimeHandle(stream.descriptor);
    if (!runtime || nulDescriptor_ < 0) return;
    stream.sameHandle = runtime == stream.real;
    stream.saved = _dup(stream.descriptor);
    if (stream.saved >= 0) _dup2(nulDescriptor_, stream.descriptor);
}

void QuietOutput::Restore(Stream& stream) {
    if (stream.saved >= 0) {
        _dup2(stream.saved, stream.descriptor);
        _close(stream.saved);
    }
    // Some runtimes hold the standard handle itself, which moving the
    // descriptor closed: the standard handle is then the runtime's new copy.
    const HANDLE runtime = stream.sameHandle ? RuntimeHandle(stream.descriptor) : nullptr;
    SetStdHandle(stream.kind, runtime ? runtime : stream.real);
}

}  // namespace services
