// Hover and activation tracking of AeroButtons loaded in run mode on a real
// form: the hooks on the form window and on each button's own window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "aerobutton/aerobutton.h"
#include "aerobutton/probes.h"
#include "pump.h"
#include "runtime/app.h"
#include "runtime/form.h"
#include "runtime/picturebox.h"
#include "test_host.h"
#include "test_image.h"

namespace {

bool ShowsRing(aero::AeroButton& b) {
    const rt::PixelView pixels = b.Pixels();
    return pixels.ColorAt(36, 1) == aerotest::kCyan && pixels.ColorAt(1, 12) == aerotest::kCyan;
}

// Three buttons on the form, one three containers deep (still finds the form)
// and one four deep (does not). The forms are declared last so that they go
// first, taking every child window with them while the controls still exist.
struct HoverRig {
    rt::PictureBox boxes[3];
    std::unique_ptr<aero::AeroButton> b[5];
    std::vector<std::string> log;
    rt::Form other;
    rt::Form form;

    HoverRig() {
        EXPECT_TRUE(form.Create(L"hover", 400, 120));
        EXPECT_TRUE(other.Create(L"other", 100, 40));
        rt::Container* parent = &form;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(boxes[i].Create(*parent, L"pic" + std::to_wstring(i), 2, 40, 300, 70));
            parent = &boxes[i];
        }
        rt::Container* containers[5] = {&form, &form, &form, &boxes[1], &boxes[2]};
        for (int i = 0; i < 5; ++i) {
            b[i] = std::make_unique<aero::AeroButton>();
            EXPECT_TRUE(b[i]->Create(*containers[i], L"cmd" + std::to_wstring(i), 5 + 80 * i, 5, 73, 25));
            b[i]->SetTabIndex(i);
            form.Attach(*b[i]);
            rt::PropertyBag bag;
            bag.Set(L"HandPointer", rt::Variant(true));
            b[i]->LoadProperties(bag);  // run mode: installs the hooks
        }
        b[2]->Events().MouseLeave = [this] { log.push_back("MouseLeave"); };
        form.Load();
        form.Show();
        Pump(300);
    }
};

