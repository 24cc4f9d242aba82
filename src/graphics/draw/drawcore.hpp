#pragma once
// Internal to the drawing operations: clipping geometry and the shared row-walking engines.
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/draw/blendrows.hpp"
#include "graphics/surface/customdibx.hpp"
#include "graphics/surface/pixelview.hpp"

namespace ruvo::draw {

// One axis of a positioned draw after clipping: destination pixels [Dst0, Dst1); the first one reads the
// source at SrcFirst, the next ones at SrcFirst + Dir * Scale * k (a block of Scale source pixels each,
// read in direction Dir).
struct TAxis {
    int32_t Dst0 = 0, Dst1 = 0, SrcFirst = 0, Dir = 1;
};

// Destination start p, source range [s0, s1) of which only [b0, b1) may be read, clip [c0, c1), each
// destination pixel covering scale source pixels; false when nothing is left.
bool ClipAxis(int64_t p, int64_t s0, int64_t s1, int64_t b0, int64_t b1, int64_t c0, int64_t c1, bool flip,
              int scale, TAxis& out);

// Source pixels must share the destination's pixel format.
bool SameFormat(TCustomDIBX& dst, TCustomDIBX& src);
bool IsMask(TCustomDIBX& mask);

// When a source is the destination itself, draws read from a private copy so that rows written early
// are not read back later.
class TSourceGuard {
public:
    // src may be null (no mask), and so is Get() then.
    TSourceGuard(TCustomDIBX& dst, TCustomDIBX* src);
    TCustomDIBX* Get() noexcept { return surface_; }

private:
    std::unique_ptr<TCustomDIBX> copy_;
    TCustomDIBX* surface_;
};

// Bytes a pixel takes in the row buffers BlendRow reads (sub-byte formats use a byte).
inline int BufferBytes(const TPixelFormat& f) noexcept { return f.StorageBits() >= 8 ? f.StorageBits() / 8 : 1; }
// Fills n pixels of a row buffer with one value.
void FillBuffer(const TPixelFormat& f, uint8_t* buffer, int32_t n, uint32_t pixel);

// The key of a draw that was asked to honour it: none when the source has no transparent colour.
inline void SetKey(TBlendOp& op, bool useKey, const TCustomDIBX& src) noexcept {
    op.UseKey = useKey && src.TransparentColor != -1;
    op.Key = uint32_t(src.TransparentColor);
}

// Combines a constant pixel into the clipped rectangle.
void FillRule(TCustomDIBX& dst, const TRect& rect, uint32_t pixel, const TBlendOp& op);

// Positioned draw of srcRect at (x, y) with flips; mask is null for the rules without a mask.
void Positioned(TCustomDIBX& dst, int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                bool flipV, TCustomDIBX* mask, const TBlendOp& op);

// Nearest-neighbour sampling of a stretched draw: the clipped destination and the source column and row
// of each of its columns and rows.
struct TStretchMap {
    TRect Dst;
    std::vector<int32_t> Cols, Rows;
};
// srcRect must already lie inside the source.
bool MapStretch(const TRect& rect, const TRect& clip, const TRect& srcRect, bool flipH, bool flipV,
                TStretchMap& map);
// Limits a source rectangle to the readable area of the source (and mask).
TRect SourceBounds(TCustomDIBX& src, TCustomDIBX* mask, const TRect& srcRect);

// Draws map.Dst sampling the source (and mask) at the mapped columns and rows, which must lie inside.
void Mapped(TCustomDIBX& dst, const TStretchMap& map, TCustomDIBX& src, TCustomDIBX* mask, const TBlendOp& op);

void Stretched(TCustomDIBX& dst, const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool flipH,
               bool flipV, TCustomDIBX* mask, const TBlendOp& op);

void Rotated(TCustomDIBX& dst, int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src, const TRect& srcRect,
             int pivotX, int pivotY, int angle, bool flipH, bool flipV, TCustomDIBX* mask, const TBlendOp& op);

// Floor division and non-negative remainder for coordinates that may be negative.
inline int64_t FloorDiv(int64_t a, int64_t b) noexcept { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
inline int64_t Mod(int64_t a, int64_t b) noexcept { return a - FloorDiv(a, b) * b; }

} // namespace ruvo::draw

namespace ruvo::draw {

// Walks a clipped positioned draw pixel by pixel: fn(destination row, dx, sx, sy, dirX, dirY) with the
// first source pixel read for destination pixel dx (a block of scale x scale pixels read in the
// directions dirX, dirY).
template <class Fn>
void ForEachPlaced(const TPixelView& dv, const TRect& clip, int32_t x, int32_t y, const TRect& sr,
                   const TRect& bounds, bool flipH, bool flipV, int scale, Fn&& fn) {
    TAxis ax, ay;
    if (!ClipAxis(x, sr.Left, sr.Right, bounds.Left, bounds.Right, clip.Left, clip.Right, flipH, scale, ax) ||
        !ClipAxis(y, sr.Top, sr.Bottom, bounds.Top, bounds.Bottom, clip.Top, clip.Bottom, flipV, scale, ay))
        return;
    for (int32_t dy = ay.Dst0; dy < ay.Dst1; ++dy) {
        const int32_t sy = ay.SrcFirst + ay.Dir * scale * (dy - ay.Dst0);
        uint8_t* row = dv.Row(dy);
        for (int32_t dx = ax.Dst0; dx < ax.Dst1; ++dx)
            fn(row, dx, ax.SrcFirst + ax.Dir * scale * (dx - ax.Dst0), sy, ax.Dir, ay.Dir);
    }
}

} // namespace ruvo::draw
