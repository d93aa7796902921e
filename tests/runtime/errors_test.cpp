#include "runtime/errors.h"
#include "runtime/units.h"

#include <gtest/gtest.h>

namespace {

TEST(RuntimeErrors, RaiseReachesTheCallerWithItsFields) {
    try {
        rt::Raise(999, L"clsReg", L"library missing!", 126);
        FAIL() << "no exception";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 999);
        EXPECT_EQ(e.Info().Source, L"clsReg");
        EXPECT_EQ(e.Info().Description, L"library missing!");
        EXPECT_EQ(e.Info().LastDllError, 126u);
    }
}

TEST(RuntimeErrors, SuppressRecordsTheErrorAndGoesOn) {
    rt::ClearErr();
    EXPECT_FALSE(rt::Suppress([] {}));
    EXPECT_FALSE(rt::Err().IsSet());
    EXPECT_TRUE(rt::Suppress([] { rt::Raise(998, L"x", L"not a exported function!"); }));
    EXPECT_EQ(rt::Err().Number, 998);
    rt::ClearErr();
    EXPECT_FALSE(rt::Err().IsSet());
}

TEST(Units, RoundHalfEvenAndScreenConversions) {
    EXPECT_EQ(rt::RoundHalfEven(12.5), 12);
    EXPECT_EQ(rt::RoundHalfEven(13.5), 14);
    EXPECT_EQ(rt::RoundHalfEven(-2.5), -2);
    EXPECT_EQ(rt::RoundHalfEven(242.5), 242);
    EXPECT_DOUBLE_EQ(rt::TwipsPerPixelX(), 15.0);
    EXPECT_EQ(rt::RoundHalfEven(rt::HimetricToPixelsX(1931)), 73);
    EXPECT_EQ(rt::RoundHalfEven(rt::HimetricToPixelsY(661)), 25);
}

}  // namespace
