#pragma once
// The 10-byte extended real of the stored formats: 64-bit mantissa with explicit integer bit,
// 15-bit exponent biased by 16383, sign. Stored bit-exactly; in memory a Real is the widest
// floating type the platform has.
#include <cstdint>

namespace ruvo {

using Real = long double;

Real ReadExtended(const uint8_t bytes[10]) noexcept;
void WriteExtended(Real value, uint8_t bytes[10]) noexcept;

namespace detail {
// The arithmetic conversion, used where Real is not the x87 format itself.
Real ExtendedToRealArithmetic(const uint8_t bytes[10]) noexcept;
void RealToExtendedArithmetic(Real value, uint8_t bytes[10]) noexcept;
} // namespace detail

} // namespace ruvo
