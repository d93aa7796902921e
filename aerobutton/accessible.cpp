// What an accessibility client reads of an AeroButton, and its default action.
#include "accesskey.h"
#include "aerobutton.h"
#include "runtime/form.h"
#include "runtime/tooltip.h"

namespace aero {
namespace {

// The caption as read aloud: "&&" is an ampersand, a single "&" marks the access key.
std::wstring Spoken(const std::wstring& caption) {
    std::wstring text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        text += caption[i];
    }
    return text;
}

}  // namespace

rt::AccessibleFacts AeroButton::Describe() const {
    rt::AccessibleFacts facts;
    const HWND own = hWnd();
    facts.role = s_.CheckBoxMode ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON;
    facts.name = Spoken(s_.Caption);
    std::wstring key = GetAccessKey(s_.Caption);
    if (!key.empty()) {
        CharUpperBuffW(key.data(), 1);
        facts.shortcut = L"Alt+" + key;
    }
    if (rt::Form* form = rt::FormOf(Parent())) facts.description = form->ToolTipText(own);
    if (facts.description.empty()) facts.description = s_.TipText;
    facts.defaultAction = L"Press";
    facts.ownState = true;
    long& state = facts.state;
    state = STATE_SYSTEM_FOCUSABLE;
    if (own && GetFocus() == own) state |= STATE_SYSTEM_FOCUSED;
    if (s_.bDisplayAsDefault) state |= STATE_SYSTEM_DEFAULT;
    if (s_.nState == Down) state |= STATE_SYSTEM_PRESSED;
    if (s_.CheckBoxMode && s_.Value) state |= STATE_SYSTEM_CHECKED;
    if (s_.bIsHot) state |= STATE_SYSTEM_HOTTRACKED;
    if (!s_.Enabled) state = (state & ~STATE_SYSTEM_FOCUSABLE) | STATE_SYSTEM_UNAVAILABLE;
    if (!own || !IsWindowVisible(own)) state |= STATE_SYSTEM_INVISIBLE;
    return facts;
}

// The same click an access key gives (a key that is neither Enter nor Esc).
void AeroButton::DoDefaultAction() {
    short notEnterOrEsc = 0;
    AccessKeyPress(notEnterOrEsc);
}

}  // namespace aero
