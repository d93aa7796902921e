#include "runtime/formload.h"

#include <gtest/gtest.h>
#include <windows.h>
// The platform headers below build on windows.h.
#include <commctrl.h>

#include "form_testkit.h"
#include "runtime/app.h"
#include "runtime/errors.h"
#include "runtime/imagezone.h"
#include "runtime/label.h"
#include "runtime/picturebox.h"
#include "runtime/textbox.h"
#include "runtime/tooltip.h"

namespace {

const wchar_t kDescription[] =
    L"Begin Form frmTest\r\n"
    L"   Caption = String \"Stored form\"\r\n"
    L"   ClientWidth = Long 7665\r\n"
    L"   ClientHeight = Long 2520\r\n"
    L"   BackColor = Long 16776960\r\n"
    L"   Begin TextBox txtSource\r\n"
    L"      Left = Long 240\r\n"
    L"      Top = Long 960\r\n"
    L"      Width = Long 7215\r\n"
    L"      Height = Long 375\r\n"
    L"      TabIndex = Integer 0\r\n"
    L"   End\r\n"
    L"   Begin PictureBox picN\r\n"
    L"      Left = Long 6480\r\n"
    L"      Width = Long 975\r\n"
    L"      Height = Long 375\r\n"
    L"      TabIndex = Integer 1\r\n"
    L"      TabStop = Boolean False\r\n"
    L"      Begin Image btnClose\r\n"
    L"         Left = Long 360\r\n"
    L"         Width = Long 615\r\n"
    L"         Height = Long 375\r\n"
    L"         ToolTipText = String \"Close (Alt + F4)\"\r\n"
    L"      End\r\n"
    L"   End\r\n"
    L"   Begin Label lblSource\r\n"
    L"      Left = Long 240\r\n"
    L"      Top = Long 720\r\n"
    L"      Width = Long 600\r\n"
    L"      Height = Long 195\r\n"
    L"      Caption = String \"&Source..\"\r\n"
    L"      AutoSize = Boolean True\r\n"
    L"      BackStyle = Integer 0\r\n"
    L"      ForeColor = Long 16711680\r\n"
    L"      TabIndex = Integer 2\r\n"
    L"   End\r\n"
    L"   Begin Tessiver.TestButton cmdReg\r\n"
    L"      Left = Long 1560\r\n"
    L"      Top = Long 2040\r\n"
    L"      TabIndex = Integer 4\r\n"
    L"      Default = Boolean True\r\n"
    L"      ToolTipText = String \"Click to register activeX\"\r\n"
    L"      _extentx = Long 1931\r\n"
    L"      _extenty = Long 661\r\n"
    L"      caption = String \"Register\"\r\n"
    L"   End\r\n"
    L"End\r\n";

std::vector<std::wstring> factoryLog;

// A user-control-like type: its factory reads its own keys from the bag.
std::unique_ptr<rt::Control> MakeTestButton(const rt::StoredObject& stored, rt::Container& container,
                                            const RECT& bounds) {
    factoryLog.push_back(stored.Name + L" " + rt::ToString(stored.Properties.ReadProperty(L"Caption", {})) + L" " +
                         std::to_wstring(bounds.left) + L"," + std::to_wstring(bounds.top) + L" " +
                         std::to_wstring(bounds.right - bounds.left) + L"x" +
                         std::to_wstring(bounds.bottom - bounds.top));
    auto button = std::make_unique<formtest::RecordingButton>(container, stored.Name, 0, bounds.left, bounds.top);
    return button;
}

BOOL CALLBACK CountTipWindows(HWND window, LPARAM count) {
    wchar_t type[64] = {};
    GetClassNameW(window, type, 64);
    if (lstrcmpiW(type, TOOLTIPS_CLASSW) == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int TipWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountTipWindows, reinterpret_cast<LPARAM>(&count));
    return count;
}

RECT PlaceOf(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(FormLoad, BuildsTheFormAndItsControlsFromTheDescription) {
    rt::RegisterControlType(L"Tessiver.TestButton", &MakeTestButton);
    factoryLog.clear();
    std::vector<std::wstring> events;
    rt::Form form;
    const HICON big = LoadIconW(nullptr, IDI_APPLICATION), small = LoadIconW(nullptr, IDI_INFORMATION);
    form.SetIcons(big, small);
    form.Events().Initialize = [&] { events.push_back(form.hWnd() ? L"Initialize late" : L"Initialize"); };
    form.Events().Load = [&] {
        events.push_back(form.Find(L"cmdReg") && form.Find(L"btnClose") ? L"Load" : L"Load too early");
    };
    rt::LoadForm(form, rt::ParseFormText(kDescription));
    EXPECT_EQ(events, (std::vector<std::wstring>{L"Initialize", L"Load"}));
    EXPECT_EQ(factoryLog, (std::vector<std::wstring>{L"cmdReg Register 104,136 73x25"}));

    EXPECT_EQ(form.Caption(), L"Stored form");
    EXPECT_EQ(form.ScaleWidth(), 511);
    EXPECT_EQ(form.ScaleHeight(), 168);
    EXPECT_EQ(form.BackColor(), 16776960);
    EXPECT_FALSE(IsWindowVisible(form.hWnd()));
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(form.hWnd(), WM_GETICON, ICON_BIG, 0)), big);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(form.hWnd(), WM_GETICON, ICON_SMALL, 0)), small);

    auto* text = form.Find<rt::TextBox>(L"txtSource");
    ASSERT_TRUE(text);
    RECT place = PlaceOf(text->hWnd());
    EXPECT_EQ(place.left, 16);
    EXPECT_EQ(place.top, 64);
    EXPECT_EQ(place.right - place.left, 481);
    EXPECT_EQ(place.bottom - place.top, 25);

    auto* strip = form.Find<rt::PictureBox>(L"picN");
    auto* zone = form.Find<rt::ImageZone>(L"btnClose");
    ASSERT_TRUE(strip && zone);
    EXPECT_EQ(GetParent(zone->hWnd()), strip->hWnd());
    EXPECT_EQ(zone->Parent(), static_cast<rt::Container*>(strip));
    EXPECT_EQ(PlaceOf(zone->hWnd()).left, 24);
    EXPECT_EQ(strip->Width(), 65);
    // The tips wait for the mouse (or the first call for the tip window) to be given to it.
    const int tipsBefore = TipWindows();
    EXPECT_EQ(form.ToolTipText(zone->hWnd()), L"Close (Alt + F4)");
    EXPECT_EQ(TipWindows(), tipsBefore);
    form.PrepareToolTips();
    EXPECT_EQ(TipWindows(), tipsBefore + 1);
    EXPECT_EQ(form.ToolTips().Text(zone->hWnd()), L"Close (Alt + F4)");

    auto* label = form.Find<rt::Label>(L"lblSource");
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->AutoSize());
    EXPECT_TRUE(label->Transparent());
    EXPECT_EQ(label->ForeColor(), 16711680);
    EXPECT_EQ(label->AccessKeys(), L"s");
    EXPECT_EQ(PlaceOf(label->hWnd()).right - PlaceOf(label->hWnd()).left, label->TextSize().cx);

    auto* reg = form.Find(L"cmdReg");
    ASSERT_TRUE(reg);
    EXPECT_EQ(form.Default(), reg);
    EXPECT_EQ(reg->TabIndex(), 4);
    EXPECT_EQ(form.ToolTips().Text(reg->hWnd()), L"Click to register activeX");

    // Tab order from the stored indices: the text box first; the picture box is no tab stop.
    form.Show();
    formtest::Pump(50);
    EXPECT_EQ(GetFocus(), text->hWnd());
    formtest::Press(VK_TAB);
    EXPECT_EQ(GetFocus(), reg->hWnd());
    form.Unload();
}

