// The program as scripts run it: switches anywhere, exit codes, one UTF-8
// line per file on a redirected output with what names it set in below,
// one box at the end unless silent, and no window of its own at any time.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"
#include "installcases.h"
#include "leftobjects.h"
#include "pefile.h"
#include "testobject.h"

using namespace e2e;

namespace {

// The lines that begin with a file, not those set in below them.
size_t FileLines(const std::wstring& text) {
    size_t n = 0;
    for (size_t at = 0; at < text.size();) {
        if (text.compare(at, 2, L"  ") != 0) ++n;
        const size_t end = text.find(L"\r\n", at);
        if (end == std::wstring::npos) break;
        at = end + 2;
    }
    return n;
}

TEST(CommandMode, CallsDllInstallAsTheSystemsToolDoes) {
    CheckInstallCases(ServerPath(L"recordserver.dll"));
}

TEST(CommandMode, TriesEveryFileAndExitsWithTheLastFailure) {
    const std::wstring rec = Quoted(ServerPath(L"recordserver.dll")),
                       failing = Quoted(ServerPath(L"failreg.dll")),
                       missing = ServerPath(L"no such server.dll");
    // A path beyond ASCII reaches the log whole.
    const std::wstring folder = ServerPath(L"\u0421\u0435\u0440\u0432\u0435\u0440 \u00E9"),
                       wide = folder + L"\\recordserver.dll";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(ServerPath(L"recordserver.dll").c_str(), wide.c_str(), FALSE));
    const std::wstring com = ServerPath(L"testcomserver.dll"), left = ServerPath(L"leaveserver.dll"),
                       assembly = folder + L"\\assembly.dll";
    ASSERT_TRUE(testkit::DotNetCopy(ServerPath(L"plain.dll"), assembly));
    const struct {
        std::wstring args;
        bool pipe;
        DWORD exitCode;
        size_t lines;  // one a file; 0 for the usage
        const char* record;
        std::wstring says;
    } cases[] = {
        {L"/s " + Quoted(wide), true, 0, 1, "DllRegisterServer\n", wide + L": Registered successfully\r\n"},
        {rec + L" /C /s", false, 0, 1, "DllRegisterServer\n", L": Registered successfully\r\n"},
        {L"/s /x " + rec, true, 1, 0, "", L"Unknown switch: /x\r\n\r\nUsage: tessiver"},
        {L"/s /n " + rec, false, 1, 0, "", L"/n needs /i"},
        // Each argument is one file, taken literally: a blank or empty one cannot be
        // loaded, a stray quote spoils only its own, a variable is not expanded again.
        {L"/s \" \"", false, 3, 1, "", L"\" \": No file of that name was found"},
        {L"/s \"\"", false, 3, 1, "", L"\"\": No file of that name was found"},
        {L"/s " + rec + L" a\\\"b.dll", true, 3, 2, "DllRegisterServer\n", L"Registered successfully"},
        {L"/s \"%SystemRoot%\\System32\\kernel32.dll\"", false, 3, 1, "", L"does not exist"},
        {L"/s/x " + rec, false, 1, 0, "", L"Unknown switch: /x"},
        {L"-silent " + rec, false, 1, 0, "", L"Unknown switch: -silent"},
        {L"/s " + Quoted(ServerPath(L"crashserver.dll")), true, 5, 1, "",
         L"failed with an exception: C0000005 (access violation writing address 0x00000000) in "
         L"crashserver.dll"},
        {L"/s " + Quoted(ServerPath(L"probe\\probeserver.dll")), false, 3, 1, "",
         L"it needs probemiddle.dll, which needs probehelper.dll, which was not found"},
        {L"/s " + Quoted(missing), false, 3, 1, "", missing + L": The file does not exist.\r\n"},
        {L"/s " + Quoted(ServerPath(L"plain.dll")), false, 4, 1, "", L"it has no DllRegisterServer export."},
        {L"/s /i " + failing, false, 4, 1, "", L"The server has no DllInstall export."},
        {L"/s " + Quoted(ServerPath(L"dllmaincrash.dll")), false, 3, 1, "",
         L"crashed while it was being loaded"},
        {L"/s " + Quoted(missing) + L" " + rec + L" " + failing + L" " + rec, true, 5, 4,
         "DllRegisterServer\nDllRegisterServer\n", L"reported failure 0x80070005"},
        {L"/s " + failing + L" " + rec + L" " + Quoted(missing), false, 3, 3, "DllRegisterServer\n",
         L"does not exist"},
        // What names each file follows its line, set in; nothing for an export that never ran.
        {L"/s " + Quoted(com), true, 0, 1, "",
         com + L": Registered successfully\r\n  " + com +
             L" is registered in the 32-bit registry:\r\n  class " + kTestObjectClsidText +
             L" Tessiver.TestObject (Apartment)\r\n"},
        {L"/u /s " + Quoted(com), false, 0, 1, "",
         L"  No class or type library in the 32-bit registry names this file now.\r\n"},
        {L"/s " + rec, false, 0, 1, "DllRegisterServer\n",
         L"  But no class or type library in the 32-bit registry names this file.\r\n"},
        {L"/s " + Quoted(left), false, 0, 1, "", L"\r\n  and 2 more.\r\n"},
        {L"/u /s " + Quoted(left), false, 0, 1, "",
         L"Unregistered successfully\r\n  But 9 classes in the 32-bit registry still name this file:\r\n  "
         L"class " +
             LeftClsid(1)},
        {L"/s " + Quoted(assembly), false, 4, 1, "",
         L"The file is a .NET assembly, not a self-registering COM server"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(c.args));
        const CommandResult run = RunCommand(c.args, L"", c.pipe);
        EXPECT_EQ(run.exitCode, c.exitCode);
        // The record would also show any window or window class of the program.
        EXPECT_EQ(run.record, c.record);
        EXPECT_NE(run.output.find(c.says), std::wstring::npos) << testing::PrintToString(run.output);
        EXPECT_TRUE(c.lines == 0 || FileLines(run.output) == c.lines) << testing::PrintToString(run.output);
        // Where no export ran (exit codes 3 and 4), the registry is not read.
        if (c.lines == 1 && (c.exitCode == 3 || c.exitCode == 4)) {
            EXPECT_EQ(run.output.find(L"\r\n  "), std::wstring::npos);
        }
    }
    for (int n = 1; n <= kLeftClasses; ++n)
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + LeftClsid(n)).c_str());
    DeleteFileW(assembly.c_str());
}

