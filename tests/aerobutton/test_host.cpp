#include "test_host.h"

#include <gtest/gtest.h>

#include "test_image.h"

namespace aerotest {

TestHost::TestHost() {
    EXPECT_TRUE(Create(L"host", 320, 200));
    Show();
    // The top-left corner, clear of the forms that other tests centre on the screen.
    SetWindowPos(hWnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TestHost::Reactivate() {
    SetActiveWindow(nullptr);
    SetActiveWindow(hWnd());
}

TestHost& SharedHost() {
    static TestHost host;
    return host;
}

HostedButton::HostedButton(int width, int height) : button_(std::make_unique<aero::AeroButton>()) {
    EXPECT_TRUE(button_->Create(SharedHost(), L"cmdTest", 10, 10, width, height));
    button_->InitNew();
    button_->SetCaption(L"");
}

HostedButton::~HostedButton() {
    if (SharedHost().DisplaysAsDefault(*button_)) SharedHost().SetShownDefault(nullptr);
}

void HostedButton::ActivateHost() {
    button_->InstallHooks();
    SharedHost().Reactivate();
}

void HostedButton::Focus(bool on) {
    SetFocus(on ? Window() : SharedHost().hWnd());
}

void HostedButton::ShowAsDefault(bool on) {
    SharedHost().SetShownDefault(on ? button_.get() : nullptr);
    button_->OnAmbientChanged(L"DisplayAsDefault");
}

void MoveCursor(aero::AeroButton& button, bool over) {
    RECT client{};
    GetClientRect(button.hWnd(), &client);
    const POINT at = over ? POINT{client.right / 2, client.bottom / 2} : POINT{-3, -3};
    POINT screen = at;
    ClientToScreen(button.hWnd(), &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageW(button.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
}

int CaptionPixels(const aero::AeroButton& button, COLORREF colour) {
    const RECT box = button.CaptionRect();
    const rt::PixelView pixels = button.Pixels();
    int n = 0;
    for (long y = box.top; y < box.bottom; ++y)
        for (long x = box.left; x < box.right; ++x) n += pixels.ColorAt(x, y) == colour;
    return n;
}

}  // namespace aerotest
