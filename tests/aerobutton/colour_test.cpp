#include "aerobutton/colourmath.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using aero::MakeRGB;

TEST(ColourArithmetic, SplitAndJoinAreInverse) {
    const aero::ColorChannels ch = aero::SplitColor(MakeRGB(12, 200, 255));
    EXPECT_EQ(ch.Red, 12);
    EXPECT_EQ(ch.Green, 200);
    EXPECT_EQ(ch.Blue, 255);
    EXPECT_EQ(MakeRGB(12, 200, 255), static_cast<long>(RGB(12, 200, 255)));
}

TEST(ColourArithmetic, ShiftColorRoundsAndClamps) {
    struct Case {
        long colour;
        float amount;
        long expected;
    };
    const Case cases[] = {
        {MakeRGB(230, 230, 230), 0.08f, MakeRGB(250, 250, 250)},
        {MakeRGB(230, 230, 230), 0.02f, MakeRGB(235, 235, 235)},
        // -0.1 in single precision is a little beyond -0.1: the channel loses 26, not 25.
        {MakeRGB(230, 230, 230), -0.1f, MakeRGB(204, 204, 204)},
        {MakeRGB(100, 101, 255), -0.1f, MakeRGB(74, 75, 229)},
        {MakeRGB(240, 10, 250), 0.08f, MakeRGB(255, 30, 255)},
        {MakeRGB(20, 26, 100), -0.1f, MakeRGB(0, 0, 74)},
        {MakeRGB(250, 250, 250), 0.08f, MakeRGB(255, 255, 255)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(aero::ShiftColor(c.colour, c.amount), c.expected) << std::hex << c.colour << " " << c.amount;
}

TEST(ColourArithmetic, BlendColorsRoundsHalvesToEven) {
    EXPECT_EQ(aero::BlendColors(MakeRGB(250, 250, 250), MakeRGB(235, 235, 235), 0.5f), MakeRGB(242, 242, 242));
    EXPECT_EQ(aero::BlendColors(MakeRGB(0, 1, 3), MakeRGB(1, 2, 0), 0.5f), MakeRGB(0, 2, 2));
    EXPECT_EQ(aero::BlendColors(MakeRGB(10, 20, 30), MakeRGB(200, 100, 50), 0.0f), MakeRGB(10, 20, 30));
    EXPECT_EQ(aero::BlendColors(MakeRGB(10, 20, 30), MakeRGB(200, 100, 50), 1.0f), MakeRGB(200, 100, 50));
}

TEST(ColourArithmetic, ClampSingle) {
    EXPECT_EQ(aero::ClampSingle(150.0f, 0, 100), 100.0f);
    EXPECT_EQ(aero::ClampSingle(-3.5f, 0, 100), 0.0f);
    EXPECT_EQ(aero::ClampSingle(42.25f, 0, 100), 42.25f);
}

TEST(ColourArithmetic, BlendPixelPerByte) {
    const uint8_t face[3] = {250, 250, 255};
    const uint8_t picture[3] = {0, 0, 0};
    uint8_t out[3];
    aero::BlendPixel(face, picture, 0.2f, out);
    EXPECT_EQ(out[0], 200);
    aero::BlendPixel(face, picture, 0.5f, out);
    EXPECT_EQ(out[1], 125);
    EXPECT_EQ(out[2], 128);  // 127.5 goes to the even neighbour
}

TEST(ColourArithmetic, PaletteFromDefaultsAndSystemColours) {
    const aero::Palette p = aero::ComputePalette(15132390, 0, 12632256);
    EXPECT_EQ(p.clrFace, RGB(230, 230, 230));
    EXPECT_EQ(p.clrDownFace, RGB(196, 229, 246));
    EXPECT_EQ(p.clrText, RGB(0, 0, 0));
    EXPECT_EQ(p.clrDisabledFace, RGB(250, 250, 250));
    EXPECT_EQ(p.clrDisabledText, RGB(153, 153, 153));
    EXPECT_EQ(p.clrHotLower, RGB(217, 240, 252));
    EXPECT_EQ(p.clrMask, RGB(192, 192, 192));
    EXPECT_EQ(p.clrLightGrey, RGB(242, 242, 242));

    const long buttonFace = static_cast<long>(0x80000000u | COLOR_BTNFACE);
    const long windowText = static_cast<long>(0x80000000u | COLOR_WINDOWTEXT);
    const aero::Palette s = aero::ComputePalette(buttonFace, windowText, buttonFace);
    EXPECT_EQ(s.clrFace, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(s.clrText, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(s.clrMask, GetSysColor(COLOR_BTNFACE));
}

std::vector<long> GreyRows(long top, long bottom, long y1, long y2) {
    const aero::GradientRows plan = aero::PlanGradient(MakeRGB(top, top, top), MakeRGB(bottom, bottom, bottom), 50,
                                                       y1, y2);
    std::vector<long> rows;
    for (long y = y1; y <= y2; ++y) {
        const aero::ColorChannels ch = aero::SplitColor(aero::GradientRowColour(plan, y));
        EXPECT_TRUE(ch.Red == ch.Green && ch.Green == ch.Blue) << "row " << y;
        rows.push_back(ch.Red);
    }
    return rows;
}

TEST(Gradient, RowColoursOfTheWorkedBands) {
    EXPECT_EQ(GreyRows(250, 235, 2, 12), (std::vector<long>{248, 246, 245, 244, 243, 241, 240, 239, 238, 236, 235}));
    EXPECT_EQ(GreyRows(230, 204, 12, 23),
              (std::vector<long>{221, 220, 219, 219, 218, 217, 215, 213, 210, 208, 206, 204}));
    EXPECT_EQ(GreyRows(204, 242, 0, 24),
              (std::vector<long>{204, 206, 207, 209, 211, 212, 214, 216, 217, 219, 221, 222, 224,
                                 225, 227, 228, 230, 231, 233, 234, 236, 237, 239, 240, 242}));
}

TEST(Gradient, SplitRow) {
    EXPECT_EQ(aero::PlanGradient(0, 0, 50, 2, 12).split, 6.5f);
    EXPECT_EQ(aero::PlanGradient(0, 0, 50, 0, 24).split, 11.5f);
    EXPECT_EQ(aero::PlanGradient(0, 0, 150, 0, 11).split, 10.0f);  // percent clamps to 100
    EXPECT_EQ(aero::PlanGradient(0, 0, 0, 0, 11).split, 1.0f);     // a zero split would divide by zero
}

}  // namespace