// A system DLL hidden from the loader as if it had never been installed: its
// file moved aside, and Wine told not to fall back on its own built-in copy.
class HiddenSystemDll {
public:
    explicit HiddenSystemDll(const std::wstring& name) : override_(name + L"=n") {
        wchar_t folder[MAX_PATH] = {};
        GetSystemDirectoryW(folder, MAX_PATH);
        file_ = std::wstring(folder) + L"\\" + name + L".dll";
        MoveFileW((file_ + L".hidden").c_str(), file_.c_str());  // after a run that never ended
        wchar_t overrides[4096] = {};
        GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 4096);
        before_ = overrides;
        hidden_ = MoveFileW(file_.c_str(), (file_ + L".hidden").c_str()) &&
                  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (before_ + L";" + override_).c_str());
    }
    ~HiddenSystemDll() {
        SetEnvironmentVariableW(L"WINEDLLOVERRIDES", before_.c_str());
        MoveFileW((file_ + L".hidden").c_str(), file_.c_str());
    }
    bool Hidden() const { return hidden_; }

private:
    std::wstring file_, override_, before_;
    bool hidden_ = false;
};

// A server built with the Visual C++ compiler, on a system without its
// runtime: the message names the package that brings it.
TEST(CommandMode, AMissingRuntimeIsNamedWithItsRedistributable) {
    const std::wstring server = Quoted(ServerPath(L"needsvcrt.dll"));
    ASSERT_EQ(RunCommand(L"/s " + server).exitCode, 0u) << "it registers where the runtime is";
    const HiddenSystemDll hidden(L"vcruntime140");
    ASSERT_TRUE(hidden.Hidden());
    const CommandResult run = RunCommand(L"/s " + server);
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_NE(
        run.output.find(L"it needs vcruntime140.dll, which was not found in the server's folder or where "
                        L"the system looks for DLLs. (error 126) vcruntime140.dll comes with the Microsoft "
                        L"Visual C++ 2015-2022 Redistributable (x86): install it, then try again."),
        std::wstring::npos)
        << testing::PrintToString(run.output);
}

