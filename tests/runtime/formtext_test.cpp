#include "runtime/formtext.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "pictures.h"
#include "runtime/errors.h"
#include "runtime/gdi.h"

namespace {

using rt::StoredObject;
using rt::Variant;

rt::PictureRef SmallBitmap() { return rt::StdPicture::FromBitmap(testkit::PatternBitmap(3, 2, 24)); }

rt::PictureRef SmallIcon() {
    return testkit::IconOf(4, [](int, int) { return RGB(0, 0, 0); });
}

StoredObject Button(const std::wstring& name, const std::wstring& caption) {
    StoredObject b{L"AeroButton", name, {}, {}};
    b.Properties.Set(L"_extentx", int32_t{1931});
    b.Properties.Set(L"_extenty", int32_t{661});
    b.Properties.Set(L"caption", caption);
    b.Properties.Set(L"tiptext", std::wstring());
    b.Properties.Set(L"font", rt::MakeFont(L"MS Sans Serif", 8.25f));
    return b;
}

// A window like the main one: every stored type, nested children, pictures.
StoredObject SampleForm() {
    StoredObject form{L"Form", L"frmReg", {}, {}};
    form.Properties.Set(L"Caption", std::wstring(L"Quorvane Tessiver"));
    form.Properties.Set(L"ClientWidth", int32_t{7665});
    form.Properties.Set(L"ScaleMode", int16_t{3});
    StoredObject strip{L"PictureBox", L"picN", {}, {}};
    strip.Children.push_back({L"Image", L"btnMin", {}, {}});
    strip.Children[0].Properties.Set(L"ToolTipText", std::wstring(L"Minimize window"));
    form.Children.push_back(std::move(strip));
    StoredObject reg = Button(L"cmdReg", L"Register");
    reg.Properties.Set(L"MousePointer", int16_t{0});
    reg.Properties.Set(L"PicOpacity", 0.05f);
    reg.Properties.Set(L"Enabled", false);
    reg.Properties.Set(L"PicNormal", SmallBitmap());
    reg.Properties.Set(L"MouseIcon", SmallIcon());
    form.Children.push_back(std::move(reg));
    form.Children.push_back(Button(L"cmdAbout", L"About"));
    return form;
}

TEST(FormText, WritesReadableTypedLines) {
    StoredObject form{L"Form", L"frmReg", {}, {}};
    form.Properties.Set(L"Default", true);
    form.Children.push_back(Button(L"cmdReg", L"Register"));
    form.Children[0].Properties.Set(L"PicOpacity", 0.05f);
    form.Children[0].Properties.Set(L"MousePointer", int16_t{0});
    form.Children[0].Properties.Set(L"PicNormal", rt::PictureRef{});
    EXPECT_EQ(rt::WriteFormText(form),
              L"Begin Form frmReg\r\n"
              L"   Default = Boolean True\r\n"
              L"   Begin AeroButton cmdReg\r\n"
              L"      _extentx = Long 1931\r\n"
              L"      _extenty = Long 661\r\n"
              L"      caption = String \"Register\"\r\n"
              L"      tiptext = String \"\"\r\n"
              L"      font = Font \"MS Sans Serif\" 8.25 400 0 False False False\r\n"
              L"      PicOpacity = Single 0.05\r\n"
              L"      MousePointer = Integer 0\r\n"
              L"      PicNormal = Picture None\r\n"
              L"   End\r\n"
              L"End\r\n");
}

TEST(FormText, RoundTripKeepsTypesValuesAndTree) {
    const StoredObject form = SampleForm();
    const std::wstring text = rt::WriteFormText(form);
    const StoredObject back = rt::ParseFormText(text);
    EXPECT_EQ(rt::WriteFormText(back), text);

    EXPECT_EQ(back.Name, L"frmReg");
    ASSERT_EQ(back.Children.size(), 3u);
    EXPECT_EQ(back.Children[0].Children.at(0).Name, L"btnMin");
    const rt::PropertyBag& reg = back.Children[1].Properties;
    EXPECT_EQ(back.Children[1].Type, L"AeroButton");
    EXPECT_TRUE(std::holds_alternative<int32_t>(reg.ReadProperty(L"_ExtentX", Variant{})));
    EXPECT_TRUE(std::holds_alternative<int16_t>(reg.ReadProperty(L"MousePointer", Variant{})));
    EXPECT_EQ(std::get<float>(reg.ReadProperty(L"PicOpacity", Variant{})), 0.05f);
    EXPECT_EQ(std::get<bool>(reg.ReadProperty(L"Enabled", true)), false);
    EXPECT_EQ(std::get<std::wstring>(reg.ReadProperty(L"tiptext", Variant{})), L"");

    rt::FontRef font = rt::ToFont(reg.ReadProperty(L"Font", Variant{}));
    ASSERT_TRUE(font);
    EXPECT_TRUE(font->SameAttributes(*rt::MakeFont(L"MS Sans Serif", 8.25f)));

    rt::PictureRef picture = rt::ToPicture(reg.ReadProperty(L"PicNormal", Variant{}));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Type(), rt::PictureType::Bitmap);
    EXPECT_EQ(picture->PixelWidth(), 3);
    EXPECT_EQ(picture->Save(), rt::ToPicture(form.Children[1].Properties.ReadProperty(L"PicNormal", Variant{}))->Save());
    EXPECT_EQ(rt::ToPicture(reg.ReadProperty(L"MouseIcon", Variant{}))->Type(), rt::PictureType::Icon);
}

