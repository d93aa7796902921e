// Input on real AeroButtons inside a real form: mouse messages through the
// surface's window procedure, keys typed into the input stream, and the events
// the host sees recorded in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "aerobutton/aerobutton.h"
#include "input.h"
#include "pump.h"
#include "runtime/app.h"
#include "runtime/form.h"

namespace {

using Log = std::vector<std::string>;

// Three buttons in tab order on one form, made once: under Wine every new
// top-level window waits for its mapping. Left to the end of the process.
struct Rig {
    rt::Form form;
    aero::AeroButton buttons[3];
    Log log;

    Rig() {
        EXPECT_TRUE(form.Create(L"input", 320, 60));
        for (int i = 0; i < 3; ++i) {
            aero::AeroButton& b = buttons[i];
            EXPECT_TRUE(b.Create(form, L"cmd" + std::to_wstring(i), 10 + 100 * i, 15, 90, 25));
            b.SetTabIndex(i);
            form.Attach(b);
            b.InitNew();
            Record(b, static_cast<char>('0' + i));
        }
        form.Load();
        form.Show();
        Pump(200);
    }

    // Entries read "b1 KeyDown 32 0": the button, the event, its numbers.
    void Add(char who, const char* what, std::initializer_list<int> numbers = {}) {
        std::string entry{'b', who, ' '};
        entry.append(what);
        for (int n : numbers) entry.append(" ").append(std::to_string(n));
        log.push_back(entry);
    }

    void Record(aero::AeroButton& b, char who) {
        aero::AeroButtonEvents& e = b.Events();
        e.Click = [=, this, &b] { Add(who, b.Value() ? "Click checked" : "Click"); };
        e.DblClick = [=, this] { Add(who, "DblClick"); };
        e.KeyDown = [=, this](short& k, short& s) { Add(who, "KeyDown", {k, s}); };
        e.KeyUp = [=, this](short& k, short& s) { Add(who, "KeyUp", {k, s}); };
        e.KeyPress = [=, this](short& k) { Add(who, "KeyPress", {k}); };
        e.MouseDown = [=, this](short& button, short&, float&, float&) { Add(who, "MouseDown", {button}); };
        e.MouseUp = [=, this](short& button, short&, float&, float&) { Add(who, "MouseUp", {button}); };
        e.MouseMove = [=, this](short&, short&, float&, float&) { Add(who, "MouseMove"); };
        e.MouseEnter = [=, this] { Add(who, "MouseEnter"); };
        e.MouseLeave = [=, this] { Add(who, "MouseLeave"); };
    }
};

struct InputTest : ::testing::Test {
    Rig& rig = *[] {
        static Rig* rig = new Rig;
        return rig;
    }();
    aero::AeroButton& b = rig.buttons[1];

    // The rig's buttons have no hooks, so no leave message ends a hover: a move
    // heard with the cursor away does. For the same reason a rig button raises
    // MouseEnter only at its first entry in the process; tests clear it away.
    void SetUp() override {
        SetForegroundWindow(rig.form.hWnd());
        Focus(1);
        CursorTo(Outside());
        for (aero::AeroButton& each : rig.buttons) {
            each.SetCheckBoxMode(false);  // unchecked too
            SendMessageW(each.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(-5, -5));
        }
        rig.log.clear();
    }

    POINT Over(int x = 40, int y = 12) const {
        POINT pt{x, y};
        ClientToScreen(b.hWnd(), &pt);
        return pt;
    }
    POINT Outside() const {
        POINT pt{5, 50};
        ClientToScreen(rig.form.hWnd(), &pt);
        return pt;
    }
    static void CursorTo(POINT pt) {
        SetCursorPos(pt.x, pt.y);
        Pump(60);
    }
    // A mouse message through the surface's window procedure, at a screen point.
    void Post(UINT msg, WPARAM keys, POINT at) {
        ScreenToClient(b.hWnd(), &at);
        PostMessageW(b.hWnd(), msg, keys, MAKELPARAM(at.x, at.y));
        Pump(20);
    }
    void LeftClick() {
        Post(WM_LBUTTONDOWN, MK_LBUTTON, Over());
        Post(WM_LBUTTONUP, 0, Over());
    }
    static void Key(WORD vk, bool up) {
        testkit::SendKeys({{vk, up}});
        Pump(60);
    }
    static void Tap(WORD vk) {
        Key(vk, false);
        Key(vk, true);
    }
    void Focus(int i) {
        SetFocus(Window(i));
        Pump(20);
    }
    HWND Window(int i) const { return rig.buttons[i].hWnd(); }
    // The log so far without the entries containing any of `without`; clears it.
    Log Take(std::initializer_list<const char*> without = {"MouseMove"}) {
        Log out;
        for (const auto& entry : rig.log)
            if (std::none_of(without.begin(), without.end(),
                             [&](const char* part) { return entry.find(part) != std::string::npos; }))
                out.push_back(entry);
        rig.log.clear();
        return out;
    }
};

TEST_F(InputTest, MouseSequencesOverAndAwayFromTheButton) {
    CursorTo(Over());
    Take();
    Post(WM_LBUTTONDOWN, MK_LBUTTON, Over());
    EXPECT_EQ(b.State(), aero::Down);
    Post(WM_LBUTTONUP, 0, Over());
    EXPECT_EQ(Take(), (Log{"b1 MouseDown 1", "b1 MouseUp 1", "b1 Click"}));
    EXPECT_EQ(b.State(), aero::Hot);

    LeftClick();
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, Over());
    EXPECT_EQ(b.State(), aero::Down);
    Post(WM_LBUTTONUP, 0, Over());
    EXPECT_EQ(Take(), (Log{"b1 MouseDown 1", "b1 MouseUp 1", "b1 Click", "b1 DblClick", "b1 MouseUp 1"}));
    EXPECT_EQ(b.State(), aero::Hot);
    EXPECT_NE(GetCapture(), b.hWnd());

