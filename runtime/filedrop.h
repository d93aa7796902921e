// Files dropped from the shell: letting a window take them, and reading the
// names a drop carries.
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <shellapi.h>

#include <string>
#include <vector>

namespace rt {

// Lets the shell drop files on `window` (WM_DROPFILES), also when this program
// runs elevated and the files come from a process that does not.
void AcceptDroppedFiles(HWND window);

// The names a WM_DROPFILES carries, in order, and the drop finished (its memory
// freed). Anything but a well-formed drop gives no names and is left untouched:
// any process can post the message with any handle.
std::vector<std::wstring> TakeDroppedFiles(HDROP drop);

}  // namespace rt
