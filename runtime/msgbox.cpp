#include "msgbox.h"

namespace rt {
namespace {

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

}  // namespace

int MsgBox(const std::wstring& prompt, UINT style, const std::wstring& title, HWND owner) {
    if (!owner) owner = GetActiveWindow();
    const std::wstring caption = title.empty() ? ProgramName() : title;
    // Only the icon and modality bits, and the one question the program asks.
    const UINT buttons = (style & MB_TYPEMASK) == MB_YESNO ? MB_YESNO | (style & MB_DEFMASK) : MB_OK;
    const UINT flags = (style & (MB_ICONMASK | MB_MODEMASK)) | buttons | MB_SETFOREGROUND;
    return MessageBoxW(owner, prompt.c_str(), caption.c_str(), flags);
}

}  // namespace rt
