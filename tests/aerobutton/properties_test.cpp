#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "aerobutton/accesskey.h"
#include "aerobutton/aerobutton.h"
#include "runtime/errors.h"
#include "test_host.h"

namespace {

using Keys = std::vector<std::wstring>;

// A container inside the shared host window that records the stored keys its
// control reports changed, and can play a designer (user mode off).
class RecordingHost : public rt::Container {
public:
    explicit RecordingHost(bool userMode) : userMode_(userMode) {}
    HWND hWnd() const override { return aerotest::SharedHost().hWnd(); }
    Container* Parent() const override { return &aerotest::SharedHost(); }
    bool AmbientUserMode() const override { return userMode_; }
    void PropertyChanged(rt::Control&, const std::wstring& key) override { notices.push_back(key); }
    Keys notices;

private:
    bool userMode_;
};

struct Fixture {
    explicit Fixture(bool userMode = true)
        : host(userMode), button(std::make_unique<aero::AeroButton>()), b(*button) {
        EXPECT_TRUE(b.Create(host, L"cmdProps", 10, 40, 73, 25));
        b.InitNew();
        b.Events().Click = [this] { ++clicks; };
    }
    Keys Notices() { return std::exchange(host.notices, {}); }  // since the last call

    RecordingHost host;
    std::unique_ptr<aero::AeroButton> button;
    aero::AeroButton& b;
    int clicks = 0;
};

COLORREF Black(int, int) {
    return RGB(0, 0, 0);
}
rt::PictureRef Square(int pixels) {
    return testkit::PictureOf(pixels, pixels, Black);
}

TEST(AccessKeys, TakenFromTheLastSingleAmpersand) {
    const wchar_t* cases[][2] = {
        {L"&Register", L"r"},
        {L"Unre&gister", L"g"},
        {L"Save && Exit", L""},
        {L"Exit&", L""},
        {L"&", L""},
        {L"R", L""},
        {L"A && B &Copy", L"c"},
        {L"&A&b", L"b"},
        {L"&&", L""},
        {L"Tom&&", L""},
        {L"&&x", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(aero::GetAccessKey(c[0]), c[1]) << c[0];
}

TEST(Pictures, NormalPictureAnchorsTheOthersAndTheirSize) {
    Fixture f;
    const rt::PictureRef hot = Square(32);
    f.b.SetPictureHot(hot);
    EXPECT_EQ(f.b.PictureNormal(), hot);
    EXPECT_EQ(f.b.PictureHot(), nullptr);
    EXPECT_EQ(f.Notices(), (Keys{L"PicSize", L"PicSizeH", L"PicSizeW", L"PicNormal", L"PicOpacity"}));

    f.b.SetPictureDown(Square(32));
    EXPECT_EQ(f.b.PictureSize(), aero::Natural) << "same size as the normal picture";
    f.b.SetPictureHot(Square(48));
    EXPECT_EQ(f.b.PictureSize(), aero::Custom) << "a size mismatch";
    EXPECT_EQ(f.b.PictureSizeW(), 32);
    EXPECT_EQ(f.b.PictureSizeH(), 32);

    f.b.SetPictureSize(aero::Size24);
    f.b.SetPictureSizeW(20);
    EXPECT_EQ(f.b.PictureSize(), aero::Custom);
    EXPECT_EQ(f.b.PictureSizeH(), 24);

    f.b.SetPictureNormal(nullptr);
    EXPECT_EQ(f.b.PictureHot(), nullptr);
    EXPECT_EQ(f.b.PictureDown(), nullptr);
    EXPECT_EQ(f.b.PictureOpacity(), 0);
    EXPECT_EQ(f.b.PictureSize() + f.b.PictureSizeW() + f.b.PictureSizeH(), 0);
    f.b.SetPictureNormal(Square(16));
    EXPECT_EQ(f.b.PictureOpacity(), 100);
    EXPECT_EQ(f.b.PictureSizeW(), 16);
}

TEST(Pictures, OpacityIsClampedToTenAndAHundredPercent) {
    Fixture f;
    f.b.SetPictureNormal(Square(16));
    for (const auto& c : {std::pair{5L, 10L}, {250L, 100L}, {33L, 33L}, {-7L, 10L}}) {
        f.b.SetPictureOpacity(c.first);
        EXPECT_EQ(f.b.PictureOpacity(), c.second) << c.first;
    }
}

TEST(Value, PushButtonClicksOnceInRunModeOnly) {
    Fixture run(true);
    run.b.SetValue(true);
    EXPECT_EQ(run.clicks, 1);
    EXPECT_FALSE(run.b.Value());
    SendMessageW(run.b.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(36, 12));
    ASSERT_TRUE(run.b.IsPressed());  // a press is pending: no click, the value stays
    run.b.SetValue(true);
    EXPECT_EQ(run.clicks, 1);
    EXPECT_TRUE(run.b.Value());

    Fixture design(false);
    design.b.SetValue(true);
    EXPECT_EQ(design.clicks, 0);
    EXPECT_FALSE(design.b.Value());

    Fixture check;
    check.b.SetCheckBoxMode(true);
    check.b.SetValue(true);
    EXPECT_TRUE(check.b.Value());
    EXPECT_EQ(check.clicks, 0);
    check.Notices();
    check.b.SetCheckBoxMode(false);
    EXPECT_FALSE(check.b.Value());
    EXPECT_EQ(check.Notices(), (Keys{L"Value", L"CheckBox"}));
}

TEST(Pointer, IconStandardPointersAndTheHand) {
    Fixture f;
    f.b.SetHandPointer(true);
    f.b.SetMouseIcon(rt::StdPicture::FromIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))));
    EXPECT_EQ(f.b.MousePointer(), 99);
    EXPECT_TRUE(f.b.HandPointer());
    f.Notices();
    f.b.SetMouseIcon(nullptr);
    EXPECT_EQ(f.b.MousePointer(), 0);
    EXPECT_EQ(f.Notices(), (Keys{L"HandPointer", L"MousePointer", L"MouseIcon"}));

