// A server that talks: registering prints a line through the C runtime and
// writes 100 KB to its standard output and error, as a debug build does, and
// answers S_OK; unregistering writes
// without end into every pipe it holds. Registering also looks whether the
// handle whose number TESSIVER_PROBE_HANDLE names is open in its process on
// the file TESSIVER_PROBE_FILE names (a handle of whoever started the
// process, never meant for it), and if so writes into that file through it.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void WriteTo(HANDLE to, const std::vector<char>& bytes) {
    DWORD written = 0;
    WriteFile(to, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION one{}, other{};
    return GetFileInformationByHandle(a, &one) && GetFileInformationByHandle(b, &other) &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

void WriteThroughAStrayHandle() {
    char value[32] = {}, path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TESSIVER_PROBE_HANDLE", value, sizeof value) ||
        !GetEnvironmentVariableA("TESSIVER_PROBE_FILE", path, sizeof path))
        return;
    const HANDLE stray = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(value, nullptr, 10)));
    const HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    if (SameFile(stray, file)) WriteTo(stray, std::vector<char>{'r', 'e', 'a', 'c', 'h', 'e', 'd'});
    CloseHandle(file);
}

}  // namespace

STDAPI DllRegisterServer() {
    WriteThroughAStrayHandle();
    std::printf("chattyserver says hello\n");
    std::fprintf(stderr, "chattyserver warns\n");
    std::fflush(stdout);
    const std::vector<char> chunk(1024, 'x');
    for (int i = 0; i < 100; ++i) {
        WriteTo(GetStdHandle(STD_OUTPUT_HANDLE), chunk);
        WriteTo(GetStdHandle(STD_ERROR_HANDLE), chunk);
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    const std::vector<char> chunk(4096, 'y');
    for (;;) {
        WriteTo(GetStdHandle(STD_OUTPUT_HANDLE), chunk);
        for (uintptr_t value = 4; value < 0x1000; value += 4) {
            const HANDLE handle = reinterpret_cast<HANDLE>(value);
            if (GetFileType(handle) == FILE_TYPE_PIPE) WriteTo(handle, chunk);
        }
    }
}
