#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "aerobutton/aerobutton.h"
#include "runtime/formtext.h"
#include "test_host.h"

namespace {

// A new instance in the shared host (run mode), loaded from the bag.
std::unique_ptr<aero::AeroButton> Loaded(rt::PropertyBag& bag) {
    auto button = std::make_unique<aero::AeroButton>();
    EXPECT_TRUE(button->Create(aerotest::SharedHost(), L"cmdLoad", 10, 70, 73, 25));
    button->LoadProperties(bag);
    return button;
}

COLORREF PixelAt(const aero::AeroButton& b, int x, int y) {
    return b.Pixels().ColorAt(x, y);
}

COLORREF Dark(int x, int) {
    return x < 4 ? RGB(40, 40, 40) : RGB(90, 90, 90);
}

TEST(Loading, AnEmptyBagGivesTheDefaultsAndPaints) {
    rt::PropertyBag bag;
    auto b = Loaded(bag);
    EXPECT_EQ(b->BackColor(), 0xE6E6E6);
    EXPECT_EQ(b->Caption(), L"cmdLoad");
    EXPECT_TRUE(b->Enabled());
    EXPECT_TRUE(b->UseMaskColor());
    EXPECT_EQ(b->PictureAlignment(), aero::LeftOfCaption);
    EXPECT_EQ(b->MaskColor(), 0xC0C0C0);
    EXPECT_EQ(b->PictureOpacity(), 100);
    EXPECT_EQ(b->TipText(), L"ToolTip");
    EXPECT_EQ(b->PictureNormal(), nullptr);
    EXPECT_EQ(b->MousePointer(), 0);
    EXPECT_EQ(b->State(), aero::Normal);
    EXPECT_EQ(PixelAt(*b, 3, 13), RGB(220, 220, 220)) << "colours refreshed";
    EXPECT_EQ(PixelAt(*b, 36, 2), RGB(248, 248, 248)) << "the normal face is painted";
}

TEST(Loading, StoredValuesAreTakenUnchecked) {
    rt::PropertyBag bag;
    bag.Set(L"picopacity", 0.05f);
    bag.Set(L"state", int32_t{3});
    bag.Set(L"caption", std::wstring());
    bag.Set(L"picsizew", int32_t{7});
    auto b = Loaded(bag);
    EXPECT_EQ(b->PictureOpacity(), 5) << "no clamping on load";
    EXPECT_EQ(b->PictureSizeW(), 7);
    b->SetPictureOpacity(5);
    EXPECT_EQ(b->PictureOpacity(), 10);

    // Saved while disabled: the disabled face shows although the button is enabled.
    EXPECT_TRUE(b->Enabled());
    EXPECT_TRUE(IsWindowEnabled(b->hWnd()));
    EXPECT_EQ(b->State(), aero::Disabled);
    for (int y = 1; y <= 23; ++y) EXPECT_EQ(PixelAt(*b, 36, y), RGB(250, 250, 250)) << "row " << y;
}

TEST(Saving, AFreshInstanceKeepsItsEmptyTipText) {
    aerotest::HostedButton fresh;
    rt::PropertyBag bag;
    fresh.Button().SaveProperties(bag);
    ASSERT_TRUE(bag.Contains(L"TipText"));
    EXPECT_EQ(rt::ToString(bag.ReadProperty(L"TipText", std::monostate{})), L"");
    EXPECT_FALSE(bag.Contains(L"PicOpacity")) << "a whole opacity equals its 16-bit default";
    EXPECT_EQ(Loaded(bag)->TipText(), L"");
}

TEST(Saving, EveryKeyInOrderAndTheTextRoundTrips) {
    aerotest::HostedButton source;
    aero::AeroButton& b = source.Button();
    b.SetBackColor(RGB(10, 20, 30));
    b.SetButtonShape(aero::SquareRight);
    b.SetCaption(L"&Go");
    b.SetCheckBoxMode(true);
    b.SetFont(rt::MakeFont(L"Tahoma", 10.0f, FW_BOLD));
    b.SetForeColor(RGB(1, 2, 3));
    b.SetMaskColor(RGB(255, 0, 255));
    b.SetMouseIcon(rt::StdPicture::FromIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))));
    b.SetHandPointer(true);
    b.SetPictureAlignment(aero::TopEdge);
    b.SetPictureNormal(testkit::PictureOf(8, 8, Dark));
    b.SetPictureHot(testkit::PictureOf(12, 8, Dark));
    b.SetPictureDown(testkit::PictureOf(8, 12, Dark));
    b.SetPictureOpacity(50);
    b.SetPictureSizeH(20);
    b.SetPictureSizeW(30);
    b.SetUseMaskColor(false);
    b.SetValue(true);
    b.SetTipText(L"Go now");
    b.SetEnabled(false);

    rt::StoredObject saved{L"AeroButton", L"cmdLoad", {}, {}};
    b.SaveProperties(saved.Properties);
    const std::vector<std::wstring> order = {
        L"BackColor", L"ButtonShape", L"Caption",   L"CheckBox",   L"Enabled",      L"Font",
        L"ForeColor", L"HandPointer", L"MaskColor", L"MouseIcon",  L"MousePointer", L"PicAlign",
        L"PicDown",   L"PicHot",      L"PicNormal", L"PicOpacity", L"PicSize",      L"PicSizeH",
        L"PicSizeW",  L"State",       L"UseMask",   L"Value",      L"TipText"};
    std::vector<std::wstring> keys;
    for (const auto& entry : saved.Properties.Entries()) keys.push_back(entry.first);
    EXPECT_EQ(keys, order);
    const auto stored = [&](const wchar_t* key) {
        return saved.Properties.ReadProperty(key, std::monostate{});
    };
    EXPECT_TRUE(std::holds_alternative<int32_t>(stored(L"ButtonShape")));
    EXPECT_TRUE(std::holds_alternative<int16_t>(stored(L"MousePointer")));
    EXPECT_EQ(std::get<float>(stored(L"PicOpacity")), 0.5f);
    EXPECT_EQ(std::get<int32_t>(stored(L"State")), aero::Disabled);

    const std::wstring text = rt::WriteFormText(saved);
    rt::StoredObject parsed = rt::ParseFormText(text);
    auto reloaded = Loaded(parsed.Properties);
    EXPECT_EQ(reloaded->AccessKeys(), L"g");
    EXPECT_FALSE(IsWindowEnabled(reloaded->hWnd()));
    EXPECT_TRUE(reloaded->HandPointer()) << "the system hand cursor exists here";
    rt::StoredObject again{L"AeroButton", L"cmdLoad", {}, {}};
    reloaded->SaveProperties(again.Properties);
    EXPECT_EQ(rt::WriteFormText(again), text);
}

}  // namespace
