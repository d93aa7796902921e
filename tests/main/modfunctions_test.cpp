#include "main/modfunctions.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <olectl.h>
#include <shellapi.h>

#include <fstream>
#include <string>

#include "input.h"
#include "pump.h"
#include "resource_names.h"
#include "runtime/colour.h"
#include "runtime/gdi.h"
#include "window.h"

namespace {

using modFunctions::RegionBounds;

// A top-level test window, destroyed with the scope.
class TestWindow {
public:
    explicit TestWindow(DWORD style, HWND owner = nullptr, int width = 300, int height = 200) {
        EXPECT_NE(testkit::TestWindowClass(L"ModFunctionsTest", DefWindowProcW), 0);
        handle_ = CreateWindowExW(0, L"ModFunctionsTest", L"test", style, 100, 100, width, height, owner,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(handle_, nullptr);
    }
    ~TestWindow() { DestroyWindow(handle_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return handle_; }

private:
    HWND handle_;
};

TEST(RoundedRegionBounds, ClientAreaFromTwipsWithHalvesToEven) {
    const struct {
        double outerW, outerH, clientW, clientH;
        long tppX, tppY;
        RegionBounds expected;
    } cases[] = {
        // 3-pixel frame, 29-pixel caption, 15 twips per pixel.
        {7755, 3045, 7665, 2520, 15, 15, {3, 32, 514, 200}},
        // No frame: the whole window.
        {7665, 2520, 7665, 2520, 15, 15, {0, 0, 511, 168}},
        // Side frames of 2.5 pixels round to 2, 3.5 to 4 (not away from zero).
        {7755, 3045, 7680, 2520, 15, 15, {2, 33, 515, 201}},
        {7755, 3045, 7650, 2520, 15, 15, {4, 31, 513, 199}},
        // 120 DPI: 12 twips per pixel.
        {6204, 2436, 6132, 2016, 12, 12, {3, 32, 514, 200}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(modFunctions::RoundedRegionBounds(c.outerW, c.outerH, c.clientW, c.clientH, c.tppX, c.tppY),
                  c.expected)
            << c.outerW << " x " << c.outerH << " / " << c.clientW << " x " << c.clientH;
    }
}

TEST(RoundedRegionBounds, ClientAreaAtScreensWithFractionalTwipsPerPixel) {
    // 3-pixel frames and a 32-pixel top at 96, 192 (7.5 twips per pixel) and 110 DPI.
    for (double dpi : {96.0, 192.0, 110.0}) {
        EXPECT_EQ(modFunctions::ClientRegionBounds(SIZE{1034, 406}, SIZE{1028, 371}, 1440 / dpi, 1440 / dpi),
                  (RegionBounds{3, 32, 1031, 403}))
            << dpi;
    }
}

// The window's region, in its own coordinates, is its client area with rounded corners.
void ExpectRoundedClientRegion(HWND window) {
    modFunctions::MakeRoundedWindow(window);
    rt::gdi::Region copy(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(window, copy.Get()), ERROR);

    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -outer.left, -outer.top);

    // Rounded-rectangle regions leave out the last column and row of their rectangle.
    RECT box;
    GetRgnBox(copy.Get(), &box);
    EXPECT_EQ(box.left, client.left);
    EXPECT_EQ(box.top, client.top);
    EXPECT_EQ(box.right, client.right - 1);
    EXPECT_EQ(box.bottom, client.bottom - 1);

    const long midX = (box.left + box.right) / 2, midY = (box.top + box.bottom) / 2;
    const POINT inside[] = {{midX, midY},          {midX, box.top},        {box.left, midY},
                            {box.right - 1, midY}, {midX, box.bottom - 1}, {box.left + 4, box.top + 4}};
    const POINT outside[] = {{box.left, box.top},        {box.right - 1, box.top},
                             {box.left, box.bottom - 1}, {box.right - 1, box.bottom - 1},
                             {box.left - 1, midY},       {midX, box.top - 1},
                             {box.right, midY},          {midX, box.bottom}};
    for (const POINT& p : inside) EXPECT_TRUE(PtInRegion(copy.Get(), p.x, p.y)) << p.x << "," << p.y;
    for (const POINT& p : outside) EXPECT_FALSE(PtInRegion(copy.Get(), p.x, p.y)) << p.x << "," << p.y;
}

TEST(MakeRoundedWindow, FramedWindowKeepsOnlyItsClientArea) {
    TestWindow window(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, nullptr, 517, 203);
    ExpectRoundedClientRegion(window.get());
}

TEST(MakeRoundedWindow, FramelessWindowKeepsItsWholeSize) {
    TestWindow window(WS_POPUP, nullptr, 511, 168);
    ExpectRoundedClientRegion(window.get());  // the client area is the whole window here
}

TEST(OpenURL, OnlyRunningOutOfMemoryIsAFailure) {
    const struct {
        HRESULT answer;
        const wchar_t* text;
    } cases[] = {
        {E_OUTOFMEMORY, L"Insufficent system memory or corrupt program file"},
        {S_OK, L""},
        {S_FALSE, L""},
        {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), L""},
    };
    for (const auto& c : cases) EXPECT_EQ(modFunctions::OpenUrlResultText(c.answer), c.text) << c.answer;
}

TEST(TranslateColor, SystemColoursResolveAndRgbPassesThrough) {
    EXPECT_EQ(rt::TranslateColor(static_cast<long>(0x8000000F)), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(rt::TranslateColor(static_cast<long>(0x80000005)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(rt::TranslateColor(0x00FF0000), 0x00FF0000u);
    EXPECT_EQ(rt::TranslateColor(0x00123456), 0x00123456u);
}

// The same answers as OLE Automation's own translation, which a failure makes 0 (black).
TEST(TranslateColor, AnswersAsTheSystemsTranslation) {
    const DWORD colours[] = {0x00000000, 0x00FFFFFF, 0x01000007, 0x0200FF00, 0x80000000, 0x80000012,
                             0x8000001E, 0x8000001F, 0x800000FF, 0x80010005, 0x81000005, 0x03000000,
                             0xFF000000, 0x7F123456, 0xFFFFFFFF};
    for (DWORD colour : colours) {
        COLORREF expected = 0;
        if (FAILED(OleTranslateColor(colour, nullptr, &expected))) expected = 0;
        EXPECT_EQ(rt::TranslateColor(static_cast<long>(colour)), expected) << std::hex << colour;
    }
}

HICON IconOf(HWND window, WPARAM kind) {
    return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, kind, 0));
}

TEST(SetWindowIcon, OwnerFlagReachesTheTopOwnerOnly) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HICON big = static_cast<HICON>(LoadImageW(module, res::MainIcon, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), LR_SHARED));
    HICON small =
        static_cast<HICON>(LoadImageW(module, res::MainIcon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    ASSERT_NE(big, nullptr);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(big, small);

    for (bool alsoOwner : {true, false}) {
        TestWindow a(WS_OVERLAPPEDWINDOW);
        TestWindow b(WS_OVERLAPPEDWINDOW, a.get());
        TestWindow c(WS_OVERLAPPEDWINDOW, b.get());
        ASSERT_EQ(modFunctions::TopLevelOwner(c.get()), a.get());
        ASSERT_EQ(modFunctions::TopLevelOwner(a.get()), a.get());

        modFunctions::SetWindowIcon(c.get(), res::MainIcon, alsoOwner);
        SCOPED_TRACE(alsoOwner ? "with owner" : "without owner");
        EXPECT_EQ(IconOf(c.get(), ICON_BIG), big);
        EXPECT_EQ(IconOf(c.get(), ICON_SMALL), small);
        EXPECT_EQ(IconOf(a.get(), ICON_BIG), alsoOwner ? big : nullptr);
        EXPECT_EQ(IconOf(a.get(), ICON_SMALL), alsoOwner ? small : nullptr);
        EXPECT_EQ(IconOf(b.get(), ICON_BIG), nullptr);
        EXPECT_EQ(IconOf(b.get(), ICON_SMALL), nullptr);
    }
}

int g_setIconCount = 0;
LRESULT CALLBACK CountSetIcon(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_SETICON) ++g_setIconCount;
    return DefSubclassProc(window, msg, wParam, lParam);
}

// An unowned window is its own top owner: it gets each icon once, not twice.
TEST(SetWindowIcon, UnownedWindowGetsEachIconOnce) {
    TestWindow window(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(SetWindowSubclass(window.get(), &CountSetIcon, 1, 0));
    g_setIconCount = 0;
    modFunctions::SetWindowIcon(window.get(), res::MainIcon, true);
    RemoveWindowSubclass(window.get(), &CountSetIcon, 1);
    EXPECT_EQ(g_setIconCount, 2);
    EXPECT_NE(IconOf(window.get(), ICON_BIG), nullptr);
    EXPECT_NE(IconOf(window.get(), ICON_SMALL), nullptr);
}

// Real mouse input: press on the client area, then the timer moves and releases the
// mouse while DragWindow runs the platform's move loop.
struct DragScript {
    POINT to;
    int tick = 0;
};
DragScript* g_drag = nullptr;

using testkit::SendMouse;

void CALLBACK DragTick(HWND, UINT, UINT_PTR, DWORD) {
    switch (++g_drag->tick) {
        case 1:
            SendMouse(MOUSEEVENTF_MOVE, g_drag->to);
            break;
        case 2:
            SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, g_drag->to);
            break;
        case 20:
            keybd_event(VK_ESCAPE, 0, 0, 0);
            keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
            break;
        default:
            break;
    }
}

TEST(DragWindow, WindowFollowsTheMouseUntilRelease) {
    TestWindow window(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    SetForegroundWindow(window.get());
    RECT before;
    GetWindowRect(window.get(), &before);
    POINT grab{before.left + 60, before.top + 80};
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, grab);
    Pump(0);
    SetCapture(window.get());

    DragScript script{{grab.x + 40, grab.y + 25}};
    g_drag = &script;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, DragTick);
    modFunctions::DragWindow(window.get());
    KillTimer(nullptr, timer);
    g_drag = nullptr;
    if (script.tick < 2) SendMouse(MOUSEEVENTF_LEFTUP, grab);  // never leave the button down

    RECT after;
    GetWindowRect(window.get(), &after);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 25);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