    Post(WM_RBUTTONDOWN, MK_RBUTTON, Over());
    Post(WM_RBUTTONUP, 0, Over());
    EXPECT_EQ(Take(), Log{"b1 MouseDown 2"});

    // Dragged away: still down at the first move, hot from the second, no click.
    Post(WM_LBUTTONDOWN, MK_LBUTTON, Over());
    CursorTo(Outside());  // the held mouse brings this move to the button
    EXPECT_EQ(b.State(), aero::Down);
    Post(WM_MOUSEMOVE, MK_LBUTTON, Outside());
    EXPECT_EQ(b.State(), aero::Hot);
    Post(WM_LBUTTONUP, 0, Outside());
    Post(WM_LBUTTONUP, 0, Over());  // a release with no press before it
    EXPECT_EQ(Take(), (Log{"b1 MouseDown 1", "b1 MouseLeave", "b1 MouseUp 1"}));
}

TEST_F(InputTest, FirstMoveOverTheButtonEntersLaterOnesMove) {
    aero::AeroButton fresh;  // one the cursor has never been over
    ASSERT_TRUE(fresh.Create(rig.form, L"cmdFresh", 200, 42, 60, 15));
    fresh.InitNew();
    rig.Record(fresh, '3');
    for (const POINT at : {POINT{30, 7}, POINT{31, 8}}) {
        POINT screen = at;
        ClientToScreen(fresh.hWnd(), &screen);
        CursorTo(screen);
    }
    const Log log = Take({});
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "b3 MouseEnter");
    EXPECT_EQ(std::count(log.begin(), log.end(), "b3 MouseEnter"), 1);
    EXPECT_EQ(log.back(), "b3 MouseMove");
    EXPECT_EQ(fresh.State(), aero::Hot);
}

TEST_F(InputTest, SpacePressesOtherKeysCancelAltSpaceOnlyReports) {
    Key(VK_SPACE, false);
    EXPECT_EQ(b.State(), aero::Down);
    EXPECT_EQ(GetCapture(), b.hWnd());
    Key(VK_SPACE, true);
    EXPECT_EQ(Take(), (Log{"b1 KeyDown 32 0", "b1 KeyPress 32", "b1 Click", "b1 KeyUp 32 0"}));
    EXPECT_NE(GetCapture(), b.hWnd());

    Key(VK_SPACE, false);
    Key(VK_F2, false);
    EXPECT_EQ(b.State(), aero::Normal);
    Key(VK_F2, true);
    Key(VK_SPACE, true);
    EXPECT_EQ(Take(),
              (Log{"b1 KeyDown 32 0", "b1 KeyPress 32", "b1 KeyDown 113 0", "b1 KeyUp 113 0", "b1 KeyUp 32 0"}));

    Key(VK_MENU, false);
    Key(VK_SPACE, false);
    EXPECT_FALSE(b.IsPressed());
    Key(VK_SPACE, true);
    Key(VK_MENU, true);
    EXPECT_EQ(Take({" 18 ", "MouseMove"}), (Log{"b1 KeyDown 32 4", "b1 KeyUp 32 4"}));
}

