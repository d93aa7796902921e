#include "keys.h"

#include "app.h"

namespace rt {
namespace {

INPUT Key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, 0));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

int DoEvents() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the loop that owns it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ProcessMessage(msg);
    }
    SyncFocus();
    return LoadedFormCount();
}

std::vector<INPUT> TabKeystrokes(bool shift, bool shiftHeld) {
    std::vector<INPUT> keys;
    const bool pressShift = shift && !shiftHeld;
    const bool liftShift = !shift && shiftHeld;
    if (pressShift) keys.push_back(Key(VK_SHIFT, false));
    if (liftShift) keys.push_back(Key(VK_SHIFT, true));
    keys.push_back(Key(VK_TAB, false));
    keys.push_back(Key(VK_TAB, true));
    if (pressShift) keys.push_back(Key(VK_SHIFT, true));
    if (liftShift) keys.push_back(Key(VK_SHIFT, false));
    return keys;
}

bool SendTabKeystroke(bool shift) {
    std::vector<INPUT> keys = TabKeystrokes(shift, GetAsyncKeyState(VK_SHIFT) < 0);
    UINT sent = SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
    return sent == keys.size();
}

}  // namespace rt
