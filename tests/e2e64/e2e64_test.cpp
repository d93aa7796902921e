// The program on a 64-bit system, driven through its real window: a 64-bit
// and a 32-bit server in one selection, each landing in its own registry view;
// a server that talks; a server that never answers, with the window answering
// all the while; and nothing of the program left once the window is closed,
// or once a killed program's successor is.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "containobjects.h"
#include "driver.h"
#include "installcases.h"
#include "plantedsearch.h"
#include "testobject.h"
#include "win64kit.h"

using namespace e2e;

namespace {

constexpr POINT kSelect{460, 108};
constexpr POINT kRegister{140, 148};
constexpr POINT kUnregister{220, 148};

std::wstring Title(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::wstring ClickAndRead(const RunningApp& app, POINT button, const std::wstring& title) {
    Click(ClientToScreenPoint(app.Main(), button.x, button.y));
    HWND box = app.WaitForBox(title);
    if (!box) return {};
    const std::wstring text = BoxText(box);
    EXPECT_TRUE(PressOk(box));
    return text;
}

TEST(Program64, RegistersBothKindsFromOneSelectionAndExplainsA64BitCrash) {
    ForgetTestClass();
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const std::wstring server64 = ServerPath(L"x64\\comserver64.dll");
    const std::wstring server32 = ServerPath(L"testcomserver.dll");
    app.SetPathText(L"\"" + server64 + L"\" \"" + server32 + L"\"");
    // Each kind in its own view, and said so.
    EXPECT_EQ(ClickAndRead(app, kRegister, L"Success!"),
              L"Registered successfully\r\n\r\n1. " + server64 +
                  L"\r\nIn the 64-bit registry: 1 class.\r\n\r\n2. " + server32 +
                  L"\r\nIn the 32-bit registry: 1 class.");
    EXPECT_TRUE(SamePath(ServerInView(KEY_WOW64_64KEY), server64));
    EXPECT_TRUE(SamePath(ServerInView(KEY_WOW64_32KEY), server32));
    // The next helper waits ready; one that was ended meanwhile is replaced.
    DWORD ready = 0;
    ASSERT_TRUE(WaitUntil([&] { return (ready = HelperProcess()) != 0; }));
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ready);
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    EXPECT_EQ(ClickAndRead(app, kUnregister, L"Success!").rfind(L"Unregistered successfully\r\n\r\n1. ", 0),
              0u);
    EXPECT_EQ(ServerInView(KEY_WOW64_64KEY), std::nullopt);
    EXPECT_EQ(ServerInView(KEY_WOW64_32KEY), std::nullopt);

    // The same box and words as for a 32-bit server.
    const std::wstring crash = ServerPath(L"x64\\crashserver64.dll");
    const std::wstring missing = ServerPath(L"x64\\probe\\probeserver.dll");
    app.SetPathText(L"\"" + crash + L"\" \"" + missing + L"\"");
    const std::wstring text = ClickAndRead(app, kRegister, L"Error!");
    EXPECT_EQ(text.rfind(L"Registered 0 of 2 files.\r\n\r\n1. " + crash +
                             L"\r\nThe server's DllRegisterServer failed with an exception: C0000005 (access "
                             L"violation writing address 0x00000000) in crashserver64.dll at offset 0x",
                         0),
              0u)
        << testing::PrintToString(text);
    EXPECT_NE(
        text.find(L"2. " + missing +
                  L"\r\nThe file could not be loaded: it needs probemiddle.dll, which needs probehelper.dll, "
                  L"which was not found in the server's folder or where the system looks for DLLs."),
        std::wstring::npos)
        << testing::PrintToString(text);

    // A server that talks registers as any other; one that writes without end
    // into the helper's answer gets a bounded answer, and the next command works.
    const std::wstring chatty = ServerPath(L"x64\\chattyserver64.dll");
    const std::wstring writesNothing =
        L"Registered successfully\r\n\r\nBut no class or type library in the 64-bit registry names this "
        L"file.";
    app.SetPathText(chatty);
    EXPECT_EQ(ClickAndRead(app, kRegister, L"Success!"), writesNothing);
    EXPECT_EQ(
        ClickAndRead(app, kUnregister, L"Error!"),
        chatty +
            L"\r\n\r\nThe server's DllUnregisterServer wrote into the 64-bit helper's answer, more than "
            L"any answer holds, and was ended.\r\nThe server may have left its work half done.");
    EXPECT_EQ(ClickAndRead(app, kRegister, L"Success!"), writesNothing);
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(TempFoldersLeft(), 0);
}

// Chosen in the Open dialog, a 64-bit server is about to be registered: its helper gets ready meanwhile.
TEST(Program64, ChoosingA64BitServerGetsAHelperReady) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const std::wstring server = ServerPath(L"x64\\comserver64.dll");
    Click(ClientToScreenPoint(app.Main(), kSelect.x, kSelect.y));
    HWND dialog = app.WaitForBox(L"Open ActiveX");
    ASSERT_NE(dialog, nullptr);
    HWND name = GetDlgItem(dialog, 0x47C);  // the file name box
    if (!name) name = GetDlgItem(dialog, 0x480);
    ASSERT_NE(name, nullptr);
    EXPECT_FALSE(HelperRunning());
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(server.c_str()));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    ASSERT_TRUE(WaitUntil([dialog] { return !IsWindow(dialog); }));
    EXPECT_EQ(app.PathText(), server);
    EXPECT_TRUE(WaitUntil([] { return HelperRunning(); }, 5000));
    EXPECT_EQ(ClickAndRead(app, kRegister, L"Success!"),
              L"Registered successfully\r\n\r\n" + server +
                  L" is registered in the 64-bit registry:\r\nclass " + kTestObjectClsidText + L" " +
                  kTestObjectProgId + L" (Apartment)");
    EXPECT_EQ(
        ClickAndRead(app, kUnregister, L"Success!"),
        L"Unregistered successfully\r\n\r\nNo class or type library in the 64-bit registry names this file "
        L"now.");
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_FALSE(HelperRunning());
}

