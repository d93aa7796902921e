// Tool tips for any window by its handle, through the common controls'
// tool-tip window (the tip follows the tool's own mouse messages by subclassing).
#pragma once

#include <windows.h>

#include <string>

#include "gdi.h"
#include "handles.h"

namespace rt {

class ToolTip {
public:
    // The tip window is owned by `owner` (a form), so it stays above it.
    explicit ToolTip(HWND owner);
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;

    HWND hWnd() const { return tip_.Get(); }
    // Adds the tool or changes its text; an empty text removes it.
    bool SetText(HWND tool, const std::wstring& text);
    std::wstring Text(HWND tool) const;
    int Count() const;
    // Shows the tips in the system's tip font at `dpi`.
    void SetDpi(int dpi);

private:
    HWND owner_;
    WindowHandle tip_;  // owned by `owner_` too: may be gone with it
    gdi::Font font_;  // made by SetDpi; the tip window only borrows it
};

}  // namespace rt
