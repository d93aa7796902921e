// The main window as built from the description embedded in this test
// program: its layout, host tool tips, link label, strip pictures and the
// texts the commands show.
#include "main/frmreg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "leftobjects.h"
#include "outcome/failure.h"
#include "pefile.h"
#include "pump.h"
#include "runtime/dibimage.h"
#include "runtime/dpi.h"
#include "runtime/gdi.h"
#include "runtime/tooltip.h"
#include "testdirs.h"
#include "testobject.h"

namespace {

TEST(FrmRegRules, FileNameAndOuterHeight) {
    const struct {
        const wchar_t* path;
        const wchar_t* file;
    } files[] = {
        {L"C:\\dir\\server.ocx", L"server.ocx"},
        {L"server.ocx", L""},
        {L"C:\\dir\\", L""},
        {L"", L""},
        {L"\\a.dll", L"a.dll"},
        {L"C:/dir/x.ocx", L""},
    };
    for (const auto& f : files) EXPECT_EQ(frmReg::file(f.path), f.file) << f.path;

    EXPECT_EQ(OuterHeightTwips(L"WinVista"), 2970);
    for (const wchar_t* other : {L"", L"WinXP", L"winvista", L"WinVista "})
        EXPECT_EQ(OuterHeightTwips(other), 3045);
}

TEST(FrmRegRules, EveryRefusalIsExplained) {
    using Kind = services::LoadProblem::Kind;
    const auto outcome = [](rt::ErrorInfo err, services::LoadProblem problem = {}) {
        services::RegistrationOutcome o;
        o.Server.given = L"C:\\x\\server.ocx";
        o.Err = std::move(err);
        o.Problem = std::move(problem);
        return o;
    };
    const rt::ErrorInfo missing{services::failure::LibraryMissing, L"clsReg", L"library missing!",
                                ERROR_MOD_NOT_FOUND, 0};
    const rt::ErrorInfo badFormat{services::failure::LibraryMissing, L"clsReg", L"library missing!",
                                  ERROR_BAD_EXE_FORMAT, 0};
    const struct {
        services::RegistrationOutcome outcome;
        bool registering;
        const wchar_t* expected;
    } cases[] = {
        // Missing files and helpers, 64-bit DLLs, missing exports, crashes and refusing servers are met end
        // to end.
        {outcome(missing), true,
         L"The file could not be loaded: a DLL it depends on was not found. (error 126)"},
        {outcome({services::failure::LibraryMissing, L"clsReg", L"library missing!", ERROR_ACCESS_DENIED, 0}),
         true, L"(error 5)"},
        {outcome(badFormat, {Kind::Damaged, L"its section table lies beyond its end", {}}), true,
         L"The file could not be loaded: it is damaged: its section table lies beyond its end. (error 193)"},
        {outcome(missing, {Kind::OtherMachine, {}, {L"a.dll", L"b.dll"}}), true,
         L"it needs a.dll, which needs b.dll, which is not a 32-bit DLL. (error 126)"},
        {outcome({static_cast<long>(E_UNEXPECTED), L"clsReg", L"DllUnregisterServer failed", 0,
                  static_cast<long>(E_UNEXPECTED)}),
         false, L"DllUnregisterServer reported failure 0x8000FFFF"},
        {outcome({}), true, L"could not be registered"},
        // What only the 64-bit road meets, in the same box.
        {outcome({services::failure::Needs64BitWindows, L"clsReg", L"", ERROR_BAD_EXE_FORMAT, 0}), true,
         L"The file is a 64-bit server: only 64-bit Windows can load it, and this system is 32-bit."},
        {outcome({services::failure::ServerLoadException, L"clsReg",
                  L"C0000005 (access violation) in x.dll at offset 0x10", ERROR_NOACCESS,
                  static_cast<long>(0xC0000005)}),
         false,
         L"The server crashed while it was being loaded, in its DllMain, before its DllUnregisterServer "
         L"could "
         L"run: C0000005 (access violation) in x.dll at offset 0x10."},
        {outcome({services::failure::HelperEnded, L"clsReg", L"", 0xC0000374, 0}), true,
         L"The server ended the process that ran it (exit code 0xC0000374) before its DllRegisterServer "
         L"answered."},
        {outcome({services::failure::HelperEnded, L"clsReg", L"", 7, 0}), true, L"(exit code 7)"},
        {outcome({services::failure::NotAnswering, L"clsReg", L"", 0, 0}), true,
         L"The server's DllRegisterServer did not answer and was ended."},
        {outcome({services::failure::HelperUnavailable, L"clsReg", L"", ERROR_ACCESS_DENIED, 0}), true,
         L"The program's 64-bit helper, which runs 64-bit servers, could not be started."},
    };
    for (const auto& c : cases) {
        const std::wstring text = RegistrationReport({c.outcome}, c.registering);
        EXPECT_EQ(text.rfind(c.outcome.Path() + L"\r\n\r\n", 0), 0u) << "the path leads the message";
        EXPECT_NE(text.find(c.expected), std::wstring::npos) << testing::PrintToString(text);
    }
    // A DLL on the way is judged by the loader that met it.
    services::RegistrationOutcome inHelper = outcome(missing, {Kind::OtherMachine, {}, {L"a.dll"}});
    inHelper.Server.road = services::Road::Helper;
    EXPECT_NE(RegistrationFailureText(inHelper, true).find(L"it needs a.dll, which is not a 64-bit DLL."),
              std::wstring::npos);

    // Real servers meet the commonest runtime DLLs; a debug build's and one of the wrong kind only here.
    services::RegistrationOutcome runtime = outcome(missing, {Kind::OtherMachine, {}, {L"MSVCR120.dll"}});
    runtime.Server.road = services::Road::Helper;
    EXPECT_NE(
        RegistrationFailureText(runtime, true)
            .find(L"which is not a 64-bit DLL. (error 126)\r\nMSVCR120.dll comes with the Microsoft Visual "
                  L"C++ 2013 Redistributable (x64)"),
        std::wstring::npos);
    EXPECT_NE(
        RegistrationFailureText(outcome(missing, {Kind::MissingDll, {}, {L"vcruntime140d.dll"}}), true)
            .find(L"belongs to a debug build of the Visual C++ runtime, which only Visual Studio installs"),
        std::wstring::npos);
    services::RegistrationOutcome assembly = outcome(
        {services::failure::NotExported, L"clsReg", L"not a exported function!", ERROR_PROC_NOT_FOUND, 0});
    assembly.DotNetAssembly = true;
    EXPECT_NE(RegistrationFailureText(assembly, false).find(L"unregister it with regasm /u"),
              std::wstring::npos);

    // Only a whole success is the success text; otherwise every file is listed.
    services::RegistrationOutcome done = outcome({});
    done.Succeeded = true;
    EXPECT_EQ(RegistrationReport({done, done}, false), L"Unregistered successfully");
    EXPECT_EQ(
        RegistrationReport({outcome({}), done}, false),
        L"Unregistered 1 of 2 files.\r\n\r\n1. C:\\x\\server.ocx\r\nThe server could not be unregistered."
        L"\r\n\r\n2. C:\\x\\server.ocx\r\nUnregistered successfully");

    // The shell's answer is read where it carries a reason.
    const struct {
        HRESULT answer;
        const wchar_t* reason;
    } refusals[] = {
        {S_FALSE, L"The shell refused to open it."},
        {HRESULT_FROM_WIN32(ERROR_NO_ASSOCIATION), L"(error 1155)"},
        {E_ACCESSDENIED, L"(error 5)"},
        {E_FAIL, L"The shell refused to open it. (0x80004005)"},
    };
    for (const auto& r : refusals) {
        const std::wstring text = PageRefusalText(L"https://x", r.answer);
        EXPECT_EQ(text.rfind(L"The page could not be opened:\r\nhttps://x\r\n\r\n", 0), 0u) << r.answer;
        EXPECT_NE(text.find(r.reason), std::wstring::npos) << testing::PrintToString(text);
    }
}

services::RegistryNames Names(size_t classes, size_t typeLibs) {
    services::RegistryNames names{services::RegistryView::Bits32, L"C:\\x\\server.ocx", {}, {}};
    for (size_t i = 1; i <= classes; ++i)
        names.classes.push_back({L"{C" + std::to_wstring(i) + L"}",
                                 i == 2 ? L"" : L"X.Y" + std::to_wstring(i), L"X object",
                                 i == 3 ? L"" : L"Both"});
    for (size_t i = 1; i <= typeLibs; ++i)
        names.typeLibs.push_back({L"{L" + std::to_wstring(i) + L"}", L"1.0", L"X library"});
    return names;
}

TEST(FrmRegRules, WhatTheRegistryHoldsFollowsTheFirstLine) {
    const auto outcome = [](bool succeeded, std::optional<services::RegistryNames> names) {
        services::RegistrationOutcome o;
        o.Server.given = L"C:\\x\\server.ocx";
        o.Succeeded = succeeded;
        if (!succeeded) o.Err = {static_cast<long>(E_FAIL), L"clsReg", L"", 0, static_cast<long>(E_FAIL)};
        o.Names = std::move(names);
        return o;
    };
    // What real servers do not show: type libraries, a failed export, nothing read.
    const struct {
        services::RegistrationOutcome outcome;
        bool registering;
        const wchar_t* text;
        bool warns;
    } cases[] = {
        {outcome(true, Names(2, 1)), true,
         L"Registered successfully\r\n\r\nC:\\x\\server.ocx is registered in the 32-bit registry:\r\n"
         L"class {C1} X.Y1 (Both)\r\nclass {C2} \"X object\" (Both)\r\ntype library {L1} 1.0 X library",
         false},
        {outcome(true, Names(8, 2)), false,
         L"But 8 classes and 2 type libraries in the 32-bit registry still name this file:\r\nclass {C1}",
         true},
        // A failed export may have left its work half done; nothing is added when nothing names the file.
        {outcome(false, Names(0, 1)), true,
         L"C:\\x\\server.ocx\r\n\r\nThe server's DllRegisterServer reported failure 0x80004005.", false},
        {outcome(false, Names(0, 1)), true,
         L"\r\n\r\n1 type library in the 32-bit registry names this file now:\r\ntype library {L1} 1.0 X "
         L"library",
         false},
        {outcome(true, std::nullopt), true, L"Registered successfully", false},
    };
    for (const auto& c : cases) {
        const std::wstring text = RegistrationReport({c.outcome}, c.registering);
        EXPECT_NE(text.find(c.text), std::wstring::npos) << testing::PrintToString(text);
        EXPECT_EQ(RegistryNamesWarn(c.outcome, c.registering), c.warns) << testing::PrintToString(text);
    }
    EXPECT_EQ(RegistrationReport({outcome(false, Names(0, 0))}, false).find(L"registry"), std::wstring::npos);
    EXPECT_EQ(
        RegistrationReport({outcome(true, Names(1, 0)), outcome(false, Names(0, 0))}, false)
            .rfind(
                L"Unregistered 1 of 2 files.\r\n\r\n1. C:\\x\\server.ocx\r\nUnregistered successfully\r\nBut "
                L"1 class in the 32-bit registry still names this file.\r\n\r\n2. C:\\x\\server.ocx\r\nThe "
                L"server's DllUnregisterServer reported failure 0x80004005.\r\n",
                0),
        0u);
}

class FrmRegWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window.Load(GetModuleHandleW(nullptr));
        window.Show();
    }

    template <class T>
    T& Control(const wchar_t* name) {
        T* control = window.Form().Find<T>(name);
        EXPECT_NE(control, nullptr) << "no control " << std::string(name, name + wcslen(name));
        return *control;
    }

    RECT Placed(const wchar_t* name) {
        // The store of strip pictures lies out of sight, without windows.
        if (auto* image = window.Form().Find<rt::ImageZone>(name)) return image->Bounds();
        HWND hwnd = window.Form().Find(name)->hWnd();
        RECT r{};
        GetWindowRect(hwnd, &r);
        MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    bool StripShows(const wchar_t* image) {
        return Control<rt::PictureBox>(L"picN").Picture() == Control<rt::ImageZone>(image).Picture();
    }

    frmReg window;
};

