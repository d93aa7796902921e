// Repaints in every state must give back every GDI object they make, and the
// look of each state is written to a .bmp beside the test program.
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
    const wchar_t* file;
    long state;
    bool value, enabled, focus, isDefault;
};

const Look kLooks[] = {
    {L"aerobutton-normal.bmp", 0, false, true, false, false},
    {L"aerobutton-hot.bmp", 1, false, true, false, false},
    {L"aerobutton-down.bmp", 2, false, true, false, false},
    {L"aerobutton-checked.bmp", 0, true, true, false, false},
    {L"aerobutton-disabled.bmp", 3, false, false, false, false},
    {L"aerobutton-focused.bmp", 0, false, true, true, false},
    {L"aerobutton-default.bmp", 0, false, true, false, true},
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
    b.Button().SetPictureNormal(aerotest::MakeBitmapPicture(16, 16, Arrow));
    b.Button().SetPictureSizeW(16);
    b.Button().SetPictureSizeH(16);
    b.Button().SetPictureOpacity(80);
    b.Button().Refresh();
    return b;
}

TEST(States, ImagesOfEveryLook) {
    HostedButton b(90, 25);
    Dressed(b);
    for (const Look& look : kLooks) {
        Apply(b, look);
        const rt::PixelView pixels = b.Button().Pixels();
        EXPECT_TRUE(aerotest::WriteBmp(look.file, pixels.width, pixels.height, pixels.bits)) << "write failed";
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
