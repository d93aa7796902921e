#include "windowwait.h"

#include "runtime/app.h"
#include "runtime/msgbox.h"

bool WindowWait::Wait(const HANDLE* handles, DWORD count, ULONGLONG until) {
    const ULONGLONG now = GetTickCount64();
    const DWORD ms = until == kForever ? INFINITE : now < until ? static_cast<DWORD>(until - now) : 0;
    MsgWaitForMultipleObjectsEx(count, handles, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return rt::DoEvents() != 0 && form_.IsLoaded();
}

WaitPolicy::Answer WindowWait::EndIt(const std::wstring& question) {
    const int answer =
        rt::MsgBox(question, rt::MsgBoxExclamation | rt::MsgBoxYesNo, rt::kErrorTitle, form_.hWnd());
    if (!form_.IsLoaded()) return Answer::Gone;
    return answer == IDYES ? Answer::End : Answer::Wait;
}

void WindowWait::Say(const std::wstring& link, const std::wstring& titleTail) {
    if (saying_ || !form_.IsLoaded()) return;
    saying_ = true;
    shownLink_ = link_.Caption();
    shownTitle_ = form_.Caption();
    link_.SetCaption(link);
    form_.SetCaption(shownTitle_ + titleTail);
}

// A window closed meanwhile has nothing left to restore.
void WindowWait::Unsay() {
    if (!saying_) return;
    saying_ = false;
    if (!form_.IsLoaded()) return;
    link_.SetCaption(shownLink_);
    form_.SetCaption(shownTitle_);
}
