// Hover and activation tracking of AeroButtons loaded in run mode on a real
// form: the hooks on the form window and on each button's own window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pump.h"
#include "aerobutton.h"
#include "form.h"
#include "app.h"
#include "picturebox.h"
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
    aero::AeroButtonState& s = focused.Fields();
    EXPECT_NE(s.hHandCursor, nullptr);
    EXPECT_TRUE(s.bUser32Track);
    ASSERT_TRUE(s.bHostActive && s.bHasFocus);
    EXPECT_TRUE(ShowsRing(focused));
    EXPECT_TRUE(rig.b[3]->Fields().bHostActive);
    EXPECT_FALSE(rig.b[4]->Fields().bHostActive);

    // Released in the middle of the form's chain of hooks: the others still hear.
    rig.b[1]->Destroy();
    s.bIsDown = s.bMouseDown = s.bSpaceDown = true;
    rig.other.Show();
    Pump();
    ASSERT_EQ(GetActiveWindow(), rig.other.hWnd());
    EXPECT_FALSE(s.bHostActive || rig.b[2]->Fields().bHostActive || rig.b[3]->Fields().bHostActive);
    EXPECT_FALSE(ShowsRing(focused));
    EXPECT_FALSE(s.bIsDown || s.bMouseDown || s.bSpaceDown);

    // The focus comes back before the form's hook hears of the activation;
    // only the hook's repaint can show the ring.
    SetActiveWindow(rig.form.hWnd());
    Pump();
    EXPECT_TRUE(s.bHostActive && rig.b[2]->Fields().bHostActive);
    EXPECT_TRUE(ShowsRing(focused));
    EXPECT_FALSE(ShowsRing(*rig.b[2]));
}

TEST(Hover, MouseLeaveRepaintsAndRaisesUnlessSpaceHoldsThePress) {
    HoverRig rig;
    aero::AeroButton& b = *rig.b[2];
    aero::AeroButtonState& s = b.Fields();
    struct Case {
        bool spaceDown, enabled;
        long stateAfter;
        bool raised;
    } const cases[] = {{true, true, aero::Down, false}, {false, true, aero::Normal, true},
                       {false, false, aero::Down, true}};
    for (const Case& c : cases) {
        s.Enabled = true;
        s.bSpaceDown = s.bIsDown = s.bIsHot = s.bTrackingLeave = true;
        b.Redraw(aero::Down, true);
        s.bSpaceDown = c.spaceDown;
        s.Enabled = c.enabled;
        rig.log.clear();
        SendMessageW(b.hWnd(), WM_MOUSELEAVE, 0, 0);
        EXPECT_FALSE(s.bIsHot || s.bTrackingLeave);
        EXPECT_EQ(s.bSpaceDown, c.spaceDown);
        EXPECT_EQ(s.nState, c.stateAfter) << c.spaceDown << c.enabled;
        EXPECT_EQ(rig.log.size(), c.raised ? 1u : 0u);
    }
    s.Enabled = true;
    s.bSpaceDown = s.bIsDown = false;

    // The system's leave tracking, asked for while the cursor is over the
    // button, reaches it through its own-window hook once the cursor goes.
    RECT r{};
    GetWindowRect(b.hWnd(), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
    s.bIsHot = s.bTrackingLeave = true;
    rig.log.clear();
    b.RequestMouseLeave();
    SetCursorPos(0, 0);
    for (int i = 0; i < 40 && s.bTrackingLeave; ++i) Pump(50);
    EXPECT_FALSE(s.bTrackingLeave);
    EXPECT_EQ(rig.log, std::vector<std::string>{"MouseLeave"});
}

}  // namespace