    f.b.SetHandPointer(true);
    try {
        f.b.SetMousePointer(70000);
        ADD_FAILURE() << "no overflow raised";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 6);
    }
    EXPECT_FALSE(f.b.HandPointer()) << "the hand goes before the number is checked";
}

TEST(Enabled, PaintsDisabledAndBackByHover) {
    Fixture f;
    f.b.SetCaption(L"Register");
    aerotest::MoveCursor(f.b, true);
    ASSERT_TRUE(f.b.IsHot());
    f.b.SetEnabled(false);
    EXPECT_EQ(f.b.State(), aero::Disabled);
    EXPECT_FALSE(IsWindowEnabled(f.b.hWnd()));
    // The caption colour of a disabled button waits for the next palette refresh.
    const COLORREF red = RGB(200, 0, 0);
    f.b.SetForeColor(red);

    f.b.SetEnabled(true);
    EXPECT_EQ(f.b.State(), aero::Hot);
    EXPECT_TRUE(IsWindowEnabled(f.b.hWnd()));
    EXPECT_GT(aerotest::CaptionPixels(f.b, RGB(0, 0, 0)), 10);
    EXPECT_EQ(aerotest::CaptionPixels(f.b, red), 0);
    f.b.SetBackColor(f.b.BackColor());
    EXPECT_GT(aerotest::CaptionPixels(f.b, red), 10);

    aerotest::MoveCursor(f.b, false);
    ASSERT_FALSE(f.b.IsHot());
    f.b.SetEnabled(false);
    f.b.SetEnabled(true);
    EXPECT_EQ(f.b.State(), aero::Normal);
}

// A designer's instance paints at a resize only once its properties are loaded,
// and gets no hand cursor and no hooks: a leave leaves it hot.
TEST(Loading, ADesignerInstanceGetsNoCursorOrTracking) {
    RecordingHost designer(false);
    aero::AeroButton b;
    ASSERT_TRUE(b.Create(designer, L"cmdDesign", 10, 40, 73, 25));
    b.SetSize(80, 25);
    EXPECT_EQ(b.Pixels().ColorAt(79, 12), GetSysColor(COLOR_BTNFACE)) << "painted before loading";
    rt::PropertyBag bag;
    bag.Set(L"HandPointer", true);
    b.LoadProperties(bag);
    b.SetSize(90, 25);
    EXPECT_EQ(b.Pixels().ColorAt(89, 12), RGB(112, 112, 112)) << "the border at the new size";
    EXPECT_TRUE(b.HandPointer());

    aerotest::MoveCursor(b, true);
    ASSERT_TRUE(b.IsHot());
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    SendMessageW(b.hWnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(b.IsHot());
}

}  // namespace
