// The frame of the reference programs the start-up is compared with: one
// top-level window the size of the main window, its children made by
// `populate`, shown, then a plain message loop until it is closed.
#pragma once

#include <windows.h>

namespace bench {

inline LRESULT CALLBACK ReferenceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

template <class Populate>
int RunReferenceWindow(HINSTANCE instance, const wchar_t* title, Populate populate) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ReferenceProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BenchReference";
    if (!RegisterClassExW(&wc)) return 1;
    // The main window's client area: 511 x 168 pixels.
    RECT outer{0, 0, 511, 168};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND main = CreateWindowExW(0, wc.lpszClassName, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                instance, nullptr);
    if (!main) return 1;
    populate(main);
    ShowWindow(main, SW_SHOW);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace bench
