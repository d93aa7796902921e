// What a user without elevation can put before the elevated program: classes
// of the user's own, a flood of them, with values of megabytes and names that
// hold line breaks. The program answers as fast, says no more than a path's
// length, keeps a script's lines apart, and closes at once.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"
#include "runtime/handles.h"

using namespace e2e;

namespace {

constexpr POINT kRegister{140, 148};
const wchar_t kUserClasses[] = L"Software\\Classes\\CLSID";

// Clicks Register and reads the box with that title; empty when none shows.
std::wstring RegisterAndRead(const RunningApp& app, const std::wstring& title) {
    Click(ClientToScreenPoint(app.Main(), kRegister.x, kRegister.y));
    HWND box = app.WaitForBox(title, 60000);
    if (!box) return {};
    const std::wstring text = BoxText(box);
    EXPECT_TRUE(PressOk(box));
    return text;
}

// Classes of the user's own, volatile so that a test that dies leaves none on
// disk, deleted through the handles that made them (by name it takes twice as long).
class UserClasses {
public:
    UserClasses() {
        RegCreateKeyExW(HKEY_CURRENT_USER, kUserClasses, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, root_.Put(),
                        nullptr);
    }
    ~UserClasses() {
        using DeleteKey = LONG(WINAPI*)(HANDLE);
        const auto deleteKey = reinterpret_cast<DeleteKey>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
        for (size_t i = keys_.size(); i-- > 0;) deleteKey(keys_[i]);
        for (HKEY key : keys_) RegCloseKey(key);
    }
    UserClasses(const UserClasses&) = delete;
    UserClasses& operator=(const UserClasses&) = delete;

    // A class key, with its default value when given; its InprocServer32 when `server` is.
    void Add(const std::wstring& clsid, const std::wstring& name = {}, const std::wstring& server = {}) {
        HKEY key = Made(root_.Get(), clsid);
        if (!name.empty()) Set(key, name);
        if (!server.empty()) Set(Made(key, L"InprocServer32"), server);
    }
    static std::wstring Numbered(int n) {
        wchar_t clsid[64];
        wsprintfW(clsid, L"{7E55F%03X-%04X-4000-8000-000000000000}", n >> 16, n & 0xFFFF);
        return clsid;
    }

private:
    HKEY Made(HKEY parent, const std::wstring& name) {
        HKEY key = nullptr;
        RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE | DELETE,
                        nullptr, &key, nullptr);
        if (key) keys_.push_back(key);
        return key;
    }
    static void Set(HKEY key, const std::wstring& text) {
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    rt::RegKey root_;
    std::vector<HKEY> keys_;  // in the order made, so subkeys follow their keys
};

struct Timed {
    CommandResult run;
    ULONGLONG ms;
};

Timed RegisterSilently(const std::wstring& server) {
    const ULONGLONG start = GetTickCount64();
    CommandResult run = RunCommand(L"/s " + Quoted(server), L"", true, 120000);
    return {run, GetTickCount64() - start};
}

// A script keeping only the lines that begin with a file finds one: the rest is set in.
void ExpectOneFileLine(const std::wstring& log) {
    size_t lines = 0, longest = 0;
    for (size_t at = 0; at < log.size(); ++lines) {
        const size_t end = std::min(log.find(L'\n', at), log.size());
        const std::wstring line = log.substr(at, end - at);
        EXPECT_TRUE(lines == 0 || line.rfind(L"  ", 0) == 0) << testing::PrintToString(line.substr(0, 200));
        EXPECT_EQ(line.find(L'\r'), line.size() - 1) << "a lone CR at " << lines;
        longest = std::max(longest, line.size());
        at = end + 1;
    }
    EXPECT_GT(lines, 1u);
    EXPECT_LT(longest, 1000u) << "no name here is longer than a few dozen characters";
}

TEST(HostileInput, AFloodOfHugeClassesCostsNoTimeAndShowsNothingHuge) {
    const std::wstring server = ServerPath(L"testcomserver.dll");
    UserClasses classes;
    for (int n = 0; n < 100000; ++n) classes.Add(UserClasses::Numbered(n));
    const Timed plain = RegisterSilently(server);
    ASSERT_EQ(plain.run.exitCode, 0u) << testing::PrintToString(plain.run.output);

    const std::wstring huge(8 << 20, L'N');  // 16 MB of text
    classes.Add(L"{7E55FF01-0000-4000-8000-000000000000}", huge, server);
    classes.Add(L"{7E55FF02-0000-4000-8000-000000000000}", {}, huge);
    classes.Add(L"{7E55FF03-0000-4000-8000-000000000000}", L"Broken\r\nC:\\fake.dll: Registered\rX\x0B\x85",
                server);
    const Timed hostile = RegisterSilently(server);
    EXPECT_EQ(hostile.run.exitCode, 0u);
    EXPECT_LT(hostile.ms, plain.ms * 3 / 2 + 1000) << plain.ms;
    ExpectOneFileLine(hostile.run.output);
    for (const wchar_t* says :
         {L"  "
          L"class {7E55FF01-0000-4000-8000-000000000000} (no ThreadingModel)\r\n",
          L"  class {7E55FF03-0000-4000-8000-000000000000} "
          L"\"Broken\\r\\nC:\\fake.dll: Registered\\rX\\x0B\\x85\" (no ThreadingModel)\r\n",
          L"  2 values in the 32-bit registry too long for a path or a name were not read.\r\n"})
        EXPECT_NE(hostile.run.output.find(says), std::wstring::npos)
            << testing::PrintToString(hostile.run.output);

    // The window answers as fast, and closes at once while its readers read the flood again.
    RunningApp app;
    ASSERT_TRUE(app.Start());
    app.SetPathText(server);
    const ULONGLONG clicked = GetTickCount64();
    EXPECT_NE(RegisterAndRead(app, L"Success!").find(L"too long for a path"), std::wstring::npos);
    EXPECT_LT(GetTickCount64() - clicked, plain.ms + 1000);
    classes.Add(L"{7E55FF04-0000-4000-8000-000000000000}");
    Sleep(500);
    const ULONGLONG closed = GetTickCount64();
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_LT(GetTickCount64() - closed, 1500u);
    EXPECT_EQ(RunCommand(L"/u /s " + Quoted(server)).exitCode, 0u);
}

}  // namespace