// Typed or pasted, a 64-bit server gets its helper ready as well; a 32-bit one needs none.
TEST(Program64, A64BitServerPutInTheFieldGetsAHelperReady) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    app.SetPathText(ServerPath(L"testcomserver.dll"));
    app.WaitUntilIdle();
    EXPECT_FALSE(HelperRunning());
    app.SetPathText(L"\"" + ServerPath(L"testcomserver.dll") + L"\" \"" +
                    ServerPath(L"x64\\comserver64.dll") + L"\"");
    EXPECT_TRUE(WaitUntil([] { return HelperRunning(); }, 5000));
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_FALSE(HelperRunning());
}

TEST(Program64, AServerThatNeverAnswersLeavesTheWindowAnsweringAndNothingBehind) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const std::wstring title = Title(app.Main());
    app.SetPathText(ServerPath(L"x64\\hangserver64.dll"));
    Click(ClientToScreenPoint(app.Main(), kRegister.x, kRegister.y));
    ASSERT_TRUE(WaitUntil([&] { return Title(app.Main()) == title + L" - waiting for hangserver64.dll"; }));
    EXPECT_TRUE(HelperRunning());
    // Answering, painting and moving while it waits.
    for (int i = 0; i < 10; ++i) {
        DWORD_PTR ignored = 0;
        const ULONGLONG sent = GetTickCount64();
        EXPECT_NE(SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored), 0);
        EXPECT_LT(GetTickCount64() - sent, 1000u);
        RedrawWindow(app.Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(300);
    }
    EXPECT_EQ(app.FindBox(L"Error!"), nullptr) << "no question before ten seconds";

    // After ten seconds it asks; No waits on.
    HWND question = app.WaitForBox(L"Error!", 15000);
    ASSERT_NE(question, nullptr);
    const std::wstring asked = BoxText(question);
    EXPECT_NE(asked.find(L"The server's DllRegisterServer has not answered for 10 seconds."),
              std::wstring::npos)
        << testing::PrintToString(asked);
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    EXPECT_TRUE(HelperRunning());

    // Closing the window ends the helper too, and the program with it.
    PostMessageW(app.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_TRUE(WaitUntil([] { return !HelperRunning(); }, 5000));
    EXPECT_FALSE(TempFoldersLeft() != 0);
}