TEST(FormText, StringsAndSinglesSurviveExactly) {
    const std::wstring strings[] = {
        L"",
        L"say \"hi\"",
        L"C:\\dir\\server.ocx",
        L"two\r\nlines\tand a tab",
        L"Gr\u00f6\u00dfe \u20ac \U0001F600",
        std::wstring(L"nul\0x\x7f", 6),
        L"\\u0041 is not an escape here",
    };
    const float singles[] = {0.05f, 8.25f, 1.0f / 3, 1e-7f, 3.4028235e38f, -0.0f, 1e-45f, 0.1f};
    StoredObject o{L"Thing", L"x", {}, {}};
    for (size_t i = 0; i < std::size(strings); ++i) o.Properties.Set(L"s" + std::to_wstring(i), strings[i]);
    for (size_t i = 0; i < std::size(singles); ++i) o.Properties.Set(L"f" + std::to_wstring(i), singles[i]);
    o.Properties.Set(L"font", rt::MakeFont(L"\"Odd\\Name\"", 8.25f));

    const std::wstring text = rt::WriteFormText(o);
    for (wchar_t c : text) EXPECT_LT(c, 0x80) << "the text stays ASCII";
    const StoredObject back = rt::ParseFormText(text);
    for (size_t i = 0; i < std::size(strings); ++i)
        EXPECT_EQ(std::get<std::wstring>(back.Properties.ReadProperty(L"s" + std::to_wstring(i), Variant{})),
                  strings[i]);
    for (size_t i = 0; i < std::size(singles); ++i) {
        const float f = std::get<float>(back.Properties.ReadProperty(L"f" + std::to_wstring(i), Variant{}));
        EXPECT_EQ(std::memcmp(&f, &singles[i], sizeof f), 0) << i;
    }
    EXPECT_EQ(rt::ToFont(back.Properties.ReadProperty(L"font", Variant{}))->Name(), L"\"Odd\\Name\"");
}

TEST(FormText, HandWrittenTextWithCommentsBlankLinesAndTabs) {
    const StoredObject o = rt::ParseFormText(
        L"\xFEFF' the main window\n"
        L"\n"
        L"Begin Form frmReg\n"
        L"\tCaption=String \"A\"   \n"
        L"\tBegin Tessiver.AeroButton cmdAbout\r\n"
        L"\t\tValue = Boolean True\r\n"
        L"\tEnd\n"
        L"End\n"
        L"   ' trailing comment\n");
    EXPECT_EQ(rt::ToString(o.Properties.ReadProperty(L"caption", Variant{})), L"A");
    ASSERT_EQ(o.Children.size(), 1u);
    EXPECT_EQ(o.Children[0].Type, L"Tessiver.AeroButton");
    EXPECT_TRUE(rt::ToBoolean(o.Children[0].Properties.ReadProperty(L"Value", false)));
}

