#include "basewindow.h"

#include <map>
#include <set>
#include <string>

namespace rt {
namespace {

// This runtime's classes, with the procedure behind each one's filter.
std::map<ATOM, WNDPROC>& OwnClasses() {
    static std::map<ATOM, WNDPROC> classes;
    return classes;
}

std::set<std::wstring>& KnownNames() {
    static std::set<std::wstring> names;
    return names;
}

ATOM ClassOf(HWND hwnd) { return static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM)); }

// The class's atom; 0 when it cannot be registered, or the name is taken by a class not made this way.
ATOM RegisterOnSystem(const wchar_t* className, WNDPROC proc, HCURSOR cursor, UINT style) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (const ATOM atom = static_cast<ATOM>(GetClassInfoExW(module, className, &existing)))
        return existing.lpfnWndProc == proc ? atom : 0;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.hCursor = cursor;
    wc.lpszClassName = className;
    return RegisterClassExW(&wc);
}

}  // namespace

bool RegisterWindowClassOnce(const wchar_t* className, WNDPROC proc, WNDPROC own, HCURSOR cursor, UINT style) {
    // Asking the system costs a round trip per control; our classes stay registered.
    if (KnownNames().count(className)) return true;
    const ATOM atom = RegisterOnSystem(className, proc, cursor, style);
    if (!atom) return false;
    OwnClasses()[atom] = own;
    KnownNames().insert(className);
    return true;
}

WNDPROC SetMessageFilter(HWND hwnd, MessageFilter* filter) {
    if (!hwnd || GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return nullptr;
    const auto own = OwnClasses().find(ClassOf(hwnd));
    if (own == OwnClasses().end()) return nullptr;
    SetWindowLongPtrW(hwnd, kFilterSlot, reinterpret_cast<LONG_PTR>(filter));
    return own->second;
}

MessageFilter* MessageFilterOf(HWND hwnd) {
    if (!hwnd || !OwnClasses().count(ClassOf(hwnd))) return nullptr;
    return reinterpret_cast<MessageFilter*>(GetWindowLongPtrW(hwnd, kFilterSlot));
}

}  // namespace rt

namespace rt {

void RepaintWhenShown(HWND hwnd, bool erase, bool children) {
    if (!hwnd || !IsWindowVisible(hwnd)) return;
    if (children)
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | (erase ? RDW_ERASE : 0));
    else
        InvalidateRect(hwnd, nullptr, erase ? TRUE : FALSE);
}

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
