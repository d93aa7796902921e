#include "app.h"

#include "unhandled.h"

#include <ole2.h>

#include <algorithm>
#include <vector>

#include "form.h"

namespace rt {
namespace {

// Loaded forms of the window thread; forms live on one thread only.
std::vector<Form*>& LoadedForms() {
    static std::vector<Form*> forms;
    return forms;
}

HWND& LastSeenFocus() {
    static HWND focus = nullptr;
    return focus;
}

}  // namespace


int App::Run() {
    MSG msg{};
    while (LoadedFormCount() > 0) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got < 0) return -1;
        // An event handler's error must not end the program.
        Guarded([&] {
            ProcessMessage(msg);
            return LRESULT{0};
        });
    }
    return 0;
}

void SyncFocus() {
    HWND focus = GetFocus();
    if (focus == LastSeenFocus()) return;
    LastSeenFocus() = focus;
    if (Form* owner = Form::FromHandle(GetAncestor(focus, GA_ROOT))) owner->FocusChanged(focus);
}

void ProcessMessage(const MSG& msg) {
    // Once per message, before it: a focus change made by the last message, or
    // outside the loop (a sent message, code between messages), counts before
    // this key does. The runtime's own controls report the focus as it arrives.
    SyncFocus();
    // Before the tool's own window sees it, so the tip follows from this very message.
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
        if (Form* over = Form::FromHandle(GetAncestor(msg.hwnd, GA_ROOT))) over->PrepareToolTips();
    Form* form = nullptr;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSCHAR) form = Form::FromHandle(GetAncestor(msg.hwnd, GA_ROOT));
    if (!form || !form->PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int LoadedFormCount() { return static_cast<int>(LoadedForms().size()); }

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

namespace detail {

void FormOpened(Form* form) { LoadedForms().push_back(form); }

void FormClosed(Form* form) {
    auto& forms = LoadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), form), forms.end());
    LastSeenFocus() = nullptr;
    // Wakes a loop waiting in GetMessage when the unload came from a sent message.
    if (forms.empty()) PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

}  // namespace detail

}  // namespace rt
