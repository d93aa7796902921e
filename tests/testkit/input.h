// Real input through the system queue, as a person gives it: keys by virtual
// key code, the mouse at a screen point.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace testkit {

// Key events in order: {vk, up}.
inline void SendKeys(const std::vector<std::pair<WORD, bool>>& keys) {
    std::vector<INPUT> inputs;
    for (auto [vk, up] : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, 0));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    SendKeys(std::vector<std::pair<WORD, bool>>(keys));
}

// A chord: the keys go down in order and come up in reverse order (Alt+F4).
inline void SendChord(std::initializer_list<WORD> keys) {
    std::vector<std::pair<WORD, bool>> events;
    for (WORD key : keys) events.push_back({key, false});
    for (auto key = keys.end(); key != keys.begin();) events.push_back({*--key, true});
    SendKeys(events);
}

// Mouse flags (MOUSEEVENTF_*) at a screen point, given in absolute coordinates
// that map back onto exactly that pixel.
inline void SendMouse(DWORD flags, POINT at) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = static_cast<LONG>((at.x * 65536LL + w - 1) / w);
    input.mi.dy = static_cast<LONG>((at.y * 65536LL + h - 1) / h);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

}  // namespace testkit
