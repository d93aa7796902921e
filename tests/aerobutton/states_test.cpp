// Every look of a dressed button shows its own face, ring and border, and
// repaints in every state give back every GDI object they make.
#include <gtest/gtest.h>

#include <vector>

#include "face_rules.h"
#include "runtime/gdi.h"
#include "test_host.h"
#include "test_image.h"

namespace {

using aerotest::HostedButton;

COLORREF Arrow(int x, int y) {
    const int dx = x < 8 ? x : 15 - x;
    return y >= 8 - dx && y <= 8 + dx / 2 ? RGB(30, 90, 200) : RGB(192, 192, 192);
}

void Apply(HostedButton& b, const aerotest::Situation& look) {
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

// The dressed situations of the one table.
std::vector<aerotest::Situation> Looks() {
    std::vector<aerotest::Situation> looks;
    for (const aerotest::Situation& c : aerotest::kSituations)
        if (c.dressed) looks.push_back(c);
    return looks;
}

TEST(States, EveryLookHasItsFaceRingAndBorder) {
    HostedButton b(90, 25);
    Dressed(b);
    for (const aerotest::Situation& look : Looks()) {
        Apply(b, look);
        EXPECT_EQ(b.At(3, 3), look.inside) << look.what;
        EXPECT_EQ(b.At(1, 12), look.side) << look.what;
        EXPECT_EQ(b.At(0, 12), look.border) << look.what;
        EXPECT_EQ(b.At(89, 12), look.border) << look.what;
    }
}

TEST(States, TenThousandRepaintsLeakNothing) {
    HostedButton b(90, 25);
    Dressed(b);
    const std::vector<aerotest::Situation> looks = Looks();
    for (const aerotest::Situation& look : looks) Apply(b, look);
    const long liveBefore = rt::gdi::LiveObjects();
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 10000; ++i) {
        Apply(b, looks[i % looks.size()]);
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
