#include "dpi.h"

#include "gdi.h"
#include "latebound.h"
#include "units.h"

namespace rt {
namespace {

int g_dpi = 0;  // 0: the screen's

int ScreenDpi() {
    gdi::ClientDC screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : kDefaultDpi;
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int CurrentDpi() {
    if (g_dpi > 0) return g_dpi;
    // Asked for at every font, twip and picture conversion: a screen DC each time would
    // cost more than painting a button. A change of scale arrives through SetCurrentDpi.
    static const int screen = ScreenDpi();
    return screen;
}

void SetCurrentDpi(int dpi) {
    g_dpi = dpi > 0 ? dpi : 0;
}

int ScaleToDpi(double pixels, int dpi) {
    return RoundHalfEven(pixels * dpi / kDefaultDpi);
}

int WindowDpi(HWND window) {
    // Functions of newer systems, bound late so the program still starts where they are absent.
    static const auto getDpiForWindow = LateBound<UINT WINAPI(HWND)>(L"user32.dll", "GetDpiForWindow");
    const int dpi = getDpiForWindow && window ? static_cast<int>(getDpiForWindow(window)) : 0;
    return dpi > 0 ? dpi : CurrentDpi();
}

int MetricForDpi(int index, int dpi) {
    static const auto forDpi = LateBound<int WINAPI(int, UINT)>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, ScreenDpi());
}

HFONT CreateStatusFont(int dpi) {
    static const auto forDpi =
        LateBound<BOOL WINAPI(UINT, UINT, void*, UINT, UINT)>(L"user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi) {
        if (!forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
            return nullptr;
    } else {
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
        metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, dpi, ScreenDpi());
    }
    return CreateFontIndirectW(&metrics.lfStatusFont);
}

}  // namespace rt
