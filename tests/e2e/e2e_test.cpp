// The program as a person meets it: start-up, the commands and their message
// boxes, the registry they change, dragging, the strip buttons and closing.
#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"
#include "selfhandled.h"
#include "standin/browser.h"
#include "system/os.h"
#include "testobject.h"

using namespace e2e;

namespace {

// Button centres in the window's client area, from its layout.
constexpr POINT kSelect{460, 108};
constexpr POINT kRegister{140, 148};
constexpr POINT kUnregister{220, 148};
constexpr POINT kHome{300, 148};
constexpr POINT kAbout{460, 148};
// A spot of bare background in the title band, away from every control.
constexpr POINT kBareClient{250, 30};
// The strip picture's width and its margin from the client area's right edge.
constexpr int kStripWidth = 69;
constexpr int kStripMargin = 8;

const std::wstring kClsidKey = std::wstring(L"CLSID\\") + kTestObjectClsidText;

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct TipSearch {
    DWORD process;
    bool shown;
};

BOOL CALLBACK FindShownTip(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<TipSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t type[64] = {};
    GetClassNameW(window, type, 64);
    search.shown =
        owner == search.process && IsWindowVisible(window) && lstrcmpiW(type, TOOLTIPS_CLASSW) == 0;
    return !search.shown;
}

// Whether a tool tip of the program shows (the tip window keeps its text to itself here).
bool TipShows(DWORD process) {
    TipSearch search{process, false};
    EnumWindows(&FindShownTip, reinterpret_cast<LPARAM>(&search));
    return search.shown;
}

class ProgramTest : public ::testing::Test {
protected:
    // One program serves the tests that leave it running; each gets a clean start state.
    static void SetUpTestSuite() {
        // The program inherits it, for the field's %NAME% expansion.
        const std::wstring server = ServerPath(L"testcomserver.dll");
        SetEnvironmentVariableW(L"TESSIVER_E2E_SERVERS",
                                server.substr(0, server.find_last_of(L'\\')).c_str());
        app = std::make_unique<RunningApp>();
        started = app->Start();
    }
    static void TearDownTestSuite() { app.reset(); }

    void SetUp() override {
        ASSERT_TRUE(started) << "the program's window did not appear";
        for (const wchar_t* title : {L"Error!", L"Success!", L"About"})
            ASSERT_EQ(app->FindBox(title), nullptr) << "a message box was left open";
    }

    HWND Button(POINT centre) const { return RunningApp::ChildAt(app->Main(), centre.x, centre.y); }

    // Clicks the button and answers the box it shows: its text; empty when no box with that title shows.
    std::wstring ClickAndRead(POINT button, const std::wstring& title, HICON* icon = nullptr) const {
        Click(ClientToScreenPoint(app->Main(), button.x, button.y));
        HWND box = app->WaitForBox(title);
        if (!box) return {};
        std::wstring text = BoxText(box);
        if (icon) *icon = BoxIcon(box);
        EXPECT_TRUE(PressOk(box));
        return text;
    }

