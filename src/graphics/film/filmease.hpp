#pragma once
// The three easing rules of frame-list tracks: a value goes from b (at the track's start) to e (at its
// end) over n steps; d is the step shown (0 <= d < n). The last step shows e exactly.
#include <cstdint>

namespace ruvo {

enum TFilmEase : uint8_t {
    EASE_LINEAR = 0,      // even steps
    EASE_ACCELERATE = 1,  // slow at first, speeding into e
    EASE_DECELERATE = 2,  // fast at first, slowing into e
};

// Integers: the result is rounded to the nearest whole number; an unknown code is linear. With n of 1
// or less (or d past the end) the value is e: no step divides by zero.
int32_t EaseInt(int32_t b, int32_t e, int32_t n, int32_t d, uint8_t ease) noexcept;
// The same rule on reals (zooms and angles), without rounding.
double EaseReal(double b, double e, int32_t n, int32_t d, uint8_t ease) noexcept;

} // namespace ruvo
