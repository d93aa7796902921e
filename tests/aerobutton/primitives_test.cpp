#include "aerobutton/primitives.h"

#include <gtest/gtest.h>

#include "runtime/gdi.h"
#include "test_image.h"

namespace {

using aerotest::Grey;
using aerotest::TestImage;

constexpr COLORREF kBlank = RGB(1, 2, 3);
constexpr long kRed = 0x0000FF;

// Which pixels of a rectangle of the image were drawn (differ from the blank fill).
std::string Drawn(const TestImage& image, long x0, long y0, long x1, long y1) {
    std::string out;
    for (long y = y0; y <= y1; ++y) {
        for (long x = x0; x <= x1; ++x) out += image.At(x, y) == kBlank ? '.' : '#';
        out += '\n';
    }
    return out;
}

TEST(Primitives, LinesCoverBothEndPoints) {
    TestImage image(80, 30, kBlank);
    aero::DrawLine(image.Canvas(), kRed, 1, 1, 1, 24);
    for (long y = 0; y <= 25; ++y) EXPECT_EQ(image.At(1, y) != kBlank, y >= 1 && y <= 24) << "row " << y;

    image.Fill(kBlank);
    aero::DrawLine(image.Canvas(), kRed, 1, 1, 72, 1);
    for (long x = 0; x <= 73; ++x) EXPECT_EQ(image.At(x, 1) != kBlank, x >= 1 && x <= 72) << "column " << x;
    EXPECT_EQ(image.At(5, 1), RGB(255, 0, 0));

    image.Fill(kBlank);
    aero::DrawLine(image.Canvas(), kRed, 5, 5, 5, 5);
    EXPECT_EQ(Drawn(image, 4, 4, 6, 6), "...\n.#.\n...\n");
}

TEST(Primitives, BoxOutlinesWithoutFilling) {
    TestImage image(80, 30, kBlank);
    aero::DrawBox(image.Canvas(), kRed, 0, 0, 73, 25);
    for (long y = 0; y <= 25; ++y) {
        for (long x = 0; x <= 73; ++x) {
            const bool outline = (x == 0 || x == 72 || y == 0 || y == 24) && x <= 72 && y <= 24;
            ASSERT_EQ(image.At(x, y) != kBlank, outline) << x << ", " << y;
        }
    }
}

TEST(Primitives, FillCoversTheClientArea) {
    TestImage image(20, 16, kBlank);
    aero::FillButton(image.Canvas(), 0x123456);
    EXPECT_EQ(Drawn(image, 0, 0, 19, 15).find('.'), std::string::npos);
    EXPECT_EQ(image.At(19, 15), static_cast<COLORREF>(0x123456));
}

TEST(Primitives, GradientBoundsAndClamps) {
    TestImage image(30, 20, kBlank);
    const aero::Canvas c = image.Canvas();
    // y2 below y1 is raised to y1: one row; x2 = -1 reaches the last column.
    aero::DrawGradient(c, 0x101010, 0x202020, 50, 3, 7, -1, 2);
    EXPECT_EQ(Drawn(image, 2, 6, 29, 8),
              std::string(28, '.') + "\n." + std::string(27, '#') + "\n" + std::string(28, '.') + "\n");
    // y2 = -1 reaches the last row.
    image.Fill(kBlank);
    aero::DrawGradient(c, 0x101010, 0x202020, 50, 0, 10, 29, -1);
    EXPECT_NE(image.At(0, 19), kBlank);
    EXPECT_EQ(image.At(0, 19), Grey(0x20));
    EXPECT_EQ(image.At(0, 9), kBlank);

    // 150 percent splits like 100.
    TestImage other(30, 20, kBlank);
    aero::DrawGradient(c, Grey(10), Grey(250), 150, 0, 0, 29, 19);
    aero::DrawGradient(other.Canvas(), Grey(10), Grey(250), 100, 0, 0, 29, 19);
    for (long y = 0; y < 20; ++y) EXPECT_EQ(image.At(3, y), other.At(3, y)) << "row " << y;

    // A single column is drawn pixel by pixel.
    image.Fill(kBlank);
    aero::DrawGradient(c, Grey(0), Grey(0), 50, 4, 2, 4, 5);
    EXPECT_EQ(Drawn(image, 3, 1, 5, 6), "...\n.#.\n.#.\n.#.\n.#.\n...\n");
}

TEST(Primitives, GiveBackEveryObjectTheyMake) {
    TestImage image(30, 20);
    const long before = rt::gdi::LiveObjects();
    aero::FillButton(image.Canvas(), 1);
    aero::DrawLine(image.Canvas(), 1, 0, 0, 5, 5);
    aero::DrawBox(image.Canvas(), 1, 0, 0, 5, 5);
    aero::DrawGradient(image.Canvas(), 1, 2, 50, 0, 0, -1, -1);
    EXPECT_EQ(rt::gdi::LiveObjects(), before);
    // Nothing the primitives made stays selected: the hollow stock brush is still in place.
    EXPECT_EQ(GetCurrentObject(image.Dc(), OBJ_BRUSH), GetStockObject(HOLLOW_BRUSH));
    EXPECT_EQ(GetCurrentObject(image.Dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
}

}  // namespace
