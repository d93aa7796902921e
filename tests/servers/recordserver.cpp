// A server that notes what it is asked, in order, one line a call, in the
// file named by TESSIVER_RECORD: "DllRegisterServer", DllInstall(TRUE, "text"),
// DllInstall(FALSE, NULL). The export named by TESSIVER_RECORD_FAIL reports
// failure. Any window of its process (but OLE's own), or the program's form
// class, that a call finds is noted too.
#include <windows.h>
// The platform headers below build on windows.h.
#include <objbase.h>

#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? value : L"";
}

void Note(const std::wstring& line) {
    const std::wstring record = Env(L"TESSIVER_RECORD");
    HANDLE file = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    char bytes[4096] = {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, (line + L"\n").c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    DWORD written = 0;
    if (n > 1) WriteFile(file, bytes, static_cast<DWORD>(n - 1), &written, nullptr);
    CloseHandle(file);
}

BOOL CALLBACK NoteWindow(HWND window, LPARAM) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    // OLE's own hidden window, which OleInitialize makes on every apartment thread, is the system's.
    if (pid == GetCurrentProcessId() && lstrcmpW(name, L"OleMainThreadWndClass") != 0)
        Note(L"window " + std::wstring(name));
    return TRUE;
}

HRESULT Called(const std::wstring& line, const wchar_t* exportName) {
    Note(line);
    EnumWindows(&NoteWindow, 0);
    for (HWND hidden = nullptr; (hidden = FindWindowExW(HWND_MESSAGE, hidden, nullptr, nullptr));)
        NoteWindow(hidden, 0);
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), L"TessiverForm", &form)) Note(L"class TessiverForm");
    return Env(L"TESSIVER_RECORD_FAIL") == exportName ? E_FAIL : S_OK;
}

}  // namespace

STDAPI DllRegisterServer() {
    return Called(L"DllRegisterServer", L"DllRegisterServer");
}

STDAPI DllUnregisterServer() {
    return Called(L"DllUnregisterServer", L"DllUnregisterServer");
}

STDAPI DllInstall(BOOL install, LPCWSTR text) {
    const std::wstring flag = install == TRUE    ? L"TRUE"
                              : install == FALSE ? L"FALSE"
                                                 : std::to_wstring(install);
    return Called(
        L"DllInstall(" + flag + L", " + (text ? L"\"" + std::wstring(text) + L"\"" : L"NULL") + L")",
        L"DllInstall");
}
