// Hover and activation tracking of AeroButtons loaded in run mode on a real
// form: the hooks on the form window and on each button's own window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "aerobutton.h"
#include "form.h"
#include "keys.h"
#include "picturebox.h"
#include "test_image.h"

namespace {

void Pump(DWORD milliseconds = 150) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        rt::DoEvents();
        Sleep(5);
    } while (static_cast<long>(end - GetTickCount()) > 0);
}

std::unique_ptr<aero::AeroButton> LoadedButton(rt::Container& container, const std::wstring& name, int x,
                                               int tabIndex, rt::Form& form) {
    auto b = std::make_unique<aero::AeroButton>();
    EXPECT_TRUE(b->Create(container, name, x, 5, 73, 25));
    b->Surface().SetTabIndex(tabIndex);
    form.Attach(b->Surface());
    rt::PropertyBag bag;
    bag.Set(L"HandPointer", rt::Variant(true));
    b->Surface().ReadProperties(bag);  // run mode: installs the hooks
    return b;
}

bool ShowsRing(aero::AeroButton& b) {
    const rt::PixelView pixels = b.Surface().Pixels();
    return pixels.ColorAt(36, 1) == aerotest::kCyan && pixels.ColorAt(1, 12) == aerotest::kCyan;
}

// Three buttons straight on the form, one three containers deep (still finds
// the form) and one four deep (does not).
// The forms are declared last so that they go first, taking every child
// window with them while the control objects still exist.
struct HoverRig {
    rt::PictureBox boxes[3];
    std::unique_ptr<aero::AeroButton> onForm[3];
    std::unique_ptr<aero::AeroButton> deep3, deep4;
    std::vector<std::string> log;
    rt::Form other;
    rt::Form form;

    HoverRig() {
        EXPECT_TRUE(form.Create(L"hover", 400, 120));
        EXPECT_TRUE(other.Create(L"other", 100, 40));
        for (int i = 0; i < 3; ++i) onForm[i] = LoadedButton(form, L"cmd" + std::to_wstring(i), 5 + 80 * i, i, form);
        rt::Container* parent = &form;
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(boxes[i].Create(*parent, L"pic" + std::to_wstring(i), i == 0 ? 0 : 2, i == 0 ? 40 : 2,
                                        300 - 4 * i, 78 - 4 * i));
            parent = &boxes[i];
        }
        deep3 = LoadedButton(boxes[1], L"cmdDeep3", 90, 3, form);
        deep4 = LoadedButton(boxes[2], L"cmdDeep4", 5, 4, form);
        for (auto* b : {onForm[0].get(), onForm[2].get()}) {
            b->Events().MouseLeave = [this, b] { log.push_back(b == onForm[0].get() ? "0 MouseLeave" : "2 MouseLeave"); };
        }
        form.Load();
        form.Show();
        Pump(300);
    }
};

TEST(Hover, ActivationRepaintsTheFocusRingOnlyOnReactivation) {
    HoverRig rig;
    aero::AeroButton& focused = *rig.onForm[0];
    aero::AeroButtonState& s = focused.Fields();
    EXPECT_TRUE(s.HandPointer);
    EXPECT_NE(s.hHandCursor, nullptr);
    EXPECT_TRUE(s.bUser32Track);
    ASSERT_TRUE(s.bHostActive);
    ASSERT_TRUE(s.bHasFocus);
    EXPECT_TRUE(ShowsRing(focused));
    EXPECT_TRUE(rig.deep3->Fields().bHostActive);
    EXPECT_FALSE(rig.deep4->Fields().bHostActive);

    // Released in the middle of the form's chain of hooks: the others still hear.
    rig.onForm[1]->Surface().Destroy();
    s.bIsDown = s.bMouseDown = s.bSpaceDown = true;
    rig.other.Show();
    Pump();
    ASSERT_EQ(GetActiveWindow(), rig.other.hWnd());
    EXPECT_FALSE(s.bHostActive);
    EXPECT_FALSE(rig.onForm[2]->Fields().bHostActive);
    EXPECT_FALSE(rig.deep3->Fields().bHostActive);
    EXPECT_FALSE(ShowsRing(focused));
    EXPECT_FALSE(s.bIsDown || s.bMouseDown || s.bSpaceDown);

    // The focus comes back before the form's hook hears of the activation;
    // only the hook's repaint can show the ring.
    SetActiveWindow(rig.form.hWnd());
    Pump();
    EXPECT_TRUE(s.bHostActive);
    EXPECT_TRUE(rig.onForm[2]->Fields().bHostActive);
    EXPECT_TRUE(ShowsRing(focused));
    EXPECT_FALSE(ShowsRing(*rig.onForm[2]));
}

