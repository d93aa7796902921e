#include "runtime/navigation.h"

#include <gtest/gtest.h>

namespace {

using rt::NavAction;
using rt::NavEntry;
using rt::NavKey;
using rt::NavRequest;
using Kind = rt::NavAction::Kind;

// List order differs from tab order on purpose: a text box, a label, a disabled
// button, two buttons and a second text box.
std::vector<NavEntry> SampleForm() {
    return {
        {4, true, false, L""},    // 0 text box, tab 4
        {0, true, false, L""},    // 1 text box, tab 0
        {1, false, false, L"p"},  // 2 label "&Path", tab 1
        {2, false, true, L"x"},   // 3 disabled button, tab 2
        {3, true, true, L"r"},    // 4 button "&Register", tab 3
        {5, true, true, L"a"},    // 5 button "&About", tab 5
    };
}

TEST(FormNavigation, TabOrderSkipsWhatCannotTakeTheFocusAndWraps) {
    const auto entries = SampleForm();
    struct Case {
        int from;
        bool backward;
        int expected;
    } cases[] = {
        {-1, false, 1},  // nothing focused: the first in tab order
        {-1, true, 5},   // ... or the last, going back
        {1, false, 4},   // label and disabled button skipped
        {4, false, 0},
        {0, false, 5},
        {5, false, 1},   // wraps round
        {1, true, 5},    // wraps backwards
        {4, true, 1},
        {0, true, 4},
        {2, false, 4},   // from a label: the next that can take the focus
    };
    for (const Case& c : cases)
        EXPECT_EQ(rt::NextFocusable(entries, c.from, c.backward), c.expected)
            << "from " << c.from << (c.backward ? " backwards" : "");

    std::vector<NavEntry> none = {{0, false, false, L""}, {1, false, false, L""}};
    EXPECT_EQ(rt::NextFocusable(none, -1, false), -1);
    EXPECT_EQ(rt::NextFocusable({}, -1, false), -1);
}

TEST(FormNavigation, KeysGoWhereTheFormSends) {
    const auto entries = SampleForm();
    auto request = [](NavKey key, int focused, UINT dlgCode = 0, bool shift = false, wchar_t letter = 0) {
        NavRequest r;
        r.key = key;
        r.focused = focused;
        r.dlgCode = dlgCode;
        r.shift = shift;
        r.letter = letter;
        r.defaultControl = 4;
        r.cancelControl = 5;
        return r;
    };
    struct Case {
        const char* what;
        NavRequest request;
        Kind kind;
        int target;
        short key;
        bool focusFirst;
    } cases[] = {
        {"Tab", request(NavKey::Tab, 1), Kind::Focus, 4, 0, false},
        {"Shift+Tab", request(NavKey::Tab, 1, 0, true), Kind::Focus, 5, 0, false},
        {"Tab kept by the window", request(NavKey::Tab, 1, DLGC_WANTTAB), Kind::None, -1, 0, false},
        {"Tab with arrows and chars wanted", request(NavKey::Tab, 1, DLGC_WANTARROWS | DLGC_WANTCHARS), Kind::Focus, 4,
         0, false},
        {"Enter in a text box: the default", request(NavKey::Enter, 1, DLGC_WANTCHARS), Kind::AccessKey, 4, 13, false},
        {"Enter on another button: that button", request(NavKey::Enter, 5), Kind::AccessKey, 5, 13, false},
        {"Enter kept by the window", request(NavKey::Enter, 1, DLGC_WANTALLKEYS), Kind::None, -1, 0, false},
        {"Esc: the cancel control", request(NavKey::Escape, 0), Kind::AccessKey, 5, 27, false},
        {"Alt+R: the button, focused first", request(NavKey::AccessLetter, 1, 0, false, L'r'), Kind::AccessKey, 4,
         L'r', true},
        {"Alt+Shift+R matches too", request(NavKey::AccessLetter, 1, 0, false, L'R'), Kind::AccessKey, 4, L'r', true},
        {"Alt+P: a label hands the focus on", request(NavKey::AccessLetter, 0, 0, false, L'p'), Kind::Focus, 4, 0,
         false},
        {"Alt+Q: nobody's", request(NavKey::AccessLetter, 1, 0, false, L'q'), Kind::None, -1, 0, false},
    };
    for (const Case& c : cases) {
        NavAction action = rt::Navigate(entries, c.request);
        EXPECT_EQ(action.kind, c.kind) << c.what;
        if (c.kind == Kind::None) continue;
        EXPECT_EQ(action.target, c.target) << c.what;
        EXPECT_EQ(action.keyAscii, c.key) << c.what;
        EXPECT_EQ(action.focusFirst, c.focusFirst) << c.what;
    }

    NavRequest noDefault = request(NavKey::Enter, 1);
    noDefault.defaultControl = -1;
    EXPECT_EQ(rt::Navigate(entries, noDefault).kind, Kind::None);
    NavRequest noCancel = request(NavKey::Escape, 1);
    noCancel.cancelControl = -1;
    EXPECT_EQ(rt::Navigate(entries, noCancel).kind, Kind::None);
}

TEST(FormNavigation, AccessKeysOfCaptions) {
    struct Case {
        const wchar_t* caption;
        const wchar_t* keys;
    } cases[] = {
        {L"&Source..", L"s"}, {L"Save &As", L"a"}, {L"R&&D", L""}, {L"R&&D &Lab", L"l"},
        {L"Trailing &", L""}, {L"None", L""},      {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(rt::AccessKeysOf(c.caption), c.keys) << c.caption;
}

}  // namespace
