// The stand-in browser as the web page tests use it: registered for the home
// page's scheme for a scope, read back from the file it writes.
#pragma once

#include <windows.h>

#include <string>

#include "driver.h"

namespace e2e {

// The home page's scheme, whose open command the stand-in browser takes over.
inline const std::wstring kSchemeCommand = L"https\\shell\\open\\command";

inline std::wstring Beside(const std::wstring& name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

inline std::wstring DefaultValue(const std::wstring& path) {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

inline void SetDefaultValue(const std::wstring& path, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

inline std::wstring WideFile(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    wchar_t text[1024] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - sizeof(wchar_t), &read, nullptr);
    CloseHandle(file);
    return std::wstring(text, read / sizeof(wchar_t));
}

// The stand-in browser answers the scheme for the test's life; the command before it comes back after.
class StandInBrowser {
public:
    StandInBrowser() : saved_(DefaultValue(kSchemeCommand)), record_(Beside(L"standin-record.txt")) {
        DeleteFileW(record_.c_str());
        SetDefaultValue(kSchemeCommand, L"\"" + Beside(L"standin.exe") + L"\" \"" + record_ + L"\" \"%1\"");
    }
    ~StandInBrowser() {
        SetDefaultValue(kSchemeCommand, saved_);
        DeleteFileW(record_.c_str());
    }
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;

    // What the stand-in wrote: "<parent pid> <own pid> <address>"; empty until it ran.
    std::wstring Record(DWORD timeoutMs) const {
        std::wstring text;
        WaitUntil(
            [&] {
                text = WideFile(record_);
                return !text.empty();
            },
            timeoutMs);
        DeleteFileW(record_.c_str());
        return text;
    }

private:
    std::wstring saved_;
    std::wstring record_;
};

}  // namespace e2e
