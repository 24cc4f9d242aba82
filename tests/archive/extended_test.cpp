#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "archive/extended.hpp"

namespace ruvo {
namespace {

using Bytes = std::array<uint8_t, 10>;

Bytes Encode(Real v, bool arithmetic) {
    Bytes b{};
    if (arithmetic)
        detail::RealToExtendedArithmetic(v, b.data());
    else
        WriteExtended(v, b.data());
    return b;
}

// Bytes are little-endian: 8 mantissa bytes (explicit integer bit at the top), then exponent and sign.
struct Known {
    Real value;
    Bytes bytes;
};
const Known kKnown[] = {
    {1.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
    {-2.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}},
    {0.5L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F}},
    {3.0L, {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40}},
    {0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {-0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}},
    {HUGE_VALL, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}},
    {-HUGE_VALL, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}},
};

TEST(Extended, KnownValuesReadAndWriteInBothForms) {
    for (const auto& k : kKnown) {
        for (bool arithmetic : {false, true}) {
            EXPECT_EQ(Encode(k.value, arithmetic), k.bytes) << static_cast<double>(k.value) << " " << arithmetic;
            const Real back = arithmetic ? detail::ExtendedToRealArithmetic(k.bytes.data()) : ReadExtended(k.bytes.data());
            EXPECT_EQ(back, k.value);
            EXPECT_EQ(std::signbit(back), std::signbit(k.value));
        }
    }
}

TEST(Extended, NaNStaysNaN) {
    const Bytes quiet = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F};
    EXPECT_TRUE(std::isnan(ReadExtended(quiet.data())));
    EXPECT_TRUE(std::isnan(detail::ExtendedToRealArithmetic(quiet.data())));
    const Bytes written = Encode(std::nanl(""), false);
    EXPECT_TRUE(std::isnan(ReadExtended(written.data())));
}

TEST(Extended, DenormalsOfTheStoredFormat) {
    // Exponent field 0: value = mantissa * 2^-16445. The smallest one is 2^-16445.
    const Bytes smallest = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (LDBL_MANT_DIG == 64) {
        EXPECT_EQ(ReadExtended(smallest.data()), std::ldexp(1.0L, -16445));
        EXPECT_EQ(detail::ExtendedToRealArithmetic(smallest.data()), std::ldexp(1.0L, -16445));
        EXPECT_EQ(Encode(std::ldexp(1.0L, -16445), true), smallest);
        const Bytes big = {0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0};  // 2^62 * 2^-16445
        EXPECT_EQ(detail::ExtendedToRealArithmetic(big.data()), std::ldexp(1.0L, -16383));
        EXPECT_EQ(Encode(std::ldexp(1.0L, -16383), true), big);
    }
}

TEST(Extended, StoredBitsSurviveAReadWriteRoundTrip) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 20000; ++i) {
        Bytes b{};
        uint64_t m = rng();
        std::memcpy(b.data(), &m, 8);
        const uint16_t se = static_cast<uint16_t>(rng());
        b[8] = static_cast<uint8_t>(se);
        b[9] = static_cast<uint8_t>(se >> 8);
        const int exponent = se & 0x7FFF;
        // The hardware format reserves unnormal patterns (exponent set, integer bit clear); the player
        // never writes them, and x87 reads them as NaN. Canonical values must come back bit for bit.
        if (exponent != 0) b[7] |= 0x80;
        if (exponent == 0) b[7] &= 0x7F;
        if (exponent == 0x7FFF) continue;
        const Real v = ReadExtended(b.data());
        EXPECT_EQ(Encode(v, false), b) << i;
        if (LDBL_MANT_DIG == 64) {
            EXPECT_EQ(detail::ExtendedToRealArithmetic(b.data()), v) << i;
            EXPECT_EQ(Encode(v, true), b) << i;
        }
    }
}

TEST(Extended, EveryDoubleSurvivesWriteThenRead) {
    std::mt19937_64 rng(11);
    std::vector<double> values = {0.0, -0.0, 1.0, 0.1, -123456.789, std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::infinity()};
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, 8);
        if (!std::isnan(d)) values.push_back(d);
    }
    for (double d : values) {
        for (bool arithmetic : {false, true}) {
            const Bytes b = Encode(d, arithmetic);
            const double back = static_cast<double>(arithmetic ? detail::ExtendedToRealArithmetic(b.data())
                                                               : ReadExtended(b.data()));
            uint64_t x, y;
            std::memcpy(&x, &d, 8);
            std::memcpy(&y, &back, 8);
            EXPECT_EQ(x, y) << d;
        }
    }
}

} // namespace
} // namespace ruvo
