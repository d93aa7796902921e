#include "filedrop.h"

#include "latebound.h"

namespace rt {
namespace {

// The message by which the system copies a drop's data into the receiving process.
constexpr UINT kCopyGlobalData = 0x0049;

// An elevated window takes only the messages it lets through from less trusted processes.
void LetDropsThrough(HWND window) {
    const UINT messages[] = {WM_DROPFILES, WM_COPYDATA, kCopyGlobalData};
    // Per window from Windows 7 on; Vista has only the filter of the whole process.
    static auto* perWindow =
        LateBound<decltype(ChangeWindowMessageFilterEx)>(L"user32.dll", "ChangeWindowMessageFilterEx");
    static auto* perProcess =
        LateBound<decltype(ChangeWindowMessageFilter)>(L"user32.dll", "ChangeWindowMessageFilter");
    for (UINT message : messages) {
        if (perWindow)
            perWindow(window, message, MSGFLT_ALLOW, nullptr);
        else if (perProcess)
            perProcess(message, MSGFLT_ADD);
    }
}

}  // namespace

void AcceptDroppedFiles(HWND window) {
    if (!window) return;
    // What DragAcceptFiles does, without loading the shell's DLL at start-up.
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    LetDropsThrough(window);
}

std::vector<std::wstring> TakeDroppedFiles(HDROP drop) {
    static auto* query = LateBound<decltype(DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
    static auto* finish = LateBound<decltype(DragFinish)>(L"shell32.dll", "DragFinish");
    std::vector<std::wstring> files;
    const UINT count = query ? query(drop, 0xFFFFFFFF, nullptr, 0) : 0;
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(query(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(query(drop, i, name.data(), static_cast<UINT>(name.size())));
        if (!name.empty()) files.push_back(std::move(name));
    }
    if (finish) finish(drop);
    return files;
}

}  // namespace rt
