#include "graphics/film/filmease.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace ruvo {

namespace {

int32_t ToInt32(double v) noexcept {
    return int32_t(std::clamp(v, double(std::numeric_limits<int32_t>::min()), double(std::numeric_limits<int32_t>::max())));
}

} // namespace

int32_t EaseInt(int32_t b, int32_t e, int32_t n, int32_t d, uint8_t ease) noexcept {
    if (int64_t(d) + 1 >= n)
        return e;
    const int64_t span = int64_t(e) - b;
    switch (ease) {
    case EASE_ACCELERATE:
        return ToInt32(double(e) - std::round(double(span) * std::sin(double(int64_t(n) - d - 1) * std::numbers::pi / 2 / n)));
    case EASE_DECELERATE:
        return ToInt32(double(b) + std::round(std::sin(double(d) * std::numbers::pi / 2 / n) * double(span)));
    default:
        // d < n - 1 here, so the quotient stays between 0 and the span.
        return int32_t(b + int64_t(d) * span / (int64_t(n) - 1));
    }
}

double EaseReal(double b, double e, int32_t n, int32_t d, uint8_t ease) noexcept {
    if (int64_t(d) + 1 >= n)
        return e;
    switch (ease) {
    case EASE_ACCELERATE:
        return e - (e - b) * std::sin(double(int64_t(n) - d - 1) * std::numbers::pi / 2 / n);
    case EASE_DECELERATE:
        return b + std::sin(double(d) * std::numbers::pi / 2 / n) * (e - b);
    default:
        return b + double(d) * (e - b) / (double(n) - 1);
    }
}

} // namespace ruvo
