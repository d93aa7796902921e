// A DLL that leaves a mark beside itself when anything loads it. Planted under
// a system DLL's name beside the program or in its current folder, it must
// never be loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t mark[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(self, mark, MAX_PATH * 4 - 8);
    lstrcpyW(mark + n, L".loaded");
    const HANDLE file = CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
