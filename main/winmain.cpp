#include <windows.h>
// commctrl.h needs the Windows types declared first.
#include <commctrl.h>

#include "standin_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Registers the version 6 common controls that the manifest asks for.
    InitCommonControls();
    StandInWindow state;
    HWND window = StandInWindow::Create(instance, state);
    if (!window) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