    static std::unique_ptr<RunningApp> app;
    static bool started;
};

std::unique_ptr<RunningApp> ProgramTest::app;
bool ProgramTest::started = false;

TEST_F(ProgramTest, StartsCentredAndShapedWithTheFocusInThePathField) {
    HWND main = app->Main();
    RECT outer{}, client{};
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    // 7755 twips wide; 2970 twips high on the short-framed systems, else 3045 (15 twips a pixel).
    const bool vista = services::OsShortName(services::QueryOsVersion()) == L"WinVista";
    EXPECT_EQ(outer.right - outer.left, 517);
    EXPECT_EQ(outer.bottom - outer.top, vista ? 198 : 203);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // The region is the client area, frame and caption cut away.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(main, region), ERROR);
    RECT box{};
    GetRgnBox(region, &box);
    DeleteObject(region);
    POINT origin = ClientToScreenPoint(main, 0, 0);
    EXPECT_EQ(box.left, origin.x - outer.left);
    EXPECT_EQ(box.top, origin.y - outer.top);
    // A rounded region leaves out its last column and row.
    EXPECT_EQ(box.right - box.left, client.right - 1);
    EXPECT_EQ(box.bottom - box.top, client.bottom - 1);

    EXPECT_TRUE(WaitUntil([] { return app->Focus() == app->PathField(); }));
    EXPECT_TRUE(app->PathText().empty());

    // The tip window is made when the mouse first comes, and the tip still follows that first move.
    MoveCursor(ClientToScreenPoint(main, kRegister.x, kRegister.y));
    EXPECT_TRUE(WaitUntil([] { return TipShows(app->ProcessId()); }, 5000));
    MoveCursor(ClientToScreenPoint(main, kBareClient.x, kBareClient.y));
}

TEST_F(ProgramTest, AnEmptyPathIsRefusedByBothCommands) {
    app->SetPathText(L"");
    for (POINT button : {kRegister, kUnregister}) {
        HICON icon = nullptr;
        EXPECT_EQ(ClickAndRead(button, L"Error!", &icon), L"Select an ActiveX");
        EXPECT_NE(icon, nullptr);
        EXPECT_EQ(app->FindBox(L"Success!"), nullptr);
    }
}

TEST_F(ProgramTest, RegistersAndUnregistersARealServer) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey.c_str());  // a clean registry whatever ran before
    ASSERT_FALSE(KeyExists(kClsidKey));
    const std::wstring server = ServerPath(L"testcomserver.dll");
    app->SetPathText(server);

    // Each answer says what names the file in the registry afterwards, the icon what to make of it.
    HICON information = nullptr, exclamation = nullptr, warning = nullptr;
    EXPECT_EQ(ClickAndRead(kRegister, L"Success!", &information),
              L"Registered successfully\r\n\r\n" + server +
                  L" is registered in the 32-bit registry:\r\nclass " + kTestObjectClsidText + L" " +
                  kTestObjectProgId + L" (Apartment)");
    EXPECT_EQ(lstrcmpiW(DefaultValue(kClsidKey + L"\\InprocServer32").c_str(), server.c_str()), 0);
    EXPECT_EQ(DefaultValue(kClsidKey + L"\\ProgID"), kTestObjectProgId);

    EXPECT_EQ(
        ClickAndRead(kUnregister, L"Success!"),
        L"Unregistered successfully\r\n\r\nNo class or type library in the 32-bit registry names this file "
        L"now.");
    EXPECT_FALSE(KeyExists(kClsidKey));
    EXPECT_EQ(app->PathText(), server);

    // A server that says it registered and wrote nothing: a success with the warning's icon.
    app->SetPathText(L"");
    ClickAndRead(kRegister, L"Error!", &exclamation);
    app->SetPathText(ServerPath(L"okreg.dll"));
    EXPECT_EQ(
        ClickAndRead(kRegister, L"Success!", &warning),
        L"Registered successfully\r\n\r\nBut no class or type library in the 32-bit registry names this "
        L"file.");
    EXPECT_EQ(warning, exclamation);
    EXPECT_NE(warning, information);
}

std::wstring ServersFolder() {
    const std::wstring server = ServerPath(L"testcomserver.dll");
    return server.substr(0, server.find_last_of(L'\\'));
}

// A copy of the real server at `path`, its folders made first.
std::wstring ServerCopy(const std::wstring& path) {
    for (size_t slash = ServersFolder().size() + 1; (slash = path.find(L'\\', slash)) != std::wstring::npos;
         ++slash)
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    CopyFileW(ServerPath(L"testcomserver.dll").c_str(), path.c_str(), FALSE);
    return path;
}

