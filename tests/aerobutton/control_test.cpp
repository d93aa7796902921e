#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>

#include <gtest/gtest.h>

#include "colourmath.h"
#include "gdi.h"
#include "paint.h"
#include "test_host.h"
#include "test_image.h"

namespace {

using aerotest::Grey;
using aerotest::HostedButton;

using namespace aerotest;  // frame colours

// Border on the outermost rows and columns, and the four corner pixels.
void ExpectBorder(const HostedButton& b, COLORREF border, const char* what) {
    for (int x = 0; x < 73; ++x) {
        EXPECT_EQ(b.At(x, 0), border) << what << " x " << x;
        EXPECT_EQ(b.At(x, 24), border) << what << " x " << x;
    }
    for (int y = 0; y < 25; ++y) {
        EXPECT_EQ(b.At(0, y), border) << what << " y " << y;
        EXPECT_EQ(b.At(72, y), border) << what << " y " << y;
    }
    EXPECT_EQ(b.At(1, 1), border) << what;
    EXPECT_EQ(b.At(1, 23), border) << what;
    EXPECT_EQ(b.At(71, 1), border) << what;
    EXPECT_EQ(b.At(71, 23), border) << what;
}

TEST(ButtonFaces, NormalFaceOfTheDefaultColours) {
    HostedButton b;
    const int rows[] = {248, 246, 245, 244, 243, 241, 240, 239, 238, 236,  // upper band, rows 2-11
                        221,                                                 // row 12, drawn twice
                        220, 219, 219, 218, 217, 215, 213, 210, 208, 206};  // lower band, rows 13-22
    for (int y = 2; y <= 22; ++y)
        for (int x = 2; x <= 70; ++x) ASSERT_EQ(b.At(x, y), Grey(rows[y - 2])) << x << ", " << y;
    for (int x = 2; x <= 70; ++x) {
        EXPECT_EQ(b.At(x, 1), kWhite) << x;
        EXPECT_EQ(b.At(x, 23), kWhite) << x;
    }
    for (int y = 2; y <= 22; ++y) {
        EXPECT_EQ(b.At(1, y), kWhite) << y;
        EXPECT_EQ(b.At(71, y), kWhite) << y;
    }
    ExpectBorder(b, kPlain, "normal");
}

TEST(ButtonFaces, HotDownAndCheckedFaces) {
    HostedButton b;
    b.Button().Redraw(aero::Hot, false);
    EXPECT_EQ(b.At(36, 2), RGB(232, 245, 253));
    EXPECT_EQ(b.At(36, 11), RGB(219, 241, 252));
    EXPECT_EQ(b.At(36, 12), RGB(182, 226, 250));
    EXPECT_EQ(b.At(36, 22), aero::GradientRowColour(aero::PlanGradient(RGB(190, 230, 253), RGB(167, 217, 245), 50, 12, 23), 22));
    EXPECT_EQ(b.At(36, 23), kWhite);
    ExpectBorder(b, kActive, "hot");

    b.Button().Redraw(aero::Down, false);
    EXPECT_EQ(b.At(36, 2), RGB(224, 242, 251));
    EXPECT_EQ(b.At(36, 11), RGB(199, 230, 247));
    EXPECT_EQ(b.At(36, 12), RGB(135, 198, 232));
    EXPECT_EQ(b.At(36, 23), RGB(104, 179, 219));  // no ring when pressed
    const COLORREF shadow = RGB(158, 176, 186);
    EXPECT_EQ(b.At(36, 1), shadow);
    EXPECT_EQ(b.At(1, 12), shadow);
    EXPECT_EQ(b.At(71, 12), shadow);
    EXPECT_EQ(b.At(1, 23), kPressed);
    ExpectBorder(b, kPressed, "down");

    b.Fields().Value = true;
    b.Button().Redraw(aero::Normal, false);
    const int checked[] = {204, 206, 207, 209, 211, 212, 214, 216, 217, 219, 221, 222, 224,
                           225, 227, 228, 230, 231, 233, 234, 236, 237, 239, 240, 242};
    for (int y = 2; y <= 22; ++y) EXPECT_EQ(b.At(36, y), Grey(checked[y])) << "row " << y;
    EXPECT_EQ(b.At(36, 1), kWhite);
    ExpectBorder(b, kPlain, "checked");

    // Hovering a checked button changes only the frame.
    b.Button().Redraw(aero::Hot, false);
    for (int y = 2; y <= 22; ++y) EXPECT_EQ(b.At(36, y), Grey(checked[y])) << "row " << y;
    ExpectBorder(b, kActive, "checked hot");
}

TEST(ButtonFaces, FrameFollowsFocusHostAndMouse) {
    struct Case {
        const char* what;
        long state;
        bool checkBox, value, mouseDown, hot, hostActive, focus, isDefault;
        COLORREF ring;  // pixel (36, 1)
        COLORREF border;
    };
    const COLORREF checkedRow1 = Grey(206), downShadow = RGB(158, 176, 186);
    const Case cases[] = {
        {"held off the control", aero::Normal, false, false, true, false, true, false, false, kWhite, kActive},
        {"focus on an inactive host", aero::Normal, false, false, false, false, false, true, false, kWhite, kPlain},
        {"focus on an active host", aero::Normal, false, false, false, false, true, true, false, kCyan, kActive},
        {"default on an active host", aero::Normal, false, false, false, false, true, false, true, kCyan, kActive},
        {"pressed with focus", aero::Down, false, false, true, true, true, true, false, downShadow, kPressed},
        {"checked and pressed", aero::Down, true, true, true, true, true, true, false, checkedRow1, kPressed},
    };
    for (const Case& c : cases) {
        HostedButton b;
        aero::AeroButtonState& s = b.Fields();
        s.CheckBoxMode = c.checkBox;
        s.Value = c.value;
        s.bMouseDown = c.mouseDown;
        s.bIsHot = c.hot;
        s.bHostActive = c.hostActive;
        s.bHasFocus = c.focus;
        s.bDisplayAsDefault = c.isDefault;
        b.Button().Redraw(c.state, true);
        EXPECT_EQ(b.At(36, 1), c.ring) << c.what;
        EXPECT_EQ(b.At(1, 12), c.ring == checkedRow1 ? Grey(224) : c.ring) << c.what;
        ExpectBorder(b, c.border, c.what);
    }
}

TEST(ButtonFaces, DisabledFace) {
    HostedButton b;
    b.Fields().Enabled = false;
    b.Fields().bHasFocus = true;
    b.Fields().bHostActive = true;
    b.Button().Redraw(aero::Disabled, false);
    for (int y = 1; y <= 23; ++y) EXPECT_EQ(b.At(36, y), Grey(250)) << "row " << y;
    EXPECT_EQ(b.At(1, 12), Grey(250));
    ExpectBorder(b, kDisabledBorder, "disabled");
}

TEST(ButtonFaces, MiddleRowBelongsToTheLowerBand) {
    const int heights[] = {22, 23, 24, 25};
    const long middles[] = {11, 12, 12, 12};
    for (int i = 0; i < 4; ++i) {
        const long H = heights[i], M = middles[i];
        HostedButton b(73, heights[i]);
        const auto upper = aero::PlanGradient(Grey(250), Grey(235), 50, 2, M);
        const auto lower = aero::PlanGradient(Grey(230), Grey(204), 50, M, H - 2);
        EXPECT_EQ(b.At(36, M - 1), static_cast<COLORREF>(aero::GradientRowColour(upper, M - 1))) << "H " << H;
        EXPECT_EQ(b.At(36, M), static_cast<COLORREF>(aero::GradientRowColour(lower, M))) << "H " << H;
        EXPECT_NE(aero::GradientRowColour(upper, M), aero::GradientRowColour(lower, M));
        EXPECT_EQ(b.At(36, H - 2), kWhite) << "H " << H;
        EXPECT_EQ(b.At(36, H - 1), kPlain) << "H " << H;
    }
}

TEST(ButtonFaces, LightBackColourClampsTheUpperBand) {
    HostedButton b;
    b.Fields().BackColor = RGB(250, 250, 250);
    b.Button().RefreshColors();
    b.Button().Redraw(aero::kKeepState, true);
    for (int y = 2; y <= 11; ++y) EXPECT_EQ(b.At(36, y), kWhite) << "row " << y;
    EXPECT_EQ(b.At(36, 22), Grey(226));  // lower band: 250 down to 224

    b.Fields().BackColor = RGB(240, 100, 250);
    b.Button().RefreshColors();
    b.Button().Redraw(aero::kKeepState, true);
    EXPECT_EQ(b.At(36, 2), RGB(253, 118, 255));  // blue clamped at 255 before blending
}

// Corner pixels and the window's real region for each shape.
TEST(ButtonShapes, CornersAndWindowRegion) {
    struct Case {
        long shape;
        bool leftCorners, rightCorners;  // corner pixels drawn in the border colour
    };
    const Case cases[] = {{0, true, true}, {1, false, true}, {2, true, false}, {3, false, false}, {7, true, true}};
    for (const Case& c : cases) {
        HostedButton b;
        b.Fields().ButtonShape = c.shape;
        b.Button().Refresh();
        EXPECT_EQ(b.At(1, 1), c.leftCorners ? kPlain : kWhite) << "shape " << c.shape;
        EXPECT_EQ(b.At(1, 23), c.leftCorners ? kPlain : kWhite) << "shape " << c.shape;
        EXPECT_EQ(b.At(71, 1), c.rightCorners ? kPlain : kWhite) << "shape " << c.shape;
        EXPECT_EQ(b.At(71, 23), c.rightCorners ? kPlain : kWhite) << "shape " << c.shape;

        rt::gdi::Region owned(CreateRectRgn(0, 0, 0, 0));
        const HRGN region = owned.Get();
        ASSERT_NE(GetWindowRgn(b.Window(), region), ERROR) << "shape " << c.shape;
        // Rounded corners cut the outermost corner pixel; square halves keep it.
        EXPECT_EQ(PtInRegion(region, 0, 0) != 0, !c.leftCorners) << "shape " << c.shape;
        EXPECT_EQ(PtInRegion(region, 0, 24) != 0, !c.leftCorners) << "shape " << c.shape;
        EXPECT_EQ(PtInRegion(region, 72, 0) != 0, !c.rightCorners) << "shape " << c.shape;
        EXPECT_EQ(PtInRegion(region, 72, 24) != 0, !c.rightCorners) << "shape " << c.shape;
        EXPECT_TRUE(PtInRegion(region, 36, 0) && PtInRegion(region, 1, 12) && PtInRegion(region, 72, 12));
        if (c.shape == 3) {
            rt::gdi::Region rect(CreateRectRgn(0, 0, 74, 26));
            EXPECT_TRUE(EqualRgn(region, rect.Get()));
        }
    }
}

TEST(Repaint, RedrawSkipsWhatDidNotChange) {
    HostedButton b;
    HDC dc = b.Button().hDC();
    const COLORREF marker = RGB(255, 0, 0);
    SetPixelV(dc, 36, 12, marker);
    b.Button().Redraw(aero::kKeepState, false);
    EXPECT_EQ(b.At(36, 12), marker);
    b.Button().Redraw(aero::Normal, false);
    EXPECT_EQ(b.At(36, 12), marker);

    b.Fields().bHasFocus = true;  // a focus change repaints although the state is the same
    b.Button().Redraw(aero::kKeepState, false);
    EXPECT_EQ(b.At(36, 12), Grey(221));
    EXPECT_TRUE(b.Fields().bFocusPainted);

    SetPixelV(dc, 36, 12, marker);
    b.Button().Redraw(aero::kKeepState, true);
    EXPECT_EQ(b.At(36, 12), Grey(221));

    b.Fields().bHidden = true;
    SetPixelV(dc, 36, 12, marker);
    b.Button().Redraw(aero::Hot, true);
    EXPECT_EQ(b.At(36, 12), marker);
    EXPECT_EQ(b.Fields().nState, aero::Normal);
}

int g_positionChanges = 0;
LRESULT CALLBACK CountPositionChanges(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_WINDOWPOSCHANGED) ++g_positionChanges;
    return DefSubclassProc(window, msg, wParam, lParam);
}

