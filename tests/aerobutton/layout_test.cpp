#include "aerobutton/layout.h"

#include <gtest/gtest.h>

#include <ostream>

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

aero::LayoutInput Input(long W, long H, long alignment, bool caption = true) {
    aero::LayoutInput in;
    in.W = W;
    in.H = H;
    in.hasCaption = caption;
    in.tw = caption ? 40 : 0;
    in.th = caption ? 13 : 0;
    in.hasPicture = true;
    in.PW = 16;
    in.PH = 16;
    in.alignment = alignment;
    return in;
}

TEST(Layout, EveryAlignmentWithCaptionAndPicture) {
    struct Case {
        long W, H, alignment;
        bool caption;
        RECT picture, caption_;
    };
    const Case cases[] = {
        {73, 25, 0, true, {28, 4, 44, 20}, {16, 6, 56, 19}},
        // The caption overhangs above: the band over the picture is narrower than the text.
        {73, 25, 1, true, {28, 5, 44, 21}, {16, -8, 56, 5}},
        {73, 60, 1, true, {28, 40, 44, 56}, {16, 16, 56, 29}},
        {73, 25, 2, true, {28, 11, 44, 27}, {16, -2, 56, 11}},
        {73, 25, 3, true, {4, 4, 20, 20}, {25, 6, 65, 19}},
        {73, 25, 4, true, {7, 4, 23, 20}, {25, 6, 65, 19}},
        {73, 25, 5, true, {53, 4, 69, 20}, {8, 6, 48, 19}},
        {73, 25, 6, true, {49, 4, 65, 20}, {7, 6, 47, 19}},
        {73, 25, 7, true, {28, 4, 44, 20}, {16, 20, 56, 33}},
        {73, 60, 7, true, {28, 4, 44, 20}, {16, 31, 56, 44}},
        {73, 25, 8, true, {28, -2, 44, 14}, {16, 14, 56, 27}},
        {73, 25, 9, true, {0, 0, 16, 16}, {16, 6, 56, 19}},
        {73, 25, -1, true, {0, 0, 16, 16}, {16, 6, 56, 19}},
        // Without a caption the picture is centred on its free axis and there is no gap.
        {73, 25, 2, false, {28, 4, 44, 20}, {36, 0, 36, 0}},
        {73, 25, 3, false, {4, 4, 20, 20}, {0, 12, 0, 12}},
        {73, 25, 4, false, {28, 4, 44, 20}, {0, 12, 0, 12}},
        {73, 25, 6, false, {28, 4, 44, 20}, {0, 12, 0, 12}},
        {73, 25, 8, false, {28, 4, 44, 20}, {36, 0, 36, 0}},
    };
    for (const Case& c : cases) {
        const aero::LayoutResult out = aero::PlaceCaptionAndPicture(Input(c.W, c.H, c.alignment, c.caption));
        EXPECT_EQ(out.picture, c.picture) << "alignment " << c.alignment << " H " << c.H << " caption " << c.caption;
        EXPECT_EQ(out.caption, c.caption_) << "alignment " << c.alignment << " H " << c.H << " caption " << c.caption;
    }
}

TEST(Layout, CaptionAloneIsCentredWithTruncatedHalves) {
    aero::LayoutInput in;
    in.W = 73;
    in.H = 25;
    EXPECT_EQ(aero::PlaceCaptionAndPicture(in).caption, (RECT{36, 12, 36, 12}));  // no caption, no picture
    in.hasCaption = true;
    in.tw = 80;  // wider than the control: (73 - 80) / 2 truncates to -3
    in.th = 13;
    EXPECT_EQ(aero::PlaceCaptionAndPicture(in).caption, (RECT{-3, 6, 77, 19}));
}

}  // namespace
