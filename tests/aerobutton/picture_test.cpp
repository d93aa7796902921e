#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "aerobutton/colourmath.h"
#include "aerobutton/picture_draw.h"
#include "runtime/gdi.h"
#include "test_host.h"
#include "test_image.h"

namespace {

using aerotest::Grey;
using aerotest::HostedButton;
using testkit::PictureOf;
using aerotest::TestImage;

constexpr COLORREF kMask = RGB(192, 192, 192);

aero::PictureSource SourceOf(const rt::PictureRef& picture) {
    return {picture->Type(), picture->Handle(), picture->PixelWidth(), picture->PixelHeight()};
}

aero::PictureDrawing Drawing(RECT box, bool natural = true, float alpha = 1.0f, bool hasKey = true,
                             long key = kMask) {
    return {box, natural, hasKey, key, alpha};
}

COLORREF Black(int, int) { return RGB(0, 0, 0); }
COLORREF MaskLeftRedRight(int x, int) { return x < 8 ? kMask : RGB(255, 0, 0); }
COLORREF Pattern(int x, int y) { return RGB(x, y, 7); }
COLORREF Quadrants(int x, int y) {
    if (y < 16) return x < 16 ? RGB(255, 0, 0) : RGB(0, 255, 0);
    return x < 16 ? RGB(0, 0, 255) : RGB(255, 255, 0);
}

TEST(Pictures, OpacityBlendsOverTheFace) {
    TestImage image(40, 40, RGB(255, 255, 255));
    const rt::PictureRef black = PictureOf(16, 16, Black);
    aero::DrawPicture(image.Canvas(), SourceOf(black), Drawing({4, 4, 20, 20}, true, 0.5f));
    EXPECT_EQ(image.At(4, 4), Grey(128));  // 127.5 to even
    EXPECT_EQ(image.At(19, 19), Grey(128));
    EXPECT_EQ(image.At(20, 20), Grey(255));

    image.Fill(Grey(250));
    aero::DrawPicture(image.Canvas(), SourceOf(black), Drawing({4, 4, 20, 20}, true, 0.2f));
    EXPECT_EQ(image.At(10, 10), Grey(200));
    image.Fill(Grey(250));
    aero::DrawPicture(image.Canvas(), SourceOf(black), Drawing({4, 4, 20, 20}, true, 1.0f, false));
    EXPECT_EQ(image.At(10, 10), Grey(0));
}

TEST(Pictures, MaskColourShowsTheFace) {
    TestImage image(40, 40, Grey(50));
    const rt::PictureRef picture = PictureOf(16, 16, MaskLeftRedRight);
    aero::DrawPicture(image.Canvas(), SourceOf(picture), Drawing({4, 4, 20, 20}));
    EXPECT_EQ(image.At(4, 10), Grey(50));
    EXPECT_EQ(image.At(11, 10), Grey(50));
    EXPECT_EQ(image.At(12, 10), RGB(255, 0, 0));
    // Without a key the mask colour is just a colour.
    aero::DrawPicture(image.Canvas(), SourceOf(picture), Drawing({4, 4, 20, 20}, true, 1.0f, false));
    EXPECT_EQ(image.At(4, 10), kMask);
}

TEST(Pictures, NaturalSizeIsClippedAndCopiedOneToOne) {
    TestImage image(73, 25);
    const rt::PictureRef big = PictureOf(100, 40, Pattern);
    aero::DrawPicture(image.Canvas(), SourceOf(big), Drawing({-13, -7, 87, 33}));
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 73; ++x) ASSERT_EQ(image.At(x, y), RGB(x + 13, y + 7, 7)) << x << ", " << y;

    const rt::PictureRef small = PictureOf(16, 16, Pattern);
    image.Fill(Grey(9));
    aero::DrawPicture(image.Canvas(), SourceOf(small), Drawing({60, 4, 76, 20}));
    for (int x = 60; x < 73; ++x) EXPECT_EQ(image.At(x, 10), RGB(x - 60, 6, 7)) << x;
    EXPECT_EQ(image.At(59, 10), Grey(9));
}

