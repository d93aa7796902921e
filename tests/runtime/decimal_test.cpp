#include "runtime/decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

// The standard library's shortest text, which the stored form was written with.
std::wstring Reference(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::wstring(buffer, result.ptr);
}

TEST(Decimal, SingleToTextMatchesTheShortestRoundTripAndReadsBack) {
    const float edges[] = {0.0f,
                           -0.0f,
                           0.05f,
                           1.0f,
                           12.0f,
                           100000.0f,
                           123456.0f,
                           1e10f,
                           1.5e-7f,
                           0.1f,
                           1.0f / 3.0f,
                           16777216.0f,
                           3.4028235e38f,
                           std::numeric_limits<float>::min(),
                           std::numeric_limits<float>::denorm_min(),
                           -7.25f,
                           1e-5f,
                           0.001f,
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity()};
    for (float value : edges) EXPECT_EQ(rt::SingleToText(value), Reference(value)) << value;
    // Bit patterns from the whole range, exponents and mantissas alike.
    std::mt19937 random(20261208);
    for (int i = 0; i < 20000; ++i) {
        const uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isnan(value)) continue;
        const std::wstring text = rt::SingleToText(value);
        ASSERT_EQ(text, Reference(value)) << std::hex << bits;
        // And what is written reads back to the very same bits.
        float back = 0;
        ASSERT_EQ(rt::ParseDecimal(std::string(text.begin(), text.end()), back), rt::Parsed::Ok);
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << std::hex << bits;
    }
}

TEST(Decimal, ParsesWhatTheStandardReaderDoes) {
    struct Case {
        const char* text;
        rt::Parsed parsed;
    };
    const Case cases[] = {
        {"0", rt::Parsed::Ok},
        {"-12.5", rt::Parsed::Ok},
        {"1.", rt::Parsed::Ok},
        {".5", rt::Parsed::Ok},
        {"1e+10", rt::Parsed::Ok},
        {"2.5E-3", rt::Parsed::Ok},
        {"inf", rt::Parsed::Ok},
        {"-nan", rt::Parsed::Ok},
        {"1e400", rt::Parsed::OutOfRange},
        {"", rt::Parsed::Malformed},
        {".", rt::Parsed::Malformed},
        {"-", rt::Parsed::Malformed},
        {"+1", rt::Parsed::Malformed},
        {" 1", rt::Parsed::Malformed},
        {"1 ", rt::Parsed::Malformed},
        {"1e", rt::Parsed::Malformed},
        {"1e+", rt::Parsed::Malformed},
        {"0x10", rt::Parsed::Malformed},
        {"1.2.3", rt::Parsed::Malformed},
        {"infinity", rt::Parsed::Malformed},
        {"1,5", rt::Parsed::Malformed},
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(rt::ParseDecimal(c.text, value), c.parsed) << c.text;
        if (c.parsed != rt::Parsed::Ok) continue;
        double expected = 0;
        std::from_chars(c.text, c.text + std::strlen(c.text), expected);
        if (!std::isnan(expected)) {
            EXPECT_EQ(value, expected) << c.text;
        }
    }
}

}  // namespace
