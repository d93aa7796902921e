// Test windows: a class registered once per name, whichever test asks first.
#pragma once

#include <windows.h>

namespace testkit {

// The atom of the window class `name` with procedure `proc`; registered on
// the first call, found again on later ones. 0 on failure.
inline ATOM TestWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background = nullptr) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (const ATOM atom = RegisterClassExW(&wc)) return atom;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    return static_cast<ATOM>(GetClassInfoExW(wc.hInstance, name, &existing));
}

}  // namespace testkit
