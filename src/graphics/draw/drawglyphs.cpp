// Glyph draws: monochrome and four-tone glyph bitmaps sampled in blocks, and 8-bit coverage maps.
#include "graphics/surface/customdibx.hpp"
#include "graphics/draw/drawcore.hpp"

namespace ruvo {

namespace {
// (a * wa + d * (total - wa)) / total per channel, for weights wa <= total.
uint32_t WeightedMix(const TPixelFormat& f, uint32_t d, uint32_t a, uint32_t wa, uint32_t total) {
    auto channel = [&](uint32_t mask, int shift) -> uint32_t {
        if (mask == 0)
            return 0;
        const uint32_t dc = (d & mask) >> shift, ac = (a & mask) >> shift;
        return ((ac * wa + dc * (total - wa)) / total) << shift;
    };
    return channel(f.RMask, f.RShift) | channel(f.GMask, f.GShift) | channel(f.BMask, f.BShift);
}
} // namespace

void TCustomDIBX::DrawMonoGlyph(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, uint32_t pixel,
                                bool flipH, bool flipV, int alpha, int scale) {
    if (alpha <= 0 || scale < 1 || scale > 16 || src.GetBitCount() != 1 || &src == this)
        return;
    const TDrawViews views(*this, src);
    if (!views.Valid())
        return;
    const TPixelView &dv = views.Dst(), &sv = views.Src();
    const int bits = dv.Format.StorageBits();
    const uint32_t samples = uint32_t(scale * scale);
    draw::ForEachPlaced(dv, EffectiveClip(), x, y, srcRect, sv.Bounds(), flipH, flipV, scale,
                        [&](uint8_t* row, int32_t dx, int32_t sx, int32_t sy, int dirX, int dirY) {
                            uint32_t ink = 0;
                            for (int j = 0; j < scale; ++j) {
                                const uint8_t* srow = sv.Row(sy + dirY * j);
                                for (int i = 0; i < scale; ++i)
                                    ink += ReadPixel(srow, sx + dirX * i, 1) == 0;
                            }
                            if (alpha < 255)
                                ink = (uint32_t(alpha) * ink) >> 8;
                            if (ink == 0)
                                return;
                            const uint32_t d = ReadPixel(row, dx, bits);
                            WritePixel(row, dx, bits, WeightedMix(dv.Format, d, pixel, ink, samples));
                        });
}

void TCustomDIBX::DrawToneGlyph(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect,
                                const std::array<uint32_t, 3>& colours, bool flipH, bool flipV, int blend,
                                int scale) {
    if (blend <= 0 || scale < 1 || scale > 16 || src.GetBitCount() != 4 || &src == this)
        return;
    const TDrawViews views(*this, src);
    if (!views.Valid())
        return;
    const TPixelView &dv = views.Dst(), &sv = views.Src();
    const int bits = dv.Format.StorageBits();
    const TPixelFormat& f = dv.Format;
    const int64_t samples = int64_t(scale) * scale, total = samples * 256;
    const bool additive = blend > 255;
    const int64_t weight = blend == 255 ? 256 : (std::min(blend, 511) & 255);
    draw::ForEachPlaced(dv, EffectiveClip(), x, y, srcRect, sv.Bounds(), flipH, flipV, scale,
                        [&](uint8_t* row, int32_t dx, int32_t sx, int32_t sy, int dirX, int dirY) {
                            int64_t count[4] = {0, 0, 0, 0};
                            for (int j = 0; j < scale; ++j) {
                                const uint8_t* srow = sv.Row(sy + dirY * j);
                                for (int i = 0; i < scale; ++i) {
                                    const uint32_t v = ReadPixel(srow, sx + dirX * i, 4);
                                    ++count[v <= 3 ? v : 0];
                                }
                            }
                            if (count[0] == samples)
                                return;
                            if (blend == 255)
                                for (int k = 1; k <= 3; ++k)
                                    if (count[k] == samples) {
                                        WritePixel(row, dx, bits, colours[k - 1]);
                                        return;
                                    }
                            const int64_t w[3] = {count[1] * weight, count[2] * weight, count[3] * weight};
                            const int64_t W = additive ? total : total - w[0] - w[1] - w[2];
                            const uint32_t d = ReadPixel(row, dx, bits);
                            auto channel = [&](uint32_t mask, int shift) -> uint32_t {
                                if (mask == 0)
                                    return 0;
                                const int64_t mx = mask >> shift;
                                int64_t sum = int64_t((d & mask) >> shift) * W;
                                for (int k = 0; k < 3; ++k)
                                    sum += int64_t((colours[k] & mask) >> shift) * w[k];
                                return uint32_t(std::min(mx, sum / total)) << shift;
                            };
                            WritePixel(row, dx, bits,
                                       channel(f.RMask, f.RShift) | channel(f.GMask, f.GShift) |
                                           channel(f.BMask, f.BShift));
                        });
}

void TCustomDIBX::DrawCoverage(int32_t x, int32_t y, TCustomDIBX& mask, const TRect& srcRect, bool flipH,
                               bool flipV, uint32_t pixel, int alpha) {
    if (alpha <= 0 || !draw::IsMask(mask) || &mask == this)
        return;
    const TDrawViews views(*this, mask);
    if (!views.Valid())
        return;
    const TPixelView &dv = views.Dst(), &mv = views.Src();
    // The part of srcRect that survives the clip must lie inside the coverage map.
    const TRect clip = EffectiveClip();
    constexpr int32_t kAnywhere = 1 << 30;
    draw::TAxis ax, ay;
    const TRect unbounded{-kAnywhere, -kAnywhere, kAnywhere, kAnywhere};
    if (!draw::ClipAxis(x, srcRect.Left, srcRect.Right, unbounded.Left, unbounded.Right, clip.Left, clip.Right,
                        flipH, 1, ax) ||
        !draw::ClipAxis(y, srcRect.Top, srcRect.Bottom, unbounded.Top, unbounded.Bottom, clip.Top, clip.Bottom,
                        flipV, 1, ay))
        return;
    auto inside = [](const draw::TAxis& a, int32_t size) {
        const int32_t last = a.SrcFirst + a.Dir * (a.Dst1 - a.Dst0 - 1);
        return std::min(a.SrcFirst, last) >= 0 && std::max(a.SrcFirst, last) < size;
    };
    if (!inside(ax, mv.Width) || !inside(ay, mv.Height))
        return;
    const int bits = dv.Format.StorageBits();
    draw::ForEachPlaced(dv, clip, x, y, srcRect, mv.Bounds(), flipH, flipV, 1,
                        [&](uint8_t* row, int32_t dx, int32_t sx, int32_t sy, int, int) {
                            const uint32_t m = mv.Row(sy)[sx];
                            if (m == 0)
                                return;
                            const uint32_t r = alpha >= 255 ? m : (uint32_t(alpha) * m) >> 8;
                            if (r == 0)
                                return;
                            // Full coverage is the colour itself: the 256 divisor would leave it one step short.
                            if (r >= 255) {
                                WritePixel(row, dx, bits, pixel);
                                return;
                            }
                            const uint32_t d = ReadPixel(row, dx, bits);
                            WritePixel(row, dx, bits, blend_detail::Channels(dv.Format, d, pixel, int(r), 0));
                        });
}

} // namespace ruvo
