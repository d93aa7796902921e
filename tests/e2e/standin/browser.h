// The stand-in browser, registered for the home page's scheme for a scope: it
// notes which process started it, and with what address.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <tlhelp32.h>

#include <string>

#include "driver.h"

namespace e2e {

// Calls `visit` with each running process until it returns false.
template <class Visit>
void ForEachProcess(Visit visit) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more && visit(entry);
         more = Process32NextW(snapshot, &entry)) {
    }
    CloseHandle(snapshot);
}

inline std::wstring DefaultValue(const std::wstring& path, HKEY root = HKEY_CLASSES_ROOT) {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

inline void SetDefaultValue(const std::wstring& path, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

class StandInBrowser {
public:
    StandInBrowser() : saved_(DefaultValue(kCommand)) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kNote);
        // Built beside the test programs.
        SetDefaultValue(kCommand, L"\"" + ServerPath(L"../e2e/standin.exe") + L"\" \"%1\"");
    }
    ~StandInBrowser() {
        SetDefaultValue(kCommand, saved_);
        RegDeleteTreeW(HKEY_CURRENT_USER, kNote);
    }
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;

    // "<parent pid> <own pid> <address>" once it ran, taken; empty if it did not in time.
    std::wstring Take(DWORD timeoutMs) const {
        std::wstring note;
        WaitUntil([&] { return !(note = DefaultValue(kNote, HKEY_CURRENT_USER)).empty(); }, timeoutMs);
        RegDeleteTreeW(HKEY_CURRENT_USER, kNote);
        return note;
    }

private:
    static constexpr const wchar_t* kNote = L"Software\\TessiverStandIn";  // where standin.exe notes
    static constexpr const wchar_t* kCommand = L"https\\shell\\open\\command";
    std::wstring saved_;
};

}  // namespace e2e
