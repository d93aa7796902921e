#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "aerobutton/caption.h"
#include "aerobutton/colourmath.h"
#include "aerobutton/paint.h"
#include "face_rules.h"
#include "runtime/gdi.h"
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

    b.Button().SetCheckBoxMode(true);
    b.Button().SetValue(true);
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

// The live situations of the one table: a fresh button brought into each by the
// host, the keyboard and the mouse (a press also takes the focus), then painted in the state.
TEST(ButtonFaces, FrameFollowsFocusHostAndMouse) {
    for (const Situation& c : kSituations) {
        if (!c.live) continue;
        HostedButton b;
        aero::AeroButton& button = b.Button();
        button.SetCheckBoxMode(c.checkBox);
        button.SetValue(c.value);
        if (c.hostActive) b.ActivateHost();
        b.ShowAsDefault(c.isDefault);
        b.Focus(c.focus);
        if (c.hot) aerotest::MoveCursor(button, true);
        if (c.mouseDown) SendMessageW(b.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(36, 12));
        ASSERT_EQ(button.HostActive(), c.hostActive) << c.what;
        ASSERT_EQ(button.HasFocus(), c.focus) << c.what;
        ASSERT_EQ(button.ShowsAsDefault(), c.isDefault) << c.what;
        ASSERT_EQ(button.IsHot(), c.hot) << c.what;
        ASSERT_EQ(button.IsPressed(), c.mouseDown) << c.what;
        button.Redraw(c.state, true);
        EXPECT_EQ(b.At(36, 1), c.top) << c.what;
        EXPECT_EQ(b.At(1, 12), c.side) << c.what;
        ExpectBorder(b, c.border, c.what);
    }
}

TEST(ButtonFaces, DisabledFace) {
    HostedButton b;
    b.ActivateHost();
    b.Focus(true);
    b.ShowAsDefault(true);
    b.Button().SetEnabled(false);
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
    b.Button().SetBackColor(RGB(250, 250, 250));
    for (int y = 2; y <= 11; ++y) EXPECT_EQ(b.At(36, y), kWhite) << "row " << y;
    EXPECT_EQ(b.At(36, 22), Grey(226));  // lower band: 250 down to 224

    b.Button().SetBackColor(RGB(240, 100, 250));
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
        b.Button().SetButtonShape(c.shape);
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

    // A focus change repaints although the state is the same: the focus arriving
    // repaints in the state it has, and once painted it is not painted again.
    b.Focus(true);
    EXPECT_EQ(b.At(36, 12), Grey(221));
    SetPixelV(dc, 36, 12, marker);
    b.Button().Redraw(aero::kKeepState, false);
    EXPECT_EQ(b.At(36, 12), marker);
    // The focus leaving an inactive host repaints nothing; the next repaint catches up.
    b.Focus(false);
    EXPECT_EQ(b.At(36, 12), marker);
    b.Button().Redraw(aero::kKeepState, false);
    EXPECT_EQ(b.At(36, 12), Grey(221));

    SetPixelV(dc, 36, 12, marker);
    b.Button().Redraw(aero::kKeepState, true);
    EXPECT_EQ(b.At(36, 12), Grey(221));

    b.Button().SetVisible(false);
    SetPixelV(dc, 36, 12, marker);
    b.Button().Redraw(aero::Hot, true);
    EXPECT_EQ(b.At(36, 12), marker);
    EXPECT_EQ(b.Button().State(), aero::Normal);
}

int g_positionChanges = 0;
LRESULT CALLBACK CountPositionChanges(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (msg == WM_WINDOWPOSCHANGED) ++g_positionChanges;
    return DefSubclassProc(window, msg, wParam, lParam);
}

// The region taken from the window and the font grown behind the control's back:
// a forced repaint rebuilds neither, Refresh both, and only once.
TEST(Repaint, OnlyRefreshRebuildsLayoutAndRegion) {
    HostedButton b;
    aero::AeroButton& button = b.Button();
    button.SetButtonShape(aero::Square);
    button.SetCaption(L"Register");
    const RECT laidOut = button.CaptionRect();
    EXPECT_GT(laidOut.right - laidOut.left, 20);
    SetWindowRgn(b.Window(), nullptr, TRUE);
    button.Font()->SetSize(12.0f);
    button.Redraw(aero::kKeepState, true);
    rt::gdi::Region owned(CreateRectRgn(0, 0, 0, 0));
    const HRGN region = owned.Get();
    EXPECT_EQ(GetWindowRgn(b.Window(), region), ERROR);  // no region again
    const RECT kept = button.CaptionRect();
    EXPECT_TRUE(EqualRect(&laidOut, &kept));

    button.Refresh();
    ASSERT_NE(GetWindowRgn(b.Window(), region), ERROR);
    EXPECT_TRUE(PtInRegion(region, 0, 0));
    const RECT wider = button.CaptionRect();
    EXPECT_GT(wider.right - wider.left, laidOut.right - laidOut.left);
    button.Font()->SetSize(9.0f);
    button.Redraw(aero::kKeepState, true);
    const RECT still = button.CaptionRect();
    EXPECT_TRUE(EqualRect(&wider, &still)) << "the layout was left dirty";

    // Refresh repaints even with nothing changed, but hands the window no second copy
    // of the region it has: that would cost a frame change.
    SetPixelV(b.Button().hDC(), 36, 2, RGB(255, 0, 0));
    ASSERT_TRUE(SetWindowSubclass(b.Window(), &CountPositionChanges, 1, 0));
    g_positionChanges = 0;
    b.Button().Refresh();
    EXPECT_EQ(g_positionChanges, 0);
    EXPECT_EQ(b.At(36, 2), Grey(248));
    button.SetButtonShape(aero::Rounded);
    RemoveWindowSubclass(b.Window(), &CountPositionChanges, 1);
    EXPECT_GT(g_positionChanges, 0);
    GetWindowRgn(b.Window(), region);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
}

