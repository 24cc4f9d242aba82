// Tilings: a rectangle covered by repeated draws of one source rectangle.
#include <functional>

#include "graphics/surface/customdibx.hpp"
#include "graphics/draw/drawcore.hpp"

namespace ruvo {

namespace {
using draw::FloorDiv;
using draw::Mod;

// Restricts the clip to a rectangle for the lifetime of the scope.
class TClipScope {
public:
    TClipScope(TCustomDIBX& surface, const TRect& rect) : surface_(surface), saved_(surface.ClipRect) {
        clip_ = Intersect(rect, surface.EffectiveClip());
        surface.ClipRect = clip_;
    }
    ~TClipScope() { surface_.ClipRect = saved_; }
    const TRect& Clip() const noexcept { return clip_; }

private:
    TCustomDIBX& surface_;
    TRect saved_, clip_;
};

// Positions of tiles along one axis: the first shows the source from `offset` on, later ones whole;
// the gap after each is `spacing`. Calls fn(position, source start) for the tiles reaching [c0, c1).
void TileAxis(int64_t start, int64_t size, int64_t offset, int64_t spacing, int64_t c0, int64_t c1,
              const std::function<void(int32_t, int32_t)>& fn) {
    const int64_t firstSize = size - offset;
    if (start < c1 && start + firstSize > c0)
        fn(int32_t(start), int32_t(offset));
    // A negative gap never lets the walk stand still.
    const int64_t pitch = std::max<int64_t>(1, size + spacing);
    int64_t pos = start + std::max<int64_t>(1, firstSize + spacing);
    if (pos + size <= c0)  // skip the whole tiles left of (above) the clip
        pos += (FloorDiv(c0 - size - pos, pitch) + 1) * pitch;
    for (; pos < c1; pos += pitch)
        fn(int32_t(pos), 0);
}

template <class DrawTile>
void Tile(TCustomDIBX& dst, const TRect& rect, int spacingX, int spacingY, const TRect& srcRect, int offsetX,
          int offsetY, DrawTile drawTile) {
    TClipScope scope(dst, rect);
    const TRect clip = scope.Clip();
    if (clip.IsEmpty() || srcRect.IsEmpty())
        return;
    const int64_t w = srcRect.Width(), h = srcRect.Height();
    TileAxis(rect.Top, h, Mod(offsetY, h), spacingY, clip.Top, clip.Bottom, [&](int32_t y, int32_t sy) {
        TileAxis(rect.Left, w, Mod(offsetX, w), spacingX, clip.Left, clip.Right, [&](int32_t x, int32_t sx) {
            drawTile(x, y, TRect{srcRect.Left + sx, srcRect.Top + sy, srcRect.Right, srcRect.Bottom});
        });
    });
}

// Stretched tiles along one axis in 16.16 fixed point: tiles of `size` pixels every `step`.
void StretchTileAxis(int64_t start, int64_t step, int64_t size, int64_t offset, int64_t c0, int64_t c1,
                     const std::function<void(int32_t)>& fn) {
    int64_t pos = (start << 16) - Mod(offset << 16, step);
    const int64_t skip = FloorDiv(((c0 - size) << 16) - pos, step);
    if (skip > 0)
        pos += skip * step;
    for (; (pos >> 16) < c1; pos += step)
        if ((pos >> 16) + size > c0)
            fn(int32_t(pos >> 16));
}

template <class DrawTile>
void StretchTile(TCustomDIBX& dst, const TRect& rect, int spacingX, int spacingY, int zoomX, int zoomY,
                 const TRect& srcRect, int offsetX, int offsetY, DrawTile drawTile) {
    if (zoomX <= 0 || zoomY <= 0 || srcRect.IsEmpty())
        return;
    TClipScope scope(dst, rect);
    const TRect clip = scope.Clip();
    if (clip.IsEmpty())
        return;
    const int64_t stepX = std::max<int64_t>(65536, int64_t(zoomX) * spacingX * 256);
    const int64_t stepY = std::max<int64_t>(65536, int64_t(zoomY) * spacingY * 256);
    const int64_t tileW = std::max<int64_t>(1, int64_t(zoomX) * srcRect.Width() / 256);
    const int64_t tileH = std::max<int64_t>(1, int64_t(zoomY) * srcRect.Height() / 256);
    StretchTileAxis(rect.Top, stepY, tileH, offsetY, clip.Top, clip.Bottom, [&](int32_t y) {
        StretchTileAxis(rect.Left, stepX, tileW, offsetX, clip.Left, clip.Right, [&](int32_t x) {
            drawTile(TRect{x, y, int32_t(x + tileW), int32_t(y + tileH)});
        });
    });
}
} // namespace

void TCustomDIBX::TileDraw(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src, const TRect& srcRect,
                           bool useKey, int offsetX, int offsetY) {
    Tile(*this, rect, spacingX, spacingY, srcRect, offsetX, offsetY,
         [&](int32_t x, int32_t y, const TRect& r) { Draw(x, y, src, r, useKey, false, false); });
}

void TCustomDIBX::TileDrawAlpha(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                                const TRect& srcRect, bool useKey, int alpha, int offsetX, int offsetY) {
    if (alpha > 0)
        Tile(*this, rect, spacingX, spacingY, srcRect, offsetX, offsetY,
             [&](int32_t x, int32_t y, const TRect& r) { DrawAlpha(x, y, src, r, useKey, false, false, alpha); });
}

void TCustomDIBX::TileDrawAdd(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                              const TRect& srcRect, bool useKey, int factor, int offsetX, int offsetY) {
    if (factor > 0)
        Tile(*this, rect, spacingX, spacingY, srcRect, offsetX, offsetY,
             [&](int32_t x, int32_t y, const TRect& r) { DrawAdd(x, y, src, r, useKey, false, false, factor); });
}

void TCustomDIBX::TileDrawMasked(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                                 const TRect& srcRect, TCustomDIBX& mask, int offsetX, int offsetY) {
    Tile(*this, rect, spacingX, spacingY, srcRect, offsetX, offsetY,
         [&](int32_t x, int32_t y, const TRect& r) { DrawMasked(x, y, src, r, false, false, mask); });
}

void TCustomDIBX::TileDrawMaskedAlpha(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                                      const TRect& srcRect, TCustomDIBX& mask, int alpha, int offsetX,
                                      int offsetY) {
    if (alpha > 0)
        Tile(*this, rect, spacingX, spacingY, srcRect, offsetX, offsetY, [&](int32_t x, int32_t y, const TRect& r) {
            DrawMaskedAlpha(x, y, src, r, false, false, mask, alpha);
        });
}

void TCustomDIBX::TileDrawMaskedAdd(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                                    const TRect& srcRect, TCustomDIBX& mask, int factor, int offsetX, int offsetY) {
    if (factor > 0)
        Tile(*this, rect, spacingX, spacingY, srcRect, offsetX, offsetY, [&](int32_t x, int32_t y, const TRect& r) {
            DrawMaskedAdd(x, y, src, r, false, false, mask, factor);
        });
}

void TCustomDIBX::TileStretchDraw(const TRect& rect, int spacingX, int spacingY, int zoomX, int zoomY,
                                  TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH, bool flipV,
                                  int blend, int offsetX, int offsetY) {
    if (blend <= 0)
        return;
    StretchTile(*this, rect, spacingX, spacingY, zoomX, zoomY, srcRect, offsetX, offsetY, [&](const TRect& r) {
        if (blend <= 255)
            StretchDraw(r, src, srcRect, useKey, flipH, flipV, blend);
        else
            StretchDrawAdd(r, src, srcRect, useKey, flipH, flipV, std::min(blend - 256, 255));
    });
}

void TCustomDIBX::TileStretchDrawMasked(const TRect& rect, int spacingX, int spacingY, int zoomX, int zoomY,
                                        TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                                        TCustomDIBX& mask, int blend, int offsetX, int offsetY) {
    if (blend <= 0)
        return;
    StretchTile(*this, rect, spacingX, spacingY, zoomX, zoomY, srcRect, offsetX, offsetY, [&](const TRect& r) {
        if (blend <= 255)
            StretchDrawMasked(r, src, srcRect, flipH, flipV, mask, blend);
        else
            StretchDrawMaskedAdd(r, src, srcRect, flipH, flipV, mask, std::min(blend - 256, 255));
    });
}

} // namespace ruvo
