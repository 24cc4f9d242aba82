#pragma once
// Internal to the transitions: progress arithmetic, pixel arithmetic by format, rule pictures, random
// orders and locked access to the three surfaces.
#include <array>
#include <cstdint>
#include <vector>

#include "graphics/draw/blendkernels.hpp"
#include "graphics/draw/blendrows.hpp"
#include "graphics/surface/pixelview.hpp"
#include "graphics/wipes/wipes.hpp"

namespace ruvo::wipe {

// t x n div T for 0 <= t < T (truncated toward 0), without overflow however large the factors are.
inline int64_t Progress(int64_t t, int64_t T, int64_t n) noexcept {
    return int64_t(static_cast<__int128>(t) * n / T);
}
// x rounded to the nearest integer (halves away from 0), kept within the 32-bit range; NaN gives 0.
int32_t Rnd(double x) noexcept;
inline int64_t CeilDiv(int64_t a, int64_t b) noexcept { return (a + b - 1) / b; }
// The smallest of the three; used for block sizes limited by the screen.
inline int32_t Min3(int32_t a, int32_t b, int32_t c) noexcept { return std::min(a, std::min(b, c)); }

// Pixel value of grey level i (red, green and blue all i) in the format.
std::array<uint32_t, 256> GreyPixels(const TPixelFormat& format);
// Adds grey level (0..255) to every pixel of the surface, saturating; subtracts it when darkening.
void Shine(TCustomDIBX& surface, int level, bool darken);

// The rule picture as a w x h grey buffer (row-major, top row first): the picture tiled from the top
// left, each pixel's grey level taken from its colour, inverted when asked; all 255 (white) without one.
std::vector<uint8_t> RuleGreys(const TCustomDIBX* rule, int32_t w, int32_t h, bool invert);

// The numbers 0 .. n - 1 in an order drawn without replacement from the random source.
std::vector<int32_t> RandomOrder(int32_t n, const TRandomFunction& random);
// One draw in 0 .. n - 1, kept in range whatever the source answers.
int32_t Draw(const TRandomFunction& random, int32_t n);

// Pixel arithmetic of one format, per channel: Add min(max, d + s), Sub max(0, d - s),
// Mix ((255 - w) d + w s) div 256.
template <class F>
struct TFastOps {  // 15-, 16- and 32-bit pixels
    using Pixel = typename F::Pixel;
    static uint32_t Read(const uint8_t* row, int32_t x) noexcept { return reinterpret_cast<const Pixel*>(row)[x]; }
    static void Write(uint8_t* row, int32_t x, uint32_t v) noexcept { reinterpret_cast<Pixel*>(row)[x] = Pixel(v); }
    static uint32_t Add(uint32_t d, uint32_t s) noexcept { return F::Add(d, s, 256); }
    static uint32_t Sub(uint32_t d, uint32_t s) noexcept { return F::Sub(d, s); }
    static uint32_t Mix(uint32_t d, uint32_t s, uint32_t w) noexcept { return F::Mix(d, s, w); }
};

struct TGenericOps {  // 8- and 24-bit pixels
    TPixelFormat Format;
    uint32_t Read(const uint8_t* row, int32_t x) const noexcept { return ReadPixel(row, x, Format.StorageBits()); }
    void Write(uint8_t* row, int32_t x, uint32_t v) const noexcept { WritePixel(row, x, Format.StorageBits(), v); }
    uint32_t Add(uint32_t d, uint32_t s) const noexcept { return blend_detail::Channels(Format, d, s, 256, 1); }
    uint32_t Sub(uint32_t d, uint32_t s) const noexcept { return blend_detail::Channels(Format, d, s, 0, 2); }
    uint32_t Mix(uint32_t d, uint32_t s, uint32_t w) const noexcept {
        return blend_detail::Channels(Format, d, s, int(w), 0);
    }
};

// Calls fn with the pixel operations of the format, specialised for the screen formats.
template <class Fn>
void WithPixelOps(const TPixelFormat& format, Fn&& fn) {
    switch (format.BitCount) {
    case 32: fn(TFastOps<kernels::F32>{}); break;
    case 16: fn(TFastOps<kernels::F565>{}); break;
    case 15: fn(TFastOps<kernels::F555>{}); break;
    default: fn(TGenericOps{format}); break;
    }
}

// The three surfaces locked for one frame: the target for writing, the pictures for reading.
class TFrameLocks {
public:
    explicit TFrameLocks(const TWipeSurfaces& s) : target_(s.Target, true), before_(s.Before, false), after_(s.After, false) {}
    bool Valid() const noexcept { return Target().Valid() && Before().Valid() && After().Valid(); }
    const TPixelView& Target() const noexcept { return target_.View(); }
    const TPixelView& Before() const noexcept { return before_.View(); }
    const TPixelView& After() const noexcept { return after_.View(); }

private:
    TPixelLock target_, before_, after_;
};

} // namespace ruvo::wipe