TEST(Caption, DrawnCentredInTheTextColourOrGreyWhenDisabled) {
    HostedButton b;
    b.Button().SetCaption(L"Register");
    const RECT box = b.Button().CaptionRect();
    EXPECT_EQ(box.left, (73 - (box.right - box.left)) / 2);
    EXPECT_EQ(box.top, (25 - (box.bottom - box.top)) / 2);
    EXPECT_GT(CaptionPixels(b.Button(), RGB(0, 0, 0)), 10);

    b.Button().SetEnabled(false);
    EXPECT_EQ(CaptionPixels(b.Button(), RGB(0, 0, 0)), 0);
    EXPECT_GT(CaptionPixels(b.Button(), Grey(153)), 10);
}

TEST(Caption, AmpersandUnderlinesWithoutTakingSpaceAndTheNarrowPathMatches) {
    HostedButton plain, marked;
    plain.Button().SetCaption(L"Register");
    marked.Button().SetCaption(L"&Register");
    const RECT p = plain.Button().CaptionRect(), m = marked.Button().CaptionRect();
    EXPECT_EQ(p.right - p.left, m.right - m.left);
    EXPECT_EQ(p.left, m.left);
    int differ = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 73; ++x) differ += plain.At(x, y) != marked.At(x, y);
    EXPECT_GT(differ, 2);  // the underline under the R

    // The narrow path, for systems outside the NT family, in the control's own DC and font.
    HDC dc = marked.Button().hDC();
    const SIZE wide = aero::MeasureCaption(dc, L"&Register", 73, 25, true);
    const SIZE narrow = aero::MeasureCaption(dc, L"&Register", 73, 25, false);
    EXPECT_EQ(narrow.cx, wide.cx);
    EXPECT_EQ(narrow.cy, wide.cy);
    std::vector<COLORREF> drawn[2];
    for (const bool isWide : {false, true}) {
        PatBlt(dc, 0, 0, 73, 25, WHITENESS);
        aero::DrawCaptionText(dc, L"&Register", m, RGB(0, 0, 0), isWide);
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 73; ++x) drawn[isWide].push_back(marked.At(x, y));
    }
    EXPECT_GT(std::count(drawn[1].begin(), drawn[1].end(), RGB(0, 0, 0)), 10);
    EXPECT_EQ(drawn[0], drawn[1]);
}

}  // namespace

namespace {

TEST(Creation, ZeroFieldsThenTheNewInstanceValues) {
    aero::AeroButton button;
    ASSERT_TRUE(button.Create(aerotest::SharedHost(), L"cmdNew", 0, 0, 73, 23));
    EXPECT_EQ(button.BackColor(), 0);
    EXPECT_FALSE(button.Enabled());
    EXPECT_FALSE(button.UseMaskColor());
    EXPECT_TRUE(button.Caption().empty());
    EXPECT_EQ(button.State(), aero::Normal);

    button.InitNew();
    EXPECT_EQ(button.BackColor(), 15132390);
    EXPECT_EQ(button.MaskColor(), 12632256);
    EXPECT_EQ(button.ForeColor(), 0);  // the host's ambient foreground
    EXPECT_EQ(button.Caption(), L"cmdNew");
    EXPECT_TRUE(button.Enabled());
    EXPECT_TRUE(button.UseMaskColor());
    EXPECT_FALSE(button.Value());
    EXPECT_EQ(button.ButtonShape(), aero::Rounded);
    EXPECT_EQ(button.PictureAlignment(), aero::LeftOfCaption);
    EXPECT_EQ(button.PictureSize(), aero::Natural);
    EXPECT_EQ(button.PictureOpacity(), 100);
    EXPECT_TRUE(button.TipText().empty());
    EXPECT_EQ(button.Font()->Name(), L"Arial");
    EXPECT_EQ(button.Font()->Size(), 9.0f);
    // The colours are ready and the size is the one created: the default face, bordered at 73 x 23.
    button.Refresh();
    const rt::PixelView pixels = button.Pixels();
    const auto upperBand = aero::PlanGradient(Grey(250), Grey(235), 50, 2, 12);
    EXPECT_EQ(pixels.ColorAt(36, 2), static_cast<COLORREF>(aero::GradientRowColour(upperBand, 2)));
    EXPECT_EQ(pixels.ColorAt(72, 11), kPlain);
    EXPECT_EQ(pixels.ColorAt(36, 22), kPlain);
}

TEST(Creation, ResizeKeepsAtLeastFifteenPixels) {
    HostedButton b;
    b.Button().SetSize(10, 8);
    EXPECT_EQ(b.Button().ScaleWidth(), 15);
    EXPECT_EQ(b.Button().ScaleHeight(), 15);
    // Repainted at the new size: border on the last row and column, ring inside.
    EXPECT_EQ(b.At(7, 14), kPlain);
    EXPECT_EQ(b.At(14, 7), kPlain);
    EXPECT_EQ(b.At(7, 13), kWhite);
}

}  // namespace
