// Draws of indexed sources through a palette of destination pixel values: four-bit pictures and
// eight-bit intensity buffers added as light.
#include "graphics/surface/customdibx.hpp"
#include "graphics/draw/drawcore.hpp"

namespace ruvo {

void TCustomDIBX::DrawIndexed4(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                               bool flipV, int blend, std::span<const uint32_t> palette) {
    TBlendOp op;
    if (palette.size() < 16 || src.GetBitCount() != 4 || &src == this || !RuleForBlend(blend, false, op))
        return;
    const TDrawViews views(*this, src);
    if (!views.Valid())
        return;
    const TPixelView &dv = views.Dst(), &sv = views.Src();
    const int bits = dv.Format.StorageBits();
    const int32_t key = src.TransparentColor;
    draw::ForEachPlaced(dv, EffectiveClip(), x, y, srcRect, sv.Bounds(), flipH, flipV, 1,
                        [&](uint8_t* row, int32_t dx, int32_t sx, int32_t sy, int, int) {
                            const uint32_t index = ReadPixel(sv.Row(sy), sx, 4);
                            if (int32_t(index) == key)
                                return;
                            const uint32_t s = palette[index], d = ReadPixel(row, dx, bits);
                            // Adding nothing, or adding to full white, changes nothing.
                            if (op.Rule == TBlendRule::Add && (s == 0 || (dv.Format.BitCount == 16 && d == 0xFFFF)))
                                return;
                            uint32_t out;
                            if (CombinePixel(dv.Format, op, d, s, 0, out))
                                WritePixel(row, dx, bits, out);
                        });
}

namespace {
void AddIndexed8(const TPixelView& dv, const TPixelView& sv, uint8_t* row, int32_t dx, int32_t sx, int32_t sy,
                 int minIndex, const TBlendOp& op, std::span<const uint32_t> palette) {
    const int bits = dv.Format.StorageBits();
    const uint32_t index = sv.Row(sy)[sx];
    if (int(index) < minIndex)
        return;
    uint32_t out;
    if (CombinePixel(dv.Format, op, ReadPixel(row, dx, bits), palette[index], 0, out))
        WritePixel(row, dx, bits, out);
}
} // namespace

void TCustomDIBX::DrawIndexedAdd8(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, int minIndex,
                                  bool flipH, bool flipV, int factor, std::span<const uint32_t> palette) {
    TBlendOp op;
    if (palette.size() < 256 || src.GetBitCount() != 8 || &src == this ||
        !RuleForFactor(std::min(factor, 255), false, op))
        return;
    const TDrawViews views(*this, src);
    if (!views.Valid())
        return;
    const TPixelView &dv = views.Dst(), &sv = views.Src();
    draw::ForEachPlaced(dv, EffectiveClip(), x, y, srcRect, sv.Bounds(), flipH, flipV, 1,
                        [&](uint8_t* row, int32_t dx, int32_t sx, int32_t sy, int, int) {
                            AddIndexed8(dv, sv, row, dx, sx, sy, minIndex, op, palette);
                        });
}

void TCustomDIBX::StretchDrawIndexedAdd8(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, int minIndex,
                                         bool flipH, bool flipV, int factor, std::span<const uint32_t> palette) {
    TBlendOp op;
    if (palette.size() < 256 || src.GetBitCount() != 8 || &src == this ||
        !RuleForFactor(std::min(factor, 255), false, op))
        return;
    const TDrawViews views(*this, src);
    const TPixelView &dv = views.Dst(), &sv = views.Src();
    draw::TStretchMap map;
    if (!views.Valid() ||
        !draw::MapStretch(rect, EffectiveClip(), draw::SourceBounds(src, nullptr, srcRect), flipH, flipV, map))
        return;
    for (int32_t i = 0; i < map.Dst.Height(); ++i) {
        uint8_t* row = dv.Row(map.Dst.Top + i);
        for (int32_t k = 0; k < map.Dst.Width(); ++k)
            AddIndexed8(dv, sv, row, map.Dst.Left + k, map.Cols[k], map.Rows[i], minIndex, op, palette);
    }
}

} // namespace ruvo
