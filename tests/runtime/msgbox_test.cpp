#include "runtime/msgbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form_testkit.h"
#include "runtime/form.h"

namespace {

// What the timer saw of the box before pressing its OK button.
struct SeenBox {
    bool found = false;
    std::wstring title;
    std::wstring text;
    HICON icon = nullptr;
    int buttons = 0;
    std::wstring buttonText;
    HWND owner = nullptr;
    bool ownerEnabled = true;
};

SeenBox seen;
std::wstring expectedTitle;
HWND expectedOwner = nullptr;

BOOL CALLBACK ReadChild(HWND child, LPARAM) {
    wchar_t cls[32] = {}, text[256] = {};
    GetClassNameW(child, cls, 32);
    GetWindowTextW(child, text, 256);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(cls, L"Button") == 0 && IsWindowVisible(child)) {
        ++seen.buttons;
        seen.buttonText = text;
    } else if (lstrcmpiW(cls, L"Static") == 0) {
        if ((style & SS_TYPEMASK) == SS_ICON) {
            if (IsWindowVisible(child)) seen.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        } else if (text[0]) {
            seen.text = text;
        }
    }
    return TRUE;
}

void CALLBACK InspectAndPressOk(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowW(L"#32770", expectedTitle.c_str());
    if (!box) return;  // not up yet: the timer comes again
    KillTimer(nullptr, timer);
    seen.found = true;
    wchar_t title[256] = {};
    GetWindowTextW(box, title, 256);
    seen.title = title;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.ownerEnabled = expectedOwner ? IsWindowEnabled(expectedOwner) != FALSE : true;
    EnumChildWindows(box, &ReadChild, 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(MsgBox, ShowsTextTitleIconAndOneOkButtonModalOverItsOwner) {
    auto owner = formtest::MakePlainForm(L"Owner");
    ASSERT_TRUE(owner);
    owner->Show();
    struct Case {
        UINT style;
        LPCWSTR icon;
        const wchar_t* text;
        const wchar_t* title;
    } cases[] = {
        {rt::MsgBoxExclamation, IDI_EXCLAMATION, L"Select an ActiveX", L"Error!"},
        {rt::MsgBoxInformation, IDI_ASTERISK, L"Registered successfully", L"Success!"},
        {rt::MsgBoxPlain, nullptr, L"Line one\r\nLine two\r\nLine three\r\nLine four", L"About"},
    };
    EXPECT_EQ(rt::MsgBoxExclamation, 48u);
    EXPECT_EQ(rt::MsgBoxInformation, 64u);
    for (const Case& c : cases) {
        seen = {};
        expectedTitle = c.title;
        expectedOwner = owner->hWnd();
        UINT_PTR timer = SetTimer(nullptr, 0, 50, &InspectAndPressOk);
        int result = rt::MsgBox(c.text, c.style, c.title, owner->hWnd());
        KillTimer(nullptr, timer);
        EXPECT_EQ(result, IDOK) << c.title;
        ASSERT_TRUE(seen.found) << c.title;
        EXPECT_EQ(seen.title, c.title);
        EXPECT_EQ(seen.text, c.text);
        EXPECT_EQ(seen.buttons, 1) << c.title;
        EXPECT_EQ(seen.buttonText, L"OK");
        EXPECT_EQ(seen.owner, owner->hWnd());
        EXPECT_FALSE(seen.ownerEnabled) << "the owner is disabled while the box is up";
        if (c.icon) {
            EXPECT_EQ(seen.icon, LoadIconW(nullptr, c.icon)) << c.title;
        } else {
            EXPECT_EQ(seen.icon, nullptr) << c.title;
        }
    }
    EXPECT_TRUE(IsWindowEnabled(owner->hWnd()));
    owner->Unload();
}

}  // namespace
