// A stand-in browser for the web page tests: notes in the registry which
// process started it and with what address.
#include <windows.h>
// The platform headers below build on windows.h.
#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

namespace {

DWORD ParentOf(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
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
    if (!args || count < 2) return 2;
    const DWORD self = GetCurrentProcessId();
    const std::wstring note = std::to_wstring(ParentOf(self)) + L" " + std::to_wstring(self) + L" " + args[1];
    return RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\TessiverStandIn", nullptr, REG_SZ, note.c_str(),
                           static_cast<DWORD>((note.size() + 1) * sizeof(wchar_t)));
}
