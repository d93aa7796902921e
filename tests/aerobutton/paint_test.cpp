#include "paint.h"

#include <gtest/gtest.h>

#include "test_image.h"

namespace {

using namespace aerotest;  // frame colours

TEST(FacePainting, MiddleRowRoundsHalvesToEven) {
    const long heights[] = {22, 23, 24, 25, 26, 27};
    const long middles[] = {11, 12, 12, 12, 13, 14};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(aero::MiddleRow(heights[i]), middles[i]) << "H " << heights[i];
}

TEST(FacePainting, FaceFromStateAndCheckedValue) {
    struct Case {
        long state;
        bool checkBox, value, enabled;
        aero::Face face;
    };
    const Case cases[] = {
        {aero::Normal, false, false, true, aero::Face::Normal},
        {aero::Hot, false, false, true, aero::Face::Hot},
        {aero::Down, false, false, true, aero::Face::Down},
        {aero::Disabled, false, false, false, aero::Face::Disabled},
        {aero::Normal, true, true, true, aero::Face::Checked},
        {aero::Hot, true, true, true, aero::Face::Checked},  // hovering keeps the checked face
        {aero::Down, true, true, true, aero::Face::Checked},  // a pressed check box stays checked
        {aero::Normal, false, true, true, aero::Face::Checked},  // Value without check box mode
        {aero::Down, false, true, true, aero::Face::Down},
        {aero::Down, true, true, false, aero::Face::Down},  // the rule needs Enabled
        {aero::Disabled, true, true, false, aero::Face::Disabled},
    };
    for (const Case& c : cases) {
        aero::AeroButtonState s;
        s.CheckBoxMode = c.checkBox;
        s.Value = c.value;
        s.Enabled = c.enabled;
        EXPECT_EQ(aero::ChooseFace(aero::FaceState(c.state, s), s.Value), c.face)
            << "state " << c.state << " checkbox " << c.checkBox << " value " << c.value;
    }
}

TEST(FacePainting, RingAndBorderRules) {
    struct Case {
        const char* what;
        long nState, F;
        bool mouseDown, hot, hostActive, focus, isDefault;
        long border;
        bool ring;
        long ringColour;
    };
    const Case cases[] = {
        {"idle", aero::Normal, 0, false, false, true, false, false, kPlain, true, kWhite},
        {"hot", aero::Hot, 1, false, true, true, false, false, kActive, true, kWhite},
        {"held off the control", aero::Normal, 0, true, false, true, false, false, kActive, true, kWhite},
        {"held off, still down", aero::Down, 2, true, false, true, false, false, kPressed, false, 0},
        {"focused", aero::Normal, 0, false, false, true, true, false, kActive, true, kCyan},
        {"focused, host inactive", aero::Normal, 0, false, false, false, true, false, kPlain, true, kWhite},
        {"default", aero::Normal, 0, false, false, true, false, true, kActive, true, kCyan},
        {"default, host inactive", aero::Normal, 0, false, false, false, false, true, kPlain, true, kWhite},
        {"hot beats focus", aero::Hot, 1, false, true, true, true, false, kActive, true, kWhite},
        {"pressed with focus", aero::Down, 2, true, true, true, true, false, kPressed, false, 0},
        {"checked and pressed", aero::Down, 0, true, true, true, true, false, kPressed, false, 0},
        {"disabled with focus", aero::Disabled, 3, false, true, true, true, true, kDisabledBorder, false, 0},
    };
    for (const Case& c : cases) {
        aero::AeroButtonState s;
        s.nState = c.nState;
        s.bMouseDown = c.mouseDown;
        s.bIsHot = c.hot;
        s.bHostActive = c.hostActive;
        s.bHasFocus = c.focus;
        s.bDisplayAsDefault = c.isDefault;
        const aero::Frame frame = aero::ChooseFrame(c.F, s);
        EXPECT_EQ(frame.border, c.border) << c.what;
        EXPECT_EQ(frame.ring, c.ring) << c.what;
        if (c.ring) {
            EXPECT_EQ(frame.ringColour, c.ringColour) << c.what;
        }
    }
}

}  // namespace
