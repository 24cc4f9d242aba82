#pragma once
// The text conversions every variable getter and setter uses: integers with "$", "x" and "0x"
// hexadecimal forms, reals in decimal notation, and the 15-significant-digit general real form.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "archive/extended.hpp"

namespace ruvo {

// Optional leading spaces, optional sign, then decimal digits or hexadecimal digits after "$", "x" or
// "0x" (either case); nothing may follow. Decimal values must fit 32 bits signed, hexadecimal ones
// 32 bits unsigned (taken as their two's-complement value).
std::optional<int32_t> TryTextToInt(std::string_view text) noexcept;
// Optional surrounding spaces, optional sign, digits with an optional "." and an optional exponent.
std::optional<Real> TryTextToReal(std::string_view text) noexcept;

inline int32_t TextToIntDef(std::string_view text, int32_t fallback) noexcept {
    return TryTextToInt(text).value_or(fallback);
}
inline Real TextToRealDef(std::string_view text, Real fallback) noexcept {
    return TryTextToReal(text).value_or(fallback);
}

std::string IntToText(int32_t value);
// General form with 15 significant digits, trailing zeros dropped; exponent form ("1E20", "1.5E-7")
// outside the range where the fixed form keeps all 15 digits.
std::string RealToText(Real value);
inline const char* FlagToText(bool value) noexcept { return value ? "TRUE" : "FALSE"; }
// Only the exact text "TRUE" is true.
inline bool TextToFlag(std::string_view text) noexcept { return text == "TRUE"; }
// Truncates toward zero into 64 bits and keeps the low 32; values outside the 64-bit range give 0.
int32_t RealToInt(Real value) noexcept;

} // namespace ruvo
