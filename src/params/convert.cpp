#include "params/convert.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ruvo {

namespace {

int HexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

} // namespace

std::optional<int32_t> TryTextToInt(std::string_view s) noexcept {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size()) return std::nullopt;
    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        const int d = hex ? HexDigit(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
        if (d < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        const uint32_t bits = static_cast<uint32_t>(value);
        return static_cast<int32_t>(negative ? 0u - bits : bits);
    }
    if (negative) {
        if (value > 0x80000000ull) return std::nullopt;
        return static_cast<int32_t>(-static_cast<int64_t>(value));
    }
    if (value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<Real> TryTextToReal(std::string_view s) noexcept {
    size_t i = 0, end = s.size();
    while (i < end && s[i] == ' ') ++i;
    while (end > i && s[end - 1] == ' ') --end;
    const size_t start = i;
    if (i < end && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < end && IsDigit(s[i])) ++i, ++digits;
    if (i < end && s[i] == '.') {
        ++i;
        while (i < end && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < end && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < end && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < end && IsDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != end) return std::nullopt;
    // The text is validated, so strtold reads exactly it (the "C" locale's "." is assumed).
    const std::string text(s.substr(start, end - start));
    const Real value = std::strtold(text.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::string IntToText(int32_t value) { return std::to_string(value); }

std::string RealToText(Real value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14Le", value);  // d.dddddddddddddde±x: 15 significant digits
    std::string text(buf);
    const size_t e = text.find('e');
    const int exp10 = std::atoi(text.c_str() + e + 1);
    std::string mantissa = text.substr(0, e);
    const bool negative = mantissa[0] == '-';
    if (negative) mantissa.erase(0, 1);
    std::string digits = mantissa.substr(0, 1) + mantissa.substr(2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    // Position of the decimal point after the first digit is exp10 + 1.
    const int point = exp10 + 1;
    std::string out = negative ? "-" : "";
    if (point > 15 || point < -3) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out.append(".").append(digits, 1);
        out.append("E").append(std::to_string(exp10));
    } else if (point <= 0) {
        out.append("0.").append(static_cast<size_t>(-point), '0').append(digits);
    } else if (static_cast<size_t>(point) >= digits.size()) {
        out += digits + std::string(static_cast<size_t>(point) - digits.size(), '0');
    } else {
        out.append(digits, 0, static_cast<size_t>(point)).append(".").append(digits, static_cast<size_t>(point));
    }
    return out;
}

int32_t RealToInt(Real value) noexcept {
    if (!(value > -9.2233720368547758e18L && value < 9.2233720368547758e18L)) return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(value))));
}

} // namespace ruvo
