// A real top-level window holding one AeroButton, for tests that read the
// control's persistent image and its window region.
#pragma once

#include <windows.h>

#include <memory>

#include "aerobutton.h"
#include "control.h"

namespace aerotest {

class TestHost : public rt::Container {
public:
    TestHost();
    ~TestHost() override;
    HWND hWnd() const override { return hwnd_; }
    Container* Parent() const override { return nullptr; }
    rt::FontRef AmbientFont() const override { return rt::MakeFont(L"Arial", 9.0f); }
    COLORREF AmbientForeColor() const override { return RGB(0, 0, 0); }

private:
    HWND hwnd_ = nullptr;
};

// One host for the whole test program: under Wine each new top-level window
// costs seconds.
TestHost& SharedHost();

// A fresh instance with its creation properties, no caption, painted once.
class HostedButton {
public:
    explicit HostedButton(int width = 73, int height = 25);
    aero::AeroButton& Button() { return *button_; }
    aero::AeroButtonState& Fields() { return button_->Fields(); }
    COLORREF At(int x, int y) const { return button_->Pixels().ColorAt(x, y); }
    HWND Window() const { return button_->hWnd(); }

private:
    std::unique_ptr<aero::AeroButton> button_;
};

// A bitmap picture whose pixel (x, y) is colour(x, y).
rt::PictureRef MakeBitmapPicture(int width, int height, COLORREF (*colour)(int, int));

}  // namespace aerotest