TEST_F(ProgramTest, ThePathFieldTakesWhatUsersBring) {
    const std::wstring server = ServerPath(L"testcomserver.dll");
    std::wstring slashed = server;
    for (wchar_t& c : slashed)
        if (c == L'\\') c = L'/';
    const std::wstring deep = ServerCopy(ServersFolder() + L"\\" + std::wstring(120, L'd') + L"\\" +
                                         std::wstring(120, L'e') + L"\\deep.dll");
    const std::wstring wide =
        ServerCopy(ServersFolder() +
                   L"\\\u03A9\u043C\u0435\u0433\u0430\\\u0441\u0435\u0440\u0432\u0435\u0440 \u2603.dll");
    ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
    const struct {
        std::wstring field;
        POINT button;
        const wchar_t* title;
        const wchar_t* says;
        std::wstring registers;  // the file the class is then registered with, if it is the test server
    } rows[] = {
        {L"\"" + server + L"\"", kRegister, L"Success!", L"Registered successfully", server},
        {L" \t " + server + L"  ", kRegister, L"Success!", L"Registered successfully", server},
        {L"%TESSIVER_E2E_SERVERS%\\testcomserver.dll", kRegister, L"Success!", L"Registered successfully",
         server},
        {slashed, kRegister, L"Success!", L"Registered successfully", server},
        {ServerPath(L"john.doe\\sfalsereg"), kRegister, L"Success!", L"Registered successfully", {}},
        {L"scrrun.dll", kRegister, L"Success!", L"Registered successfully", {}},
        {L" \t ", kRegister, L"Error!", L"Select an ActiveX", {}},
        {L"\"\"", kUnregister, L"Error!", L"Select an ActiveX", {}},
        {ServerPath(L"crashserver.dll"),
         kRegister,
         L"Error!",
         L"DllRegisterServer failed with an exception: C0000005 (access violation writing address "
         L"0x00000000) in "
         L"crashserver.dll at offset 0x",
         {}},
        {ServerPath(L"dllmaincrash.dll"),
         kRegister,
         L"Error!",
         L"The server crashed while it was being loaded, in its DllMain, before its DllRegisterServer could "
         L"run: "
         L"C0000005 (access violation writing address 0x00000000) in dllmaincrash.dll at offset 0x",
         {}},
        {ServerPath(L"raiseserver.dll"),
         kUnregister,
         L"Error!",
         L"DllUnregisterServer failed with an exception: E06D7363 (C++ exception)",
         {}},
        // The next server after a crash registers as ever; this one also sees the wait cursor.
        {ServerPath(L"selfhandled.dll"), kRegister, L"Success!", L"Registered successfully", {}},
        {deep, kRegister, L"Success!", L"Registered successfully", deep},
        {wide, kRegister, L"Success!", L"Registered successfully", wide},
        {ServerPath(L"probe\\probeserver.dll"),
         kRegister,
         L"Error!",
         L"The file could not be loaded: it needs probemiddle.dll, which needs probehelper.dll, which was "
         L"not found "
         L"in the server's folder or where the system looks for DLLs. (error 126)",
         {}},
        {ServerPath(L"no-such-server.dll"), kRegister, L"Error!", L"The file does not exist.", {}},
        {L"no-such-server.dll",
         kRegister,
         L"Error!",
         L"No file of that name was found where the system looks",
         {}},
        {ServersFolder(), kRegister, L"Error!", L"This is a folder, not a file.", {}},
        {L"CON", kRegister, L"Error!", L"This is the name of a device, not of a file.", {}},
        {L"C:\\a<b>.dll", kRegister, L"Error!", L"This is not a valid path: it holds the character <", {}},
        // This prefix is a 32-bit system.
        {ServerPath(L"x64server.dll"),
         kRegister,
         L"Error!",
         L"The file is a 64-bit server: only 64-bit Windows can load it, and this system is 32-bit.",
         {}},
        {ServerPath(L"plain.dll"), kUnregister, L"Error!", L"no DllUnregisterServer export", {}},
        {ServerPath(L"failreg.dll"), kRegister, L"Error!", L"reported failure 0x80070005", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "field " << testing::PrintToString(row.field));
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey.c_str());
        app->SetPathText(row.field);
        const std::wstring text = ClickAndRead(row.button, row.title);
        EXPECT_NE(text.find(row.says), std::wstring::npos) << testing::PrintToString(text);
        EXPECT_EQ(app->PathText(), row.field);
        if (!row.registers.empty()) {
            EXPECT_EQ(lstrcmpiW(DefaultValue(kClsidKey + L"\\InprocServer32").c_str(), row.registers.c_str()),
                      0);
        }
    }
    EXPECT_EQ(SelfHandledNote(L"Handled"), 1u);
    EXPECT_EQ(SelfHandledNote(L"WaitCursor"), 1u);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kClsidKey.c_str());
}