TEST_F(FrmRegWindow, ControlsSitWhereTheLayoutPutsThem) {
    const struct {
        const wchar_t* name;
        RECT bounds;
    } layout[] = {
        // The buttons the end-to-end run clicks are found there by their places already.
        {L"txtSource", {16, 64, 497, 89}},       {L"cmdHome", {264, 136, 337, 161}},
        {L"cmdCommunity", {344, 136, 417, 161}}, {L"btnClose", {24, 0, 65, 25}},
        {L"imgMinD", {152, 328, 221, 348}},
    };
    for (const auto& c : layout) {
        const RECT r = Placed(c.name);
        EXPECT_TRUE(EqualRect(&r, &c.bounds)) << std::string(c.name, c.name + wcslen(c.name)) << " at "
                                              << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
    }
    // Labels size themselves to their text from their stored corner.
    EXPECT_EQ(Placed(L"lblSource").left, 16);
    EXPECT_EQ(Placed(L"lblSource").top, 48);
    EXPECT_EQ(Placed(L"lblLink").top, 104);
}

TEST_F(FrmRegWindow, TabOrderDefaultButtonToolTipsAndLink) {
    rt::Form& form = window.Form();
    const wchar_t* order[] = {L"txtSource", L"picN",    L"lblSource", L"cmdBrowse",    L"cmdReg",
                              L"cmdUnreg",  L"cmdHome", L"cmdAbout",  L"cmdCommunity", L"lblLink"};
    for (int i = 0; i < static_cast<int>(std::size(order)); ++i)
        EXPECT_EQ(form.Find(order[i])->TabIndex(), i);
    EXPECT_EQ(form.Default(), form.Find(L"cmdReg"));
    EXPECT_EQ(GetFocus(), form.Find(L"txtSource")->hWnd());

    EXPECT_EQ(form.ToolTips().Text(form.Find(L"cmdCommunity")->hWnd()), L"Join our community & get support");
    EXPECT_EQ(form.ToolTips().Text(form.Find(L"cmdReg")->hWnd()), L"Click to register activeX");
    EXPECT_EQ(Control<rt::ImageZone>(L"btnClose").ToolTipText(), L"Close (Alt + F4)");

    rt::Label& link = Control<rt::Label>(L"lblLink");
    EXPECT_EQ(link.Caption(), kHomePage);
    EXPECT_EQ(link.ForeColor(), 0xFF0000);  // blue
    EXPECT_TRUE(link.Font()->Underline());
    EXPECT_EQ(link.MousePointer(), 99);
    ASSERT_NE(link.MouseIcon(), nullptr);
    EXPECT_NE(link.MouseIcon()->Icon(), nullptr);
}

