#include "archive/extended.hpp"

#include <cfloat>
#include <cmath>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64
#define RUVO_REAL_IS_X87 1
#else
#define RUVO_REAL_IS_X87 0
#endif

namespace ruvo {

namespace detail {

Real ExtendedToRealArithmetic(const uint8_t b[10]) noexcept {
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | b[i];
    const bool negative = (b[9] & 0x80) != 0;
    const int exponent = ((b[9] & 0x7F) << 8) | b[8];
    Real value;
    if (exponent == 0x7FFF) {
        value = (mantissa << 1) == 0 ? HUGE_VALL : std::nanl("");
    } else {
        // Denormals have the exponent of the smallest normal; the integer bit is explicit either way.
        const int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
        value = std::ldexp(static_cast<Real>(mantissa), e);
    }
    return negative ? -value : value;
}

void RealToExtendedArithmetic(Real value, uint8_t b[10]) noexcept {
    uint64_t mantissa = 0;
    int exponent = 0;
    const bool negative = std::signbit(value);
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        mantissa = 0xC000000000000000ULL;
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        mantissa = 0x8000000000000000ULL;
    } else if (value != 0) {
        int e = 0;
        const Real m = std::frexp(std::fabs(value), &e);  // value = m * 2^e, m in [0.5, 1)
        exponent = e - 1 + 16383;
        if (exponent <= 0) {  // below the normal range of the stored format
            mantissa = static_cast<uint64_t>(std::ldexp(m, 64 + exponent - 1));
            exponent = 0;
        } else {
            mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
        }
    }
    for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(mantissa >> (8 * i));
    b[8] = static_cast<uint8_t>(exponent);
    b[9] = static_cast<uint8_t>((exponent >> 8) | (negative ? 0x80 : 0));
}

} // namespace detail

Real ReadExtended(const uint8_t bytes[10]) noexcept {
#if RUVO_REAL_IS_X87
    Real value = 0;
    std::memcpy(&value, bytes, 10);
    return value;
#else
    return detail::ExtendedToRealArithmetic(bytes);
#endif
}

void WriteExtended(Real value, uint8_t bytes[10]) noexcept {
#if RUVO_REAL_IS_X87
    std::memcpy(bytes, &value, 10);
#else
    detail::RealToExtendedArithmetic(value, bytes);
#endif
}

} // namespace ruvo