TEST_F(ProgramTest, SeveralFilesGetOneBox) {
    const std::wstring good = ServerPath(L"testcomserver.dll");
    const std::wstring other = ServerPath(L"sfalsereg.dll");
    const std::wstring missing = ServerPath(L"no-such-server.dll");
    const std::wstring crash = ServerPath(L"crashserver.dll");

    app->SetPathText(L"\"" + good + L"\" \"" + missing + L"\"  \"" + crash + L"\"");
    const std::wstring mixed = ClickAndRead(kRegister, L"Error!");
    EXPECT_EQ(mixed.rfind(L"Registered 1 of 3 files.\r\n\r\n1. " + good +
                              L"\r\nRegistered successfully\r\nIn the 32-bit registry: 1 class.\r\n\r\n2. " +
                              missing + L"\r\nThe file does not exist.\r\n\r\n3. " + crash +
                              L"\r\nThe server's DllRegisterServer failed with an exception: C0000005",
                          0),
              0u)
        << testing::PrintToString(mixed);
    EXPECT_TRUE(KeyExists(kClsidKey));

    // The Open dialog's own joined form is understood too.
    app->SetPathText(good + L"\r\n" + other);
    const std::wstring nothing = L"No class or type library in the 32-bit registry names this file now.";
    EXPECT_EQ(ClickAndRead(kUnregister, L"Success!"), L"Unregistered successfully\r\n\r\n1. " + good +
                                                          L"\r\n" + nothing + L"\r\n\r\n2. " + other +
                                                          L"\r\n" + nothing);
    EXPECT_FALSE(KeyExists(kClsidKey));

    // Chosen together in the Open dialog, they fill the field quoted, and register together.
    Click(ClientToScreenPoint(app->Main(), kSelect.x, kSelect.y));
    HWND dialog = app->WaitForBox(L"Open ActiveX");
    ASSERT_NE(dialog, nullptr);
    HWND name = GetDlgItem(dialog, 0x47C);  // the file name box
    if (!name) name = GetDlgItem(dialog, 0x480);
    ASSERT_NE(name, nullptr);
    const std::wstring folder = good.substr(0, good.find_last_of(L'\\'));
    for (const std::wstring& typed : {folder, std::wstring(L"\"testcomserver.dll\" \"sfalsereg.dll\"")}) {
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
        // Sent, not posted: the dialog has moved to the folder when the first returns.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0, SMTO_ABORTIFHUNG, 5000,
                            &ignored);
    }
    ASSERT_TRUE(WaitUntil([dialog] { return !IsWindow(dialog); }));
    EXPECT_EQ(app->PathText(), L"\"" + good + L"\" \"" + other + L"\"");
    EXPECT_EQ(ClickAndRead(kRegister, L"Success!").rfind(L"Registered successfully\r\n\r\n1. " + good, 0),
              0u);
    EXPECT_TRUE(KeyExists(kClsidKey));
    EXPECT_EQ(ClickAndRead(kUnregister, L"Success!").rfind(L"Unregistered successfully\r\n\r\n1. " + good, 0),
              0u);
}