// A helper that waits ends anyway when its pipe breaks; only a busy one tells
// whether the job ends it with the killed program.
TEST(Program64, AHelperOfAKilledProgramDiesWithIt) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const std::wstring title = Title(app.Main());
    app.SetPathText(ServerPath(L"x64\\hangserver64.dll"));
    Click(ClientToScreenPoint(app.Main(), kRegister.x, kRegister.y));
    ASSERT_TRUE(WaitUntil([&] { return Title(app.Main()) == title + L" - waiting for hangserver64.dll"; }));
    ASSERT_TRUE(HelperRunning());
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, app.ProcessId());
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    EXPECT_TRUE(WaitUntil([] { return !HelperRunning(); }, 5000));

    // What the killed program left in the temporary folder goes when the helper is next needed.
    RunningApp next;
    ASSERT_TRUE(next.Start());
    next.SetPathText(ServerPath(L"x64\\failreg64.dll"));
    EXPECT_NE(ClickAndRead(next, kRegister, L"Error!").find(L"reported failure 0x80070005"),
              std::wstring::npos);
    EXPECT_EQ(TempFoldersLeft(), 1) << "the running program's own";
    PostMessageW(next.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(next.WaitForExit(), 0u);
    EXPECT_EQ(TempFoldersLeft(), 0);
}

// Command mode on a 64-bit system: the same switches for both kinds.
TEST(CommandMode64, CallsDllInstallOnBothKinds) {
    CheckInstallCases(ServerPath(L"x64\\recordserver64.dll"));
    CheckInstallCases(ServerPath(L"recordserver.dll"));
    EXPECT_FALSE(HelperRunning());
}

TEST(CommandMode64, RegistersEachKindInItsOwnViewFromOneLine) {
    ForgetTestClass();
    const std::wstring server64 = ServerPath(L"x64\\comserver64.dll"),
                       server32 = ServerPath(L"testcomserver.dll");
    const std::wstring both = Quoted(server64) + L" " + Quoted(server32);
    // Previewed, each kind in its own view: the 64-bit one by the helper, the
    // 32-bit one where the 64-bit registry editor finds that view; nothing is written.
    const std::wstring written = std::wstring(L"\r\n[HKEY_CLASSES_ROOT\\CLSID\\") + kTestObjectClsidText +
                                 L"\\InprocServer32]\r\n@=\"";
    const std::wstring written32 = std::wstring(L"\r\n[HKEY_CLASSES_ROOT\\WOW6432Node\\CLSID\\") +
                                   kTestObjectClsidText + L"\\InprocServer32]\r\n@=\"";
    CommandResult run = RunCommand(L"/s /preview " + both);
    EXPECT_EQ(run.exitCode, 0u);
    const size_t first = run.output.find(written), second = run.output.find(written32);
    EXPECT_NE(first, std::wstring::npos) << testing::PrintToString(run.output);
    EXPECT_NE(second, std::wstring::npos) << testing::PrintToString(run.output);
    EXPECT_LT(run.output.find(L"comserver64.dll", first + written.size()),
              run.output.find(L"\r\n", first + written.size()));
    EXPECT_EQ(ServerInView(KEY_WOW64_64KEY), std::nullopt);
    EXPECT_EQ(ServerInView(KEY_WOW64_32KEY), std::nullopt);
    run = RunCommand(L"/s " + both);
    EXPECT_EQ(run.exitCode, 0u);
    // Each file's line, and below it what names it in its own view.
    const auto registered = [](const std::wstring& server, const wchar_t* view) {
        return server + L": Registered successfully\r\n  " + server + L" is registered in the " + view +
               L" registry:\r\n  class " + kTestObjectClsidText + L" " + kTestObjectProgId +
               L" (Apartment)\r\n";
    };
    EXPECT_EQ(run.output, registered(server64, L"64-bit") + registered(server32, L"32-bit"));
    EXPECT_TRUE(SamePath(ServerInView(KEY_WOW64_64KEY), server64));
    EXPECT_TRUE(SamePath(ServerInView(KEY_WOW64_32KEY), server32));
    const std::wstring crash = ServerPath(L"x64\\crashserver64.dll");
    run = RunCommand(L"/u /s " + both + L" " + Quoted(crash), L"", true);
    EXPECT_EQ(run.exitCode, 5u);
    EXPECT_NE(
        run.output.find(crash + L": The server's DllUnregisterServer failed with an exception: C00000FD"),
        std::wstring::npos)
        << testing::PrintToString(run.output);
    EXPECT_EQ(ServerInView(KEY_WOW64_64KEY), std::nullopt);
    EXPECT_EQ(ServerInView(KEY_WOW64_32KEY), std::nullopt);
    EXPECT_FALSE(HelperRunning());
    EXPECT_EQ(TempFoldersLeft(), 0);
}

