#include <gtest/gtest.h>

#include "params/convert.hpp"

namespace ruvo {
namespace {

TEST(TextToInt, AcceptsDecimalAndHexForms) {
    struct Case {
        const char* text;
        std::optional<int32_t> value;
    } cases[] = {
        {"0", 0}, {"  42", 42}, {"-17", -17}, {"+5", 5}, {"$1F", 31}, {"x1f", 31}, {"0x10", 16}, {"0X10", 16},
        {"-$10", -16}, {"$FFFFFFFF", -1}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt}, {"$100000000", std::nullopt}, {"abc", std::nullopt}, {"", std::nullopt},
        {"12 ", std::nullopt}, {"1.5", std::nullopt}, {"$", std::nullopt}, {"- 1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TryTextToInt(c.text), c.value) << c.text;
}

TEST(TextToReal, AcceptsDecimalNotationOnly) {
    EXPECT_EQ(TryTextToReal("1.5"), 1.5L);
    EXPECT_EQ(TryTextToReal(" -2.5e2 "), -250.0L);
    EXPECT_EQ(TryTextToReal("7"), 7.0L);
    EXPECT_EQ(TryTextToReal(".5"), 0.5L);
    for (const char* bad : {"", "e5", "1e", "0x10", "inf", "nan", "1,5", "abc", "1.5x"})
        EXPECT_FALSE(TryTextToReal(bad).has_value()) << bad;
}

TEST(RealToText, FifteenSignificantDigitsGeneralForm) {
    struct Case {
        long double value;
        const char* text;
    } cases[] = {
        {0.5L, "0.5"}, {1.0L / 3, "0.333333333333333"}, {2.0L / 3, "0.666666666666667"}, {100, "100"},
        {-2.5L, "-2.5"}, {0, "0"}, {123456789012345.0L, "123456789012345"}, {1e15L, "1E15"},
        {1e20L, "1E20"}, {0.0001L, "0.0001"}, {0.00001L, "1E-5"}, {1.5e-7L, "1.5E-7"}, {0.1L + 0.2L, "0.3"},
    };
    for (const auto& c : cases) EXPECT_EQ(RealToText(c.value), c.text);
}

TEST(RealToInt, TruncatesTowardZeroKeepingLow32Bits) {
    EXPECT_EQ(RealToInt(2.9L), 2);
    EXPECT_EQ(RealToInt(-2.9L), -2);
    EXPECT_EQ(RealToInt(4294967297.0L), 1);  // 2^32 + 1
    EXPECT_EQ(RealToInt(1e30L), 0);
}

TEST(TextToFlag, OnlyExactUpperCaseTrue) {
    EXPECT_TRUE(TextToFlag("TRUE"));
    EXPECT_FALSE(TextToFlag("true"));
    EXPECT_FALSE(TextToFlag("True"));
    EXPECT_FALSE(TextToFlag("1"));
}

} // namespace
} // namespace ruvo