// No browser registered: the desktop's shell refuses, and the program says so.
TEST_F(ProgramTest, AShellRefusalIsExplained) {
    const std::wstring command = L"https\\shell\\open\\command";
    const std::wstring saved = DefaultValue(command);
    ASSERT_FALSE(saved.empty());
    ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, command.c_str()), ERROR_SUCCESS);
    const std::wstring text = ClickAndRead(kHome, L"Error!");
    RegSetKeyValueW(HKEY_CLASSES_ROOT, command.c_str(), nullptr, REG_SZ, saved.c_str(),
                    static_cast<DWORD>((saved.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(text.rfind(L"The page could not be opened:\r\n" TESSIVER_HOME_PAGE L"\r\n\r\n", 0), 0u)
        << testing::PrintToString(text);
    EXPECT_NE(text.find(L"refused"), std::wstring::npos) << testing::PrintToString(text);
}

TEST_F(ProgramTest, EnterInThePathFieldRegisters) {
    app->SetPathText(ServerPath(L"plain.dll"));
    Click(app->PathField());
    ASSERT_TRUE(WaitUntil([] { return app->Focus() == app->PathField(); }));
    ASSERT_TRUE(app->Activate());
    Keys({VK_RETURN});
    HWND box = app->WaitForBox(L"Error!");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(BoxText(box).find(L"no DllRegisterServer export"), std::wstring::npos);
    EXPECT_TRUE(PressOk(box));
}

TEST_F(ProgramTest, AboutShowsFourLinesAndNoIcon) {
    HICON icon = nullptr;
    EXPECT_EQ(ClickAndRead(kAbout, L"About", &icon),
              L"ActiveX DLL, OCX & AX korvatter\r\nDeveloper Orvik\r\nCEO of Quorvane "
              L"System\r\nWeb: " TESSIVER_HOME_PAGE);
    EXPECT_EQ(icon, nullptr);
}

// The pixels of a window as the screen shows them.
std::vector<COLORREF> Grab(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// A press on a button without the focus moves the focus there first; the press
// goes on as one, drawn down, and ends in exactly one Click.
TEST_F(ProgramTest, APressThatMovesTheFocusStaysAPressAndClicksOnce) {
    ASSERT_TRUE(app->Activate());
    const HWND about = Button(kAbout);
    const POINT at = ClientToScreenPoint(app->Main(), kAbout.x, kAbout.y);
    const POINT away = ClientToScreenPoint(app->Main(), kBareClient.x, kBareClient.y);
    auto settle = [] {
        app->WaitUntilIdle();
        Sleep(150);
    };
    auto pressAndNudge = [&] {
        MoveCursor(at);
        MouseButtons(MOUSEEVENTF_LEFTDOWN);
        MoveCursor(POINT{at.x + 2, at.y});
        settle();
        return Grab(about);
    };
    auto releaseAway = [&] {
        MoveCursor(away);
        MouseButtons(MOUSEEVENTF_LEFTUP);
        settle();
    };
    auto focusPathField = [&] {
        Click(CentreOf(app->PathField()));
        ASSERT_TRUE(WaitUntil([] { return app->Focus() == app->PathField(); }));
    };

    // The faces of the button with the focus: down while pressed, hot under the cursor.
    releaseAway();
    pressAndNudge();
    releaseAway();
    ASSERT_EQ(app->Focus(), about);
    const std::vector<COLORREF> down = pressAndNudge();
    releaseAway();
    MoveCursor(at);
    settle();
    const std::vector<COLORREF> hot = Grab(about);
    ASSERT_NE(down, hot);

    focusPathField();
    EXPECT_EQ(pressAndNudge(), down);
    MouseButtons(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PressOk(app->WaitForBox(L"About")));
    Sleep(400);
    EXPECT_EQ(app->FindBox(L"About"), nullptr) << "one press, one click";

    // Space pressed and released while the mouse still holds the button: no click until the release.
    focusPathField();
    pressAndNudge();
    Keys({VK_SPACE});
    settle();
    EXPECT_EQ(app->FindBox(L"About"), nullptr);
    MouseButtons(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PressOk(app->WaitForBox(L"About")));
    Sleep(400);
    EXPECT_EQ(app->FindBox(L"About"), nullptr) << "one press, one click";
    MoveCursor(away);
}

TEST_F(ProgramTest, OnlyTheLeftButtonDragsTheWindow) {
    HWND main = app->Main();
    RECT before{};
    GetWindowRect(main, &before);
    const POINT start = ClientToScreenPoint(main, kBareClient.x, kBareClient.y);

    // The right button first: input is handled in order, so once the left drag
    // has ended, this one has been handled too.
    MoveCursor(start);
    MouseButtons(MOUSEEVENTF_RIGHTDOWN);
    MoveCursor(POINT{start.x + 60, start.y + 50});
    MouseButtons(MOUSEEVENTF_RIGHTUP);

    MoveCursor(start);
    MouseButtons(MOUSEEVENTF_LEFTDOWN);
    MoveCursor(POINT{start.x + 1, start.y});  // the move that starts the drag
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE); }));
    MoveCursor(POINT{start.x + 41, start.y + 30});
    MouseButtons(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitUntil([&] { return GetGUIThreadInfo(thread, &info) && !(info.flags & GUI_INMOVESIZE); }));

    RECT after{};
    GetWindowRect(main, &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 30);
}

TEST_F(ProgramTest, SelectOpensTheOpenDialogAndCancelEmptiesThePath) {
    app->SetPathText(L"C:\\somewhere\\server.ocx");
    Click(ClientToScreenPoint(app->Main(), kSelect.x, kSelect.y));
    HWND dialog = app->WaitForBox(L"Open ActiveX");
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([dialog] { return !IsWindow(dialog); }));
    EXPECT_TRUE(WaitUntil([] { return app->PathText().empty(); }));
}

// The strip's zones, found where the strip is placed: the client's right edge, less the margin.
struct StripZones {
    HWND min = nullptr;
    HWND close = nullptr;
};

StripZones FindStrip(HWND main) {
    RECT client{};
    GetClientRect(main, &client);
    const int left = client.right - kStripMargin - kStripWidth;
    HWND strip = RunningApp::ChildAt(main, left + 30, 10);
    StripZones zones;
    if (!strip) return zones;
    zones.min = RunningApp::ChildAt(strip, 10, 10);
    zones.close = RunningApp::ChildAt(strip, 45, 10);
    return zones;
}

