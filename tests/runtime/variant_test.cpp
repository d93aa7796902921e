#include "runtime/variant.h"

#include <gtest/gtest.h>

#include "runtime/errors.h"

namespace {

using rt::Variant;

// The number of the run-time error the call raises, 0 when it raises none.
template <class F>
long RaisedNumber(F&& f) {
    try {
        f();
    } catch (const rt::RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

constexpr long kOverflow = 6, kMismatch = 13;

TEST(VariantConversion, WholeNumbersRoundHalfToEvenAndOverflow) {
    struct Case {
        Variant in;
        int16_t integer;
        long integerError;
        int32_t whole;
        long wholeError;
    };
    const Case cases[] = {
        {int32_t{40000}, 0, kOverflow, 40000, 0},
        {int32_t{-32769}, 0, kOverflow, -32769, 0},
        {2.5f, 2, 0, 2, 0},
        {3.5f, 4, 0, 4, 0},
        {32767.4f, 32767, 0, 32767, 0},
        {32767.5f, 0, kOverflow, 32768, 0},
        {3.0e9f, 0, kOverflow, 0, kOverflow},
        {true, -1, 0, -1, 0},
        {std::wstring(L" 12 "), 12, 0, 12, 0},
        {std::wstring(L"2147483647"), 0, kOverflow, 2147483647, 0},
        {std::wstring(L"1e400"), 0, kOverflow, 0, kOverflow},
        {std::wstring(L"12abc"), 0, kMismatch, 0, kMismatch},
        {rt::MakeFont(L"Arial", 9), 0, kMismatch, 0, kMismatch},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        int16_t integer = 0;
        int32_t whole = 0;
        EXPECT_EQ(RaisedNumber([&] { integer = rt::ToInteger(c.in); }), c.integerError);
        EXPECT_EQ(RaisedNumber([&] { whole = rt::ToLong(c.in); }), c.wholeError);
        if (!c.integerError) {
            EXPECT_EQ(integer, c.integer);
        }
        if (!c.wholeError) {
            EXPECT_EQ(whole, c.whole);
        }
    }
}

TEST(VariantConversion, SingleBooleanStringAndObjects) {
    EXPECT_EQ(rt::ToSingle(std::wstring(L"0.05")), 0.05f);
    EXPECT_EQ(rt::ToSingle(true), -1.0f);
    EXPECT_EQ(RaisedNumber([] { rt::ToSingle(std::wstring(L"1e39")); }), kOverflow);
    EXPECT_EQ(RaisedNumber([] { rt::ToSingle(rt::MakeFont(L"Arial", 9)); }), kMismatch);

    struct BoolCase {
        Variant in;
        bool out;
        long error;
    };
    const BoolCase bools[] = {
        {int16_t{0}, false, 0},          {0.5f, true, 0},         {std::wstring(L"false"), false, 0},
        {std::wstring(L"-1"), true, 0},   {std::wstring(L"maybe"), false, kMismatch},
    };
    for (size_t i = 0; i < std::size(bools); ++i) {
        SCOPED_TRACE(i);
        bool out = !bools[i].out;
        EXPECT_EQ(RaisedNumber([&] { out = rt::ToBoolean(bools[i].in); }), bools[i].error);
        if (!bools[i].error) {
            EXPECT_EQ(out, bools[i].out);
        }
    }

    EXPECT_EQ(rt::ToString(0.05f), L"0.05");
    EXPECT_EQ(rt::ToString(8.25f), L"8.25");
    EXPECT_EQ(rt::ToString(true), L"True");
    EXPECT_EQ(RaisedNumber([] { rt::ToString(rt::MakeFont(L"Arial", 9)); }), kMismatch);

    rt::FontRef font = rt::MakeFont(L"Arial", 9);
    EXPECT_EQ(rt::ToFont(font), font);
    EXPECT_EQ(RaisedNumber([&] { rt::ToPicture(font); }), kMismatch);
}

TEST(VariantSameValue, NumbersAcrossTypesStringsExactlyObjectsByReference) {
    rt::FontRef font = rt::MakeFont(L"Arial", 9);
    struct Case {
        Variant a, b;
        bool same;
    };
    const Case cases[] = {
        {1.0f, int16_t{1}, true},
        {0.05f, int16_t{1}, false},
        {0.05f, int16_t{0}, false},
        {false, int16_t{0}, true},
        {true, int32_t{-1}, true},
        {true, int16_t{1}, false},
        {std::wstring(L"tooltip"), std::wstring(L"ToolTip"), false},
        {std::wstring(L""), Variant{}, false},
        {std::wstring(L"0"), int16_t{0}, false},
        {font, font, true},
        {font, font->Clone(), false},
        {rt::FontRef{}, rt::PictureRef{}, true},
        {rt::PictureRef{}, Variant{}, true},
        {font, rt::FontRef{}, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rt::SameValue(cases[i].a, cases[i].b), cases[i].same);
        EXPECT_EQ(rt::SameValue(cases[i].b, cases[i].a), cases[i].same);
    }
}

}  // namespace
