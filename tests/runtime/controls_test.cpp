#include <gtest/gtest.h>

#include "form_testkit.h"
#include "runtime/colour.h"
#include "runtime/form.h"
#include "runtime/gdi.h"
#include "runtime/imagezone.h"
#include "runtime/label.h"
#include "runtime/picturebox.h"
#include "runtime/textbox.h"
#include "runtime/tooltip.h"

namespace {

using formtest::Pump;
using formtest::ScreenPixel;

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kCyan = RGB(0, 255, 255),
                   kGreen = RGB(0, 160, 0), kYellow = RGB(255, 255, 0);

// One form for the suite, with a picture red left of x = 100 and blue right of it.
class Controls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        form = new rt::Form;
        form->Create(L"Controls", 300, 200);
        form->SetBackColor(kCyan);
        form->SetPicture(formtest::TwoColourPicture(200, 150, 100, kRed, kBlue));
        form->Load();
        form->Show();
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
    }
    static rt::Form* form;

public:
    static rt::Form& Form() { return *form; }
};

rt::Form* Controls::form = nullptr;

// Controls end with the suite's form.
template <class T>
T& Make(rt::Container& container, const wchar_t* name, int x, int y, int width, int height) {
    auto control = std::make_unique<T>();
    EXPECT_TRUE(control->Create(container, name, x, y, width, height));
    return Controls::Form().Add(std::move(control));
}