TEST(ClosingTest, TheStripMinimisesAndClosesAndTheProcessEnds) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    const StripZones zones = FindStrip(app.Main());
    ASSERT_NE(zones.min, nullptr);
    ASSERT_NE(zones.close, nullptr);
    ASSERT_NE(zones.min, zones.close);

    Click(zones.min);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(app.Main()) != FALSE; }));
    PostMessageW(app.Main(), WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsIconic(app.Main()); }));
    // The restore's activation comes from the display server later; a press in between loses
    // its capture to it, as it would for a person clicking within the same instant.
    ASSERT_TRUE(app.Activate());
    app.WaitUntilIdle();

    Click(zones.close);
    EXPECT_EQ(app.WaitForExit(), 0u);
}

// System DLLs the program binds when a command first needs them, planted as
// files that mark their loading; the platform told to prefer such copies.
const wchar_t* const kPlantedNames[] = {L"oleacc.dll", L"comdlg32.dll", L"shell32.dll"};

std::vector<std::wstring> ModulesOf(DWORD process) {
    std::vector<std::wstring> modules;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    if (snapshot == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry))
        modules.push_back(entry.szExePath);
    CloseHandle(snapshot);
    return modules;
}

bool Marked(const std::wstring& folder, const wchar_t* name) {
    return GetFileAttributesW((folder + L"\\" + name + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Plant(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : kPlantedNames) {
        DeleteFileW((folder + L"\\" + name + L".loaded").c_str());
        CopyFileW(ServerPath(L"planted.dll").c_str(), (folder + L"\\" + name).c_str(), FALSE);
    }
}

TEST(PlantedDllTest, NoneBesideTheProgramOrInItsCurrentFolderLoads) {
    const std::wstring programFolder = ServerPath(L"planted program");
    const std::wstring currentFolder = ServerPath(L"planted current");
    Plant(programFolder);
    Plant(currentFolder);
    const std::wstring program = programFolder + L"\\tessiver.exe";
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), program.c_str(), FALSE));
    // The mark shows when such a file does load.
    const std::wstring probe = ServerPath(L"planted.dll");
    FreeLibrary(LoadLibraryW(probe.c_str()));
    ASSERT_TRUE(Marked(ServerPath(L""), L"planted.dll"));

    // Told to prefer such copies, as Windows prefers them for DLLs it does not protect.
    const wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\tessiver.exe\\DllOverrides";
    for (const wchar_t* name : {L"oleacc", L"comdlg32", L"shell32"})
        RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides, name, REG_SZ, L"native,builtin", 30);
    // Wine reads them at every load, so they stay until the program has gone.
    struct Overrides {
        ~Overrides() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\tessiver.exe"); }
    } overrides;
    RunningApp planted;
    ASSERT_TRUE(planted.Start({program, currentFolder}));

    // A screen reader's first question, the Open dialog, and a web command.
    HWND main = planted.Main();
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(main, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&object)),
              S_OK);
    object->Release();
    CoUninitialize();
    Click(ClientToScreenPoint(main, kSelect.x, kSelect.y));
    // A planted copy would show no dialog and no box; the marks then say why.
    HWND dialog = planted.WaitForBox(L"Open ActiveX", 5000);
    EXPECT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([dialog] { return !IsWindow(dialog); }));
    const std::wstring command = L"https\\shell\\open\\command";
    const std::wstring saved = DefaultValue(command);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, command.c_str());
    Click(ClientToScreenPoint(main, kHome.x, kHome.y));
    HWND box = planted.WaitForBox(L"Error!", 5000);
    RegSetKeyValueW(HKEY_CLASSES_ROOT, command.c_str(), nullptr, REG_SZ, saved.c_str(),
                    static_cast<DWORD>((saved.size() + 1) * sizeof(wchar_t)));
    EXPECT_NE(box, nullptr);
    if (box) PressOk(box);
    // Whatever the platform loaded by then, a copy preferred or not, came from elsewhere.
    const std::vector<std::wstring> modules = ModulesOf(planted.ProcessId());
    ASSERT_GT(modules.size(), 1u);
    for (const std::wstring& module : modules) {
        if (lstrcmpiW(module.c_str(), program.c_str()) == 0) continue;
        for (const std::wstring& folder : {programFolder, currentFolder})
            EXPECT_NE(CompareStringOrdinal(module.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                           -1, TRUE),
                      CSTR_EQUAL)
                << module;
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(planted.WaitForExit(), 0u);

    for (const std::wstring& folder : {programFolder, currentFolder})
        for (const wchar_t* name : kPlantedNames)
            EXPECT_FALSE(Marked(folder, name)) << folder << L"\\" << name;
}

TEST(ClosingTest, AltF4EndsTheProcess) {
    RunningApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Activate());
    Keys({VK_MENU, VK_F4});
    EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
