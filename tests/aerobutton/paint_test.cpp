#include "aerobutton/paint.h"

#include <gtest/gtest.h>

#include "face_rules.h"
#include "test_image.h"

namespace {

using namespace aerotest;  // frame colours

TEST(FacePainting, MiddleRowRoundsHalvesToEven) {
    const long heights[] = {22, 23, 24, 25, 26, 27};
    const long middles[] = {11, 12, 12, 12, 13, 14};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(aero::MiddleRow(heights[i]), middles[i]) << "H " << heights[i];
}

// Every situation of the one table, on the rule functions alone.
TEST(FacePainting, FaceRingAndBorderOfEverySituation) {
    for (const Situation& c : kSituations) {
        aero::AeroButtonState s;
        s.nState = c.state;
        s.CheckBoxMode = c.checkBox;
        s.Value = c.value;
        s.Enabled = c.enabled;
        s.bMouseDown = c.mouseDown;
        s.bIsHot = c.hot;
        s.bHostActive = c.hostActive;
        s.bHasFocus = c.focus;
        s.bDisplayAsDefault = c.isDefault;
        const long F = aero::FaceState(c.state, s);
        EXPECT_EQ(aero::ChooseFace(F, s.Value), c.face) << c.what;
        const aero::Frame frame = aero::ChooseFrame(F, s);
        EXPECT_EQ(frame.border, static_cast<long>(c.border)) << c.what;
        EXPECT_EQ(frame.ring, c.ring != kNoRing) << c.what;
        if (frame.ring && c.ring != kNoRing) {
            EXPECT_EQ(frame.ringColour, static_cast<long>(c.ring)) << c.what;
        }
    }
}

}  // namespace
