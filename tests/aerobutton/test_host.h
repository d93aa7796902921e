// A real form holding AeroButtons that are not among its controls, for tests
// that read a control's persistent image and its window region, and drive it
// through focus, activation, the default-button ambient and the mouse.
#pragma once

#include <windows.h>

#include <memory>

#include "aerobutton/aerobutton.h"
#include "pictures.h"
#include "runtime/control.h"
#include "runtime/form.h"

namespace aerotest {

class TestHost : public rt::Form {
public:
    TestHost();
    rt::FontRef AmbientFont() const override { return rt::MakeFont(L"Arial", 9.0f); }
    COLORREF AmbientForeColor() const override { return RGB(0, 0, 0); }
    bool DisplaysAsDefault(const rt::Control& control) const override { return &control == shownDefault_; }
    void PropertyChanged(rt::Control&, const std::wstring&) override {}

    // The control the host shows as its default button (null: none).
    void SetShownDefault(const rt::Control* control) { shownDefault_ = control; }
    // Takes the activation away and gives it back: the hooks of its buttons hear both.
    void Reactivate();

private:
    const rt::Control* shownDefault_ = nullptr;
};

// One host for the whole test program: under Wine each new top-level window
// costs seconds.
TestHost& SharedHost();

// A fresh instance with its creation properties, no caption, painted once.
class HostedButton {
public:
    explicit HostedButton(int width = 73, int height = 25);
    ~HostedButton();
    aero::AeroButton& Button() { return *button_; }
    COLORREF At(int x, int y) const { return button_->Pixels().ColorAt(x, y); }
    HWND Window() const { return button_->hWnd(); }

    // The run-mode hooks a loaded button has, and an activation of the host for them to hear.
    void ActivateHost();
    // The keyboard focus on the button, or back on the host.
    void Focus(bool on);
    // The host shows the button as its default (or not) and tells it so.
    void ShowAsDefault(bool on);

private:
    std::unique_ptr<aero::AeroButton> button_;
};

// Pixels of the colour inside the box the caption was last laid out in.
int CaptionPixels(const aero::AeroButton& button, COLORREF colour);

// The cursor to the button's middle (or just off its top-left corner), and the move the button hears.
void MoveCursor(aero::AeroButton& button, bool over);

}  // namespace aerotest