SIZE ExtentOf(const std::wstring& text, const rt::StdFont& font) {
    rt::gdi::ClientDC screen(nullptr);
    rt::gdi::Selection use(screen.Get(), font.Handle());
    SIZE size{};
    GetTextExtentPoint32W(screen.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    return SIZE{size.cx, metrics.tmHeight};
}

SIZE WindowSize(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(Controls, LabelAutoSizeFitsItsTextInItsOwnFont) {
    auto& label = Make<rt::Label>(*form, L"lblSource", 16, 48, 10, 10);
    label.SetCaption(L"Source..");
    EXPECT_EQ(WindowSize(label.hWnd()).cx, 10);  // no AutoSize: the size stays
    label.SetAutoSize(true);
    SIZE text = ExtentOf(L"Source..", *label.Font());
    SIZE size = WindowSize(label.hWnd());
    EXPECT_EQ(size.cx, text.cx);
    EXPECT_EQ(size.cy, text.cy);

    label.SetCaption(L"Source.. and a longer caption");
    EXPECT_GT(WindowSize(label.hWnd()).cx, size.cx);
    auto bigger = rt::MakeFont(L"Arial", 20.0f);
    label.SetFont(bigger);
    EXPECT_EQ(WindowSize(label.hWnd()).cy, ExtentOf(L"x", *bigger).cy);
    // The label's font is its own copy, not the form's object.
    EXPECT_NE(form->Font(), bigger);
    EXPECT_EQ(label.AccessKeys(), L"");
    label.SetCaption(L"&Source..");
    EXPECT_EQ(label.AccessKeys(), L"s");
    EXPECT_FALSE(label.CanTakeFocus());
}

TEST_F(Controls, LabelIsSeeThroughOverThePictureAndDrawsItsTextInItsColour) {
    // Straddles the picture's colour change at x = 100 and runs past its bottom at y = 150.
    auto& label = Make<rt::Label>(*form, L"lblSeeThrough", 80, 140, 60, 20);
    label.SetCaption(L"WW");
    label.SetForeColor(static_cast<long>(kYellow));
    Pump(30);
    EXPECT_EQ(ScreenPixel(label.hWnd(), 55, 2), kBlue);   // (135, 142) on the form
    EXPECT_EQ(ScreenPixel(label.hWnd(), 55, 15), kCyan);  // (135, 155): below the picture
    int yellow = 0;
    {
        rt::gdi::ClientDC dc(label.hWnd());
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 30; ++x) yellow += GetPixel(dc.Get(), x, y) == kYellow;
    }
    EXPECT_GT(yellow, 3);

    label.SetTransparent(false);
    label.SetBackColor(static_cast<long>(kGreen));
    EXPECT_EQ(ScreenPixel(label.hWnd(), 55, 2), kGreen);
}

TEST_F(Controls, LabelClicksOnlyWhenReleasedOverItAndShowsItsOwnPointer) {
    auto& label = Make<rt::Label>(*form, L"lblLink", 10, 170, 80, 16);
    int clicks = 0;
    label.Click = [&] { ++clicks; };
    SendMessageW(label.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(label.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 1);
    SendMessageW(label.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(label.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(200, 5));  // released away
    EXPECT_EQ(clicks, 1);
    SendMessageW(label.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));  // no press pending
    EXPECT_EQ(clicks, 1);

    auto hand = rt::StdPicture::FromIcon(CopyIcon(LoadCursor(nullptr, IDC_HAND)));
    ASSERT_TRUE(hand);
    label.SetMouseIcon(hand);
    label.SetMousePointer(99);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    SendMessageW(label.hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label.hWnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hand->Icon());
    label.SetMousePointer(0);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    SendMessageW(label.hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label.hWnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), hand->Icon());
}

TEST_F(Controls, PictureBoxHoldsSeeThroughZonesThatReportTheMouse) {
    auto& box = Make<rt::PictureBox>(*form, L"picN", 200, 0, 65, 25);
    box.SetPicture(formtest::TwoColourPicture(69, 20, 26, kGreen, kYellow));
    EXPECT_EQ(rt::FormOf(&box), form);
    auto& zone = Make<rt::ImageZone>(box, L"btnClose", 24, 0, 41, 25);
    zone.SetToolTipText(L"Close (Alt + F4)");
    EXPECT_EQ(form->ToolTips().Text(zone.hWnd()), L"Close (Alt + F4)");
    const int tips = form->ToolTips().Count();
    zone.SetToolTipText(L"Close");  // changed in place, not added again
    EXPECT_EQ(form->ToolTips().Count(), tips);
    EXPECT_EQ(form->ToolTips().Text(zone.hWnd()), L"Close");
    zone.SetToolTipText(L"");
    EXPECT_EQ(form->ToolTips().Count(), tips - 1);
    Pump(30);
    // The zone shows the box's picture under it, and the box's back colour below the picture.
    EXPECT_EQ(ScreenPixel(zone.hWnd(), 10, 5), kYellow);
    EXPECT_EQ(ScreenPixel(zone.hWnd(), 10, 22), rt::TranslateColor(box.BackColor()));
    box.SetPicture(formtest::TwoColourPicture(69, 20, 26, kRed, kBlue));
    EXPECT_EQ(ScreenPixel(zone.hWnd(), 10, 5), kBlue);

    std::vector<std::wstring> events;
    auto record = [&](const wchar_t* what) {
        return [&events, what](short button, short shift, float x, float y) {
            events.push_back(std::wstring(what) + L" " + std::to_wstring(button) + L" " + std::to_wstring(shift) +
                             L" " + std::to_wstring(static_cast<int>(x)) + L"," + std::to_wstring(static_cast<int>(y)));
        };
    };
    zone.MouseDown = record(L"down");
    zone.MouseMove = record(L"move");
    zone.Click = [&] { events.push_back(L"click"); };
    SendMessageW(zone.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    SendMessageW(zone.hWnd(), WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(7, 8));
    SendMessageW(zone.hWnd(), WM_RBUTTONUP, 0, MAKELPARAM(7, 8));
    SendMessageW(zone.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(9, 10));
    SendMessageW(zone.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(9, 10));
    SendMessageW(zone.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(9, 10));
    SendMessageW(zone.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(90, 10));  // released away: no click
    std::vector<std::wstring> expected = {L"move 0 0 3,4", L"down 2 1 7,8", L"down 1 0 9,10", L"click",
                                          L"down 1 0 9,10"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(GetCapture(), nullptr);

    // The box moves in its container; a negative size keeps the current one.
    box.Move(300 - 65 - 8, 0);
    EXPECT_EQ(box.Left(), 227);
    EXPECT_EQ(box.Width(), 65);
    EXPECT_EQ(box.Height(), 25);
    box.SetWidth(69);
    EXPECT_EQ(box.Width(), 69);
    EXPECT_EQ(box.Left(), 227);
    EXPECT_EQ(GetParent(zone.hWnd()), box.hWnd());
}

TEST_F(Controls, AZoneOutOfSightGetsItsWindowWhenItComesIntoSight) {
    auto& store = Make<rt::ImageZone>(*form, L"imgStore", 20, 300, 69, 20);  // below the 200-pixel client area
    EXPECT_EQ(store.hWnd(), nullptr);
    store.SetPicture(formtest::TwoColourPicture(69, 20, 26, kGreen, kYellow));
    store.SetToolTipText(L"Stored");
    const RECT stored = store.Bounds(), storedAt{20, 300, 89, 320};
    EXPECT_TRUE(EqualRect(&stored, &storedAt));
    store.Move(20, 170, 69, 20);
    ASSERT_NE(store.hWnd(), nullptr);
    const RECT placed = rt::ChildRect(store.hWnd()), placedAt{20, 170, 89, 190};
    EXPECT_TRUE(EqualRect(&placed, &placedAt));
    EXPECT_EQ(form->ToolTipText(store.hWnd()), L"Stored");
    Pump(30);
    EXPECT_EQ(ScreenPixel(store.hWnd(), 30, 5), kYellow);

    // A box that grows over a zone gives it its window.
    auto& box = Make<rt::PictureBox>(*form, L"picGrow", 100, 100, 60, 20);
    auto& inside = Make<rt::ImageZone>(box, L"imgInside", 0, 30, 20, 10);
    EXPECT_EQ(inside.hWnd(), nullptr);
    box.SetHeight(45);
    ASSERT_NE(inside.hWnd(), nullptr);
    EXPECT_EQ(GetParent(inside.hWnd()), box.hWnd());
}

TEST_F(Controls, TextBoxKeepsUnicodeTextAndTakesFocusOnlyWhenItCan) {
    auto& text = Make<rt::TextBox>(*form, L"txtPath", 16, 64, 200, 25);
    EXPECT_EQ(text.Text(), L"");
    const std::wstring path = L"C:\\Programme\\\u00dcbersicht \u4e2d\u6587\\server.ocx";
    text.SetText(path);
    EXPECT_EQ(text.Text(), path);
    EXPECT_TRUE(text.CanTakeFocus());
    EnableWindow(text.hWnd(), FALSE);
    EXPECT_FALSE(text.CanTakeFocus());
    EnableWindow(text.hWnd(), TRUE);
    ShowWindow(text.hWnd(), SW_HIDE);
    EXPECT_FALSE(text.CanTakeFocus());
    ShowWindow(text.hWnd(), SW_SHOW);
    EXPECT_NE(text.Font(), form->Font());
    EXPECT_TRUE(text.Font()->SameAttributes(*form->Font()));
    // The edit window draws with a font of its own, which outlives a change of the font object.
    auto shownFont = [&] { return reinterpret_cast<HFONT>(SendMessageW(text.hWnd(), WM_GETFONT, 0, 0)); };
    LOGFONTW shown{}, wanted{};
    ASSERT_TRUE(GetObjectW(shownFont(), sizeof shown, &shown));
    ASSERT_TRUE(GetObjectW(text.Font()->Handle(), sizeof wanted, &wanted));
    EXPECT_EQ(shown.lfHeight, wanted.lfHeight);
    EXPECT_STREQ(shown.lfFaceName, wanted.lfFaceName);
    text.Font()->SetBold(true);
    EXPECT_EQ(GetObjectType(shownFont()), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(form->Find<rt::TextBox>(L"txtPath"), &text);
}

TEST_F(Controls, TextBoxTellsOfEveryChangeToItsTextAndNoOther) {
    auto& text = Make<rt::TextBox>(*form, L"txtPath", 16, 64, 200, 25);
    auto& other = Make<rt::TextBox>(*form, L"txtOther", 16, 100, 200, 25);
    std::vector<std::wstring> seen;
    text.Change = [&] { seen.push_back(text.Text()); };
    text.SetText(L"C:\\a.dll");
    SendMessageW(text.hWnd(), EM_SETSEL, 8, 8);
    SendMessageW(text.hWnd(), WM_CHAR, L'x', 0);                                     // typed
    SendMessageW(text.hWnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"y"));  // pasted
    other.SetText(L"elsewhere");
    text.SetText(L"");
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"C:\\a.dll", L"C:\\a.dllx", L"C:\\a.dllxy", L""}));
}

}  // namespace