bool TestClassRegistered() {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(L"CLSID\\") + kTestObjectClsidText;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A preview registers nothing, and its output is a registration file, each
// file's outcome a comment in it.
TEST(CommandMode, APreviewRegistersNothingAndWritesARegistrationFile) {
    const std::wstring server = ServerPath(L"testcomserver.dll"), classKey = kTestObjectClsidText;
    ASSERT_EQ(RunCommand(L"/s /u " + Quoted(server)).exitCode, 0u);
    std::wstring escaped;
    for (wchar_t c : server) escaped += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
    const struct {
        std::wstring args;
        bool registeredBefore;
        std::wstring says;
    } cases[] = {
        {L"/s /preview " + Quoted(server), false,
         L"\r\n[HKEY_CLASSES_ROOT\\CLSID\\" + classKey + L"\\InprocServer32]\r\n@=\"" + escaped +
             L"\"\r\n\"ThreadingModel\"=\"Apartment\"\r\n"},
        {L"-PREVIEW /s /u " + Quoted(server), true,
         L"\r\n[-HKEY_CLASSES_ROOT\\CLSID\\" + classKey +
             L"]\r\n\r\n[-HKEY_CLASSES_ROOT\\Tessiver.TestObject]\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(c.args));
        if (c.registeredBefore) {
            ASSERT_EQ(RunCommand(L"/s " + Quoted(server)).exitCode, 0u);
        }
        const CommandResult run = RunCommand(c.args);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_TRUE(run.utf16);
        EXPECT_EQ(run.output.rfind(L"Windows Registry Editor Version 5.00\r\n\r\n; " + server +
                                       L": Preview done: nothing was written to the registry.\r\n",
                                   0),
                  0u)
            << testing::PrintToString(run.output);
        EXPECT_NE(run.output.find(c.says), std::wstring::npos) << testing::PrintToString(run.output);
        EXPECT_EQ(TestClassRegistered(), c.registeredBefore);
    }
    EXPECT_EQ(RunCommand(L"/s /u " + Quoted(server)).exitCode, 0u);
}

TEST(CommandMode, WithoutSilenceOneBoxTellsItAllAndNoWindowIsBuilt) {
    SetEnvironmentVariableW(L"TESSIVER_RECORD_FAIL", nullptr);
    const std::wstring rec = ServerPath(L"recordserver.dll"), failing = ServerPath(L"failreg.dll");
    const struct {
        std::wstring args;
        const wchar_t* title;
        std::wstring text;  // how the box's text begins
        DWORD exitCode;
    } cases[] = {
        {Quoted(rec) + L" /i:x", L"Success!", L"Registered successfully", 0},
        {L"/u " + Quoted(failing) + L" " + Quoted(rec), L"Error!",
         L"Unregistered 1 of 2 files.\r\n\r\n1. " + failing +
             L"\r\nThe server's DllUnregisterServer reported failure 0x80070005",
         5},
        {L"/u " + Quoted(ServerPath(L"testcomserver.dll")), L"Success!",
         L"Unregistered successfully\r\n\r\nNo class or type library in the 32-bit registry names this file "
         L"now.",
         0},
        {L"/preview " + Quoted(ServerPath(L"testcomserver.dll")), L"Success!",
         L"Preview done: nothing was written to the registry.\r\n\r\n" + ServerPath(L"testcomserver.dll") +
             L" would be registered in the 32-bit registry:\r\nclass " + kTestObjectClsidText +
             L" Tessiver.TestObject (Apartment)",
         0},
        // The export forms without a redirected output say what they hold and how to write it.
        {L"/manifest " + Quoted(ServerPath(L"export\\dualserver.dll")), L"Quorvane Tessiver",
         L"The manifest holds 2 classes and 1 type library of 1 file.\r\n\r\nNothing was registered.", 0},
        {L"/wix " + Quoted(ServerPath(L"export\\claimserver.dll")), L"Quorvane Tessiver",
         L"The installer fragment holds 1 component with 5 registry values.", 0},
        {L"/manifest " + Quoted(ServerPath(L"export\\claimserver.dll")) + L" " +
             Quoted(ServerPath(L"x64server.dll")),
         L"Error!",
         L"One manifest holds servers of one kind: claimserver.dll and x64server.dll are one 32-bit", 1},
        {L"-x", L"Error!", L"Unknown switch: -x\r\n\r\nUsage: tessiver", 1},
        {L"/?", L"Quorvane Tessiver", L"Usage: tessiver", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(c.args));
        RunningApp app;
        ASSERT_TRUE(app.Start({.arguments = c.args, .command = true}));
        HWND box = app.WaitForBox(c.title);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(BoxText(box).rfind(c.text, 0), 0u) << testing::PrintToString(BoxText(box));
        EXPECT_EQ(WindowsOf(app.ProcessId()).find(L"Tessiver"), std::wstring::npos)
            << WindowsOf(app.ProcessId());
        EXPECT_TRUE(PressOk(box));
        EXPECT_EQ(app.WaitForExit(), c.exitCode);
    }
}

}  // namespace