TEST(Pictures, SizedPictureIsStretchedWholeEvenAtTheEdge) {
    TestImage image(73, 25, Grey(9));
    const rt::PictureRef quadrants = PictureOf(32, 32, Quadrants);
    // Reaches the right edge but was not clipped: still the whole picture at half size.
    aero::DrawPicture(image.Canvas(), SourceOf(quadrants), Drawing({57, 4, 73, 20}, false));
    EXPECT_EQ(image.At(58, 5), RGB(255, 0, 0));
    EXPECT_EQ(image.At(71, 5), RGB(0, 255, 0));
    EXPECT_EQ(image.At(58, 18), RGB(0, 0, 255));
    EXPECT_EQ(image.At(71, 18), RGB(255, 255, 0));
    // Sized pictures are not clipped: a box off the client area draws only what lands on it.
    image.Fill(Grey(9));
    aero::DrawPicture(image.Canvas(), SourceOf(quadrants), Drawing({-8, 4, 8, 20}, false));
    EXPECT_EQ(image.At(2, 5), RGB(0, 255, 0));
}

TEST(Pictures, EmptyBoxDrawsNothingAndNothingLeaks) {
    TestImage image(30, 30, Grey(9));
    const rt::PictureRef picture = PictureOf(16, 16, Black);
    const long before = rt::gdi::LiveObjects();
    aero::DrawPicture(image.Canvas(), SourceOf(picture), Drawing({5, 5, 5, 20}));
    aero::DrawPicture(image.Canvas(), SourceOf(picture), Drawing({40, 40, 56, 56}));  // clipped away
    EXPECT_EQ(image.At(5, 10), Grey(9));
    aero::DrawPicture(image.Canvas(), SourceOf(picture), Drawing({5, 5, 21, 21}, true, 0.5f));
    EXPECT_EQ(rt::gdi::LiveObjects(), before);
    EXPECT_EQ(GetCurrentObject(image.Dc(), OBJ_BRUSH), GetStockObject(HOLLOW_BRUSH));
}

// An icon whose left half is transparent and right half red.
rt::PictureRef HalfTransparentIcon() {
    return testkit::IconOf(16, [](int x, int) { return x < 8 ? testkit::kTransparent : RGB(255, 0, 0); });
}

TEST(Pictures, IconTransparencyShowsTheFace) {
    const rt::PictureRef icon = HalfTransparentIcon();
    ASSERT_TRUE(icon);
    for (const bool useMask : {true, false}) {
        TestImage image(40, 40, Grey(50));
        aero::DrawPicture(image.Canvas(), SourceOf(icon), Drawing({4, 4, 20, 20}, true, 1.0f, true,
                                                                 useMask ? kMask : 0));
        EXPECT_EQ(image.At(6, 10), Grey(50)) << "mask colour key " << useMask;
        EXPECT_EQ(image.At(15, 10), RGB(255, 0, 0)) << "mask colour key " << useMask;
    }
}

// A 16 x 16 picture centred on a hosted button: its middle pixel is (36, 12).
void PlacePicture(HostedButton& b, const rt::PictureRef& normal) {
    if (normal) b.Button().SetPictureNormal(normal);  // none would take the hot and down ones with it
    b.Button().SetPictureSizeW(16);
    b.Button().SetPictureSizeH(16);
    b.Button().SetPictureAlignment(aero::Center);
    b.Button().Refresh();
}

TEST(Pictures, DisabledButtonShowsThePictureAtOneFifth) {
    HostedButton b;
    PlacePicture(b, PictureOf(16, 16, Black));
    EXPECT_EQ(b.Button().PictureRect().left, 28);
    EXPECT_EQ(b.At(36, 12), Grey(0));
    b.Button().SetEnabled(false);
    b.Button().Redraw(aero::Disabled, false);
    EXPECT_EQ(b.At(36, 12), Grey(200));
    EXPECT_EQ(b.Button().PictureOpacity(), 100);
    b.Button().SetEnabled(true);
    b.Button().Redraw(aero::Normal, false);
    EXPECT_EQ(b.At(36, 12), Grey(0));
}