TEST(Repaint, OnlyRefreshRebuildsLayoutAndRegion) {
    HostedButton b;
    b.Fields().ButtonShape = aero::Square;
    b.Fields().Caption = L"Register";
    b.Button().Redraw(aero::kKeepState, true);
    rt::gdi::Region owned(CreateRectRgn(0, 0, 0, 0));
    const HRGN region = owned.Get();
    GetWindowRgn(b.Window(), region);
    EXPECT_FALSE(PtInRegion(region, 0, 0));  // still the rounded region
    EXPECT_EQ(b.Fields().rcCaption.left, b.Fields().rcCaption.right);

    b.Button().Refresh();
    GetWindowRgn(b.Window(), region);
    EXPECT_TRUE(PtInRegion(region, 0, 0));
    EXPECT_GT(b.Fields().rcCaption.right - b.Fields().rcCaption.left, 20);
    EXPECT_FALSE(b.Fields().bLayoutDirty);

    // Refresh repaints even with nothing changed, but hands the window no second copy
    // of the region it has: that would cost a frame change.
    SetPixelV(b.Button().hDC(), 36, 2, RGB(255, 0, 0));
    ASSERT_TRUE(SetWindowSubclass(b.Window(), &CountPositionChanges, 1, 0));
    g_positionChanges = 0;
    b.Button().Refresh();
    EXPECT_EQ(g_positionChanges, 0);
    EXPECT_EQ(b.At(36, 2), Grey(248));
    b.Fields().ButtonShape = aero::Rounded;
    b.Button().Refresh();
    RemoveWindowSubclass(b.Window(), &CountPositionChanges, 1);
    EXPECT_GT(g_positionChanges, 0);
    GetWindowRgn(b.Window(), region);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
}

