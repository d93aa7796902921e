// Window utility routines of the main window: rounded client-area region, caption-style
// drag, shell open and window icons from a named resource. OLE colours are translated
// by the runtime (colour.h), which the button shares.
#pragma once

#include <windows.h>

#include <string>

namespace modFunctions {

// The region's rectangle in the window's own pixel coordinates.
struct RegionBounds {
    long Left;
    long Top;
    long Right;
    long Bottom;
    bool operator==(const RegionBounds&) const = default;
};

// The client area of a window, from its outer and client sizes in twips and the screen's
// twips per pixel (already rounded). Assumes equal side and bottom frames.
RegionBounds RoundedRegionBounds(double outerWidthTwips, double outerHeightTwips, double clientWidthTwips,
                                 double clientHeightTwips, long twipsPerPixelX, long twipsPerPixelY);

// The same from outer and client sizes in pixels and the screen's unrounded twips per
// pixel.
RegionBounds ClientRegionBounds(SIZE outer, SIZE client, double twipsPerPixelX, double twipsPerPixelY);

// Clips the window to its client area with rounded corners, 8 x 8 pixels at 96 DPI.
void MakeRoundedWindow(HWND window);

// Lets the window follow the mouse as if its caption were being dragged.
void DragWindow(HWND window);

// The text OpenURL gives for the shell's answer: only running out of memory fails.
std::wstring OpenUrlResultText(HRESULT shellAnswer);
// Asks the user's desktop shell to open a file or address; empty parameters or
// directory mean none. Empty on success, else "Insufficent system memory or
// corrupt program file"; the shell's own answer in `answer`. Raises when no
// desktop shell answers: nothing is started elevated.
std::wstring OpenURL(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory,
                     HRESULT* answer = nullptr);

// The named icon resource at the system's size for ICON_BIG or ICON_SMALL and the DPI
// in force; shared, never destroyed.
HICON WindowIcon(const wchar_t* name, WPARAM kind);

// Sets the window's large and small icons from the executable's icon resource `name`;
// with `alsoOwner`, also on the application's top-level owner of the window.
void SetWindowIcon(HWND window, const wchar_t* name, bool alsoOwner);

// The end of the window's chain of owners (the window itself when it has none).
HWND TopLevelOwner(HWND window);

}  // namespace modFunctions
