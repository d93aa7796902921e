// A form that moves to a screen of another scale: the runtime's DPI, the
// controls' places and sizes, their fonts and the tool tips follow it.
#include <vector>

#include "dpi.h"
#include "form.h"
#include "imagezone.h"
#include "label.h"
#include "textbox.h"
#include "tooltip.h"

namespace rt {
namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM out) {
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
    return TRUE;
}

RECT Scaled(const RECT& r, int from, int to) {
    return {MulDiv(r.left, to, from), MulDiv(r.top, to, from), MulDiv(r.right, to, from), MulDiv(r.bottom, to, from)};
}

}  // namespace

void Form::OnDpiChanged(int dpi, const RECT& suggested) {
    const int before = CurrentDpi();
    if (dpi <= 0 || dpi == before) return;
    SetCurrentDpi(dpi);
    ScaleChildren(before, dpi);
    // After the move, so a label sized to its text measures it at its new place.
    RefreshFonts();
    if (toolTips_)
        toolTips_->SetDpi(dpi);
    else
        tipsDpi_ = dpi;
    SetWindowPos(Window(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (events_.DpiChanged) events_.DpiChanged();
}

void Form::ScaleChildren(int from, int to) {
    // Windowless image zones keep their places scaled too.
    for (Control* control : controls_)
        if (auto* image = dynamic_cast<ImageZone*>(control); image && !image->hWnd()) {
            const RECT r = Scaled(image->Bounds(), from, to);
            image->Move(r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
    std::vector<HWND> children;
    EnumChildWindows(Window(), &CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        const RECT r = Scaled(ChildRect(child), from, to);
        MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}

void Form::RefreshFonts() {
    for (Control* control : controls_) {
        if (auto* label = dynamic_cast<Label*>(control)) {
            label->SetFont(label->Font());
        } else if (auto* box = dynamic_cast<TextBox*>(control)) {
            box->SetFont(box->Font());
        }
    }
}

}  // namespace rt
