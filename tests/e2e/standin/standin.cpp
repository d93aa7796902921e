// A stand-in browser: registered for a web address scheme, it writes into the
// file its command line names which process started it, and the address.
// Usage: standin.exe <record file> <address>
#include <windows.h>
// The platform headers below build on windows.h.
#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

namespace {

DWORD ParentOf(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !parent;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == pid) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 3) return 2;
    // "<parent pid> <own pid> <address>", written whole once so a reader never sees half.
    const std::wstring line = std::to_wstring(ParentOf(GetCurrentProcessId())) + L" " +
                              std::to_wstring(GetCurrentProcessId()) + L" " + args[2];
    const std::wstring part = std::wstring(args[1]) + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line.c_str(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(part.c_str(), args[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
