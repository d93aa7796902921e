#include "navigation.h"

#include <algorithm>
#include <cwctype>

namespace rt {

std::vector<int> TabOrder(const std::vector<NavEntry>& entries) {
    std::vector<int> order(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return entries[a].tabIndex < entries[b].tabIndex; });
    return order;
}

int NextFocusable(const std::vector<NavEntry>& entries, int from, bool backward) {
    std::vector<int> order = TabOrder(entries);
    const int count = static_cast<int>(order.size());
    if (count == 0) return -1;
    auto at = std::find(order.begin(), order.end(), from);
    int position = at == order.end() ? (backward ? count : -1) : static_cast<int>(at - order.begin());
    for (int step = 1; step <= count; ++step) {
        int p = backward ? position - step : position + step;
        p = ((p % count) + count) % count;
        if (entries[order[p]].canTakeFocus) return order[p];
    }
    return -1;
}

int ShownDefault(const std::vector<NavEntry>& entries, int focused, int defaultControl) {
    if (focused >= 0 && focused < static_cast<int>(entries.size()) && entries[focused].actsOnEnter) return focused;
    return defaultControl;
}

namespace {

NavAction AccessKeyAction(int target, short key, bool focusFirst) {
    NavAction action;
    action.kind = NavAction::Kind::AccessKey;
    action.target = target;
    action.keyAscii = key;
    action.focusFirst = focusFirst;
    return action;
}

NavAction FocusAction(int target) {
    NavAction action;
    if (target < 0) return action;
    action.kind = NavAction::Kind::Focus;
    action.target = target;
    return action;
}

// The first control after the focused one, in tab order and wrapping, whose
// access keys hold the letter.
int AccessKeyOwner(const std::vector<NavEntry>& entries, int focused, wchar_t letter) {
    std::vector<int> order = TabOrder(entries);
    const int count = static_cast<int>(order.size());
    auto at = std::find(order.begin(), order.end(), focused);
    int position = at == order.end() ? -1 : static_cast<int>(at - order.begin());
    for (int step = 1; step <= count; ++step) {
        int index = order[(position + step + count) % count];
        if (entries[index].accessKeys.find(letter) != std::wstring::npos) return index;
    }
    return -1;
}

}  // namespace

NavAction Navigate(const std::vector<NavEntry>& entries, const NavRequest& request) {
    const bool wantsAll = (request.dlgCode & DLGC_WANTALLKEYS) != 0;
    switch (request.key) {
    case NavKey::Tab:
        if (wantsAll || (request.dlgCode & DLGC_WANTTAB)) return {};
        return FocusAction(NextFocusable(entries, request.focused, request.shift));
    case NavKey::Enter: {
        if (wantsAll) return {};
        int target = ShownDefault(entries, request.focused, request.defaultControl);
        return target < 0 ? NavAction{} : AccessKeyAction(target, 13, false);
    }
    case NavKey::Escape:
        if (wantsAll || request.cancelControl < 0) return {};
        return AccessKeyAction(request.cancelControl, 27, false);
    case NavKey::AccessLetter: {
        wchar_t letter = static_cast<wchar_t>(std::towlower(request.letter));
        int owner = AccessKeyOwner(entries, request.focused, letter);
        if (owner < 0) return {};
        // A control that cannot hold the focus (a label) hands it to the next one.
        if (!entries[owner].canTakeFocus) return FocusAction(NextFocusable(entries, owner, false));
        return AccessKeyAction(owner, static_cast<short>(letter), true);
    }
    case NavKey::None:
        break;
    }
    return {};
}

NavRequest ClassifyKey(UINT message, WPARAM key, bool shift, bool ctrl, bool alt) {
    NavRequest request;
    if (message == WM_KEYDOWN && !alt) {
        if (key == VK_TAB && !ctrl) {
            request.key = NavKey::Tab;
            request.shift = shift;
        } else if (key == VK_RETURN && !ctrl) {
            request.key = NavKey::Enter;
        } else if (key == VK_ESCAPE) {
            request.key = NavKey::Escape;
        }
    } else if (message == WM_SYSCHAR && std::iswalnum(static_cast<wint_t>(key))) {
        request.key = NavKey::AccessLetter;
        request.letter = static_cast<wchar_t>(key);
    }
    return request;
}

std::wstring AccessKeysOf(const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] == L'&') {
            ++i;
            continue;
        }
        return std::wstring(1, static_cast<wchar_t>(std::towlower(caption[i + 1])));
    }
    return {};
}

}  // namespace rt
