#include "graphics/wipemotion.hpp"

#include <cmath>
#include <numbers>

#include "graphics/wipehelpers.hpp"

namespace ruvo {

using wipe::Progress;
using wipe::Rnd;

namespace {
int32_t Within(int64_t v, int64_t limit) noexcept { return int32_t(std::clamp<int64_t>(v, 0, limit)); }
} // namespace

TRect TScreenAxis::Band(int64_t a0, int64_t a1) const noexcept {
    const int32_t lo = Within(a0, Along), hi = Within(a1, Along);
    return Vertical ? TRect{0, lo, Across, hi} : TRect{lo, 0, hi, Across};
}

TRect TScreenAxis::Line(int32_t i, int64_t a0, int64_t a1) const noexcept {
    const int32_t lo = Within(a0, Along), hi = Within(a1, Along);
    return Vertical ? TRect{i, lo, i + 1, hi} : TRect{lo, i, hi, i + 1};
}

// --- Scroll ---

void TWipeScroll::DrawFrame(int64_t t, int64_t T) {
    const int64_t length = axis_.Along, a = Progress(t, T, length);
    const TRect whole{0, 0, W, H};
    const int64_t before = Reverse() ? a : -a, after = Reverse() ? a - length : length - a;
    Target.Draw(axis_.X(before), axis_.Y(before), Before, whole, false, false, false);
    Target.Draw(axis_.X(after), axis_.Y(after), After, whole, false, false, false);
}

// --- Sudare and rubber ---

void TWipeSudare::DrawFrame(int64_t t, int64_t T) {
    const int64_t length = axis_.Along;
    int64_t a = Progress(t, T, 2 * length - 1);
    TCustomDIBX* picture = &Before;
    if (a >= length)
        picture = &After, a = 2 * length - a - 1;
    const int64_t strip = std::max<int64_t>(1, StripLength(t, T, a));
    TRect rest, stretched, source;
    if (!Reverse()) {  // the strip ends at line a and is stretched from the start to a
        rest = axis_.Band(a + 1, length);
        stretched = axis_.Band(0, a + 1);
        source = axis_.Band(a + 1 - strip, a + 1);
    } else {  // the strip starts at line c and is stretched from c to the end
        const int64_t c = length - a - 1;
        rest = axis_.Band(0, c);
        stretched = axis_.Band(c, length);
        source = axis_.Band(c, c + strip);
    }
    Target.Draw(rest.Left, rest.Top, *picture, rest, false, false, false);
    Target.StretchDraw(stretched, *picture, source, false, false, false, 255);
}

int64_t TWipeRubber::StripLength(int64_t t, int64_t T, int64_t a) const {
    const double k = double(Reverse() ? a + 1 : a);
    return std::max(1, Rnd(std::abs(double(t) - double(T) / 2) * k / double(T)));
}

// --- Twist ---

void TWipeTwist::DrawFrame(int64_t t, int64_t T) {
    using std::numbers::pi;
    const double phase = double(t) * 1.5 * pi / double(T);
    const int32_t lines = axis_.Across, length = axis_.Along;
    const uint32_t black = 0;
    for (int32_t i = 0; i < lines; ++i) {
        const int32_t counted = Reverse() ? lines - 1 - i : i;
        const double angle = phase - double(counted) / lines * pi / 2;
        const TRect line = axis_.Line(i, 0, length);
        if (angle < 0 || angle >= pi) {  // not turning yet, or turned over
            Target.Draw(line.Left, line.Top, angle < 0 ? Before : After, line, false, false, false);
            continue;
        }
        Target.FillRect(line, black);
        const int32_t w = Rnd(length * std::cos(angle));
        if (w > 0)
            Target.StretchDraw(axis_.Line(i, (length - w) / 2, (length - w) / 2 + w), Before, line, false, false, false, 255);
        else if (w < 0)
            Target.StretchDraw(axis_.Line(i, (length + w) / 2, (length + w) / 2 - w), After, line, false, false, false, 255);
    }
}

// --- Zoom into a point ---

void TWipeZoomin::DrawFrame(int64_t t, int64_t T) {
    const double u = 2.0 * double(t) / double(T);
    TCustomDIBX& picture = u < 1 ? Before : After;
    const double k = u < 1 ? 1 - u : u - 1;
    const int32_t w = std::clamp(Rnd(W * k), 1, W), h = std::clamp(Rnd(H * k), 1, H);
    // The point (Param0, Param1) keeps its place on the screen while the part around it shrinks.
    const int32_t left = std::clamp(Rnd(Params[0] * (1 - k)), 0, W - w);
    const int32_t top = std::clamp(Rnd(Params[1] * (1 - k)), 0, H - h);
    Target.StretchDraw(TRect{0, 0, W, H}, picture, TRect{left, top, left + w, top + h}, false, false, false, 255);
}

// --- Shrinking and growing ---

namespace {
// Turns by turn (1/256 of a full turn) in the given direction; whole turns are dropped.
int TurnAngle(double turn, bool reverse) { return (reverse ? -1 : 1) * (Rnd(turn) % 256); }
} // namespace

void TWipeSmall::DrawFrame(int64_t t, int64_t T) {
    Target.Assign(After);
    const int zoom = Rnd(double(T - t - 1) / double(T) * 255);
    const int angle = TurnAngle(Params[0] * double(t) / double(T), Reverse());
    Target.DrawRotate(W / 2, H / 2, zoom, zoom, Before, TRect{0, 0, W, H}, W / 2, H / 2, angle, false, false, false, 255);
}

void TWipeBig::DrawFrame(int64_t t, int64_t T) {
    Target.Assign(Before);
    const int zoom = Rnd(double(t) / double(T) * 255);
    const int angle = TurnAngle(Params[0] * double(T - t - 1) / double(T), Reverse());
    Target.DrawRotate(W / 2, H / 2, zoom, zoom, After, TRect{0, 0, W, H}, W / 2, H / 2, angle, false, false, false, 255);
}

} // namespace ruvo
