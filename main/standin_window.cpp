#include "standin_window.h"

#include "modfunctions.h"
#include "resource_names.h"

namespace {

constexpr wchar_t kClassName[] = L"QuorvaneTessiverMain";
constexpr wchar_t kTitle[] = L"Quorvane Tessiver";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

bool RegisterOnce(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The form's own back colour shows only where the picture does not reach.
    wc.hbrBackground = CreateSolidBrush(RGB(0, 255, 255));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

HWND StandInWindow::Create(HINSTANCE instance, StandInWindow& state) {
    if (!RegisterOnce(instance, &StandInWindow::WindowProc)) return nullptr;
    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExW(0, kClassName, kTitle, kStyle, left, top, width, height, nullptr, nullptr,
                                  instance, &state);
    if (window) modFunctions::SetWindowIcon(window, res::MainIcon, true);
    return window;
}

LRESULT CALLBACK StandInWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<StandInWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->background_.reset(static_cast<HBITMAP>(LoadImageW(
            reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance, res::Background, IMAGE_BITMAP, 0, 0, 0)));
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<StandInWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_PAINT:
            if (self) {
                self->OnPaint(window);
                return 0;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void StandInWindow::OnPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    BITMAP info{};
    if (background_ && GetObjectW(background_.get(), sizeof info, &info)) {
        gdi::OwnedMemoryDc memory(CreateCompatibleDC(dc));
        gdi::ScopedSelect select(memory.get(), background_.get());
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
    }
    EndPaint(window, &ps);
}
