// The window's wait while a command runs: it pumps the window's messages so
// that the window paints and answers, asks its questions in boxes it owns,
// and is the one that sets and restores what the window says meanwhile.
#pragma once

#include "messages.h"
#include "registerflow.h"
#include "runtime/form.h"
#include "runtime/label.h"

class WindowWait final : public WaitPolicy {
public:
    WindowWait(rt::Form& form, rt::Label& link) : form_(form), link_(link) {}
    ~WindowWait() { Unsay(); }
    WindowWait(const WindowWait&) = delete;
    WindowWait& operator=(const WindowWait&) = delete;

    bool Wait(const HANDLE* handles, DWORD count, ULONGLONG until) override;
    DWORD Patience() const override { return kPatienceMs; }
    Answer EndIt(const std::wstring& question) override;
    // On the link label and in the title, which the taskbar shows.
    void Say(const std::wstring& link, const std::wstring& titleTail) override;
    void Unsay() override;

private:
    rt::Form& form_;
    rt::Label& link_;
    bool saying_ = false;
    std::wstring shownLink_, shownTitle_;  // what was there before
};