TEST_F(FrmRegWindow, NoBackColourShowsInsideTheWindowRegion) {
    const HWND hwnd = window.hWnd();
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    UpdateWindow(hwnd);
    Pump();
    rt::gdi::Region region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(hwnd, region.Get()), ERROR);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    rt::DibImage grab;
    ASSERT_TRUE(grab.Resize(outer.right - outer.left, outer.bottom - outer.top, RGB(0, 0, 0)));
    {
        rt::gdi::ClientDC screen(nullptr);
        BitBlt(grab.Dc(), 0, 0, grab.Width(), grab.Height(), screen.Get(), outer.left, outer.top, SRCCOPY);
    }
    const rt::PixelView pixels = grab.Pixels();
    long shown = 0, backColour = 0;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (PtInRegion(region.Get(), x, y)) {
                ++shown;
                if (pixels.ColorAt(x, y) == RGB(0, 255, 255)) ++backColour;
            }
    EXPECT_GT(shown, 500L * 160);  // the client area, less the corners
    EXPECT_EQ(backColour, 0);
}

TEST_F(FrmRegWindow, StripFollowsTheMouseAndKeepsItsPlace) {
    rt::PictureBox& strip = Control<rt::PictureBox>(L"picN");
    auto expectPlaced = [&] {
        EXPECT_EQ(strip.Left() + strip.Width() + 8, window.Form().ScaleWidth());
        EXPECT_EQ(strip.Top(), 0);
    };
    expectPlaced();
    EXPECT_EQ(strip.Width(), 69);  // the strip picture's own size
    EXPECT_TRUE(StripShows(L"imgNormal"));

    HWND min = window.Form().Find(L"btnMin")->hWnd();
    HWND close = window.Form().Find(L"btnClose")->hWnd();
    const struct {
        HWND target;
        UINT message;
        WPARAM keys;
        const wchar_t* shown;
    } steps[] = {
        {min, WM_MOUSEMOVE, 0, L"imgMinH"},
        {min, WM_LBUTTONDOWN, MK_LBUTTON, L"imgMinD"},
        {close, WM_MOUSEMOVE, MK_LBUTTON, L"imgCloseH"},  // pressed elsewhere: the picture still follows
        {close, WM_RBUTTONDOWN, MK_RBUTTON, L"imgCloseD"},
        {window.hWnd(), WM_MOUSEMOVE, MK_RBUTTON, L"imgNormal"},  // no drag without the left button alone
        {min, WM_MOUSEMOVE, 0, L"imgMinH"},
    };
    RECT before{};
    GetWindowRect(window.hWnd(), &before);
    for (const auto& s : steps) {
        SendMessageW(s.target, s.message, s.keys, MAKELPARAM(5, 5));
        ReleaseCapture();
        EXPECT_TRUE(StripShows(s.shown)) << std::string(s.shown, s.shown + wcslen(s.shown));
    }
    RECT after{};
    GetWindowRect(window.hWnd(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));

    // Minimising and restoring shows the strip at rest, in its place.
    window.Form().SetWindowState(rt::WindowState::Minimized);
    window.Form().SetWindowState(rt::WindowState::Normal);
    EXPECT_TRUE(StripShows(L"imgNormal"));
    expectPlaced();
}

