#include "runtime/usercontrol.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "input.h"
#include "pump.h"
#include "runtime/app.h"
#include "runtime/cursors.h"
#include "runtime/errors.h"
#include "runtime/form.h"
#include "runtime/gdi.h"
#include "runtime/picture.h"
#include "window.h"

namespace {

using Log = std::vector<std::string>;

std::string Num(int n) {
    return " " + std::to_string(n);
}

// Records every notification as a short text, in order.
class Recorder : public rt::UserControlEvents {
public:
    Log log;
    bool recordMoves = false;
    std::function<void()> onResize;

    void Initialize() override { log.push_back("Initialize"); }
    void InitProperties() override { log.push_back("InitProperties"); }
    void ReadProperties(rt::PropertyBag&) override { log.push_back("ReadProperties"); }
    void WriteProperties(rt::PropertyBag&) override { log.push_back("WriteProperties"); }
    void AmbientChanged(const std::wstring& name) override { log.push_back("Ambient " + Narrow(name)); }
    void Resize() override {
        log.push_back("Resize");
        if (onResize) onResize();
    }
    void Show() override { log.push_back("Show"); }
    void Hide() override { log.push_back("Hide"); }
    void Terminate() override { log.push_back("Terminate"); }
    void GotFocus() override { log.push_back("GotFocus"); }
    void LostFocus() override { log.push_back("LostFocus"); }
    void MouseDown(short& b, short& s, float&, float&) override { log.push_back(Mouse("Down", b, s)); }
    void MouseMove(short& b, short& s, float&, float&) override {
        if (recordMoves) log.push_back(Mouse("Move", b, s));
    }
    void MouseUp(short& b, short& s, float&, float&) override { log.push_back(Mouse("Up", b, s)); }
    void Click() override { log.push_back("Click"); }
    void DblClick() override { log.push_back("DblClick"); }
    void KeyDown(short& k, short& s) override { log.push_back("KeyDown" + Num(k) + Num(s)); }
    void KeyUp(short& k, short& s) override { log.push_back("KeyUp" + Num(k) + Num(s)); }
    void KeyPress(short& k) override { log.push_back("KeyPress" + Num(k)); }
    void AccessKeyPress(short& k) override { log.push_back("AccessKey" + Num(k)); }
    void OLEDragOver(IDataObject*, long& e, short&, short&, float&, float&, short& state) override {
        log.push_back("DragOver" + Num(state));
        e = DROPEFFECT_COPY;
    }
    void OLEDragDrop(IDataObject* data, long& e, short&, short&, float&, float&) override {
        log.push_back(data ? "DragDrop" : "DragDrop without data");
        e = DROPEFFECT_COPY;
    }
    void OLECompleteDrag(long& e) override { log.push_back("CompleteDrag" + Num(static_cast<int>(e))); }

private:
    static std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }
    static std::string Mouse(const char* what, short button, short shift) {
        return what + Num(button) + (shift ? " shift" + Num(shift) : "");
    }
};

// A top-level window standing in for a form, with ambient values of its own.
class HostWindow : public rt::Container {
public:
    int sysCommands = 0;
    std::vector<std::pair<const rt::Control*, std::wstring>> changes;
    const rt::Control* defaultControl = nullptr;