// A control that keeps its own enabled state, as a user control does.
class OwnStateButton : public formtest::RecordingButton {
public:
    using RecordingButton::RecordingButton;
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool on) override {
        enabled = on;
        RecordingButton::SetEnabled(on);
    }
    bool enabled = true;
};

std::unique_ptr<rt::Control> MakeOwnState(const rt::StoredObject& stored, rt::Container& container,
                                          const RECT& bounds) {
    return std::make_unique<OwnStateButton>(container, stored.Name, 0, bounds.left, bounds.top);
}

TEST(FormLoad, AStoredDisabledControlIsDisabledThroughItsOwnState) {
    rt::RegisterControlType(L"Tessiver.OwnState", &MakeOwnState);
    rt::Form form;
    rt::LoadForm(form, rt::ParseFormText(L"Begin Form frmOff\r\n"
                                         L"   Begin Tessiver.OwnState cmdOff\r\n"
                                         L"      Enabled = Boolean False\r\n"
                                         L"   End\r\n"
                                         L"   Begin Tessiver.OwnState cmdOn\r\n"
                                         L"   End\r\n"
                                         L"   Begin TextBox txtOff\r\n"
                                         L"      Enabled = Boolean False\r\n"
                                         L"   End\r\n"
                                         L"End\r\n"));
    auto* off = form.Find<OwnStateButton>(L"cmdOff");
    auto* on = form.Find<OwnStateButton>(L"cmdOn");
    ASSERT_TRUE(off && on);
    EXPECT_FALSE(off->enabled);
    EXPECT_FALSE(IsWindowEnabled(off->hWnd()));
    EXPECT_TRUE(on->enabled);
    EXPECT_TRUE(IsWindowEnabled(on->hWnd()));
    EXPECT_EQ(off->Parent(), static_cast<rt::Container*>(&form));
    auto* text = form.Find<rt::TextBox>(L"txtOff");
    ASSERT_TRUE(text);
    EXPECT_FALSE(text->Enabled());
    EXPECT_FALSE(IsWindowEnabled(text->hWnd()));
    form.Unload();
}

