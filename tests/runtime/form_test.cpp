#include "runtime/form.h"

#include <gtest/gtest.h>

#include "form_testkit.h"
#include "runtime/app.h"
#include "runtime/colour.h"
#include "runtime/label.h"
#include "runtime/textbox.h"
#include "runtime/units.h"

namespace {

using formtest::Press;
using formtest::Pump;
using formtest::RecordingButton;
using formtest::Type;

TEST(Form, EventsComeInOrderWithTheirArguments) {
    std::vector<std::wstring> log;
    rt::Form form;
    HWND duringInitialize = reinterpret_cast<HWND>(1);
    form.Events().Initialize = [&] {
        log.push_back(L"Initialize");
        duringInitialize = form.hWnd();
    };
    form.Events().Load = [&] { log.push_back(L"Load"); };
    form.Events().Resize = [&] { log.push_back(L"Resize"); };
    form.Events().MouseMove = [&](short button, short shift, float x, float y) {
        log.push_back(L"MouseMove " + std::to_wstring(button) + L" " + std::to_wstring(shift) + L" " +
                      std::to_wstring(static_cast<int>(x)) + L" " + std::to_wstring(static_cast<int>(y)));
    };
    form.Events().Unload = [&] { log.push_back(form.IsLoaded() ? L"Unload" : L"Unload after the window"); };

    ASSERT_TRUE(form.Create(L"Events", 200, 100));
    EXPECT_EQ(duringInitialize, nullptr);  // before the window exists
    form.Load();
    form.Load();  // once only
    form.Show();
    SendMessageW(form.hWnd(), WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(12, 34));
    SendMessageW(form.hWnd(), WM_MOUSEMOVE, MK_RBUTTON | MK_LBUTTON, MAKELPARAM(5, 6));
    form.SetScaleMode(rt::ScaleMode::Twips);
    SendMessageW(form.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 3));
    SendMessageW(form.hWnd(), WM_CLOSE, 0, 0);

