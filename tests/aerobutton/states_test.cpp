// Every look of a dressed button shows its own face, ring and border, and
// repaints in every state give back every GDI object they make.
#include <gtest/gtest.h>

#include "gdi.h"
#include "test_host.h"
#include "test_image.h"

namespace {

using aerotest::HostedButton;

COLORREF Arrow(int x, int y) {
    const int dx = x < 8 ? x : 15 - x;
    return y >= 8 - dx && y <= 8 + dx / 2 ? RGB(30, 90, 200) : RGB(192, 192, 192);
}

struct Look {
    const char* name;
    long state;
    bool value, enabled, focus, isDefault;
    COLORREF face, ring, border;  // at (3, 3), (1, 12) and (0, 12)
};

const COLORREF kWhite = RGB(255, 255, 255), kCyanRing = RGB(72, 216, 251), kBlueBorder = RGB(60, 127, 177);
const Look kLooks[] = {
    {"normal", 0, false, true, false, false, RGB(246, 246, 246), kWhite, RGB(112, 112, 112)},
    {"hot", 1, false, true, false, false, RGB(230, 245, 253), kWhite, kBlueBorder},
    // No ring when down: the inner shadow line shows there.
    {"down", 2, false, true, false, false, RGB(221, 240, 251), RGB(158, 176, 186), RGB(44, 98, 139)},
    {"checked", 0, true, true, false, false, RGB(209, 209, 209), kWhite, RGB(112, 112, 112)},
    {"disabled", 3, false, false, false, false, RGB(250, 250, 250), RGB(250, 250, 250), RGB(173, 178, 181)},
    {"focused", 0, false, true, true, false, RGB(246, 246, 246), kCyanRing, kBlueBorder},
    {"default", 0, false, true, false, true, RGB(246, 246, 246), kCyanRing, kBlueBorder},
};

void Apply(HostedButton& b, const Look& look) {
    aero::AeroButton& button = b.Button();  // each change repaints: only what differs
    if (button.Value() != look.value) button.SetValue(look.value);
    if (button.Enabled() != look.enabled) button.SetEnabled(look.enabled);
    if (button.HasFocus() != look.focus) b.Focus(look.focus);
    if (button.ShowsAsDefault() != look.isDefault) b.ShowAsDefault(look.isDefault);
    b.Button().Redraw(look.state, true);
}

HostedButton& Dressed(HostedButton& b) {
    b.ActivateHost();
    b.Button().SetCheckBoxMode(true);  // so that Value stays set
    b.Button().SetCaption(L"&Register");
    b.Button().SetPictureNormal(testkit::PictureOf(16, 16, Arrow));
    b.Button().SetPictureSizeW(16);
    b.Button().SetPictureSizeH(16);
    b.Button().SetPictureOpacity(80);
    b.Button().Refresh();
    return b;
}

TEST(States, EveryLookHasItsFaceRingAndBorder) {
    HostedButton b(90, 25);
    Dressed(b);
    for (const Look& look : kLooks) {
        Apply(b, look);
        EXPECT_EQ(b.At(3, 3), look.face) << look.name;
        EXPECT_EQ(b.At(1, 12), look.ring) << look.name;
        EXPECT_EQ(b.At(0, 12), look.border) << look.name;
        EXPECT_EQ(b.At(89, 12), look.border) << look.name;
    }
}

TEST(States, TenThousandRepaintsLeakNothing) {
    HostedButton b(90, 25);
    Dressed(b);
    for (const Look& look : kLooks) Apply(b, look);
    const long liveBefore = rt::gdi::LiveObjects();
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 10000; ++i) {
        Apply(b, kLooks[i % 7]);
        if (i % 1000 == 0) b.Button().Refresh();  // region and layout too
    }
    EXPECT_EQ(rt::gdi::LiveObjects(), liveBefore);
    const DWORD gdiAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    // Wine may not count GDI objects per process; when it does, the count must not grow.
    if (gdiBefore != 0) {
        EXPECT_LE(gdiAfter, gdiBefore);
    }
    RecordProperty("GdiObjectsBefore", static_cast<int>(gdiBefore));
    RecordProperty("GdiObjectsAfter", static_cast<int>(gdiAfter));
    std::printf("GDI objects of the process: %lu before, %lu after\n", static_cast<unsigned long>(gdiBefore),
                static_cast<unsigned long>(gdiAfter));
}

}  // namespace
