// The registry as the tests read it and as the system's registry editor imports into it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "runtime/handles.h"

namespace testkit {

// A text value of `key` below `root` in one view (0, KEY_WOW64_32KEY or
// KEY_WOW64_64KEY); nullopt when it is not there.
inline std::optional<std::wstring> ReadRegString(HKEY root, const std::wstring& key, const wchar_t* name,
                                                 REGSAM view = 0) {
    rt::RegKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, opened.Put()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(opened.Get(), nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

// Writes a registration file's text to `file` in the editor's own encoding and
// has `editor` (reg.exe, or another view's) import it; its exit code.
inline DWORD ImportRegText(const std::wstring& text, const std::wstring& file,
                           const std::wstring& editor = L"reg.exe") {
    rt::Handle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::wstring bytes = text.rfind(L"\xFEFF", 0) == 0 ? text : L"\xFEFF" + text;
    DWORD written = 0;
    WriteFile(out.Get(), bytes.data(), static_cast<DWORD>(bytes.size() * sizeof(wchar_t)), &written, nullptr);
    out.Reset();
    std::wstring command = editor + L" import \"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    DWORD code = STILL_ACTIVE;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started)) {
        code = GetLastError();
    } else {
        const rt::Handle process(started.hProcess), thread(started.hThread);
        WaitForSingleObject(process.Get(), 30000);
        GetExitCodeProcess(process.Get(), &code);
    }
    DeleteFileW(file.c_str());
    return code;
}

}  // namespace testkit