TEST(Hover, ActivationRepaintsTheFocusRingOnlyOnReactivation) {
    HoverRig rig;
    aero::AeroButton& focused = *rig.b[0];
    ASSERT_TRUE(focused.HostActive() && focused.HasFocus());
    EXPECT_TRUE(ShowsRing(focused));
    EXPECT_TRUE(rig.b[3]->HostActive());
    EXPECT_FALSE(rig.b[4]->HostActive());

    // Released in the middle of the form's chain of hooks: the others still hear.
    rig.b[1]->Destroy();
    // Space, then the mouse, held on the button as its form loses the activation.
    int clicks = 0;
    focused.Events().Click = [&] { ++clicks; };
    SendMessageW(focused.hWnd(), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(focused.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(36, 12));
    ASSERT_TRUE(focused.IsPressed());
    rig.other.Show();
    Pump();
    ASSERT_EQ(GetActiveWindow(), rig.other.hWnd());
    EXPECT_FALSE(focused.HostActive() || rig.b[2]->HostActive() || rig.b[3]->HostActive());
    EXPECT_FALSE(ShowsRing(focused));
    EXPECT_FALSE(focused.IsPressed());
    EXPECT_NE(GetCapture(), focused.hWnd()) << "the mouse Space took is let go";

    // The focus comes back before the form's hook hears of the activation;
    // only the hook's repaint can show the ring (a mouse still held would not).
    SetActiveWindow(rig.form.hWnd());
    Pump();
    EXPECT_TRUE(focused.HostActive() && rig.b[2]->HostActive());
    EXPECT_TRUE(ShowsRing(focused));
    EXPECT_FALSE(ShowsRing(*rig.b[2]));
    SendMessageW(focused.hWnd(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(clicks, 0) << "the Space press ended with the activation";
    SendMessageW(focused.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(-5, -5));

    // The hand cursor the run-mode load prepared.
    aerotest::MoveCursor(focused, true);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST(Hover, MouseLeaveRepaintsAndRaisesUnlessSpaceHoldsThePress) {
    HoverRig rig;
    aero::AeroButton& b = *rig.b[2];
    b.Events().MouseEnter = [&] { rig.log.push_back("MouseEnter"); };
    b.Events().Click = [&] { rig.log.push_back("Click"); };
    enum Press { None, Space, Mouse };
    struct Case {
        Press press;
        bool enabled;
        long stateAfter;
        bool raised;
    } const cases[] = {{Space, true, aero::Down, false},
                       {Mouse, true, aero::Normal, true},
                       {None, false, aero::Disabled, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press);
        b.SetEnabled(true);
        aerotest::MoveCursor(b, true);
        if (c.press == Space) SendMessageW(b.hWnd(), WM_KEYDOWN, VK_SPACE, 0);
        if (c.press == Mouse) SendMessageW(b.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(36, 12));
        if (!c.enabled) b.SetEnabled(false);
        ASSERT_TRUE(b.IsHot());
        rig.log.clear();
        SendMessageW(b.hWnd(), WM_MOUSELEAVE, 0, 0);
        EXPECT_FALSE(b.IsHot());
        EXPECT_EQ(b.State(), c.stateAfter);
        EXPECT_EQ(rig.log.size(), c.raised ? 1u : 0u);
        // The next move enters anew; a Space press the leave left alone clicks at its release.
        b.SetEnabled(true);  // the cursor is never over a disabled window
        rig.log.clear();
        aerotest::MoveCursor(b, true);
        if (c.press == Space) SendMessageW(b.hWnd(), WM_KEYUP, VK_SPACE, 0);
        if (c.press == Mouse) SendMessageW(b.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(-5, -5));
        EXPECT_EQ(rig.log, c.press == Space ? (std::vector<std::string>{"MouseEnter", "Click"})
                                            : std::vector<std::string>{"MouseEnter"});
    }

    // The system's leave tracking, asked for while the cursor is over the
    // button, reaches it through its own-window hook once the cursor goes.
    RECT r{};
    GetWindowRect(b.hWnd(), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
    aerotest::MoveCursor(b, true);
    ASSERT_TRUE(b.IsHot());
    rig.log.clear();
    b.RequestMouseLeave();
    SetCursorPos(0, 0);
    for (int i = 0; i < 40 && b.IsHot(); ++i) Pump(50);
    EXPECT_FALSE(b.IsHot());
    EXPECT_EQ(rig.log, std::vector<std::string>{"MouseLeave"});
}

}  // namespace

namespace {

// The probes behind leave tracking: the export check gives back what it
// loaded; the address look-up never loads anything.
TEST(Hover, ProbesLoadNothingTheyKeep) {
    const wchar_t* const unloaded = L"msacm32.dll";
    ASSERT_EQ(GetModuleHandleW(unloaded), nullptr);
    EXPECT_TRUE(aero::IsFunctionExported(L"TrackMouseEvent", L"User32"));
    EXPECT_TRUE(aero::IsFunctionExported(L"acmGetVersion", unloaded));
    EXPECT_FALSE(aero::IsFunctionExported(L"NoSuchExport", L"User32"));
    EXPECT_FALSE(aero::IsFunctionExported(L"TrackMouseEvent", L"no-such-module.dll"));
    EXPECT_EQ(GetModuleHandleW(unloaded), nullptr);

    EXPECT_EQ(aero::GetExportAddress(L"user32", L"TrackMouseEvent"),
              GetProcAddress(GetModuleHandleW(L"user32.dll"), "TrackMouseEvent"));
    EXPECT_EQ(aero::GetExportAddress(L"user32", L"NoSuchExport"), nullptr);
    EXPECT_EQ(aero::GetExportAddress(unloaded, L"acmGetVersion"), nullptr);
    EXPECT_EQ(GetModuleHandleW(unloaded), nullptr);
}

}  // namespace