// Silent, it is ended after a minute, and no window of the program shows all
// the while; asked meanwhile, the user ends it at the window's question.
TEST(CommandMode64, AServerThatNeverAnswersIsEndedAfterAMinuteOrWhenTheUserSaysSo) {
    const std::wstring hang = ServerPath(L"x64\\hangserver64.dll");
    const ULONGLONG started = GetTickCount64();
    CommandResult silent;
    std::atomic<bool> finished{false};
    std::thread run([&] {
        silent = RunCommand(L"/s " + Quoted(hang), L"", false, 90000);
        finished = true;
    });
    DWORD pid = 0;
    EXPECT_TRUE(WaitUntil([&] { return (pid = ProcessNamed(L"tessiver.exe")) != 0; }));
    std::wstring windows;
    {
        RunningApp app;
        EXPECT_TRUE(app.Start({.arguments = L"/c " + Quoted(hang), .command = true}));
        HWND question = app.WaitForBox(L"Error!", 15000);
        EXPECT_NE(BoxText(question).find(L"The server's DllRegisterServer has not answered for 10 seconds."),
                  std::wstring::npos);
        PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
        HWND told = app.WaitForBox(L"Error!");
        EXPECT_EQ(BoxText(told), hang +
                                     L"\r\n\r\nThe server's DllRegisterServer did not answer and was ended."
                                     L"\r\nThe server may have left its work half done.");
        EXPECT_TRUE(PressOk(told));
        EXPECT_EQ(app.WaitForExit(), 5u);
    }
    while (!finished) {
        windows += WindowsOf(pid);
        Sleep(100);
    }
    run.join();
    EXPECT_EQ(windows, L"");
    EXPECT_GE(GetTickCount64() - started, 60000u);
    EXPECT_EQ(silent.exitCode, 5u);
    EXPECT_EQ(silent.output,
              hang +
                  L": The server's DllRegisterServer did not answer in 60 seconds and was ended. "
                  L"The server may have left its work half done.\r\n");
    EXPECT_FALSE(HelperRunning());
}

// The 64-bit helper loads what the program would: no planted copy, and a
// helper that only the PATH holds.
TEST(Program64, PlantedCopiesNeverLoadInTheHelper) {
    const std::wstring shadow = ServerPath(L"x64\\shadowserver64.dll"),
                       helped = ServerPath(L"x64\\pathserver\\pathserver64.dll");
    CheckPlantedCopiesNeverLoad(
        {
            {shadow, L"msimg32.dll", false, L"", 0},
            {shadow, L"msimg32.dll", true, L"", 0},
            {helped, L"pathhelper.dll", true, ServerPath(L"x64\\onpath"), 0},
            {helped, L"pathhelper.dll", true, L"", 3},
            {ServerPath(L"x64\\probe\\probeserver.dll"), L"probehelper.dll", true,
             ServerPath(L"x64\\elsewhere"), 0},
        },
        ServerPath(L"x64\\planted64.dll"));
    EXPECT_FALSE(HelperRunning());
}

