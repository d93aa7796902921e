#include "keys.h"

#include <gtest/gtest.h>

#include "app.h"
#include "form.h"
#include "form_testkit.h"
#include "textbox.h"

namespace {

TEST(Keys, TabKeystrokesPressOrLiftShiftAsNeeded) {
    struct Key {
        WORD vk;
        bool up;
    };
    struct Case {
        bool shift, shiftHeld;
        std::vector<Key> expected;
    } cases[] = {
        {false, false, {{VK_TAB, false}, {VK_TAB, true}}},
        {true, false, {{VK_SHIFT, false}, {VK_TAB, false}, {VK_TAB, true}, {VK_SHIFT, true}}},
        {true, true, {{VK_TAB, false}, {VK_TAB, true}}},
        // A held Shift is lifted for a plain Tab and pressed again afterwards.
        {false, true, {{VK_SHIFT, true}, {VK_TAB, false}, {VK_TAB, true}, {VK_SHIFT, false}}},
    };
    for (const Case& c : cases) {
        std::vector<INPUT> keys = rt::TabKeystrokes(c.shift, c.shiftHeld);
        ASSERT_EQ(keys.size(), c.expected.size()) << c.shift << c.shiftHeld;
        for (size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(keys[i].type, static_cast<DWORD>(INPUT_KEYBOARD));
            EXPECT_EQ(keys[i].ki.wVk, c.expected[i].vk) << i;
            EXPECT_EQ((keys[i].ki.dwFlags & KEYEVENTF_KEYUP) != 0, c.expected[i].up) << i;
        }
    }
}

TEST(Keys, TypedTabMovesTheFocusThroughDoEvents) {
    auto form = rt::MakePlainForm(L"Typed Tab", 300, 120);
    ASSERT_TRUE(form);
    rt::TextBox* boxes[3] = {};
    for (int i = 0; i < 3; ++i) {
        boxes[i] = &form->Add(std::make_unique<rt::TextBox>());
        ASSERT_TRUE(boxes[i]->Create(*form, L"txt" + std::to_wstring(i), 10, 10 + 30 * i, 100, 22));
        boxes[i]->SetTabIndex(i);
    }
    form->Show();
    formtest::Pump(100);
    ASSERT_EQ(GetFocus(), boxes[0]->hWnd());

    ASSERT_TRUE(rt::SendTabKeystroke(false));
    EXPECT_EQ(rt::DoEvents(), 1);
    formtest::Pump(100);
    EXPECT_EQ(GetFocus(), boxes[1]->hWnd());
    ASSERT_TRUE(rt::SendTabKeystroke(true));
    formtest::Pump(100);
    EXPECT_EQ(GetFocus(), boxes[0]->hWnd());
    ASSERT_TRUE(rt::SendTabKeystroke(true));
    formtest::Pump(100);
    EXPECT_EQ(GetFocus(), boxes[2]->hWnd());
    EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0) << "Shift is left up";
    form->Unload();
    EXPECT_EQ(rt::DoEvents(), 0);
}

}  // namespace
