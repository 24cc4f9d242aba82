// Pattern fills: a rectangle covered by a whole surface repeated without gaps, raw or scaled.
#include "graphics/surface/customdibx.hpp"
#include "graphics/draw/drawcore.hpp"

namespace ruvo {

namespace {
using draw::Mod;

// Pattern column (row) of each destination column (row) of the clipped area: the pattern position
// starts at phase (16.16) at the rectangle's edge and advances by step per pixel.
void MapPatternAxis(std::vector<int32_t>& out, int32_t from, int32_t to, int32_t edge, int64_t phase, int64_t step,
                    int32_t size, bool flip) {
    out.resize(size_t(to - from));
    for (int32_t i = from; i < to; ++i) {
        const int32_t p = int32_t(Mod((phase + (int64_t(i) - edge) * step) >> 16, size));
        out[size_t(i - from)] = flip ? size - 1 - p : p;
    }
}

void ScaledFill(TCustomDIBX& dst, const TRect& rect, int zoomX, int zoomY, TCustomDIBX& pattern, int offsetX,
                int offsetY, TCustomDIBX* mask, bool flipH, bool flipV, const TBlendOp& op) {
    const int32_t pw = pattern.GetWidth(), ph = pattern.GetHeight();
    if (zoomX <= 0 || zoomY <= 0 || pw <= 0 || ph <= 0)
        return;
    if (mask && (mask->GetWidth() < pw || mask->GetHeight() < ph))
        return;
    draw::TStretchMap map;
    map.Dst = Intersect(rect, dst.EffectiveClip());
    if (map.Dst.IsEmpty())
        return;
    const int64_t stepX = std::min<int64_t>((int64_t(256) << 16) / zoomX, int64_t(pw) << 16);
    const int64_t stepY = std::min<int64_t>((int64_t(256) << 16) / zoomY, int64_t(ph) << 16);
    // The offset is in destination pixels; in the pattern it is offset / zoom.
    const int64_t phaseX = Mod((int64_t(offsetX) << 24) / zoomX, int64_t(pw) << 16);
    const int64_t phaseY = Mod((int64_t(offsetY) << 24) / zoomY, int64_t(ph) << 16);
    MapPatternAxis(map.Cols, map.Dst.Left, map.Dst.Right, rect.Left, phaseX, stepX, pw, flipH);
    MapPatternAxis(map.Rows, map.Dst.Top, map.Dst.Bottom, rect.Top, phaseY, stepY, ph, flipV);
    draw::Mapped(dst, map, pattern, mask, op);
}
} // namespace

void TCustomDIBX::PatternFill(const TRect& rect, TCustomDIBX& pattern, int offsetX, int offsetY, bool flipH,
                              bool flipV) {
    const int32_t pw = pattern.GetWidth(), ph = pattern.GetHeight();
    if (pw <= 0 || ph <= 0)
        return;
    draw::TStretchMap map;
    map.Dst = Intersect(rect, EffectiveClip());
    if (map.Dst.IsEmpty())
        return;
    MapPatternAxis(map.Cols, map.Dst.Left, map.Dst.Right, rect.Left, int64_t(offsetX) << 16, 65536, pw, flipH);
    MapPatternAxis(map.Rows, map.Dst.Top, map.Dst.Bottom, rect.Top, int64_t(offsetY) << 16, 65536, ph, flipV);
    draw::Mapped(*this, map, pattern, nullptr, TBlendOp{TBlendRule::Copy});
}

void TCustomDIBX::PatternFillScaled(const TRect& rect, int zoomX, int zoomY, TCustomDIBX& pattern, int offsetX,
                                    int offsetY, bool useKey, bool flipH, bool flipV, int blend) {
    TBlendOp op;
    if (!RuleForBlend(blend, false, op))
        return;
    draw::SetKey(op, useKey, pattern);
    ScaledFill(*this, rect, zoomX, zoomY, pattern, offsetX, offsetY, nullptr, flipH, flipV, op);
}

void TCustomDIBX::PatternFillScaledMasked(const TRect& rect, int zoomX, int zoomY, TCustomDIBX& pattern,
                                          int offsetX, int offsetY, TCustomDIBX& mask, bool flipH, bool flipV,
                                          int blend) {
    TBlendOp op;
    if (RuleForBlend(blend, true, op))
        ScaledFill(*this, rect, zoomX, zoomY, pattern, offsetX, offsetY, &mask, flipH, flipV, op);
}

} // namespace ruvo