// A move to a screen of twice the scale and back, as the system reports it.
TEST_F(FrmRegWindow, FollowsAMoveToAScreenOfAnotherScaleAndBack) {
    HWND main = window.hWnd();
    auto moveTo = [main](int dpi) {
        RECT outer{};
        GetWindowRect(main, &outer);
        const int from = rt::CurrentDpi();
        RECT suggested{outer.left, outer.top, outer.left + MulDiv(outer.right - outer.left, dpi, from),
                       outer.top + MulDiv(outer.bottom - outer.top, dpi, from)};
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    };
    auto bigIconWidth = [main] {
        ICONINFO info{};
        if (!GetIconInfo(reinterpret_cast<HICON>(SendMessageW(main, WM_GETICON, ICON_BIG, 0)), &info))
            return 0L;
        BITMAP bitmap{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        return bitmap.bmWidth;
    };
    rt::PictureBox& strip = Control<rt::PictureBox>(L"picN");
    rt::Label& link = Control<rt::Label>(L"lblLink");
    const RECT home = Placed(L"cmdHome"), path = Placed(L"txtSource"), linkAt96 = Placed(L"lblLink");
    const RECT captionAt96 = Control<aero::AeroButton>(L"cmdHome").CaptionRect();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    auto tipFontHeight = [this] {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.Form().ToolTips().hWnd(), WM_GETFONT, 0, 0)),
                   sizeof font, &font);
        return std::abs(font.lfHeight);
    };

    for (int dpi : {192, 96}) {
        SCOPED_TRACE(dpi);
        moveTo(dpi);
        auto scaled = [dpi](RECT r) {
            return RECT{MulDiv(r.left, dpi, 96), MulDiv(r.top, dpi, 96), MulDiv(r.right, dpi, 96),
                        MulDiv(r.bottom, dpi, 96)};
        };
        const RECT homeNow = Placed(L"cmdHome"), homeWanted = scaled(home);
        const RECT pathNow = Placed(L"txtSource"), pathWanted = scaled(path);
        EXPECT_TRUE(EqualRect(&homeNow, &homeWanted));
        EXPECT_TRUE(EqualRect(&pathNow, &pathWanted));
        RECT outer{}, client{};
        GetWindowRect(main, &outer);
        GetClientRect(main, &client);
        EXPECT_EQ(outer.right - outer.left, MulDiv(517, dpi, 96));  // 7755 twips
        EXPECT_EQ(strip.Width(), MulDiv(69, dpi, 96));
        EXPECT_EQ(strip.Left() + strip.Width() + MulDiv(8, dpi, 96), client.right);
        ASSERT_NE(window.Form().Picture(), nullptr);
        EXPECT_GE(window.Form().Picture()->PixelWidth(), client.right);
        EXPECT_GE(window.Form().Picture()->PixelHeight(), client.bottom);
        // The link's text, hand cursor and the window's icon at the new scale.
        const RECT linkNow = Placed(L"lblLink");
        EXPECT_GE(linkNow.bottom - linkNow.top, MulDiv(linkAt96.bottom - linkAt96.top, dpi, 96) - 2);
        EXPECT_EQ(link.MouseIcon()->PixelWidth(), rt::MetricForDpi(SM_CXCURSOR, dpi));
        EXPECT_EQ(bigIconWidth(), rt::MetricForDpi(SM_CXICON, dpi));
        // The buttons' captions are laid out in the font at the new scale.
        const RECT caption = Control<aero::AeroButton>(L"cmdHome").CaptionRect();
        EXPECT_NEAR(caption.bottom - caption.top, MulDiv(captionAt96.bottom - captionAt96.top, dpi, 96), 2);
        EXPECT_NEAR(tipFontHeight(), MulDiv(std::abs(metrics.lfStatusFont.lfHeight), dpi, 96), 1);
    }
}

