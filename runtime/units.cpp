#include "units.h"

#include <windows.h>

#include <cfenv>
#include <cmath>

#include "gdi.h"

namespace rt {
namespace {

int ScreenDpi(int index) {
    gdi::ClientDC screen(nullptr);
    int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), index) : 96;
    return dpi > 0 ? dpi : 96;
}

constexpr double kHimetricPerInch = 2540.0;
constexpr double kTwipsPerInch = 1440.0;

}  // namespace

long RoundHalfEven(double value) {
    // lrint rounds in the current mode; the default (and only one we use) is to-nearest-even.
    return std::lrint(value);
}

double TwipsPerPixelX() { return kTwipsPerInch / ScreenDpi(LOGPIXELSX); }
double TwipsPerPixelY() { return kTwipsPerInch / ScreenDpi(LOGPIXELSY); }

int ScreenDpiY() { return ScreenDpi(LOGPIXELSY); }

double HimetricToPixelsX(double himetric) { return himetric * ScreenDpi(LOGPIXELSX) / kHimetricPerInch; }
double HimetricToPixelsY(double himetric) { return himetric * ScreenDpi(LOGPIXELSY) / kHimetricPerInch; }
double PixelsToHimetricX(double pixels) { return pixels * kHimetricPerInch / ScreenDpi(LOGPIXELSX); }
double PixelsToHimetricY(double pixels) { return pixels * kHimetricPerInch / ScreenDpi(LOGPIXELSY); }

}  // namespace rt
