#include "graphics/wipes/wipemotion.hpp"

#include <cmath>
#include <numbers>

#include "graphics/wipes/wipehelpers.hpp"

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
    const int32_t count = axis_.Across, length = axis_.Along;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t counted = Reverse() ? count - 1 - i : i;
        const double angle = phase - double(counted) / count * pi / 2;
        TLine& line = lines_[size_t(i)];
        if (angle < 0 || angle >= pi) {  // not turning yet, or turned over
            line.Show = angle < 0 ? TLine::Before : TLine::After;
            continue;
        }
        // The face is the line squeezed to its width seen from the front, centred on black.
        const int32_t w = Rnd(length * std::cos(angle)), n = std::abs(w);
        line = TLine{TLine::Turning, w < 0, (length - n) / 2, n, n > 0 ? (int64_t(length) << 16) / n : 0};
    }
    wipe::TFrameLocks locks({Target, Before, After});
    if (!locks.Valid())
        return;
    const TPixelView &out = locks.Target(), &before = locks.Before(), &after = locks.After();
    // Pixel `along` of line `line`, with the face's pixel taken from the line's source position.
    auto shade = [&](const auto& ops, const TLine& line, int32_t along, int32_t x, int32_t y) -> uint32_t {
        if (line.Show != TLine::Turning)
            return ops.Read((line.Show == TLine::Before ? before : after).Row(y), x);
        const int32_t k = along - line.Start;
        if (k < 0 || k >= line.Length)
            return 0;
        const int32_t from = int32_t((k * line.Step) >> 16);
        const TPixelView& face = line.Back ? after : before;
        return axis_.Vertical ? ops.Read(face.Row(from), x) : ops.Read(face.Row(y), from);
    };
    // Row by row for either axis, so memory is walked in order.
    wipe::WithPixelOps(out.Format, [&](const auto& ops) {
        for (int32_t y = 0; y < H; ++y) {
            uint8_t* row = out.Row(y);
            for (int32_t x = 0; x < W; ++x)
                ops.Write(row, x, axis_.Vertical ? shade(ops, lines_[size_t(x)], y, x, y)
                                                 : shade(ops, lines_[size_t(y)], x, x, y));
        }
    });
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