// Real servers registered and unregistered through the window: each answer
// says what the prefix's registry holds for the file afterwards.
TEST_F(FrmRegWindow, EveryAnswerSaysWhatTheRegistryHoldsForTheFile) {
    const std::wstring com = ServerPath(L"testcomserver.dll"), left = ServerPath(L"leaveserver.dll"),
                       ok = ServerPath(L"okreg.dll");
    // Named in the field a moment before, as a person does: the registry is read ahead.
    SetWindowTextW(window.Form().Find(L"txtSource")->hWnd(), (L"\"" + com + L"\" \"" + left + L"\"").c_str());
    Pump(300);
    const struct {
        std::wstring file;
        bool registering;
        std::vector<std::wstring> says;
        bool warns;
    } rows[] = {
        {com,
         true,
         {L"Registered successfully\r\n\r\n" + com + L" is registered in the 32-bit registry:\r\nclass " +
          kTestObjectClsidText + L" Tessiver.TestObject (Apartment)"},
         false},
        {com,
         false,
         {L"Unregistered successfully\r\n\r\nNo class or type library in the 32-bit registry names this file "
          L"now."},
         false},
        {ok,
         true,
         {L"Registered successfully\r\n\r\nBut no class or type library in the 32-bit registry names this "
          L"file."},
         true},
        {left,
         true,
         {left + L" is registered in the 32-bit registry:\r\nclass " + LeftClsid(1) +
              L" Tessiver.Left.1 (Both)\r\n",
          L"class " + LeftClsid(3) + L" Tessiver.Left.3 (no ThreadingModel)", L"\r\nand 2 more."},
         false},
        {left,
         false,
         {L"Unregistered successfully\r\n\r\nBut 9 classes in the 32-bit registry still name this "
          L"file:\r\nclass " +
              LeftClsid(1) + L" \"Tessiver left object 1\" (Both)",
          L"\r\nand 1 more."},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.file) + (row.registering ? " registered" : " unregistered"));
        const services::RegistrationOutcome outcome = window.RegisterOne(row.file, row.registering);
        ASSERT_TRUE(outcome.Succeeded) << RegistrationFailureText(outcome, row.registering);
        const std::wstring text = RegistrationReport({outcome}, row.registering);
        for (const std::wstring& part : row.says)
            EXPECT_NE(text.find(part), std::wstring::npos) << testing::PrintToString(text);
        EXPECT_EQ(RegistryNamesWarn(outcome, row.registering), row.warns);
    }
    EXPECT_EQ(RegistrationReport({window.RegisterOne(left, true), window.RegisterOne(ok, false)}, true)
                  .find(L"1. " + left + L"\r\nIn the 32-bit registry: 9 classes, 1 type library.\r\n\r\n2. "),
              std::wstring(L"Registered successfully\r\n\r\n").size());
    for (int n = 1; n <= kLeftClasses; ++n)
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + LeftClsid(n)).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"TypeLib\\") + kLeftLibid).c_str());

    // Nothing is read for a file whose export never ran.
    EXPECT_FALSE(window.RegisterOne(ServerPath(L"plain.dll"), true).Names);
    EXPECT_FALSE(window.RegisterOne(ServerPath(L"no such server.dll"), true).Names);
}