    std::vector<std::wstring> expected = {L"Initialize",       L"Load",        L"Resize",       L"MouseMove 1 2 12 34",
                                          L"MouseMove 3 0 5 6", L"MouseMove 0 0 30 45", L"Unload"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(form.IsLoaded());
    form.Unload();  // a second unload does nothing
    EXPECT_EQ(log.size(), expected.size());
}

TEST(Form, OuterSizeInTwipsRoundTripsAndClientSizeFollowsScaleMode) {
    rt::Form form;
    ASSERT_TRUE(form.Create(L"Sizes", 511, 168));
    EXPECT_EQ(form.ScaleWidth(), 511);
    EXPECT_EQ(form.ScaleHeight(), 168);
    form.SetScaleMode(rt::ScaleMode::Twips);
    EXPECT_EQ(form.ScaleWidth(), 7665);
    EXPECT_EQ(form.ScaleHeight(), 2520);

    for (long twips : {7755L, 3045L, 2970L, 4500L}) {
        form.SetWidth(twips);
        form.SetHeight(twips);
        EXPECT_EQ(form.Width(), twips);
        EXPECT_EQ(form.Height(), twips);
        RECT rect{};
        GetWindowRect(form.hWnd(), &rect);
        EXPECT_EQ(rect.right - rect.left, rt::RoundHalfEven(twips / rt::TwipsPerPixelX()));
    }
    // Both at once, in one resize.
    int resizes = 0;
    form.Events().Resize = [&] { ++resizes; };
    form.Load();
    form.SetOuterSize(7755, 2970);
    EXPECT_EQ(form.Width(), 7755);
    EXPECT_EQ(form.Height(), 2970);
    EXPECT_EQ(resizes, 1);
    // The frame is fixed: no sizing border, no maximise box.
    LONG style = GetWindowLongW(form.hWnd(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    form.Unload();
}

TEST(Form, ShowsCentredMinimisesAndRestoresWithResize) {
    int resizes = 0;
    rt::Form form;
    form.Events().Resize = [&] { ++resizes; };
    ASSERT_TRUE(form.Create(L"Centred", 300, 150));
    form.Load();
    form.Show();
    Pump(50);
    RECT rect{};
    GetWindowRect(form.hWnd(), &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(form.GetWindowState(), rt::WindowState::Normal);

    int before = resizes;
    form.SetWindowState(rt::WindowState::Minimized);
    Pump(50);
    EXPECT_EQ(form.GetWindowState(), rt::WindowState::Minimized);
    form.SetWindowState(rt::WindowState::Normal);
    Pump(50);
    EXPECT_EQ(form.GetWindowState(), rt::WindowState::Normal);
    EXPECT_GE(resizes, before + 1);
    EXPECT_EQ(form.ScaleWidth(), 300);
    form.Unload();
}

TEST(Form, PaintsBackColourAndPictureAtTheTopLeft) {
    rt::Form form;
    ASSERT_TRUE(form.Create(L"Backdrop", 120, 60));
    form.SetBackColor(RGB(0, 255, 255));
    form.SetPicture(formtest::TwoColourPicture(40, 20, 20, RGB(255, 0, 0), RGB(0, 0, 255)));
    form.Load();
    form.Show();
    Pump(50);
    EXPECT_EQ(formtest::ScreenPixel(form.hWnd(), 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(formtest::ScreenPixel(form.hWnd(), 30, 15), RGB(0, 0, 255));
    EXPECT_EQ(formtest::ScreenPixel(form.hWnd(), 60, 40), RGB(0, 255, 255));
    EXPECT_EQ(formtest::ScreenPixel(form.hWnd(), 41, 5), RGB(0, 255, 255));
    form.Unload();
}

std::vector<std::wstring> unloadOrder;
rt::Form* formForTimer = nullptr;

void CALLBACK UnloadFromTimer(HWND, UINT, UINT_PTR, DWORD) {
    unloadOrder.push_back(L"timer");
    if (formForTimer) formForTimer->Unload();
}

TEST(Form, TheLoopEndsWhenTheLastFormIsUnloaded) {
    rt::App app;
    auto first = formtest::MakePlainForm(L"First");
    auto second = formtest::MakePlainForm(L"Second");
    ASSERT_TRUE(first && second);
    first->Show();
    second->Show();
    EXPECT_EQ(rt::LoadedFormCount(), 2);

    unloadOrder.clear();
    formForTimer = second.get();
    first->Events().Unload = [] { unloadOrder.push_back(L"first"); };
    second->Events().Unload = [] { unloadOrder.push_back(L"second"); };
    PostMessageW(first->hWnd(), WM_CLOSE, 0, 0);
    // The loop must still run after the first form is gone for this timer to close the second.
    UINT_PTR timer = SetTimer(nullptr, 0, 100, &UnloadFromTimer);
    int code = app.Run();
    KillTimer(nullptr, timer);
    EXPECT_EQ(code, 0);
    formForTimer = nullptr;
    EXPECT_EQ(unloadOrder, (std::vector<std::wstring>{L"first", L"timer", L"second"}));
    EXPECT_EQ(rt::LoadedFormCount(), 0);
    EXPECT_EQ(app.Run(), 0);  // nothing loaded: returns at once
}

TEST(Form, ControlsSurviveAnUnloadFromTheirOwnHandler) {
    auto form = formtest::MakePlainForm(L"Close from a click");
    ASSERT_TRUE(form);
    auto& label = form->Add(std::make_unique<rt::Label>());
    ASSERT_TRUE(label.Create(*form, L"lblClose", 10, 10, 50, 20));
    int clicks = 0;
    label.Click = [&] {
        ++clicks;
        form->Unload();
    };
    form->Show();
    SendMessageW(label.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(label.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(label.hWnd(), nullptr);  // no stale handle
    EXPECT_EQ(form->Find<rt::Label>(L"LBLCLOSE"), &label);
}

// A form as the main window has it: a text box first, a label with an access
// key, a disabled button, the default and cancel buttons and a second text box.
// One form serves the whole suite: under Wine without a window manager each
// top-level window's end costs seconds.
struct KeyboardForm {
    KeyboardForm() {
        form.Create(L"Keyboard", 400, 200);
        text = &form.Add(std::make_unique<rt::TextBox>());
        text->Create(form, L"txtSource", 10, 10, 200, 22);
        text->SetTabIndex(0);
        label = &form.Add(std::make_unique<rt::Label>());
        label->Create(form, L"lblNext", 10, 40, 60, 16);
        label->SetCaption(L"&Next");
        label->SetTabIndex(1);
        disabled = &form.Add(std::make_unique<RecordingButton>(form, L"cmdOff", 2, 10, 60));
        EnableWindow(disabled->hWnd(), FALSE);
        okButton = &form.Add(std::make_unique<RecordingButton>(form, L"cmdOk", 3, 80, 60));
        okButton->accessKeys = L"o";
        cancelButton = &form.Add(std::make_unique<RecordingButton>(form, L"cmdCancel", 5, 150, 60));
        second = &form.Add(std::make_unique<rt::TextBox>());
        second->Create(form, L"txtOther", 10, 100, 200, 22);
        second->SetTabIndex(4);
        form.SetDefault(okButton);
        form.SetCancel(cancelButton);
        form.Load();
    }

    rt::Form form;
    rt::TextBox* text = nullptr;
    rt::Label* label = nullptr;
    RecordingButton* disabled = nullptr;
    RecordingButton* okButton = nullptr;
    RecordingButton* cancelButton = nullptr;
    rt::TextBox* second = nullptr;
};

class FormKeyboard : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shared = new KeyboardForm; }
    static void TearDownTestSuite() {
        delete shared;
        shared = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(form.IsLoaded());
        form.Show();
        SetFocus(text->hWnd());
        Pump(100);
        okButton->calls.clear();
        cancelButton->calls.clear();
    }
    HWND Focus() const { return GetFocus(); }

    static KeyboardForm* shared;
    rt::Form& form = shared->form;
    rt::TextBox*& text = shared->text;
    RecordingButton*& okButton = shared->okButton;
    RecordingButton*& cancelButton = shared->cancelButton;
    rt::TextBox*& second = shared->second;
};

KeyboardForm* FormKeyboard::shared = nullptr;

TEST_F(FormKeyboard, TabAndShiftTabFollowTabIndexSkippingAndWrapping) {
    ASSERT_EQ(Focus(), text->hWnd());  // tab index 0 first
    HWND expected[] = {okButton->hWnd(), second->hWnd(), cancelButton->hWnd(), text->hWnd()};
    for (HWND next : expected) {
        Press(VK_TAB);
        EXPECT_EQ(Focus(), next);
    }
    Type({{VK_SHIFT, false}, {VK_TAB, false}, {VK_TAB, true}});
    EXPECT_EQ(Focus(), cancelButton->hWnd());
    Type({{VK_TAB, false}, {VK_TAB, true}, {VK_SHIFT, true}});
    EXPECT_EQ(Focus(), second->hWnd());
    EXPECT_TRUE(okButton->calls.empty() || okButton->calls.back().rfind(L"ambient", 0) == 0);
}

TEST_F(FormKeyboard, EnterGoesToTheDefaultOrTheFocusedButtonAndEscToCancel) {
    Press(VK_RETURN);
    EXPECT_EQ(okButton->calls, (std::vector<std::wstring>{L"key 13"}));
    EXPECT_TRUE(cancelButton->calls.empty());
    Press(VK_ESCAPE);
    EXPECT_EQ(cancelButton->calls, (std::vector<std::wstring>{L"key 27"}));
    EXPECT_EQ(Focus(), text->hWnd());  // Enter and Esc do not move the focus
    EXPECT_EQ(text->Text(), L"");      // nor reach the text box as characters

    // With the cancel button focused it is the one Enter reaches.
    SetFocus(cancelButton->hWnd());
    Pump(20);
    cancelButton->calls.clear();
    okButton->calls.clear();
    Press(VK_RETURN);
    ASSERT_FALSE(cancelButton->calls.empty());
    EXPECT_EQ(cancelButton->calls.back(), L"key 13");
    EXPECT_EQ(std::count(okButton->calls.begin(), okButton->calls.end(), L"key 13"), 0);
}

TEST_F(FormKeyboard, AltLetterReachesItsControlAndALabelPassesTheFocusOn) {
    Type({{VK_MENU, false}, {'O', false}, {'O', true}, {VK_MENU, true}});
    EXPECT_EQ(Focus(), okButton->hWnd());
    ASSERT_FALSE(okButton->calls.empty());
    EXPECT_EQ(okButton->calls.back(), L"key 111");  // 'o'

    // "&Next" belongs to a label: the focus goes to the next control in tab
    // order that can take it (the disabled button is skipped).
    SetFocus(second->hWnd());
    Pump(20);
    okButton->calls.clear();
    Type({{VK_MENU, false}, {'N', false}, {'N', true}, {VK_MENU, true}});
    EXPECT_EQ(Focus(), okButton->hWnd());
    EXPECT_EQ(std::count(okButton->calls.begin(), okButton->calls.end(), L"key 110"), 0);
}

// A focus moved by code between messages, to a window that does not report it,
// counts before the next key: the button hears it is shown as default first.
TEST_F(FormKeyboard, AFocusMovedByCodeCountsBeforeTheNextKey) {
    SetFocus(cancelButton->hWnd());
    Press(VK_RETURN);
    EXPECT_EQ(cancelButton->calls, (std::vector<std::wstring>{L"ambient DisplayAsDefault", L"key 13"}));
}

TEST_F(FormKeyboard, TheDefaultShowsAsDefaultUnlessAnotherButtonHasTheFocus) {
    EXPECT_TRUE(form.DisplaysAsDefault(*okButton));
    EXPECT_FALSE(form.DisplaysAsDefault(*cancelButton));
    SetFocus(cancelButton->hWnd());
    Pump(20);
    EXPECT_FALSE(form.DisplaysAsDefault(*okButton));
    EXPECT_TRUE(form.DisplaysAsDefault(*cancelButton));
    EXPECT_EQ(okButton->calls, (std::vector<std::wstring>{L"ambient DisplayAsDefault"}));
    EXPECT_EQ(cancelButton->calls, (std::vector<std::wstring>{L"ambient DisplayAsDefault"}));
    // Moving between the text boxes changes nothing and tells nobody.
    SetFocus(text->hWnd());
    Pump(20);
    SetFocus(second->hWnd());
    Pump(20);
    EXPECT_TRUE(form.DisplaysAsDefault(*okButton));
    EXPECT_EQ(okButton->calls.size(), 2u);
    EXPECT_EQ(cancelButton->calls.size(), 2u);
}

TEST(FormKeys, AltF4UnloadsThroughTheSamePath) {
    auto form = formtest::MakePlainForm(L"Alt+F4");
    ASSERT_TRUE(form);
    bool unloaded = false;
    form->Events().Unload = [&] { unloaded = true; };
    form->Show();
    Pump(50);
    Type({{VK_MENU, false}, {VK_F4, false}, {VK_F4, true}, {VK_MENU, true}});
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(form->IsLoaded());
}

TEST(Form, OffersAmbientProperties) {
    rt::Form form;
    ASSERT_TRUE(form.Create(L"Ambient", 100, 50));
    RecordingButton button(form, L"cmdA", 0, 0, 0);
    form.Attach(button);
    form.SetForeColor(RGB(1, 2, 3));
    EXPECT_EQ(form.AmbientForeColor(), RGB(1, 2, 3));
    EXPECT_TRUE(form.AmbientUserMode());
    auto font = rt::MakeFont(L"Arial", 12.0f);
    form.SetFont(font);
    EXPECT_EQ(form.AmbientFont(), font);
    EXPECT_EQ(button.calls, (std::vector<std::wstring>{L"ambient Font"}));
    EXPECT_EQ(rt::FormOf(&form), &form);
    form.Unload();
}

}  // namespace
