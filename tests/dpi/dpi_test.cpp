// The real window at the scale of its Wine prefix (run-at-dpi): whole, its skin
// drawn for the scale, its strip and buttons where and as large as the scale puts them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "dib.h"
#include "driver.h"
#include "skin.h"

using namespace e2e;

namespace {

constexpr COLORREF kBareBackground = RGB(0, 255, 255);

int Scaled(double pixelsAt96, int dpi) {
    return static_cast<int>(std::lrint(pixelsAt96 * dpi / 96.0));
}

// What the screen shows of a window's client area, top row first.
struct Grab {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Grab GrabClient(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    Grab grab{client.right, client.bottom, {}};
    const POINT origin = ClientToScreenPoint(window, 0, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = testkit::MakeDib(grab.width, grab.height, 32, &bits, true);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, grab.width, grab.height, screen, origin.x, origin.y, SRCCOPY);
    const auto* raw = static_cast<const DWORD*>(bits);
    for (int i = 0; i < grab.width * grab.height; ++i)
        grab.pixels.push_back(RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF));
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return grab;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (lstrcmpW(name, className) == 0 && IsWindowVisible(child)) found.push_back(child);
    }
    return found;
}

RECT RectIn(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The window's region in its client coordinates.
HRGN ClientRegion(HWND main) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    GetWindowRgn(main, region);
    RECT outer{};
    GetWindowRect(main, &outer);
    const POINT origin = ClientToScreenPoint(main, 0, 0);
    OffsetRgn(region, outer.left - origin.x, outer.top - origin.y);
    return region;
}

int CornerPixelsCut(HRGN region, int size) {
    int cut = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) cut += !PtInRegion(region, x, y);
    return cut;
}

TEST(AtTheScaleOfThePrefix, TheWindowIsWholeAndDrawnForTheScale) {
    const char* wanted = std::getenv("TESSIVER_TEST_DPI");
    ASSERT_NE(wanted, nullptr) << "run through run-at-dpi";
    const int dpi = std::atoi(wanted);
    HDC screen = GetDC(nullptr);
    ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi) << "the prefix is not set to the scale";
    ReleaseDC(nullptr, screen);

    RunningApp app;
    ASSERT_TRUE(app.Start());
    HWND main = app.Main();
    RECT outer{}, client{};
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    HRGN region = ClientRegion(main);

    // The outer size stays 7755 twips wide; the client area holds the 96-DPI layout, scaled.
    EXPECT_EQ(outer.right - outer.left, std::lrint(7755.0 * dpi / 1440));
    EXPECT_GE(client.right, Scaled(510, dpi));
    EXPECT_GE(client.bottom, Scaled(168, dpi));
    // Rounded corners as large as the scale makes them: more cut away than an unscaled corner.
    HRGN unscaled = CreateRoundRectRgn(0, 0, client.right, client.bottom, 8, 8);
    EXPECT_GT(CornerPixelsCut(region, Scaled(8, dpi)), CornerPixelsCut(unscaled, Scaled(8, dpi)));
    DeleteObject(unscaled);

    // Everything the region shows is painted: poll, since the window may still be drawing.
    Grab shown;
    int bare = -1;
    WaitUntil([&] {
        shown = GrabClient(main);
        bare = 0;
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x)
                bare += PtInRegion(region, x, y) && shown.At(x, y) == kBareBackground;
        return bare == 0;
    });
    EXPECT_EQ(bare, 0) << "pixels of the bare background colour";

    // The strip at the top right, its picture drawn for the scale, its zones over its halves.
    const std::vector<HWND> strips = ChildrenOfClass(main, L"TessiverPictureBox");
    ASSERT_EQ(strips.size(), 1u);
    const RECT strip = RectIn(strips[0], main);
    const skin::Canvas stripArt = skin::DrawStrip(skin::Look::Rest, skin::Look::Rest, dpi);
    const struct {
        const char* what;
        long actual, expected;
    } placed[] = {
        {"strip top", strip.top, 0},
        {"strip right", strip.right, client.right - Scaled(8, dpi)},
        {"strip width", strip.right - strip.left, stripArt.Width},
        {"strip height", strip.bottom - strip.top, stripArt.Height},
    };
    for (const auto& p : placed) EXPECT_EQ(p.actual, p.expected) << p.what;
    int stripDiffers = 0;
    for (int y = 0; y < stripArt.Height; ++y)
        for (int x = 0; x < stripArt.Width; ++x)
            stripDiffers += shown.At(strip.left + x, y) != stripArt.At(x, y);
    EXPECT_EQ(stripDiffers, 0) << "strip pixels unlike its art at this scale";
    const std::vector<HWND> zones = ChildrenOfClass(strips[0], L"TessiverImage");
    ASSERT_EQ(zones.size(), 2u);
    const int split = Scaled(skin::kMinimiseColumns, dpi);
    for (HWND zone : zones) {
        const RECT z = RectIn(zone, strips[0]);
        const bool minimise = z.left == 0;
        EXPECT_EQ((z.left + z.right) / 2 < split, minimise) << "a zone's middle lies in the other half";
        EXPECT_LE(z.right, stripArt.Width);
    }

    // The six buttons at their stored extent, scaled, each with a painted face and caption.
    const std::vector<HWND> buttons = ChildrenOfClass(main, L"TessiverUserControl");
    ASSERT_EQ(buttons.size(), 6u);
    for (HWND button : buttons) {
        const RECT b = RectIn(button, main);
        EXPECT_EQ(b.right - b.left, std::lrint(1931.0 * dpi / 2540));
        EXPECT_EQ(b.bottom - b.top, std::lrint(661.0 * dpi / 2540));
        int dark = 0, light = 0;
        for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) {
                const COLORREF c = shown.At(x, y);
                const int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
                dark += sum < 200;
                light += sum > 600;
            }
        EXPECT_GT(dark, 20) << "no caption";
        EXPECT_GT(light, (b.right - b.left) * (b.bottom - b.top) / 4) << "no face";
    }

    // Where no control lies, the client area shows the background drawn for this scale and size.
    const skin::Canvas background = skin::DrawBackground(dpi, SIZE{client.right, client.bottom});
    std::vector<RECT> covered;
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) covered.push_back(RectIn(child, main));
    int backgroundDiffers = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            bool underControl = false;
            for (const RECT& r : covered)
                underControl |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            if (!underControl && PtInRegion(region, x, y))
                backgroundDiffers += shown.At(x, y) != background.At(x, y);
        }
    EXPECT_EQ(backgroundDiffers, 0);
    DeleteObject(region);
}

}  // namespace
