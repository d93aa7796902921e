#include "launch.h"

#include <psapi.h>

#include <cstring>
#include <vector>

#include "runtime/handles.h"

namespace bench {
namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMain(HWND hwnd, LPARAM data) {
    auto& s = *reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s.pid || GetWindow(hwnd, GW_OWNER) || !IsWindowVisible(hwnd)) return TRUE;
    s.found = hwnd;
    return FALSE;
}

HWND MainWindowOf(DWORD pid) {
    Search s{pid, nullptr};
    EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

BOOL CALLBACK NoteUpdate(HWND hwnd, LPARAM data) {
    if (GetUpdateRect(hwnd, nullptr, FALSE)) *reinterpret_cast<bool*>(data) = true;
    return TRUE;
}

bool Painted(HWND main) {
    bool pending = GetUpdateRect(main, nullptr, FALSE) != FALSE;
    EnumChildWindows(main, &NoteUpdate, reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

bool Idle(HANDLE process, HWND main) {
    if (WaitForInputIdle(process, 0) != 0) return false;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer)) return false;
    return Painted(main);
}

struct Count {
    DWORD pid;
    int windows;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
    ++reinterpret_cast<Count*>(data)->windows;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM data) {
    auto& c = *reinterpret_cast<Count*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != c.pid) return TRUE;
    ++c.windows;
    EnumChildWindows(hwnd, &CountChild, data);
    return TRUE;
}

// Committed private pages, walked region by region: the same figure on every
// platform, where the process memory counters may read 0 for another process (Wine).
double PrivateCommittedKiB(HANDLE process) {
    double bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    uintptr_t at = 0;
    while (VirtualQueryEx(process, reinterpret_cast<void*>(at), &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            bytes += static_cast<double>(region.RegionSize);
        const uintptr_t next = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return bytes / 1024.0;
}

// The system's handle table entries of one process, for where GetProcessHandleCount reads 0 (Wine).
struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    void* object;
    ULONG access;
};

double HandlesInSystemTable(DWORD pid) {
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<unsigned char> buffer(1 << 16);
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                           nullptr)) == kLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status < 0) return 0;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const auto* entries = reinterpret_cast<const HandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    double owned = 0;
    for (ULONG i = 0; i < count; ++i)
        if (entries[i].ownerPid == pid) ++owned;
    return owned;
}

void End(const PROCESS_INFORMATION& pi, HWND main) {
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / perMs;
}

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

Footprint ReadFootprint(HANDLE process, DWORD pid) {
    Footprint f;
    f.privateKiB = PrivateCommittedKiB(process);
    DWORD handles = 0;
    f.handles = GetProcessHandleCount(process, &handles) && handles ? handles : HandlesInSystemTable(pid);
    f.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    f.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    Count c{pid, 0};
    EnumWindows(&CountTop, reinterpret_cast<LPARAM>(&c));
    f.windows = c.windows;
    return f;
}

StartResult StartUntilIdle(const std::wstring& exe, DWORD timeoutMs) {
    StartResult result;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION pi{};
    // The mouse waits in a corner, away from where any of the windows opens: a
    // program that finds it over its window starts handling it (cursor, hover,
    // tips), and the program opens centred where the floor does not.
    SetCursorPos(0, 0);
    const double start = NowMs();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &pi))
        return result;
    HWND main = nullptr;
    while (NowMs() - start < timeoutMs && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        if (!main) main = MainWindowOf(pi.dwProcessId);
        if (main && Idle(pi.hProcess, main)) {
            result.ms = NowMs() - start;
            result.ok = true;
            result.footprint = ReadFootprint(pi.hProcess, pi.dwProcessId);
            break;
        }
        Sleep(1);
    }
    End(pi, main);
    return result;
}

double RunToEnd(const std::wstring& commandLine, DWORD expectedExit, bool logged) {
    std::wstring line = commandLine;
    // Its output goes to a log, as a script's does; the log goes with the last handle.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const rt::Handle log(CreateFileW((std::wstring(temp) + L"bench-output.log").c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited, CREATE_ALWAYS,
                                     FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = logged ? log.Get() : nullptr;
    PROCESS_INFORMATION pi{};
    const double start = NowMs();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double ms = NowMs() - start;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == expectedExit ? ms : -1;
}

}  // namespace bench
