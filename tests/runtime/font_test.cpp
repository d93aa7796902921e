#include "runtime/font.h"

#include <gtest/gtest.h>

namespace {

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf{};
    EXPECT_EQ(GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
    return lf;
}

TEST(StdFont, HandleIsRebuiltAfterEachChange) {
    rt::FontRef font = rt::MakeFont(L"MS Sans Serif", 8.25f);
    HFONT first = font->Handle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(font->Handle(), first);  // unchanged attributes keep the handle
    LOGFONTW lf = Describe(first);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(lf.lfHeight, -11);  // 8.25 pt at 96 DPI
    EXPECT_STREQ(lf.lfFaceName, L"MS Sans Serif");

    font->SetBold(true);
    lf = Describe(font->Handle());
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(font->Bold());

    font->SetItalic(true);
    font->SetUnderline(true);
    font->SetStrikethrough(true);
    font->SetSize(9);
    font->SetName(L"Arial");
    lf = Describe(font->Handle());
    EXPECT_TRUE(lf.lfItalic && lf.lfUnderline && lf.lfStrikeOut);
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_STREQ(lf.lfFaceName, L"Arial");

    font->SetBold(false);
    EXPECT_EQ(font->Weight(), FW_NORMAL);
    EXPECT_EQ(Describe(font->Handle()).lfWeight, FW_NORMAL);
}

TEST(StdFont, ReferencesShareOneObjectAndClonesAreIndependent) {
    rt::FontRef a = rt::MakeFont(L"MS Sans Serif", 8.25f);
    rt::FontRef b = a;
    b->SetWeight(600);
    EXPECT_EQ(a->Weight(), 600);
    EXPECT_FALSE(a->Bold());
    b->SetWeight(700);
    EXPECT_TRUE(a->Bold());

    rt::FontRef c = a->Clone();
    EXPECT_NE(c, a);
    EXPECT_TRUE(c->SameAttributes(*a));
    c->SetCharset(2);
    EXPECT_FALSE(c->SameAttributes(*a));
    EXPECT_EQ(a->Charset(), 0);
}

}  // namespace