// A server that writes under HKEY_CURRENT_CONFIG and leaves a link in its class
// key to a real key, of either kind: the preview tells both, and nothing real changes.
TEST(CommandMode64, APreviewReachesNothingRealOfEitherView) {
    const auto exists = [](HKEY root, const std::wstring& key, REGSAM view) {
        HKEY opened = nullptr;
        const bool found =
            RegOpenKeyExW(root, key.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | view, &opened) == ERROR_SUCCESS;
        if (found) RegCloseKey(opened);
        return found;
    };
    HKEY native = nullptr;  // the link names the system's own view; a deleted key reads no more through this
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLinkedKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                              nullptr, &native, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(native, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(kLinkedValue),
                   static_cast<DWORD>((wcslen(kLinkedValue) + 1) * sizeof(wchar_t)));
    const std::wstring classKey = std::wstring(L"Software\\Classes\\CLSID\\") + kLinkClsid;
    for (const wchar_t* server : {L"x64\\linkserver64.dll", L"linkserver.dll"}) {
        const CommandResult run = RunCommand(L"/s /preview " + Quoted(ServerPath(server)));
        EXPECT_EQ(run.exitCode, 0u) << server;
        const std::wstring told[] = {
            L"\r\n[HKEY_CURRENT_CONFIG\\" + std::wstring(kConfigKey) + L"]\r\n\"written\"=\"yes\"\r\n",
            std::wstring(L"\\Linked is a registry link to ") + kLinkedKeyNative +
                L": the preview did not follow it.",
        };
        for (const std::wstring& text : told)
            EXPECT_NE(run.output.find(text), std::wstring::npos)
                << server << testing::PrintToString(run.output);
        EXPECT_EQ(run.output.find(kLinkedValue), std::wstring::npos) << server;
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, classKey, view)) << server;
            EXPECT_FALSE(exists(HKEY_CURRENT_CONFIG, kConfigKey, view)) << server;
        }
        wchar_t value[64] = {};
        DWORD size = sizeof value;
        EXPECT_EQ(RegGetValueW(native, nullptr, L"v", RRF_RT_REG_SZ, nullptr, value, &size), ERROR_SUCCESS);
        EXPECT_STREQ(value, kLinkedValue) << server;
    }
    RegCloseKey(native);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kLinkedKey, KEY_WOW64_64KEY, 0);
}

// More classes than the helper's answer carries: the box lists the first and
// counts the rest, and the registration file says where it was cut short.
TEST(CommandMode64, A64BitPreviewOfVeryManyClassesCountsWhatItDoesNotList) {
    const std::wstring server = ServerPath(L"x64\\manyserver64.dll");
    const CommandResult run = RunCommand(L"/s /preview " + Quoted(server));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.output.find(L"\r\n; ... cut short here"), std::wstring::npos);
    RunningApp app;
    ASSERT_TRUE(app.Start({.arguments = L"/preview " + Quoted(server), .command = true}));
    HWND box = app.WaitForBox(L"Success!", 30000);
    const std::wstring text = BoxText(box);
    EXPECT_EQ(text.rfind(L"Preview done: nothing was written to the registry.\r\n\r\n" + server +
                             L" would be registered in the 64-bit registry:\r\nclass " + ManyClsid(1),
                         0),
              0u)
        << testing::PrintToString(text);
    const std::wstring more = L"\r\nand " + std::to_wstring(kManyClasses - 8) + L" more.";
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), more.size())), more)
        << testing::PrintToString(text);
    EXPECT_TRUE(PressOk(box));
    EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