TEST(Pictures, MaskedPixelsOfAHostedButtonShowTheFace) {
    HostedButton b;
    PlacePicture(b, PictureOf(16, 16, MaskLeftRedRight));
    EXPECT_EQ(b.At(30, 12), Grey(221));  // the normal face's middle row
    EXPECT_EQ(b.At(40, 12), RGB(255, 0, 0));
}

COLORREF Red(int, int) { return RGB(255, 0, 0); }
COLORREF Green(int, int) { return RGB(0, 255, 0); }
COLORREF Blue(int, int) { return RGB(0, 0, 255); }

TEST(Pictures, StateChoosesThePicture) {
    const rt::PictureRef red = PictureOf(16, 16, Red), green = PictureOf(16, 16, Green),
                         blue = PictureOf(16, 16, Blue);
    struct Case {
        bool normal, hot, down, value;
        long state;
        COLORREF shown;
    };
    const COLORREF r = RGB(255, 0, 0), g = RGB(0, 255, 0), bl = RGB(0, 0, 255);
    const Case cases[] = {
        {true, true, true, false, aero::Normal, r},  {true, true, true, false, aero::Hot, g},
        {true, true, true, false, aero::Down, bl},   {true, true, true, true, aero::Normal, bl},
        {true, true, false, false, aero::Down, g},   {true, false, false, false, aero::Down, r},
        {true, false, true, false, aero::Hot, r},    {false, true, true, false, aero::Hot, RGB(182, 226, 250)},  // the hot face: no picture
        {true, true, true, false, aero::Disabled, RGB(251, 200, 200)},  // red at 20 % over 250
    };
    for (const Case& c : cases) {
        HostedButton b;
        rt::PropertyBag stored;  // taken as saved: a hot or down picture without a normal one, a pushed Value
        stored.Set(L"PicHot", c.hot ? green : nullptr);
        stored.Set(L"PicDown", c.down ? blue : nullptr);
        stored.Set(L"Value", c.value);
        stored.Set(L"Caption", std::wstring());
        b.Button().LoadProperties(stored);
        PlacePicture(b, c.normal ? red : nullptr);
        b.Button().Redraw(c.state, true);
        EXPECT_EQ(b.At(36, 12), c.shown) << "state " << c.state << " value " << c.value << " normal " << c.normal;
    }
}

TEST(Pictures, HugeSizesAreClippedToTheControl) {
    // Sizes near the 32-bit limits once wrapped the buffer size; every box now
    // stops at the control, and nothing outside it changes.
    const struct {
        long w, h, alignment;
        RECT box;  // what the picture covers
    } cases[] = {
        {LONG_MAX, 8, aero::Center, {0, 8, 73, 16}},
        {8, LONG_MAX, aero::Center, {32, 0, 40, 25}},
        {LONG_MAX, LONG_MAX, aero::RightEdge, {0, 0, 69, 25}},
        {LONG_MAX, LONG_MAX, aero::BottomEdge, {0, 0, 73, 21}},
        {LONG_MIN, LONG_MAX, aero::Center, {0, 0, 0, 0}},
    };
    const rt::PictureRef red = PictureOf(16, 16, Red);
    for (const auto& c : cases) {
        HostedButton b;
        std::vector<COLORREF> before;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 73; ++x) before.push_back(b.At(x, y));
        b.Button().SetPictureNormal(red);
        b.Button().SetPictureAlignment(c.alignment);
        b.Button().SetPictureSizeW(c.w);
        b.Button().SetPictureSizeH(c.h);
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 73; ++x) {
                const POINT p{x, y};
                const auto where = [&] {
                    return std::to_string(c.w) + " x " + std::to_string(c.h) + " at " + std::to_string(x) + ", " +
                           std::to_string(y);
                };
                const bool ringOrBorder = x < 2 || y < 2 || x > 70 || y > 22;
                if (!PtInRect(&c.box, p)) {
                    ASSERT_EQ(b.At(x, y), before[y * 73 + x]) << where();
                } else if (!ringOrBorder) {
                    ASSERT_EQ(b.At(x, y), RGB(255, 0, 0)) << where();
                }
            }
    }
}

}  // namespace
