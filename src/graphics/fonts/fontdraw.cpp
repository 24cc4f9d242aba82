// Drawing a glyph into a colour surface and its opacity surface: shadow, edge and text are three
// coverage layers laid over what is there, so neighbouring glyphs whose edges overlap combine.
#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>

#include "graphics/fonts/fontpixels.hpp"
#include "graphics/surface/pixelview.hpp"

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

uint32_t Div255(uint32_t v) { return (v + 127) / 255; }

// ceil(2^32 / a): x / a is (x * this) >> 32 exactly for every x below 2^24.
constexpr std::array<uint64_t, 256> kReciprocals = [] {
    std::array<uint64_t, 256> r{};
    for (uint64_t a = 1; a < 256; ++a)
        r[a] = ((uint64_t(1) << 32) + a - 1) / a;
    return r;
}();

// A pixel while layers are laid over it: colour premultiplied by opacity (channel x opacity) and the
// opacity, so that each layer costs no true division; only the final colour of a partly opaque pixel
// needs one.
struct TPremultiplied {
    uint32_t R = 0, G = 0, B = 0, A = 0;

    void Over(const TChannels& p, uint32_t m) {
        if (m == 0)
            return;
        const uint32_t keep = 255 - m;
        R = p.R * m + Div255(R * keep);
        G = p.G * m + Div255(G * keep);
        B = p.B * m + Div255(B * keep);
        A = m + Div255(A * keep);
    }
    TChannels Colour() const {
        if (A == 255)
            return {Div255(R), Div255(G), Div255(B)};
        const uint64_t r = kReciprocals[A];
        auto divide = [&](uint32_t v) { return uint32_t(((v + A / 2) * r) >> 32); };
        return {divide(R), divide(G), divide(B)};
    }
};

// Grey-level dilation by a (2w + 1) x (2w + 1) square: out, (width + 2w) x (height + 2w), takes the
// largest coverage within reach of each pixel.
void Dilate(const TPixelView& cov, int w, std::vector<uint8_t>& rows, std::vector<uint8_t>& out) {
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
    out.assign(size_t(dw) * (gh + 2 * w), 0);
    for (int32_t y = 0; y < gh; ++y) {
        const uint8_t* src = rows.data() + size_t(y) * dw;
        for (int32_t k = y; k <= y + 2 * w; ++k) {
            uint8_t* dst = out.data() + size_t(k) * dw;
            for (int32_t x = 0; x < dw; ++x)
                dst[x] = std::max(dst[x], src[x]);
        }
    }
}

void FillMask(uint8_t* mask, int32_t stride, const TRect& r) {
    for (int32_t y = r.Top; y < r.Bottom; ++y)
        std::fill(mask + size_t(y) * stride + r.Left, mask + size_t(y) * stride + r.Right, uint8_t(255));
}

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
    if (e > 0) {
        if (glyph.dilatedBy_ != e) {
            Dilate(cov, e, row_, glyph.dilated_);
            glyph.dilatedBy_ = e;
        }
        const int32_t dw = cov.Width + 2 * e;
        for (int32_t y = 0; y < cov.Height + 2 * e; ++y)
            std::copy_n(glyph.dilated_.data() + size_t(y) * dw, dw,
                        edge_.data() + size_t(py - area.Top + y) * aw + (px - area.Left));
    }
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
    // Locals, not members: the pixel writes through byte pointers would otherwise make the compiler
    // reload them for every pixel.
    const TPixelFormat f = cv.Format;
    const TChannels shadowC = Split(f, shadowPixel), edgeC = Split(f, edgePixel), textC = Split(f, textPixel);
    const uint8_t* const textMask = text_.data();
    const uint8_t* const edgeMask = e > 0 ? edge_.data() : nullptr;
    const uint8_t* const shadowMask = s > 0 ? shadow_.data() : nullptr;
    auto lay = [&, f](auto storageBits) {
        constexpr int bits = decltype(storageBits)::value;
        for (int32_t y = target.Top; y < target.Bottom; ++y) {
            uint8_t* const crow = cv.Row(y);
            uint8_t* const orow = ov.Row(y);
            const size_t base = size_t(y - area.Top) * aw - area.Left;
            for (int32_t x = target.Left; x < target.Right; ++x) {
                const uint32_t t = textMask[base + x], ed = edgeMask ? edgeMask[base + x] : 0,
                               sh = shadowMask ? shadowMask[base + x] : 0;
                if ((t | ed | sh) == 0)
                    continue;
                // The common cases: one layer hides everything under it.
                if (t == 255 || (t == 0 && ed == 255) || ((t | ed) == 0 && sh == 255)) {
                    orow[x] = 255;
                    WritePixel(crow, x, bits, t == 255 ? textPixel : ed == 255 ? edgePixel : shadowPixel);
                    continue;
                }
                // What is already there (a neighbour's edge or shadow) stays under this glyph.
                TPremultiplied px;
                if (const uint32_t o = orow[x]) {
                    const TChannels c = Split(f, ReadPixel(crow, x, bits));
                    px = {c.R * o, c.G * o, c.B * o, o};
                }
                px.Over(shadowC, sh);
                px.Over(edgeC, ed);
                px.Over(textC, t);
                orow[x] = uint8_t(px.A);
                WritePixel(crow, x, bits, Join(f, px.Colour()));
            }
        }
    };
    switch (f.StorageBits()) {
    case 32: lay(std::integral_constant<int, 32>()); break;
    case 16: lay(std::integral_constant<int, 16>()); break;
    case 24: lay(std::integral_constant<int, 24>()); break;
    default: return {};  // glyphs are drawn on colour surfaces only
    }
    return target;
}

} // namespace ruvo
