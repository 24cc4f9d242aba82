#pragma once
// Plain per-pixel forms of the drawing rules and geometry, written straight from their definitions
// through GetPixel/SetPixel only. The library's row loops are checked against these.
#include <array>
#include <cstdint>
#include <span>

#include "graphics/surface/dibx.hpp"

namespace ruvo::ref {

enum class Rule { Copy, Alpha, Mask, MaskAlpha, Add, MaskAdd, Sub };

struct Op {
    Rule rule = Rule::Copy;
    int param = 0;  // alpha or factor
    bool useKey = false;
    uint32_t key = 0;
};

// The rule a blend code selects; false for "nothing drawn".
bool FromBlend(int blend, bool masked, Op& op);

// One pixel: true with the result, or false when the destination is left alone.
bool Combine(TCustomDIBX& dst, const Op& op, uint32_t d, uint32_t s, uint32_t m, uint32_t& out);

void Fill(TDIBX& dst, const TRect& rect, uint32_t pixel, const Op& op);
void Positioned(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, bool flipH, bool flipV, TDIBX* mask,
                const Op& op);
void Stretched(TDIBX& dst, const TRect& rect, TDIBX& src, const TRect& sr, bool flipH, bool flipV, TDIBX* mask,
               const Op& op);
void Rotated(TDIBX& dst, int x, int y, int zoomX, int zoomY, TDIBX& src, const TRect& sr, int pivotX, int pivotY,
             int angle, bool flipH, bool flipV, TDIBX* mask, const Op& op);
// Gap-separated tiles; spacing must not be negative here.
void Tiled(TDIBX& dst, const TRect& rect, int spacingX, int spacingY, TDIBX& src, const TRect& sr, int offsetX,
           int offsetY, TDIBX* mask, const Op& op);
void PatternScaled(TDIBX& dst, const TRect& rect, int zoomX, int zoomY, TDIBX& pattern, int offsetX, int offsetY,
                   bool flipH, bool flipV, TDIBX* mask, const Op& op);
void MonoGlyph(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, uint32_t pixel, bool flipH, bool flipV,
               int alpha, int scale);
void ToneGlyph(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, const std::array<uint32_t, 3>& colours,
               bool flipH, bool flipV, int blend, int scale);
void Coverage(TDIBX& dst, int x, int y, TDIBX& mask, const TRect& sr, bool flipH, bool flipV, uint32_t pixel,
              int alpha);
void Indexed4(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, bool flipH, bool flipV, int blend,
              std::span<const uint32_t> palette);
void IndexedAdd8(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, int minIndex, bool flipH, bool flipV,
                 int factor, std::span<const uint32_t> palette);

} // namespace ruvo::ref