    HostWindow() {
        static const ATOM atom = testkit::TestWindowClass(L"SurfaceTestHost", &HostWindow::Proc,
                                                          static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        hwnd_ = CreateWindowExW(0, MAKEINTATOM(atom), L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100,
                                100, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), this);
        SetForegroundWindow(hwnd_);
        Pump(50);
    }
    ~HostWindow() override { DestroyNow(); }
    void DestroyNow() {
        if (hwnd_) DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

    HWND hWnd() const override { return hwnd_; }
    rt::Container* Parent() const override { return nullptr; }
    rt::FontRef AmbientFont() const override { return rt::MakeFont(L"Tahoma", 11.0f); }
    COLORREF AmbientForeColor() const override { return RGB(1, 2, 3); }
    bool AmbientUserMode() const override { return false; }
    bool DisplaysAsDefault(const rt::Control& control) const override { return &control == defaultControl; }
    void PropertyChanged(rt::Control& control, const std::wstring& key) override {
        changes.emplace_back(&control, key);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_SYSCOMMAND && self) {
            ++self->sysCommands;
            return 0;  // record only: never open a menu during the tests
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
};

// One form for all tests: under Wine without a window manager, the first
// change to a new top-level window waits two seconds for its mapping. Left to
// the end of the process on purpose.
HostWindow& SharedHost() {
    static HostWindow* host = new HostWindow;
    host->sysCommands = 0;
    host->changes.clear();
    host->defaultControl = nullptr;
    return *host;
}

struct SurfaceTest : ::testing::Test {
    HostWindow& host = SharedHost();
    Recorder events;
    rt::UserControl surface{events};

    void SetUp() override {
        ASSERT_TRUE(surface.Create(host, L"cmdTest", 20, 30, rt::UserControl::DesignWidth,
                                   rt::UserControl::DesignHeight));
        Pump(20);
        events.log.clear();
    }
    void TearDown() override { surface.Destroy(); }

    POINT ScreenPoint(int x, int y) const {
        POINT pt{x, y};
        ClientToScreen(surface.hWnd(), &pt);
        return pt;
    }
    // Real input: the cursor is moved and the buttons pressed through the system queue.
    static void MouseInput(POINT at, DWORD flags) {
        SetCursorPos(at.x, at.y);
        testkit::SendMouse(flags, at);
        Pump(60);
    }
    static void KeyInput(WORD vk, DWORD flags) {
        testkit::SendKeys({{vk, (flags & KEYEVENTF_KEYUP) != 0}});
        Pump(40);
    }
    void Post(UINT msg, WPARAM wParam, int x, int y) {
        PostMessageW(surface.hWnd(), msg, wParam, MAKELPARAM(x, y));
        Pump(0);
    }
    void SetCursorMessage() {
        SendMessageW(surface.hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(surface.hWnd()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
    Log Without(const std::string& part) const {
        Log out;
        for (const auto& entry : events.log)
            if (entry.find(part) == std::string::npos) out.push_back(entry);
        return out;
    }
};

TEST_F(SurfaceTest, MouseMessagesGiveTheExpectedNotificationSequences) {
    struct Message {
        UINT msg;
        WPARAM keys;
        int x, y;
    };
    struct Case {
        const char* name;
        std::vector<Message> input;
        Log expected;
    };
    const UINT down = WM_LBUTTONDOWN, up = WM_LBUTTONUP;
    const std::vector<Case> cases = {
        {"left click", {{down, MK_LBUTTON, 5, 5}, {up, 0, 5, 5}}, {"Down 1", "Up 1", "Click"}},
        {"double click",
         {{down, MK_LBUTTON, 5, 5}, {up, 0, 5, 5}, {WM_LBUTTONDBLCLK, MK_LBUTTON, 5, 5}, {up, 0, 5, 5}},
         {"Down 1", "Up 1", "Click", "DblClick", "Up 1"}},
        {"right click",
         {{WM_RBUTTONDOWN, MK_RBUTTON, 5, 5}, {WM_RBUTTONUP, 0, 5, 5}},
         {"Down 2", "Up 2", "Click"}},
        {"middle click with shift and ctrl",
         {{WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT | MK_CONTROL, 5, 5},
          {WM_MBUTTONUP, MK_SHIFT | MK_CONTROL, 5, 5}},
         {"Down 4 shift 3", "Up 4 shift 3", "Click"}},
        {"release left of it", {{down, MK_LBUTTON, 5, 5}, {up, 0, -30, 5}}, {"Down 1", "Up 1"}},
        {"release just below", {{down, MK_LBUTTON, 5, 5}, {up, 0, 5, 23}}, {"Down 1", "Up 1"}},
        {"release without press", {{up, 0, 5, 5}}, {}},
        {"right double click is a press",
         {{WM_RBUTTONDOWN, MK_RBUTTON, 5, 5},
          {WM_RBUTTONUP, 0, 5, 5},
          {WM_RBUTTONDBLCLK, MK_RBUTTON, 5, 5},
          {WM_RBUTTONUP, 0, 5, 5}},
         {"Down 2", "Up 2", "Click", "Down 2", "Up 2", "Click"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        events.log.clear();
        for (const auto& m : c.input) Post(m.msg, m.keys, m.x, m.y);
        EXPECT_EQ(Without("GotFocus"), c.expected);
        EXPECT_NE(GetCapture(), surface.hWnd()) << "capture kept after the release";
    }
}

TEST_F(SurfaceTest, PressTakesFocusAndMovesReportButtonsAndShift) {
    SetFocus(host.hWnd());
    Pump(0);
    events.log.clear();
    events.recordMoves = true;
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Post(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, 6, 6);
    Post(WM_LBUTTONUP, 0, 6, 6);
    Post(WM_MOUSEMOVE, MK_RBUTTON | MK_MBUTTON | MK_CONTROL, 7, 7);
    EXPECT_EQ(events.log, (Log{"GotFocus", "Down 1", "Move 1 shift 1", "Up 1", "Click", "Move 6 shift 2"}));
    EXPECT_EQ(GetFocus(), surface.hWnd());
    SetFocus(host.hWnd());
    Pump(0);
    EXPECT_EQ(events.log.back(), "LostFocus");
}

TEST_F(SurfaceTest, RealMouseClickAndReleaseAwayFromTheControl) {
    POINT inside = ScreenPoint(30, 10);
    POINT outside = ScreenPoint(200, 120);
    MouseInput(inside, MOUSEEVENTF_LEFTDOWN);
    MouseInput(inside, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(Without("GotFocus"), (Log{"Down 1", "Up 1", "Click"}));

    events.log.clear();
    Sleep(GetDoubleClickTime() + 50);  // the next press must not count as a double click
    MouseInput(inside, MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(GetCapture(), surface.hWnd());
    MouseInput(outside, MOUSEEVENTF_LEFTUP);  // the capture brings the release here
    EXPECT_EQ(Without("GotFocus"), (Log{"Down 1", "Up 1"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SurfaceTest, DisabledSurfaceGetsNoInput) {
    surface.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(surface.hWnd()));
    EXPECT_FALSE(surface.CanTakeFocus());
    POINT inside = ScreenPoint(30, 10);
    MouseInput(inside, MOUSEEVENTF_LEFTDOWN);
    MouseInput(inside, MOUSEEVENTF_LEFTUP);
    SetFocus(surface.hWnd());
    KeyInput('A', 0);
    KeyInput('A', KEYEVENTF_KEYUP);
    EXPECT_EQ(events.log, Log{});
}

TEST_F(SurfaceTest, RealKeysArriveAsKeyEventsAndAltSpaceOpensNoMenu) {
    SetForegroundWindow(host.hWnd());
    SetFocus(surface.hWnd());
    Pump(30);
    events.log.clear();
    KeyInput('A', 0);
    KeyInput('A', KEYEVENTF_KEYUP);
    KeyInput(VK_MENU, 0);
    KeyInput(VK_SPACE, 0);
    KeyInput(VK_SPACE, KEYEVENTF_KEYUP);
    KeyInput(VK_MENU, KEYEVENTF_KEYUP);
    EXPECT_EQ(Without(" 18 "),
              (Log{"KeyDown 65 0", "KeyPress 97", "KeyUp 65 0", "KeyDown 32 4", "KeyUp 32 4"}));
    EXPECT_EQ(host.sysCommands, 0);
}

TEST_F(SurfaceTest, ImageIsShownOnRepaintAndSurvivesBeingCovered) {
    surface.SetFillColor(0x80000000 | COLOR_HIGHLIGHT);  // OLE system colour
    surface.Cls();
    EXPECT_EQ(surface.Pixels().ColorAt(10, 10), GetSysColor(COLOR_HIGHLIGHT));

    const COLORREF red = RGB(200, 10, 20);
    surface.SetFillColor(red);
    surface.Cls();
    SetPixelV(surface.hDC(), 2, 1, RGB(0, 255, 0));  // top-down: row 1 is the second row
    rt::PixelView view = surface.Pixels();
    ASSERT_EQ(view.width, 73);
    ASSERT_EQ(view.height, 23);
    EXPECT_EQ(view.At(2, 1), 0x0000FF00u);
    EXPECT_EQ(view.At(40, 20), 0x00C80A14u);  // 0x00RRGGBB words
    EXPECT_EQ(view.ColorAt(40, 20), red);

    POINT at = ScreenPoint(0, 0);
    HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"SurfaceTestHost", L"cover", WS_POPUP | WS_VISIBLE, at.x,
                                 at.y, 100, 50, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Pump(50);
    DestroyWindow(cover);
    InvalidateRect(surface.hWnd(), nullptr, FALSE);
    UpdateWindow(surface.hWnd());
    Pump(50);
    rt::gdi::ClientDC screen(surface.hWnd());
    EXPECT_EQ(GetPixel(screen.Get(), 40, 20), red);
    EXPECT_EQ(GetPixel(screen.Get(), 2, 1), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(screen.Get(), 72, 22), red);
}

// The window is invalidated once per WM_PAINT, and not at all while hidden,
// yet the screen always ends with the last image.
TEST_F(SurfaceTest, ScreenShowsTheLastImageWhateverThePaintsInBetween) {
    const auto onScreen = [this] {
        UpdateWindow(surface.hWnd());
        Pump(20);
        rt::gdi::ClientDC screen(surface.hWnd());
        return GetPixel(screen.Get(), 40, 10);
    };
    const COLORREF blue = RGB(0, 0, 255), green = RGB(0, 128, 0), red = RGB(255, 0, 0);
    onScreen();
    for (COLORREF colour : {blue, green}) {
        surface.SetFillColor(colour);
        surface.Cls();
    }
    EXPECT_EQ(onScreen(), green);
    surface.SetFillColor(red);
    surface.Cls();
    EXPECT_EQ(onScreen(), red);

    surface.SetVisible(false);
    surface.SetFillColor(blue);
    surface.Cls();
    EXPECT_FALSE(GetUpdateRect(surface.hWnd(), nullptr, FALSE));
    surface.SetVisible(true);
    EXPECT_EQ(onScreen(), blue);
    surface.SetFillColor(green);
    surface.Cls();
    EXPECT_EQ(onScreen(), green);
}

TEST_F(SurfaceTest, ResizeRebuildsTheImageAndKeepsWhatFits) {
    surface.SetFillColor(RGB(0, 0, 255));
    surface.Cls();
    SetPixelV(surface.hDC(), 3, 3, RGB(255, 255, 0));
    surface.SetSize(100, 40);
    surface.Move(5, 5, 100, 40);  // same size: no second Resize
    EXPECT_EQ(events.log, Log{"Resize"});
    EXPECT_EQ(surface.ScaleWidth(), 100);
    EXPECT_EQ(surface.ScaleHeight(), 40);
    rt::PixelView view = surface.Pixels();
    ASSERT_EQ(view.width, 100);
    ASSERT_EQ(view.height, 40);
    EXPECT_EQ(view.ColorAt(3, 3), RGB(255, 255, 0));
    EXPECT_EQ(view.ColorAt(99, 39), RGB(0, 0, 255));

    // A control that keeps a minimum size resizes itself from inside Resize.
    events.log.clear();
    events.onResize = [&] {
        if (surface.ScaleHeight() < 15) surface.SetSize(surface.ScaleWidth(), 15);
        if (surface.ScaleWidth() < 15) surface.SetSize(15, surface.ScaleHeight());
    };
    surface.SetSize(10, 10);
    events.onResize = nullptr;
    EXPECT_EQ(events.log, (Log{"Resize", "Resize", "Resize"}));
    view = surface.Pixels();
    EXPECT_EQ(surface.ScaleWidth() * 100 + surface.ScaleHeight(), 1515);
    EXPECT_EQ(view.width * 100 + view.height, 1515);
    EXPECT_EQ(view.ColorAt(3, 3), RGB(255, 255, 0));
}

TEST(UserControlLifecycle, CreationVisibilityAndTermination) {
    HostWindow host;
    Recorder events;
    {
        rt::UserControl surface(events);
        ASSERT_TRUE(surface.Create(host, L"cmdOne", 0, 0, 50, 20));
        EXPECT_FALSE(surface.Create(host, L"cmdOne", 0, 0, 50, 20));
        surface.InitNew();
        surface.SetVisible(false);
        surface.SetVisible(false);
        surface.SetVisible(true);
        surface.OnAccessKey('r');
        surface.OnAmbientChanged(L"DisplayAsDefault");
        surface.Destroy();
        EXPECT_EQ(surface.hWnd(), nullptr);
    }
    EXPECT_EQ(events.log, (Log{"Initialize", "Resize", "Show", "InitProperties", "Hide", "Show",
                               "AccessKey 114", "Ambient DisplayAsDefault", "Terminate"}));

    // A surface whose form goes first terminates with it, once.
    Recorder second;
    {
        rt::UserControl surface(second);
        ASSERT_TRUE(surface.Create(host, L"cmdTwo", 0, 0, 50, 20));
        host.DestroyNow();
        EXPECT_EQ(surface.hWnd(), nullptr);
    }
    EXPECT_EQ(second.log.back(), "Terminate");
    EXPECT_EQ(std::count(second.log.begin(), second.log.end(), "Terminate"), 1);
}

TEST(UserControlAmbient, ValuesComeFromTheContainerChainAndUnitsFromTheScreen) {
    // A container inside the form that answers no ambient question itself.
    struct Inner : rt::Container {
        HostWindow& host = SharedHost();
        HWND hWnd() const override { return host.hWnd(); }
        rt::Container* Parent() const override { return &host; }
    } inner;
    Recorder events;
    rt::UserControl surface(events);
    EXPECT_EQ(std::lround(surface.ScaleX(1931)), 73);
    EXPECT_EQ(std::lround(surface.ScaleY(608)), 23);
    // Without a container the defaults of a bare host apply.
    EXPECT_TRUE(surface.AmbientUserMode());
    EXPECT_FALSE(surface.AmbientDisplayAsDefault());

    ASSERT_TRUE(surface.Create(inner, L"cmdInner", 0, 0, 50, 20));
    inner.host.defaultControl = &surface;
    EXPECT_EQ(surface.AmbientFont()->Name(), L"Tahoma");
    EXPECT_EQ(surface.AmbientForeColor(), RGB(1, 2, 3));
    EXPECT_FALSE(surface.AmbientUserMode());
    EXPECT_TRUE(surface.AmbientDisplayAsDefault());
    EXPECT_EQ(surface.AmbientDisplayName(), L"cmdInner");
    surface.PropertyChanged(L"Caption");
    ASSERT_EQ(inner.host.changes.size(), 1u);
    EXPECT_EQ(inner.host.changes[0].first, &surface);
    EXPECT_EQ(inner.host.changes[0].second, L"Caption");
    surface.Destroy();
}

TEST_F(SurfaceTest, FontIsSelectedAndItsChangesArePickedUp) {
    ASSERT_EQ(surface.Font()->Name(), L"Arial");
    EXPECT_FLOAT_EQ(surface.Font()->Size(), 9.0f);
    auto height = [&] {
        TEXTMETRICW tm{};
        GetTextMetricsW(surface.hDC(), &tm);
        return tm.tmHeight;
    };
    const LONG small = height();
    rt::FontRef font = rt::MakeFont(L"Arial", 9.0f);
    surface.SetFont(font);
    EXPECT_EQ(height(), small);
    font->SetSize(24.0f);  // a change of the shared object, not of the surface
    EXPECT_GT(height(), small + 10);
    EXPECT_THROW(surface.SetFont(nullptr), rt::RuntimeError);
    EXPECT_EQ(surface.Font(), font);
}

int releasesSeen = 0;
LRESULT CALLBACK CountReleases(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
    LRESULT r = DefSubclassProc(h, m, w, l);
    if (m == WM_LBUTTONUP) ++releasesSeen;
    return r;
}

TEST_F(SurfaceTest, PointerAccessKeysAndSubclassing) {
    surface.SetMousePointer(11);
    SetCursorMessage();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    rt::PictureRef icon = rt::StdPicture::FromIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    ASSERT_TRUE(icon);
    surface.SetMouseIcon(icon);
    surface.SetMousePointer(rt::PointerCustom);
    SetCursorMessage();
    EXPECT_EQ(GetCursor(), icon->Icon());
    surface.SetMousePointer(0);
    SetCursorMessage();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_THROW(surface.SetMousePointer(42), rt::RuntimeError);
    EXPECT_EQ(surface.MousePointer(), 0);

    surface.SetAccessKeys(L"R");
    EXPECT_EQ(surface.AccessKeys(), L"r");

    // A control hooks its own window; the surface keeps working beneath the hook
    // and leaves the window's user data to it.
    releasesSeen = 0;
    ASSERT_TRUE(SetWindowSubclass(surface.hWnd(), CountReleases, 1, 0));
    SetWindowLongPtrW(surface.hWnd(), GWLP_USERDATA, 12345);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    Post(WM_LBUTTONUP, 0, 5, 5);
    EXPECT_EQ(Without("GotFocus"), (Log{"Down 1", "Up 1", "Click"}));
    EXPECT_EQ(releasesSeen, 1);
    RemoveWindowSubclass(surface.hWnd(), CountReleases, 1);
}

// The form's message loop routes Enter, arrows and access keys to the surface
// as a control built on it expects.
TEST(UserControlOnForm, FormRoutesKeysToTheSurface) {
    rt::Form form;
    ASSERT_TRUE(form.Create(L"form", 200, 100));
    form.Load();
    Recorder events;
    rt::UserControl surface(events);
    ASSERT_TRUE(surface.Create(form, L"cmdGo", 10, 10, 73, 23));
    surface.SetAccessKeys(L"G");
    form.Attach(surface);
    form.Show();
    auto post = [&](UINT msg, WPARAM wParam, LPARAM lParam) {
        PostMessageW(surface.hWnd(), msg, wParam, lParam);
        Pump(100);
    };
    post(WM_NULL, 0, 0);
    ASSERT_EQ(GetFocus(), surface.hWnd());
    EXPECT_TRUE(surface.AmbientDisplayAsDefault());
    EXPECT_NE(std::find(events.log.begin(), events.log.end(), "Ambient DisplayAsDefault"), events.log.end());

    events.log.clear();
    post(WM_KEYDOWN, VK_RETURN, 0);
    post(WM_KEYDOWN, VK_RIGHT, 0);
    post(WM_SYSCHAR, 'g', 1 << 29);
    EXPECT_EQ(events.log, (Log{"AccessKey 13", "KeyDown 39 0", "AccessKey 103"}));
    EXPECT_EQ(GetFocus(), surface.hWnd());
    form.Unload();
    EXPECT_EQ(events.log.back(), "Terminate");
}

TEST(UserControlOnForm, AmbientFontIsACopyOfTheFormsFont) {
    rt::Form form;
    ASSERT_TRUE(form.Create(L"form", 200, 100));
    Recorder events;
    rt::UserControl surface(events);
    ASSERT_TRUE(surface.Create(form, L"cmdFont", 10, 10, 73, 23));
    rt::FontRef ambient = surface.AmbientFont();
    ASSERT_TRUE(ambient);
    EXPECT_TRUE(ambient->SameAttributes(*form.Font()));
    ambient->SetBold(true);
    EXPECT_FALSE(form.Font()->Bold());
    form.Unload();
}

}  // namespace

namespace {

// Data with no formats: enough for a drag that only the surface looks at.
class EmptyData final : public IDataObject {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IDataObject) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

// A drag started on the surface and dropped on it: with drop handling on, the
// surface sees it enter and drop, and learns the drop's effect; with it off,
// the drop finds no target.
TEST_F(SurfaceTest, DragAndDropReachTheControlOnlyWithDropHandlingOn) {
    rt::App ole;
    EmptyData empty;
    IDataObject* data = &empty;
    const POINT over = ScreenPoint(10, 10);
    SetCursorPos(over.x, over.y);
    Pump(60);

    surface.SetOLEDropMode(1);
    surface.OLEDrag(data, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EXPECT_EQ(Without("Move"), (Log{"DragOver 0", "DragDrop", "CompleteDrag 1"}));

    events.log.clear();
    surface.SetOLEDropMode(0);
    surface.OLEDrag(data, DROPEFFECT_COPY);
    EXPECT_EQ(Without("Move"), Log{"CompleteDrag 0"});
    EXPECT_THROW(surface.SetOLEDropMode(2), rt::RuntimeError);

    surface.Destroy();
}

}  // namespace
