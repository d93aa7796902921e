#include "units.h"

#include <cfenv>
#include <cmath>

#include "dpi.h"

namespace rt {
namespace {

constexpr double kHimetricPerInch = 2540.0;
constexpr double kTwipsPerInch = 1440.0;

}  // namespace

long RoundHalfEven(double value) {
    // lrint rounds in the current mode; the default (and only one we use) is to-nearest-even.
    return std::lrint(value);
}

double TwipsPerPixelX() { return kTwipsPerInch / CurrentDpi(); }
double TwipsPerPixelY() { return kTwipsPerInch / CurrentDpi(); }

int ScreenDpiY() { return CurrentDpi(); }

double HimetricToPixelsX(double himetric) { return himetric * CurrentDpi() / kHimetricPerInch; }
double HimetricToPixelsY(double himetric) { return himetric * CurrentDpi() / kHimetricPerInch; }
double PixelsToHimetricX(double pixels) { return pixels * kHimetricPerInch / CurrentDpi(); }
double PixelsToHimetricY(double pixels) { return pixels * kHimetricPerInch / CurrentDpi(); }

}  // namespace rt
