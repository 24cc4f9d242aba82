#include "graphics/draw/sectorraster.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace ruvo {

namespace {

// Columns lo..hi (inclusive); empty when lo > hi.
struct TSpan {
    int32_t Lo, Hi;
    bool Empty() const noexcept { return Lo > Hi; }
};

TSpan Meet(TSpan a, TSpan b) noexcept { return {std::max(a.Lo, b.Lo), std::min(a.Hi, b.Hi)}; }

// The columns of one row whose centres satisfy f(x) = slope * (x + 0.5 - cx) + offset >= 0 (> 0 when
// strict). f is linear, so they form one run at one end of the row; the run's edge is solved and then
// settled by evaluating f itself, so every pixel is decided by the same expression.
TSpan HalfRow(int32_t width, double cx, double slope, double offset, bool strict) {
    auto inside = [&](int32_t x) {
        const double f = slope * ((x + 0.5) - cx) + offset;
        return strict ? f > 0 : f >= 0;
    };
    const TSpan all{0, width - 1}, none{0, -1};
    if (slope == 0)
        return inside(0) ? all : none;
    const double edge = std::clamp(cx - 0.5 - offset / slope, -1.0, double(width));
    if (slope > 0) {  // inside from the edge to the right
        int32_t lo = std::max(int32_t(std::ceil(edge)), 0);
        while (lo > 0 && inside(lo - 1))
            --lo;
        while (lo < width && !inside(lo))
            ++lo;
        return {lo, width - 1};
    }
    int32_t hi = std::min(int32_t(std::floor(edge)), width - 1);  // inside from the left to the edge
    while (hi < width - 1 && inside(hi + 1))
        ++hi;
    while (hi >= 0 && !inside(hi))
        --hi;
    return {0, hi};
}

// The columns of row y whose centres lie strictly inside the circle.
TSpan DiscRow(const TByteRaster& r, double cx, double dy, double radius) {
    const double rest = radius * radius - dy * dy;
    if (!(rest > 0))
        return {0, -1};
    auto inside = [&](int32_t x) {
        const double dx = (x + 0.5) - cx;
        return dx * dx + dy * dy < radius * radius;
    };
    const double half = std::sqrt(rest);
    int32_t lo = int32_t(std::clamp(std::ceil(cx - 0.5 - half), -1.0, double(r.Width)));
    int32_t hi = int32_t(std::clamp(std::floor(cx - 0.5 + half), -1.0, double(r.Width)));
    lo = std::max(lo, 0), hi = std::min(hi, r.Width - 1);
    while (lo > 0 && inside(lo - 1))
        --lo;
    while (lo <= hi && !inside(lo))
        ++lo;
    while (hi < r.Width - 1 && inside(hi + 1))
        ++hi;
    while (hi >= lo && !inside(hi))
        --hi;
    return {lo, hi};
}

void Fill(const TByteRaster& r, int32_t y, TSpan s, uint8_t value) {
    if (!s.Empty())
        std::memset(r.Bytes + size_t(y) * size_t(r.Width) + s.Lo, value, size_t(s.Hi - s.Lo + 1));
}

} // namespace

void FillDisc(const TByteRaster& r, double cx, double cy, double radius, uint8_t value) {
    for (int32_t y = 0; y < r.Rows; ++y)
        Fill(r, y, DiscRow(r, cx, (y + 0.5) - cy, radius), value);
}

void FillSector(const TByteRaster& r, double cx, double cy, double radius, double start, double sweep,
                uint8_t value) {
    constexpr double turn = 2 * std::numbers::pi;
    if (!(std::abs(sweep) < turn)) {
        if (!std::isnan(sweep))
            FillDisc(r, cx, cy, radius, value);
        return;
    }
    if (sweep == 0)
        return;
    if (sweep < 0)
        start += sweep, sweep = -sweep;
    // v = (dx, dy) lies at a positive angle from u when cross(u, v) = ux vy - uy vx > 0. A sweep up to a
    // half turn is the meeting of two half-planes; a larger one is everything but the opposite wedge,
    // which runs from the ending edge to the starting one.
    const double ax = std::cos(start), ay = std::sin(start);
    const double bx = std::cos(start + sweep), by = std::sin(start + sweep);
    const bool convex = sweep <= std::numbers::pi;
    for (int32_t y = 0; y < r.Rows; ++y) {
        const double dy = (y + 0.5) - cy;
        const TSpan disc = DiscRow(r, cx, dy, radius);
        if (disc.Empty())
            continue;
        if (convex) {
            // cross(A, v) >= 0 and cross(v, B) > 0
            const TSpan wedge = Meet(HalfRow(r.Width, cx, -ay, ax * dy, false), HalfRow(r.Width, cx, by, -bx * dy, true));
            Fill(r, y, Meet(disc, wedge), value);
        } else {
            // not (cross(B, v) >= 0 and cross(v, A) > 0)
            const TSpan gap = Meet(HalfRow(r.Width, cx, -by, bx * dy, false), HalfRow(r.Width, cx, ay, -ax * dy, true));
            if (gap.Empty()) {
                Fill(r, y, disc, value);
                continue;
            }
            Fill(r, y, Meet(disc, TSpan{0, gap.Lo - 1}), value);
            Fill(r, y, Meet(disc, TSpan{gap.Hi + 1, r.Width - 1}), value);
        }
    }
}

} // namespace ruvo