// Dark caption pixels inside the caption box, in a colour.
int CountColour(const HostedButton& b, const RECT& box, COLORREF colour) {
    int n = 0;
    for (long y = box.top; y < box.bottom; ++y)
        for (long x = box.left; x < box.right; ++x) n += b.At(x, y) == colour;
    return n;
}

TEST(Caption, DrawnCentredInTheTextColourOrGreyWhenDisabled) {
    HostedButton b;
    b.Fields().Caption = L"Register";
    b.Button().Refresh();
    const RECT box = b.Fields().rcCaption;
    EXPECT_EQ(box.left, (73 - (box.right - box.left)) / 2);
    EXPECT_EQ(box.top, (25 - (box.bottom - box.top)) / 2);
    EXPECT_GT(CountColour(b, box, RGB(0, 0, 0)), 10);

    b.Fields().Enabled = false;
    b.Button().Redraw(aero::Disabled, false);
    EXPECT_EQ(CountColour(b, box, RGB(0, 0, 0)), 0);
    EXPECT_GT(CountColour(b, box, Grey(153)), 10);
}

TEST(Caption, AmpersandUnderlinesWithoutTakingSpaceAndTheNarrowPathMatches) {
    HostedButton plain, marked, narrow;
    plain.Fields().Caption = L"Register";
    marked.Fields().Caption = L"&Register";
    narrow.Fields().Caption = L"&Register";
    narrow.Fields().bIsNT = false;
    for (HostedButton* b : {&plain, &marked, &narrow}) b->Button().Refresh();
    const RECT p = plain.Fields().rcCaption, m = marked.Fields().rcCaption;
    EXPECT_EQ(p.right - p.left, m.right - m.left);
    EXPECT_EQ(p.left, m.left);
    int differ = 0, narrowDiffers = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 73; ++x) {
            differ += plain.At(x, y) != marked.At(x, y);
            narrowDiffers += narrow.At(x, y) != marked.At(x, y);
        }
    EXPECT_GT(differ, 2);  // the underline under the R
    EXPECT_EQ(narrowDiffers, 0);
}

}  // namespace

