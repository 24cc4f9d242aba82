#pragma once
// Internal to the drawing code: how source pixels combine with destination pixels, per pixel and per row.
//
// Rules (per channel, integer division dropping the remainder; bits outside the channel masks are 0 in a
// combined pixel, while copies move raw pixels):
//   Copy           s                                        alone: key pixels (when the key is used)
//   Alpha(a)       ((255 - a) d + a s) / 256                 alone: key pixels, s = d
//   Mask(m)        m = 255: s; else ((255 - m) d + m s) / 256 alone: m = 0
//   MaskAlpha(m,a) r = a if m = 255 else a m / 256, then as Alpha(r)   alone: m = 0 or r = 0
//   Add(f)         min(max, d + f s / 256)                  alone: key pixels
//   MaskAdd(m,f)   r as for MaskAlpha, min(max, d + r s / 256)          alone: m = 0 or r = 0
//   Sub            max(0, d - s)
// Indexed formats have one channel, the index.
#include <cstdint>

#include "graphics/surface/pixelformat.hpp"
#include "graphics/surface/pixelview.hpp"

namespace ruvo {

enum class TBlendRule : uint8_t { Copy, Alpha, Mask, MaskAlpha, Add, MaskAdd, Sub };

struct TBlendOp {
    TBlendRule Rule = TBlendRule::Copy;
    int Param = 0;  // alpha 1..254 or factor 0..256
    bool UseKey = false;
    uint32_t Key = 0;
};

constexpr bool UsesMask(TBlendRule rule) noexcept {
    return rule == TBlendRule::Mask || rule == TBlendRule::MaskAlpha || rule == TBlendRule::MaskAdd;
}

// The rule a blend code selects (0 nothing, 1-254 alpha, 255 copy, 256-511 add with code - 256, larger
// codes add with 255); returns false for "draw nothing". With a mask the masked forms are chosen.
bool RuleForBlend(int blend, bool masked, TBlendOp& op) noexcept;
// The rule for an alpha argument: 255 and above copy (or plain mask), 0 and below draw nothing.
bool RuleForAlpha(int alpha, bool masked, TBlendOp& op) noexcept;
// The rule for an additive factor (clamped to 0..256); 0 draws nothing.
bool RuleForFactor(int factor, bool masked, TBlendOp& op) noexcept;

namespace blend_detail {
inline uint32_t Channel(uint32_t d, uint32_t s, uint32_t mask, int shift, int w, int rule) noexcept {
    if (mask == 0)
        return 0;
    uint32_t dc = (d & mask) >> shift, sc = (s & mask) >> shift, mx = mask >> shift, r;
    switch (rule) {
    case 0: r = ((255 - w) * dc + w * sc) >> 8; break;               // alpha-like
    case 1: r = dc + ((w * sc) >> 8); r = r > mx ? mx : r; break;     // add-like
    default: r = dc > sc ? dc - sc : 0; break;                        // subtract
    }
    return r << shift;
}
inline uint32_t Channels(const TPixelFormat& f, uint32_t d, uint32_t s, int w, int rule) noexcept {
    return Channel(d, s, f.RMask, f.RShift, w, rule) | Channel(d, s, f.GMask, f.GShift, w, rule) |
           Channel(d, s, f.BMask, f.BShift, w, rule);
}
} // namespace blend_detail

// One pixel by the rule: true and the result in out, or false when the pixel is left alone.
inline bool CombinePixel(const TPixelFormat& f, const TBlendOp& op, uint32_t d, uint32_t s, uint8_t m,
                         uint32_t& out) noexcept {
    using namespace blend_detail;
    switch (op.Rule) {
    case TBlendRule::Copy:
        if (op.UseKey && s == op.Key)
            return false;
        out = s;
        return true;
    case TBlendRule::Alpha:
        if ((op.UseKey && s == op.Key) || s == d)
            return false;
        out = Channels(f, d, s, op.Param, 0);
        return true;
    case TBlendRule::Mask:
        if (m == 0)
            return false;
        out = m == 255 ? s : Channels(f, d, s, m, 0);
        return true;
    case TBlendRule::Add:
        if (op.UseKey && s == op.Key)
            return false;
        out = Channels(f, d, s, op.Param, 1);
        return true;
    case TBlendRule::Sub:
        out = Channels(f, d, s, 0, 2);
        return true;
    case TBlendRule::MaskAlpha:
    case TBlendRule::MaskAdd: {
        if (m == 0)
            return false;
        int r = m == 255 ? op.Param : (op.Param * m) >> 8;
        if (r == 0)
            return false;
        out = Channels(f, d, s, r, op.Rule == TBlendRule::MaskAlpha ? 0 : 1);
        return true;
    }
    }
    return false;
}

// Combines count source pixels with the destination row starting at pixel dstX. src holds count pixels
// packed in the destination's format, except at 1 and 4 bits where it holds one byte per pixel. mask
// holds count bytes for the mask rules.
void BlendRow(const TPixelFormat& format, uint8_t* dstRow, int32_t dstX, const uint8_t* src,
              const uint8_t* mask, int32_t count, const TBlendOp& op);

// Reads the source pixels at the given columns of one row into the representation BlendRow takes.
void GatherRow(const TPixelView& src, int32_t y, const int32_t* cols, int32_t count, uint8_t* out);

// Switches the hand-vectorised loops off (false) or back on, so the portable loops can be checked and
// measured on processors that have the faster ones.
void SetAcceleratedLoops(bool enabled) noexcept;
// Name of the instruction set the row loops use on this processor.
const char* BlendInstructionSet() noexcept;

} // namespace ruvo
