#include "graphics/wipes/wipepixels.hpp"

#include <cmath>

#include "graphics/wipes/wipehelpers.hpp"

namespace ruvo {

using wipe::Progress;

// --- Light ramps ---

// Pixel i at ramp position d = level - Starts[i]: below 0 Before; 0..255 Before with grey d added;
// 256..511 After with grey 511 - d added; 512 and above After. Through black the grey is subtracted.
void TWipeLightRamp::DrawFrame(int64_t t, int64_t T) {
    wipe::TFrameLocks locks({Target, Before, After});
    if (!locks.Valid() || Starts.size() != size_t(W) * size_t(H))
        return;
    const TPixelView &out = locks.Target(), &before = locks.Before(), &after = locks.After();
    const std::array<uint32_t, 256> grey = wipe::GreyPixels(out.Format);
    const int64_t level = Progress(t, T, Range);
    const bool darken = Darkens();
    wipe::WithPixelOps(out.Format, [&](const auto& ops) {
        for (int32_t y = 0; y < H; ++y) {
            const uint8_t *b = before.Row(y), *a = after.Row(y);
            uint8_t* o = out.Row(y);
            const int32_t* start = &Starts[size_t(y) * size_t(W)];
            for (int32_t x = 0; x < W; ++x) {
                const int64_t d = level - start[x];
                uint32_t p;
                if (d < 0)
                    p = ops.Read(b, x);
                else if (d >= 512)
                    p = ops.Read(a, x);
                else {
                    const uint32_t from = d < 256 ? ops.Read(b, x) : ops.Read(a, x);
                    const uint32_t g = grey[size_t(d < 256 ? d : 511 - d)];
                    p = darken ? ops.Sub(from, g) : ops.Add(from, g);
                }
                ops.Write(o, x, p);
            }
        }
    });
}

void TWipeSpot::Prepare() {
    const int32_t cx = W / 2, cy = H / 2;
    const int32_t radius = wipe::Rnd(std::hypot(double(cy), double(cx)));
    Range = int64_t(radius) + 512;
    Starts.resize(size_t(W) * size_t(H));
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            const int32_t n = wipe::Rnd(std::hypot(double(std::abs(y - cy)), double(std::abs(x - cx))));
            Starts[size_t(y) * W + x] = Reverse() ? radius - n : n;
        }
}

void TWipeShadowWhite::Prepare() {
    // A pixel of grey g starts at 255 - g: with the level running over 0..767, bright pixels start first
    // and the darkest ones finish just before the end (a ramp of 1024 positions level + g).
    const std::vector<uint8_t> greys = wipe::RuleGreys(rule_, W, H, Reverse());
    rule_ = nullptr;
    Range = 768;
    Starts.resize(greys.size());
    for (size_t i = 0; i < greys.size(); ++i)
        Starts[i] = 255 - greys[i];
}

// --- Ripple ---

void TWipeRipple::Prepare() {
    const int64_t length = std::max(2 * std::min(W, H) / 3, 1), quarter = length / 4;
    wave_.resize(size_t(length));
    for (int64_t i = 0; i < length; ++i)
        wave_[size_t(i)] = quarter > 0 ? (i % quarter) * Params[0] / quarter : 0;
    const double cx = W / 2.0, cy = H / 2.0;
    reach_ = int64_t(std::ceil(std::hypot(cx, cy))) + 1;
    const size_t n = size_t(W) * size_t(H);
    distance_.resize(n), cos_.resize(n), sin_.resize(n);
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::hypot(dx, dy);
            const size_t i = size_t(y) * W + x;
            distance_[i] = wipe::Rnd(d);
            cos_[i] = d > 0 ? wipe::Rnd(dx / d * 65536) : 0;
            sin_[i] = d > 0 ? wipe::Rnd(dy / d * 65536) : 0;
        }
}

void TWipeRipple::DrawFrame(int64_t t, int64_t T) {
    wipe::TFrameLocks locks({Target, Before, After});
    if (!locks.Valid() || distance_.empty())
        return;
    const TPixelView &out = locks.Target(), &before = locks.Before(), &after = locks.After();
    const int64_t length = int64_t(wave_.size()), front = Progress(t, T, reach_ + length);
    wipe::WithPixelOps(out.Format, [&](const auto& ops) {
        for (int32_t y = 0; y < H; ++y) {
            uint8_t* o = out.Row(y);
            for (int32_t x = 0; x < W; ++x) {
                const size_t k = size_t(y) * W + x;
                const int64_t i = front - distance_[k];
                if (i < 0 || i >= length) {
                    ops.Write(o, x, ops.Read(i < 0 ? before.Row(y) : after.Row(y), x));
                    continue;
                }
                const int64_t push = wave_[size_t(i)];
                const int32_t sx = int32_t(std::clamp<int64_t>(x + ((cos_[k] * push) >> 16), 0, W - 1));
                const int32_t sy = int32_t(std::clamp<int64_t>(y + ((sin_[k] * push) >> 16), 0, H - 1));
                const uint32_t weight = uint32_t(i * 256 / length), from = ops.Read(before.Row(sy), sx);
                ops.Write(o, x, weight == 0 ? from : ops.Mix(from, ops.Read(after.Row(sy), sx), weight));
            }
        }
    });
}

} // namespace ruvo
