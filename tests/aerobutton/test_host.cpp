#include "test_host.h"

#include <gtest/gtest.h>

#include "test_image.h"

namespace aerotest {
namespace {

const wchar_t kHostClass[] = L"AeroButtonTestHost";

void RegisterHostClass() {
    static const bool ready = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kHostClass;
        return RegisterClassExW(&wc) != 0;
    }();
    EXPECT_TRUE(ready);
}

}  // namespace

TestHost::TestHost() {
    RegisterHostClass();
    hwnd_ = CreateWindowExW(0, kHostClass, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 200, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(hwnd_, nullptr);
}

TestHost::~TestHost() { DestroyWindow(hwnd_); }

TestHost& SharedHost() {
    static TestHost host;
    return host;
}

HostedButton::HostedButton(int width, int height) : button_(std::make_unique<aero::AeroButton>()) {
    EXPECT_TRUE(button_->Create(SharedHost(), L"cmdTest", 10, 10, width, height));
    button_->InitNew();
    button_->Fields().Caption.clear();
    button_->Refresh();
}

rt::PictureRef MakeBitmapPicture(int width, int height, COLORREF (*colour)(int, int)) {
    const BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* words = static_cast<uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colour(x, y);
            words[y * width + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return rt::StdPicture::FromBitmap(bitmap);
}

}  // namespace aerotest