namespace {

TEST(Creation, ZeroFieldsThenTheNewInstanceValues) {
    aero::AeroButton button;
    ASSERT_TRUE(button.Create(aerotest::SharedHost(), L"cmdNew", 0, 0, 73, 23));
    const aero::AeroButtonState& s = button.Fields();
    EXPECT_EQ(s.BackColor, 0);
    EXPECT_FALSE(s.Enabled);
    EXPECT_FALSE(s.UseMaskColor);
    EXPECT_FALSE(s.bPropsLoaded);
    EXPECT_TRUE(s.bIsNT);  // Wine and Windows are both of the NT family
    EXPECT_EQ(s.nWidth, 73);
    EXPECT_EQ(s.nHeight, 23);

    button.InitNew();
    EXPECT_EQ(s.BackColor, 15132390);
    EXPECT_EQ(s.MaskColor, 12632256);
    EXPECT_EQ(s.ForeColor, 0);  // the host's ambient foreground
    EXPECT_EQ(s.Caption, L"cmdNew");
    EXPECT_TRUE(s.Enabled);
    EXPECT_TRUE(s.UseMaskColor);
    EXPECT_FALSE(s.Value);
    EXPECT_EQ(s.ButtonShape, aero::Rounded);
    EXPECT_EQ(s.PictureAlignment, aero::LeftOfCaption);
    EXPECT_EQ(s.PictureSize, aero::Natural);
    EXPECT_EQ(s.PictureOpacity, 1.0f);
    EXPECT_TRUE(s.TipText.empty());
    EXPECT_EQ(s.palette.clrDisabledFace, RGB(250, 250, 250));
    EXPECT_TRUE(s.bPropsLoaded);
    EXPECT_EQ(button.Font()->Name(), L"Arial");
    EXPECT_EQ(button.Font()->Size(), 9.0f);
}

TEST(Creation, ResizeKeepsAtLeastFifteenPixels) {
    HostedButton b;
    b.Button().SetSize(10, 8);
    EXPECT_EQ(b.Fields().nWidth, 15);
    EXPECT_EQ(b.Fields().nHeight, 15);
    // Repainted at the new size: border on the last row and column, ring inside.
    EXPECT_EQ(b.At(7, 14), kPlain);
    EXPECT_EQ(b.At(14, 7), kPlain);
    EXPECT_EQ(b.At(7, 13), kWhite);
}

}  // namespace
