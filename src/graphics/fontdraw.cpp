// Drawing a glyph into a colour surface and its opacity surface: shadow, edge and text are three
// coverage layers laid over what is there, so neighbouring glyphs whose edges overlap combine.
#include <algorithm>
#include <cmath>

#include "graphics/fontpixels.hpp"
#include "graphics/pixelview.hpp"

namespace ruvo {

namespace {

struct TChannels {
    uint32_t R = 0, G = 0, B = 0;
};

TChannels Split(const TPixelFormat& f, uint32_t pixel) {
    return {(pixel & f.RMask) >> f.RShift, (pixel & f.GMask) >> f.GShift, (pixel & f.BMask) >> f.BShift};
}

uint32_t Join(const TPixelFormat& f, const TChannels& c) {
    return (c.R << f.RShift & f.RMask) | (c.G << f.GShift & f.GMask) | (c.B << f.BShift & f.BMask);
}

// Lays colour p with coverage m over colour c with opacity o (straight, not premultiplied, alpha).
void Over(TChannels& c, uint32_t& o, const TChannels& p, uint32_t m) {
    if (m == 0)
        return;
    if (m == 255 || o == 0) {
        c = p;
        o = m;
        return;
    }
    const uint32_t wp = m * 255, wc = o * (255 - m), total = wp + wc;
    auto mix = [&](uint32_t pc, uint32_t cc) { return (pc * wp + cc * wc + total / 2) / total; };
    c = {mix(p.R, c.R), mix(p.G, c.G), mix(p.B, c.B)};
    o = (total + 127) / 255;
}

// Grey-level dilation by a (2w + 1) x (2w + 1) square: out (width + 2w) x (height + 2w) takes the
// largest coverage within reach of each pixel.
void Dilate(const TPixelView& cov, int w, std::vector<uint8_t>& rows, uint8_t* out, int32_t outStride,
            int32_t outX, int32_t outY) {
    const int32_t gw = cov.Width, gh = cov.Height, dw = gw + 2 * w;
    rows.assign(size_t(dw) * gh, 0);
    for (int32_t y = 0; y < gh; ++y) {
        const uint8_t* src = cov.Row(y);
        uint8_t* dst = rows.data() + size_t(y) * dw;
        for (int32_t x = 0; x < gw; ++x)
            if (const uint8_t v = src[x])
                for (int32_t k = x; k <= x + 2 * w; ++k)
                    dst[k] = std::max(dst[k], v);
    }
    for (int32_t y = 0; y < gh; ++y) {
        const uint8_t* src = rows.data() + size_t(y) * dw;
        for (int32_t k = y; k <= y + 2 * w; ++k) {
            uint8_t* dst = out + size_t(outY + k) * outStride + outX;
            for (int32_t x = 0; x < dw; ++x)
                dst[x] = std::max(dst[x], src[x]);
        }
    }
}

void FillMask(uint8_t* mask, int32_t stride, const TRect& r) {
    for (int32_t y = r.Top; y < r.Bottom; ++y)
        std::fill(mask + size_t(y) * stride + r.Left, mask + size_t(y) * stride + r.Right, uint8_t(255));
}

TRect Union(const TRect& a, const TRect& b) {
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

TRect Offset(const TRect& r, int32_t dx, int32_t dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

} // namespace

TRect TFontPixelManager::DrawGlyph(const TFontPixel& glyph, TCustomDIBX& colour, TCustomDIBX& opacity,
                                   uint32_t shadowPixel, uint32_t edgePixel, uint32_t textPixel, bool lastOfRun,
                                   bool firstOfRun, int shadowOffset, int edgeWidth, const TRect& cell) {
    if (glyph.Empty())
        return {};
    const int e = std::clamp(edgeWidth, 0, int(kMaxEdgeWidth));
    const int s = std::clamp(shadowOffset, 0, int(kMaxEdgeWidth));
    TDIBX& coverage = const_cast<TDIBX&>(glyph.Coverage);  // read only; the lock API is not const
    TPixelLock covLock(coverage, false);
    const TPixelView& cov = covLock.View();
    if (!cov.Valid())
        return {};

    // Optical centring: a glyph narrower than the room (the cell less edge and shadow, at most the font
    // height) shares the free space between its sides in proportion to its side bearings.
    const int32_t room = std::min(cell.Width() - 2 * e - s, glyph.CellHeight);
    int32_t shift = 0;
    if (glyph.OffsetX + cov.Width + glyph.TrailingSpace < room) {
        const int32_t a = std::max(0, glyph.A), c = std::max(0, glyph.C), free = room - cov.Width;
        const int32_t left = a + c > 0 ? int32_t(std::lround(double(free) * a / (a + c))) : free / 2;
        shift = std::max(0, left - glyph.OffsetX);
    }
    const int32_t px = cell.Left + shift + glyph.OffsetX, py = cell.Top + glyph.OffsetY;
    const TRect box = Bounds(px, py, cov.Width + 2 * e, cov.Height + 2 * e);

    // Bars run across the cell; at the ends of a run they keep clear of the neighbour's edge and shadow.
    TRect bars[2];
    int barCount = 0;
    const int32_t barLeft = cell.Left + (firstOfRun ? e : 0), barRight = cell.Right - (lastOfRun ? e + s : 0);
    if (glyph.UnderlineSize > 0)
        bars[barCount++] = {barLeft, cell.Top + e + glyph.UnderlineOffset, barRight,
                            cell.Top + e + glyph.UnderlineOffset + glyph.UnderlineSize};
    if (glyph.StrikeSize > 0)
        bars[barCount++] = {barLeft, cell.Top + e + glyph.StrikeOffset, barRight,
                            cell.Top + e + glyph.StrikeOffset + glyph.StrikeSize};
    auto edgeOf = [&](const TRect& bar) {
        return TRect{bar.Left - (firstOfRun ? e : 0), bar.Top - e, bar.Right + (lastOfRun ? e : 0), bar.Bottom + e};
    };

    TRect area = Union(box, Offset(box, s, s));
    for (int k = 0; k < barCount; ++k)
        if (!bars[k].IsEmpty())
            area = Union(area, Union(edgeOf(bars[k]), Offset(edgeOf(bars[k]), s, s)));
    const int32_t aw = area.Width(), ah = area.Height();
    const size_t size = size_t(aw) * ah;
    text_.assign(size, 0);
    edge_.assign(e > 0 ? size : 0, 0);
    shadow_.assign(s > 0 ? size : 0, 0);

    // The three layers in area coordinates.
    for (int32_t y = 0; y < cov.Height; ++y)
        std::copy_n(cov.Row(y), cov.Width, text_.data() + size_t(py + e - area.Top + y) * aw + (px + e - area.Left));
    if (e > 0)
        Dilate(cov, e, row_, edge_.data(), aw, px - area.Left, py - area.Top);
    for (int k = 0; k < barCount; ++k) {
        if (bars[k].IsEmpty())
            continue;
        FillMask(text_.data(), aw, Offset(bars[k], -area.Left, -area.Top));
        if (e > 0)
            FillMask(edge_.data(), aw, Offset(edgeOf(bars[k]), -area.Left, -area.Top));
    }
    if (s > 0) {
        const std::vector<uint8_t>& caster = e > 0 ? edge_ : text_;
        for (int32_t y = s; y < ah; ++y)
            std::copy_n(caster.data() + size_t(y - s) * aw, aw - s, shadow_.data() + size_t(y) * aw + s);
    }

    // Laid over the surfaces inside their clip.
    const TRect target = Intersect(Intersect(area, colour.EffectiveClip()),
                                   TRect{0, 0, opacity.GetWidth(), opacity.GetHeight()});
    if (target.IsEmpty() || opacity.GetBitCount() != 8)
        return {};
    TPixelLock colourLock(colour, true), opacityLock(opacity, true);
    const TPixelView &cv = colourLock.View(), &ov = opacityLock.View();
    if (!cv.Valid() || !ov.Valid())
        return {};
    const TPixelFormat& f = cv.Format;
    const int bits = f.StorageBits();
    const TChannels shadowC = Split(f, shadowPixel), edgeC = Split(f, edgePixel), textC = Split(f, textPixel);
    for (int32_t y = target.Top; y < target.Bottom; ++y) {
        uint8_t* crow = cv.Row(y);
        uint8_t* orow = ov.Row(y);
        const size_t base = size_t(y - area.Top) * aw - area.Left;
        for (int32_t x = target.Left; x < target.Right; ++x) {
            const uint32_t t = text_[base + x], ed = e > 0 ? edge_[base + x] : 0, sh = s > 0 ? shadow_[base + x] : 0;
            if ((t | ed | sh) == 0)
                continue;
            uint32_t o = orow[x];
            TChannels c = o == 0 ? TChannels{} : Split(f, ReadPixel(crow, x, bits));
            Over(c, o, shadowC, sh);
            Over(c, o, edgeC, ed);
            Over(c, o, textC, t);
            orow[x] = uint8_t(o);
            WritePixel(crow, x, bits, Join(f, c));
        }
    }
    return target;
}

} // namespace ruvo