// A type whose control cannot be made, as a user control whose stored keys it refuses.
std::unique_ptr<rt::Control> MakeFailing(const rt::StoredObject&, rt::Container&, const RECT&) {
    rt::Raise(380, L"Failing", L"Invalid property value");
}

// A description refused early (an unknown type) or half-way (a control or the
// Load handler fails) leaves no window and nothing attached.
TEST(FormLoad, ARefusedDescriptionLeavesNothingBehind) {
    rt::RegisterControlType(L"Tessiver.Failing", &MakeFailing);
    const struct {
        const wchar_t* text;
        bool loadFails;
        long number;
        const wchar_t* named;
    } cases[] = {
        {L"Begin Form frmBad\r\n   Begin TextBox txtA\r\n   End\r\n   Begin PictureBox picB\r\n"
         L"      Begin Spinner spnC\r\n      End\r\n   End\r\nEnd\r\n",
         false, 711, L"Spinner"},
        {L"Begin Form frmBad\r\n   Begin TextBox txtA\r\n      Default = Boolean True\r\n   End\r\n"
         L"   Begin Tessiver.Failing cmdB\r\n   End\r\nEnd\r\n",
         false, 380, L"Invalid"},
        {L"Begin Form frmBad\r\n   Begin TextBox txtA\r\n   End\r\nEnd\r\n", true, 5, L"Load"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const int before = rt::LoadedFormCount();
        rt::Form form;
        if (c.loadFails) form.Events().Load = [] { rt::Raise(5, L"Form_Load", L"Load failed"); };
        try {
            rt::LoadForm(form, rt::ParseFormText(c.text));
            ADD_FAILURE() << "no error raised";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.Number(), c.number);
            EXPECT_NE(e.Info().Description.find(c.named), std::wstring::npos) << e.Info().Description.c_str();
        }
        EXPECT_FALSE(form.IsLoaded());
        EXPECT_TRUE(form.Controls().empty());
        EXPECT_EQ(form.Default(), nullptr);
        EXPECT_EQ(rt::LoadedFormCount(), before);
    }
}

TEST(FormLoad, AStoredOuterSizeMakesTheWindowAtItsSizeAndPlace) {
    rt::StoredObject stored = rt::ParseFormText(L"Begin Form frmOuter\r\n   ClientWidth = Long 7665\r\nEnd\r\n");
    stored.Properties.Set(L"Width", int32_t{7755});
    stored.Properties.Set(L"Height", int32_t{2970});
    rt::Form form;
    int resizes = 0;
    form.Events().Resize = [&] { ++resizes; };
    rt::LoadForm(form, stored);
    RECT outer{};
    GetWindowRect(form.hWnd(), &outer);
    EXPECT_EQ(outer.right - outer.left, 517);
    EXPECT_EQ(outer.bottom - outer.top, 198);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 517) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 198) / 2);
    form.SetOuterSize(7755, 2970);  // already so: no resize
    EXPECT_EQ(resizes, 0);
    form.SetOuterSize(7770, 2970);
    EXPECT_EQ(resizes, 1);
}

TEST(FormLoad, UserControlsArePlacedByTheirStoredExtent) {

    rt::StoredObject extent{L"AeroButton", L"cmdX", {}, {}};
    extent.Properties.Set(L"Left", int32_t{6360});
    extent.Properties.Set(L"Top", int32_t{1440});
    extent.Properties.Set(L"_extentx", int32_t{1931});
    extent.Properties.Set(L"_extenty", int32_t{661});
    RECT bounds = rt::StoredBounds(extent);
    EXPECT_EQ(bounds.left, 424);
    EXPECT_EQ(bounds.top, 96);
    EXPECT_EQ(bounds.right, 424 + 73);
    EXPECT_EQ(bounds.bottom, 96 + 25);
}

}  // namespace
