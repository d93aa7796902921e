// The least program that shows the kind of window the product shows: OLE
// initialised, version 6 of the common controls (through its manifest), one
// edit, one tool tip and 17 child windows, nothing else.
#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>
#include <ole2.h>

#include "reference_window.h"

namespace {

constexpr int kChildren = 17;

void Populate(HWND main) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 16, 64,
                                481, 25, main, nullptr, instance, nullptr);
    for (int i = 0; i < kChildren; ++i)
        CreateWindowExW(0, L"BenchReference", L"", WS_CHILD | WS_VISIBLE, 8 + (i % 6) * 82,
                        100 + (i / 6) * 22, 73, 20, main, nullptr, instance, nullptr);
    HWND tip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, main, nullptr, instance, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = main;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = const_cast<wchar_t*>(L"Path");
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SetFocus(edit);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const int code = bench::RunReferenceWindow(instance, L"Floor", &Populate);
    OleUninitialize();
    return code;
}