TEST(FormText, MalformedTextIsRefusedNamingTheLine) {
    struct Case {
        const wchar_t* text;
        int line;
    };
    const Case cases[] = {
        {L"", 1},
        {L"Begin Form f\n  x = Currency 1\nEnd\n", 2},
        {L"Begin Form f\n  Begin Label l\n  x = Long 1\nEnd\n", 1},
        {L"Begin Form f\n  Begin Label l\n  x = Long 1\n", 2},
        {L"Begin Form f\nEnd\nEnd\n", 3},
        {L"Begin Form f\n\n  x = Long 12x\nEnd\n", 3},
        {L"Begin Form f\n  x = Integer 40000\nEnd\n", 2},
        {L"Begin Form f\n  x = String \"open\nEnd\n", 2},
        {L"Begin Form f\n  x = String \"bad \\q escape\"\nEnd\n", 2},
        {L"Begin Form f\n  x = String \"a\" b\nEnd\n", 2},
        {L"Begin Form f\n  x = Boolean Yes\nEnd\n", 2},
        {L"Begin Form f\n  x = Picture Bitmap Qk0\nEnd\n", 2},
        {L"Begin Form f\n  x = Picture Bitmap QR==\nEnd\n", 2},
        {L"Begin Form f\n  x = Picture Bitmap Z2FyYmFnZQ==\nEnd\n", 2},
        {L"Begin Form f\n  x = Picture Metafile AAAA\nEnd\n", 2},
        {L"Begin Form f\n  x = Font \"Arial\" -9 400 0 False False False\nEnd\n", 2},
        {L"Begin Form f\n  x = Long 1\n  X = Long 2\nEnd\n", 3},
        {L"Begin Form f\n  %$#@!\nEnd\n", 2},
        {L"Begin Form\nEnd\n", 1},
        {L"Begin Form f\nEnd\nBegin Form g\nEnd\n", 3},
        {L"x = Long 1\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text: " << testing::PrintToString(std::wstring(c.text)));
        try {
            rt::ParseFormText(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.Number(), 380);
            const std::wstring prefix = L"line " + std::to_wstring(c.line) + L": ";
            EXPECT_EQ(e.Info().Description.substr(0, prefix.size()), prefix) << e.what();
        }
    }
}

TEST(FormText, PictureOfTheWrongKindIsRefused) {
    StoredObject o{L"Form", L"f", {}, {}};
    o.Properties.Set(L"Icon", SmallIcon());
    std::wstring text = rt::WriteFormText(o);
    text.replace(text.find(L"Picture Icon"), 12, L"Picture Bitmap");
    EXPECT_THROW(rt::ParseFormText(text), rt::RuntimeError);
}

TEST(FormText, RandomMutationsParseOrRaiseButNeverCrash) {
    const std::wstring text = rt::WriteFormText(SampleForm());
    std::mt19937 random(20240611);
    const wchar_t alphabet[] = L"\"\\=\r\n\t ABEILSTUadeginru019-.+/'";
    int parsed = 0, refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::wstring mutated = text;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits && !mutated.empty(); ++e) {
            const size_t at = random() % mutated.size();
            const wchar_t c = alphabet[random() % (std::size(alphabet) - 1)];
            switch (random() % 4) {
                case 0: mutated[at] = c; break;
                case 1: mutated.erase(at, 1 + random() % 8); break;
                case 2: mutated.insert(at, 1, c); break;
                default: mutated.insert(at, mutated.substr(random() % mutated.size(), random() % 40));
            }
        }
        try {
            const std::wstring again = rt::WriteFormText(rt::ParseFormText(mutated));
            EXPECT_EQ(rt::WriteFormText(rt::ParseFormText(again)), again);
            ++parsed;
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.Number(), 380);
            EXPECT_EQ(e.Info().Description.rfind(L"line ", 0), 0u);
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(parsed, 0);
}

}  // namespace