TEST(Hover, MouseLeaveRepaintsAndRaisesUnlessSpaceHoldsThePress) {
    HoverRig rig;
    aero::AeroButton& b = *rig.onForm[2];
    aero::AeroButtonState& s = b.Fields();
    struct Case {
        bool spaceDown, enabled;
        long stateAfter;
        bool raised;
    };
    const Case cases[] = {{true, true, aero::Down, false}, {false, true, aero::Normal, true},
                          {false, false, aero::Down, true}};
    for (const Case& c : cases) {
        s.Enabled = true;
        s.bSpaceDown = s.bIsDown = s.bIsHot = s.bTrackingLeave = true;
        b.Redraw(aero::Down, true);
        s.bSpaceDown = c.spaceDown;
        s.Enabled = c.enabled;
        rig.log.clear();
        SendMessageW(b.Surface().hWnd(), WM_MOUSELEAVE, 0, 0);
        EXPECT_FALSE(s.bIsHot);
        EXPECT_FALSE(s.bTrackingLeave);
        EXPECT_EQ(s.bSpaceDown, c.spaceDown);
        EXPECT_EQ(s.nState, c.stateAfter) << c.spaceDown << c.enabled;
        EXPECT_EQ(rig.log, c.raised ? std::vector<std::string>{"2 MouseLeave"} : std::vector<std::string>{});
    }
    s.Enabled = true;

    // The system's leave tracking, requested while the cursor is over the
    // button, reaches the button through its own-window hook.
    RECT r{};
    GetWindowRect(b.Surface().hWnd(), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
    s.bIsHot = s.bTrackingLeave = true;
    s.bSpaceDown = s.bIsDown = false;
    rig.log.clear();
    b.RequestMouseLeave();
    SetCursorPos(0, 0);
    for (int i = 0; i < 40 && s.bTrackingLeave; ++i) Pump(50);
    EXPECT_FALSE(s.bTrackingLeave);
    EXPECT_EQ(rig.log, std::vector<std::string>{"2 MouseLeave"});
}

TEST(Probes, ExportsAndModulesLoadedOnlyForTheQuestion) {
    EXPECT_TRUE(aero::IsFunctionExported(L"TrackMouseEvent", L"User32"));
    EXPECT_TRUE(aero::IsFunctionExported(L"_TrackMouseEvent", L"Comctl32"));
    EXPECT_FALSE(aero::IsFunctionExported(L"NoSuchExport", L"User32"));
    EXPECT_FALSE(aero::IsFunctionExported(L"acmGetVersion", L"no_such_module"));
    // A module the probe had to load is released again.
    ASSERT_EQ(GetModuleHandleW(L"msacm32"), nullptr);
    EXPECT_TRUE(aero::IsFunctionExported(L"acmGetVersion", L"msacm32"));
    EXPECT_EQ(GetModuleHandleW(L"msacm32"), nullptr);
    EXPECT_EQ(aero::GetExportAddress(L"msacm32", L"acmGetVersion"), nullptr);
    EXPECT_TRUE(aero::IsWinNT());
}

}  // namespace