// The usual causes, met through the window with real files.
TEST_F(FrmRegWindow, TheUsualCausesAreNamed) {
    const std::wstring assembly = TestProgramDir() + L"\\assembly.dll";
    ASSERT_TRUE(testkit::DotNetCopy(ServerPath(L"plain.dll"), assembly));
    const struct {
        std::wstring file;
        const wchar_t* says;
    } rows[] = {
        {assembly,
         L"The file is a .NET assembly, not a self-registering COM server: register it with regasm"},
        {ServerPath(L"needsmfc.dll"),
         L"it needs mfc140u.dll, which was not found in the server's folder or where the system looks for "
         L"DLLs. "
         L"(error 126)\r\nmfc140u.dll comes with the Microsoft Visual C++ 2015-2022 Redistributable (x86): "
         L"install it, then try again."},
        {ServerPath(L"needsucrt.dll"),
         L"\r\napi-ms-win-crt-tessiver-l1-1-0.dll belongs to the Universal C Runtime, which Windows 10 and "
         L"later include; the Microsoft Visual C++ 2015-2022 Redistributable (x86) installs it on older "
         L"Windows."},
    };
    for (const auto& row : rows) {
        const services::RegistrationOutcome outcome = window.RegisterOne(row.file, true);
        EXPECT_FALSE(outcome.Succeeded);
        const std::wstring text = RegistrationReport({outcome}, true);
        EXPECT_NE(text.find(row.says), std::wstring::npos) << testing::PrintToString(text);
    }
}

}  // namespace
