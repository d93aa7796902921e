// What the runtime's own windows tell an accessibility client. Each control
// says what it is (role, name, state, action); the platform's standard object
// for its window supplies the rest (place, parent, navigation, hit testing).
#pragma once

#include <windows.h>
// The platform headers below build on windows.h.
#include <oleacc.h>

#include <string>
#include <vector>

namespace rt {

// A control's answers; an empty text or a zero role leaves the standard answer.
struct AccessibleFacts {
    long role = 0;
    std::wstring name;
    std::wstring description;
    std::wstring shortcut;       // e.g. "Alt+R"
    std::wstring defaultAction;  // e.g. "Press"; doing it calls Control::DoDefaultAction
    long state = 0;              // STATE_SYSTEM_* bits
    bool ownState = false;       // true: `state` replaces the standard state, else adds to it
    bool ownChildren = false;    // true: `children` (windows, in order) replace the standard children
    std::vector<HWND> children;
};

// A window of the runtime that describes itself to accessibility clients.
class Accessible {
public:
    virtual ~Accessible() = default;
    virtual AccessibleFacts Describe() const { return {}; }
    // A client asked for the default action; it runs from the message loop.
    virtual void DoDefaultAction() {}
};

// Called first by the window procedure of each of the runtime's windows: answers
// WM_GETOBJECT for the client object and the runtime's own accessibility
// messages; true when the message was one of them, with its result.
bool AnswerAccessibility(Accessible& object, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                         LRESULT& result);

// Tells accessibility clients that a control's client object changed
// (EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_NAMECHANGE).
void NotifyAccessibility(HWND hwnd, DWORD event);

}  // namespace rt
