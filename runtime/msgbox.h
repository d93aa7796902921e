// Message boxes: modal over their owner, one OK button; Yes and No for the
// one question the program asks (whether to end a server that does not answer).
#pragma once

#include <windows.h>

#include <string>

namespace rt {

// The title of every box that reports a failure, the runtime's own included.
inline constexpr wchar_t kErrorTitle[] = L"Error!";

enum MsgBoxStyle : UINT {
    MsgBoxPlain = 0,
    MsgBoxExclamation = MB_ICONEXCLAMATION,  // 48
    MsgBoxInformation = MB_ICONINFORMATION,  // 64
    MsgBoxYesNo = MB_YESNO,                  // Yes (the default) and No instead of OK
};

// Shows the message and waits for OK; the button pressed (IDOK, or IDYES / IDNO). Without an
// owner the box is modal over this thread's active window. An empty title
// shows the program's name.
int MsgBox(const std::wstring& prompt, UINT style = MsgBoxPlain, const std::wstring& title = {},
           HWND owner = nullptr);

}  // namespace rt
