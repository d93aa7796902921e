#include "modfunctions.h"

#include "desktopshell.h"
#include "messages.h"
#include "runtime/colour.h"
#include "runtime/dpi.h"
#include "runtime/gdi.h"
#include "runtime/units.h"

namespace modFunctions {
namespace {

constexpr int kCornerEllipse = 8;

}  // namespace

RegionBounds RoundedRegionBounds(double outerWidthTwips, double outerHeightTwips, double clientWidthTwips,
                                 double clientHeightTwips, long twipsPerPixelX, long twipsPerPixelY) {
    const double tppX = static_cast<double>(twipsPerPixelX);
    const double tppY = static_cast<double>(twipsPerPixelY);
    const long frame = rt::RoundHalfEven((outerWidthTwips - clientWidthTwips) / 2.0 / tppX);
    return RegionBounds{
        frame,
        rt::RoundHalfEven((outerHeightTwips - clientHeightTwips) / tppY - frame),
        rt::RoundHalfEven(outerWidthTwips / tppX - frame),
        rt::RoundHalfEven(outerHeightTwips / tppY - frame),
    };
}

RegionBounds ClientRegionBounds(SIZE outer, SIZE client, double twipsPerPixelX, double twipsPerPixelY) {
    // Twips counted at the same whole twips per pixel the bounds divide by: at a DPI
    // where 1440 / DPI is no integer (7.5 at 192 DPI) exact twips divided by the
    // rounded figure would cut the window short.
    const long tppX = rt::RoundHalfEven(twipsPerPixelX);
    const long tppY = rt::RoundHalfEven(twipsPerPixelY);
    return RoundedRegionBounds(static_cast<double>(outer.cx) * tppX, static_cast<double>(outer.cy) * tppY,
                               static_cast<double>(client.cx) * tppX, static_cast<double>(client.cy) * tppY,
                               tppX, tppY);
}

void MakeRoundedWindow(HWND window) {
    RECT outer{};
    RECT client{};
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &client)) return;
    const RegionBounds bounds =
        ClientRegionBounds(SIZE{outer.right - outer.left, outer.bottom - outer.top},
                           SIZE{client.right - client.left, client.bottom - client.top}, rt::TwipsPerPixelX(),
                           rt::TwipsPerPixelY());
    // The corners keep their look at any scale.
    const int corner = rt::ScaleToDpi(kCornerEllipse, rt::CurrentDpi());
    rt::gdi::Region region(
        CreateRoundRectRgn(bounds.Left, bounds.Top, bounds.Right, bounds.Bottom, corner, corner));
    if (!region) return;
    // On success the window owns the region; on failure it is still ours to delete.
    if (SetWindowRgn(window, region.Get(), TRUE)) region.Release();
}

void DragWindow(HWND window) {
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

std::wstring OpenUrlResultText(HRESULT shellAnswer) {
    return shellAnswer == E_OUTOFMEMORY ? msg::kOpenUrlFailed : L"";
}

std::wstring OpenURL(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory,
                     HRESULT* answer) {
    const HRESULT result = DesktopShellOpen(file, parameters, directory);
    if (answer) *answer = result;
    return OpenUrlResultText(result);
}

HWND TopLevelOwner(HWND window) {
    HWND owner = window;
    while (HWND next = GetWindow(owner, GW_OWNER)) owner = next;
    return owner;
}

HICON WindowIcon(const wchar_t* name, WPARAM kind) {
    // Shared icons belong to the system's cache and are never destroyed. The
    // sizes are the system's for the DPI in force.
    const int dpi = rt::CurrentDpi();
    const bool big = kind == ICON_BIG;
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), name, IMAGE_ICON,
                                         rt::MetricForDpi(big ? SM_CXICON : SM_CXSMICON, dpi),
                                         rt::MetricForDpi(big ? SM_CYICON : SM_CYSMICON, dpi), LR_SHARED));
}

void SetWindowIcon(HWND window, const wchar_t* name, bool alsoOwner) {
    HWND owner = alsoOwner ? TopLevelOwner(window) : nullptr;
    // An unowned window is its own top owner; each WM_SETICON costs the window manager a new icon.
    if (owner == window) owner = nullptr;
    for (WPARAM kind : {ICON_BIG, ICON_SMALL}) {
        auto icon = reinterpret_cast<LPARAM>(WindowIcon(name, kind));
        if (owner) SendMessageW(owner, WM_SETICON, kind, icon);
        SendMessageW(window, WM_SETICON, kind, icon);
    }
}

}  // namespace modFunctions
