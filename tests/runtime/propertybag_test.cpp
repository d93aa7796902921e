#include "runtime/propertybag.h"

#include <gtest/gtest.h>

namespace {

using rt::Variant;

TEST(PropertyBag, KeysMatchWithoutRegardToCase) {
    rt::PropertyBag bag;
    bag.WriteProperty(L"Caption", std::wstring(L"Register"), std::wstring(L"cmdReg"));
    EXPECT_TRUE(bag.Contains(L"CAPTION"));
    EXPECT_EQ(std::get<std::wstring>(bag.ReadProperty(L"caption", std::wstring())), L"Register");

    // A rewrite under another spelling replaces the value in place.
    bag.WriteProperty(L"caption", std::wstring(L"Unregister"), std::wstring(L"cmdReg"));
    ASSERT_EQ(bag.Entries().size(), 1u);
    EXPECT_EQ(bag.Entries()[0].first, L"Caption");
    EXPECT_EQ(std::get<std::wstring>(bag.ReadProperty(L"Caption", Variant{})), L"Unregister");

    bag.Set(L"_extentx", int32_t{1931});
    bag.Remove(L"cApTiOn");
    ASSERT_EQ(bag.Entries().size(), 1u);
    EXPECT_EQ(bag.Entries()[0].first, L"_extentx");
}

TEST(PropertyBag, DefaultsAreNotStoredAndRemoveEarlierValues) {
    rt::PropertyBag bag;
    const Variant backDefault = int32_t{15132390};
    bag.WriteProperty(L"BackColor", int32_t{15132390}, backDefault);
    EXPECT_FALSE(bag.Contains(L"BackColor"));
    EXPECT_EQ(std::get<int32_t>(bag.ReadProperty(L"BackColor", backDefault)), 15132390);

    bag.WriteProperty(L"BackColor", int32_t{255}, backDefault);
    EXPECT_EQ(rt::ToLong(bag.ReadProperty(L"BackColor", backDefault)), 255);
    bag.WriteProperty(L"BackColor", int32_t{15132390}, backDefault);
    EXPECT_FALSE(bag.Contains(L"BackColor"));

    // The opacity is a single whose default is the 16-bit integer 1.
    bag.WriteProperty(L"PicOpacity", 1.0f, int16_t{1});
    EXPECT_FALSE(bag.Contains(L"PicOpacity"));
    bag.WriteProperty(L"PicOpacity", 0.05f, int16_t{1});
    EXPECT_EQ(rt::ToSingle(bag.ReadProperty(L"picopacity", int16_t{1})), 0.05f);
    // A 32-bit value equal to a 16-bit default is a default too.
    bag.WriteProperty(L"PicSize", int32_t{0}, int16_t{0});
    EXPECT_FALSE(bag.Contains(L"PicSize"));

    // An empty tip text differs from the default "ToolTip" and is kept.
    bag.WriteProperty(L"TipText", std::wstring(), std::wstring(L"ToolTip"));
    EXPECT_EQ(rt::ToString(bag.ReadProperty(L"TipText", std::wstring(L"ToolTip"))), L"");
}

TEST(PropertyBag, ObjectsAreStoredByReferenceAndNothingIsNotStored) {
    rt::PropertyBag bag;
    bag.WriteProperty(L"PicNormal", rt::PictureRef{}, rt::PictureRef{});
    EXPECT_FALSE(bag.Contains(L"PicNormal"));

    rt::FontRef ambient = rt::MakeFont(L"MS Sans Serif", 8.25f);
    rt::FontRef own = ambient->Clone();
    bag.WriteProperty(L"Font", ambient, ambient);
    EXPECT_FALSE(bag.Contains(L"Font"));
    bag.WriteProperty(L"Font", own, ambient);
    EXPECT_EQ(rt::ToFont(bag.ReadProperty(L"font", ambient)), own);

    // Set with an empty value removes the key rather than storing emptiness.
    bag.Set(L"Font", Variant{});
    EXPECT_FALSE(bag.Contains(L"Font"));
}

}  // namespace
