// Copies of a DLL planted where a user without elevation can write, under the
// name of a DLL a server needs: a folder of their own first on the PATH (as
// one added through HKCU\Environment reaches the program's environment), and
// the current folder named by a relative PATH entry. Registering the server
// from the command line must load none of them, and still succeed.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"

namespace e2e {

struct PlantCase {
    std::wstring server;  // registered with /s
    std::wstring dll;     // the name the planted copy takes
    bool relative;        // in the current folder, named on the PATH by "."; else a folder of its own
    std::wstring needed;  // a folder the server's own helper lies in, named on the PATH before; or none
    DWORD exitCode;       // 0 registered, 3 the helper was not found
};

inline std::wstring Variable(const wchar_t* name) {
    std::wstring value(32767, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// Wine takes its own copy of a system DLL wherever a file of that name lies,
// unless told to prefer files: then it searches as Windows does.
class PreferFiles {
public:
    explicit PreferFiles(const std::wstring& dll) : name_(dll.substr(0, dll.find(L'.'))) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key_, nullptr);
        const wchar_t order[] = L"native,builtin";
        RegSetValueExW(key_, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof order);
    }
    ~PreferFiles() {
        RegDeleteValueW(key_, name_.c_str());
        RegCloseKey(key_);
    }
    PreferFiles(const PreferFiles&) = delete;
    PreferFiles& operator=(const PreferFiles&) = delete;

private:
    std::wstring name_;
    HKEY key_ = nullptr;
};

inline void CheckPlantedCopiesNeverLoad(const std::vector<PlantCase>& cases, const std::wstring& planted) {
    const std::wstring ownFolder = ServerPath(L"a user's path folder"),
                       current = ServerPath(L"a current folder");
    const std::wstring savedPath = Variable(L"PATH");
    wchar_t folder[MAX_PATH * 4] = {};
    GetCurrentDirectoryW(MAX_PATH * 4, folder);
    for (const PlantCase& c : cases) {
        const std::wstring where = c.relative ? current : ownFolder, copy = where + L"\\" + c.dll;
        SCOPED_TRACE(testing::PrintToString(copy));
        CreateDirectoryW(where.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(planted.c_str(), copy.c_str(), FALSE));
        DeleteFileW((copy + L".loaded").c_str());
        // The user's own folders come last, as a session appends them to the system's.
        const std::wstring users = (c.needed.empty() ? L"" : c.needed + L";") + (c.relative ? L"." : where);
        SetEnvironmentVariableW(L"PATH", (savedPath + L";" + users).c_str());
        const PreferFiles files(c.dll);
        SetCurrentDirectoryW(current.c_str());

        const CommandResult run = RunCommand(L"/s " + Quoted(c.server));
        SetEnvironmentVariableW(L"PATH", savedPath.c_str());
        SetCurrentDirectoryW(folder);
        EXPECT_EQ(run.exitCode, c.exitCode) << testing::PrintToString(run.output);
        EXPECT_EQ(run.output.find(L": Registered successfully") != std::wstring::npos, c.exitCode == 0);
        EXPECT_EQ(GetFileAttributesW((copy + L".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
            << "the copy loaded";
        DeleteFileW(copy.c_str());
    }
}

}  // namespace e2e