TEST_F(InputTest, SpaceAndLeftButtonTogetherClickOnceOnTheLastRelease) {
    CursorTo(Over());
    Take();
    Key(VK_SPACE, false);
    LeftClick();
    EXPECT_EQ(Take(), (Log{"b1 KeyDown 32 0", "b1 KeyPress 32", "b1 MouseDown 1", "b1 MouseUp 1"}));
    Key(VK_SPACE, true);
    EXPECT_EQ(Take(), (Log{"b1 Click", "b1 KeyUp 32 0"}));

    Post(WM_LBUTTONDOWN, MK_LBUTTON, Over());
    Tap(VK_SPACE);
    EXPECT_EQ(GetCapture(), b.hWnd()) << "the held button keeps the mouse";
    Post(WM_LBUTTONUP, 0, Over());
    EXPECT_EQ(Take(), (Log{"b1 MouseDown 1", "b1 KeyDown 32 0", "b1 KeyPress 32", "b1 KeyUp 32 0", "b1 MouseUp 1",
                           "b1 Click"}));
}

TEST_F(InputTest, ArrowsMoveTheFocusWithoutKeyDownAndClickAHeldSpace) {
    struct Case {
        WORD modifier, arrow;
        int focusAfter;
    };
    const Case cases[] = {{0, VK_RIGHT, 2},         {0, VK_DOWN, 2},         {0, VK_LEFT, 0},
                          {0, VK_UP, 0},            {VK_CONTROL, VK_DOWN, 1}, {VK_SHIFT, VK_LEFT, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arrow);
        Focus(1);
        if (c.modifier) Key(c.modifier, false);
        Tap(c.arrow);
        if (c.modifier) Key(c.modifier, true);
        EXPECT_EQ(GetFocus(), Window(c.focusAfter));
        for (const std::string& entry : Take()) EXPECT_EQ(entry.find("KeyDown 3"), std::string::npos) << entry;
    }

    // The focus leaves, which ends the press, and only then does the button click.
    Focus(1);
    const auto click = b.Events().Click;
    bool focusLeftFirst = false;
    b.Events().Click = [&] {
        focusLeftFirst = GetFocus() == Window(2);
        click();
    };
    Key(VK_SPACE, false);
    Tap(VK_RIGHT);
    Key(VK_SPACE, true);
    b.Events().Click = click;
    EXPECT_EQ(GetFocus(), Window(2));
    EXPECT_TRUE(focusLeftFirst);
    EXPECT_NE(GetCapture(), Window(1));
    EXPECT_EQ(Take(), (Log{"b1 KeyDown 32 0", "b1 KeyPress 32", "b1 Click", "b2 KeyUp 39 0", "b2 KeyUp 32 0"}));

    // Tab itself does not click, and the mouse held for Space is let go.
    Focus(1);
    Key(VK_SPACE, false);
    Tap(VK_TAB);
    EXPECT_EQ(GetFocus(), Window(2));
    EXPECT_NE(GetCapture(), Window(1));
    Key(VK_SPACE, true);
    EXPECT_EQ(Take(), (Log{"b1 KeyDown 32 0", "b1 KeyPress 32", "b2 KeyUp 9 0", "b2 KeyUp 32 0"}));
}

TEST_F(InputTest, CheckBoxModeTogglesBeforeClickAndIgnoresEnterAndEsc) {
    b.SetCheckBoxMode(true);
    CursorTo(Over());
    Take();
    LeftClick();
    Tap(VK_SPACE);
    Tap(VK_RETURN);  // the form routes Enter to the focused button
    short esc = 27;
    b.OnAccessKey(esc);
    EXPECT_FALSE(b.Value());
    EXPECT_EQ(Take({"Key", "MouseMove"}), (Log{"b1 MouseDown 1", "b1 MouseUp 1", "b1 Click checked", "b1 Click"}));

    b.SetCheckBoxMode(false);
    Tap(VK_RETURN);
    b.SetEnabled(false);
    short letter = 'a';
    b.OnAccessKey(letter);
    b.SetEnabled(true);
    EXPECT_EQ(Take({"Key", "MouseMove"}), Log{"b1 Click"});
}

TEST_F(InputTest, OnlyTheExactAmbientNameEndsAPendingPress) {
    Key(VK_SPACE, false);
    ASSERT_TRUE(b.IsPressed());
    b.OnAmbientChanged(L"displayasdefault");
    EXPECT_TRUE(b.IsPressed());
    b.OnAmbientChanged(L"DisplayAsDefault");
    EXPECT_FALSE(b.IsPressed());
    Key(VK_SPACE, true);  // the Space press ended with it: no click
    EXPECT_EQ(Take(), (Log{"b1 KeyDown 32 0", "b1 KeyPress 32", "b1 KeyUp 32 0"}));
}

}  // namespace
