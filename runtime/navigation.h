// Dialog navigation decisions: which control a Tab, Shift+Tab, Enter, Esc or
// Alt+letter goes to. Pure functions over a snapshot of the form's controls,
// so the rules are tested without windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rt {

struct NavEntry {
    int tabIndex = 0;
    bool canTakeFocus = false;   // visible, enabled, a tab stop
    bool actsOnEnter = false;    // a button: Enter while it has the focus goes to it
    std::wstring accessKeys;     // lower-case letters
};

enum class NavKey { None, Tab, Enter, Escape, AccessLetter };

struct NavRequest {
    NavKey key = NavKey::None;
    bool shift = false;          // Shift+Tab goes backwards
    wchar_t letter = 0;          // for AccessLetter
    UINT dlgCode = 0;            // the focused window's answer to WM_GETDLGCODE
    int focused = -1;            // index into the entries, -1 when no control has the focus
    int defaultControl = -1;
    int cancelControl = -1;
};

struct NavAction {
    enum class Kind { None, Focus, AccessKey } kind = Kind::None;
    int target = -1;
    short keyAscii = 0;          // for AccessKey: 13, 27 or the letter
    bool focusFirst = false;     // for AccessKey: move the focus to the target before it acts
};

// Indices of the entries in tab order (by tab index, ties in list order).
std::vector<int> TabOrder(const std::vector<NavEntry>& entries);

// The next (or previous) control that can take the focus, wrapping round;
// -1 when none can. From -1 the first (or last) one.
int NextFocusable(const std::vector<NavEntry>& entries, int from, bool backward);

// The control shown as default: the focused one if it acts on Enter, else the
// form's default control (-1 when there is none).
int ShownDefault(const std::vector<NavEntry>& entries, int focused, int defaultControl);

NavAction Navigate(const std::vector<NavEntry>& entries, const NavRequest& request);

// Classifies a keyboard message for navigation. Shift and Alt states are passed
// in (read from the message queue's key state by the caller).
NavRequest ClassifyKey(UINT message, WPARAM key, bool shift, bool ctrl, bool alt);

// The lower-case access key of a caption ("&Source" -> "s"; "&&" is a literal ampersand).
std::wstring AccessKeysOf(const std::wstring& caption);

}  // namespace rt
