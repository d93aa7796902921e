#include "basewindow.h"

#include <set>
#include <string>

namespace rt {
namespace {

bool RegisterClassOnSystem(const wchar_t* className, WNDPROC proc, HCURSOR cursor, UINT style) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(module, className, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.hCursor = cursor;
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

bool RegisterWindowClassOnce(const wchar_t* className, WNDPROC proc, HCURSOR cursor, UINT style) {
    // Asking the system costs a round trip per control; our classes stay registered.
    static std::set<std::wstring> known;
    if (known.count(className)) return true;
    if (!RegisterClassOnSystem(className, proc, cursor, style)) return false;
    known.insert(className);
    return true;
}

}  // namespace rt

namespace rt {

RECT ChildRect(HWND child) {
    RECT rect{};
    if (!GetWindowRect(child, &rect)) return rect;
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool InClientArea(HWND hwnd, int x, int y) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return PtInRect(&client, POINT{x, y}) != FALSE;
}

short MouseButtonsOf(WPARAM wParam) {
    short buttons = 0;
    if (wParam & MK_LBUTTON) buttons |= 1;
    if (wParam & MK_RBUTTON) buttons |= 2;
    if (wParam & MK_MBUTTON) buttons |= 4;
    return buttons;
}

short ShiftStateOf(WPARAM wParam) {
    short shift = 0;
    if (wParam & MK_SHIFT) shift |= 1;
    if (wParam & MK_CONTROL) shift |= 2;
    // Mouse messages do not carry Alt.
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

}  // namespace rt
