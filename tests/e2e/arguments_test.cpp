// The program started with files, as "Open with", "Send to", a drop on its
// icon or a script starts it: the field holds them, and only a command
// registers them.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <tlhelp32.h>

#include <string>

#include "driver.h"
#include "selfhandled.h"
#include "testobject.h"

using namespace e2e;

namespace {

const std::wstring kClsidKey = std::wstring(L"CLSID\\") + kTestObjectClsidText;

std::wstring InprocServer() {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    const std::wstring key = kClsidKey + L"\\InprocServer32";
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size))
        return {};
    return value;
}

bool Loads(DWORD process, const wchar_t* dll) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &module); more && !found;
         more = Module32NextW(snapshot, &module))
        found = lstrcmpiW(module.szModule, dll) == 0;
    CloseHandle(snapshot);
    return found;
}

class StartedWithFiles : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kSelfHandledNotes);
        // The real server again, in a folder with a blank and letters from beyond ASCII.
        const std::wstring server = ServerPath(L"testcomserver.dll");
        folder = server.substr(0, server.find_last_of(L'\\'));
        const std::wstring wideFolder =
            folder + L"\\\u0421\u0435\u0440\u0432\u0435\u0440\u044B \u00E9t\u00E9";
        CreateDirectoryW(wideFolder.c_str(), nullptr);
        wide = wideFolder + L"\\testcomserver.dll";
        ASSERT_TRUE(CopyFileW(server.c_str(), wide.c_str(), FALSE));
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kSelfHandledNotes);
    }

    std::wstring folder, wide;
};

// The shell's DLL splits the arguments; a start without any does without it.
TEST_F(StartedWithFiles, NoneLeavesTheShellUnloaded) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_TRUE(Loads(app.ProcessId(), L"user32.dll")) << "the module list is read";
    EXPECT_FALSE(Loads(app.ProcessId(), L"shell32.dll"));
}

TEST_F(StartedWithFiles, OnePathFillsTheFieldAsItIsAndRegistersNothing) {
    RunningApp app;
    ASSERT_TRUE(app.Start({.arguments = L"\"" + wide + L"\""}));
    EXPECT_EQ(app.PathText(), wide);
    app.WaitUntilIdle();
    EXPECT_EQ(app.FindBox(L"Success!"), nullptr);
    EXPECT_EQ(app.FindBox(L"Error!"), nullptr);
    EXPECT_EQ(InprocServer(), L"");
}

TEST_F(StartedWithFiles, TwoPathsFillTheFieldQuotedAndRegisterTogether) {
    const std::wstring other = ServerPath(L"selfhandled.dll");
    RunningApp app;
    ASSERT_TRUE(app.Start({.arguments = L"\"" + wide + L"\" \"" + other + L"\""}));
    EXPECT_EQ(app.PathText(), L"\"" + wide + L"\" \"" + other + L"\"");
    EXPECT_EQ(InprocServer(), L"");

    // Enter in the field, where the focus starts, is Register.
    ASSERT_TRUE(WaitUntil([&] { return app.Focus() == app.PathField(); }));
    ASSERT_TRUE(app.Activate());
    Keys({VK_RETURN});
    HWND box = app.WaitForBox(L"Success!");
    ASSERT_NE(box, nullptr) << "no success box";
    EXPECT_EQ(BoxText(box).rfind(L"Registered successfully\r\n\r\n1. " + wide +
                                     L"\r\nIn the 32-bit registry: 1 class.\r\n\r\n2. " + other,
                                 0),
              0u);
    EXPECT_TRUE(PressOk(box));
    EXPECT_EQ(lstrcmpiW(InprocServer().c_str(), wide.c_str()), 0);
    EXPECT_EQ(SelfHandledNote(L"Handled"), 1u);
}

// A script started in the servers' folder names them as it sees them.
TEST_F(StartedWithFiles, RelativePathsAreTakenFromTheCurrentFolder) {
    RunningApp app;
    ASSERT_TRUE(app.Start({.folder = folder, .arguments = L"testcomserver.dll no-such-server.dll"}));
    EXPECT_EQ(app.PathText(), L"\"" + folder + L"\\testcomserver.dll\" \"no-such-server.dll\"");
}

}  // namespace
