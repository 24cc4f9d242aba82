#include "reference.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

namespace ruvo::ref {

namespace {
struct Channel {
    uint32_t mask;
    int shift;
    uint32_t max;
};

std::array<Channel, 3> Channels(TCustomDIBX& s) {
    uint32_t masks[3] = {s.GetRMask(), s.GetGMask(), s.GetBMask()};
    if (s.GetBitCount() <= 8)  // indexed: the index is one channel
        masks[0] = 0, masks[1] = 0, masks[2] = s.GetBitCount() == 8 ? 0xFFu : (1u << s.GetBitCount()) - 1;
    std::array<Channel, 3> out{};
    for (int i = 0; i < 3; ++i) {
        const int shift = masks[i] ? std::countr_zero(masks[i]) : 0;
        out[i] = Channel{masks[i], shift, masks[i] >> shift};
    }
    return out;
}

uint32_t Get(const Channel& c, uint32_t p) { return (p & c.mask) >> c.shift; }

// Per channel: ((255 - w) d + w s) div 256.
uint32_t AlphaMix(TCustomDIBX& dst, uint32_t d, uint32_t s, uint32_t w) {
    uint32_t out = 0;
    for (const Channel& c : Channels(dst))
        if (c.mask)
            out |= (((255 - w) * Get(c, d) + w * Get(c, s)) / 256) << c.shift;
    return out;
}

// Per channel: min(max, d + (f s) div 256).
uint32_t AddMix(TCustomDIBX& dst, uint32_t d, uint32_t s, uint32_t f) {
    uint32_t out = 0;
    for (const Channel& c : Channels(dst))
        if (c.mask)
            out |= std::min(c.max, Get(c, d) + f * Get(c, s) / 256) << c.shift;
    return out;
}

bool Inside(TCustomDIBX& s, int x, int y) { return x >= 0 && y >= 0 && x < s.GetWidth() && y < s.GetHeight(); }

TRect Clip(TCustomDIBX& s) {
    TRect whole{0, 0, s.GetWidth(), s.GetHeight()};
    return s.ClipRect.Right != 0 ? Intersect(s.ClipRect, whole) : whole;
}

void Put(TDIBX& dst, const Op& op, int X, int Y, uint32_t s, uint32_t m) {
    uint32_t out;
    if (Combine(dst, op, dst.GetPixel(X, Y), s, m, out))
        dst.SetPixel(X, Y, out);
}
} // namespace

bool FromBlend(int blend, bool masked, Op& op) {
    if (blend <= 0)
        return false;
    if (blend < 255)
        op.rule = masked ? Rule::MaskAlpha : Rule::Alpha, op.param = blend;
    else if (blend == 255)
        op.rule = masked ? Rule::Mask : Rule::Copy;
    else
        op.rule = masked ? Rule::MaskAdd : Rule::Add, op.param = std::min(blend - 256, 255);
    return true;
}

bool Combine(TCustomDIBX& dst, const Op& op, uint32_t d, uint32_t s, uint32_t m, uint32_t& out) {
    const bool key = op.useKey && s == op.key;
    switch (op.rule) {
    case Rule::Copy:
        if (key)
            return false;
        out = s;
        return true;
    case Rule::Alpha:
        if (key || s == d)
            return false;
        out = AlphaMix(dst, d, s, uint32_t(op.param));
        return true;
    case Rule::Mask:
        if (m == 0)
            return false;
        out = m == 255 ? s : AlphaMix(dst, d, s, m);
        return true;
    case Rule::MaskAlpha:
    case Rule::MaskAdd: {
        const uint32_t r = m == 255 ? uint32_t(op.param) : uint32_t(op.param) * m / 256;
        if (m == 0 || r == 0)
            return false;
        out = op.rule == Rule::MaskAlpha ? AlphaMix(dst, d, s, r) : AddMix(dst, d, s, r);
        return true;
    }
    case Rule::Add:
        if (key)
            return false;
        out = AddMix(dst, d, s, uint32_t(op.param));
        return true;
    case Rule::Sub:
        out = 0;
        for (const Channel& c : Channels(dst))
            if (c.mask)
                out |= (Get(c, d) > Get(c, s) ? Get(c, d) - Get(c, s) : 0) << c.shift;
        return true;
    }
    return false;
}

void Fill(TDIBX& dst, const TRect& rect, uint32_t pixel, const Op& op) {
    const TRect r = Intersect(rect, Clip(dst));
    for (int Y = r.Top; Y < r.Bottom; ++Y)
        for (int X = r.Left; X < r.Right; ++X)
            Put(dst, op, X, Y, pixel, 0);
}

void Positioned(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, bool flipH, bool flipV, TDIBX* mask,
                const Op& op) {
    const TRect c = Clip(dst);
    for (int Y = c.Top; Y < c.Bottom; ++Y)
        for (int X = c.Left; X < c.Right; ++X) {
            const int64_t i = int64_t(X) - x, j = int64_t(Y) - y;
            if (i < 0 || j < 0 || i >= sr.Width() || j >= sr.Height())
                continue;
            const int sx = int(flipH ? sr.Right - 1 - i : sr.Left + i), sy = int(flipV ? sr.Bottom - 1 - j : sr.Top + j);
            if (!Inside(src, sx, sy) || (mask && !Inside(*mask, sx, sy)))
                continue;
            Put(dst, op, X, Y, src.GetPixel(sx, sy), mask ? mask->GetPixel(sx, sy) : 0);
        }
}

void Stretched(TDIBX& dst, const TRect& rect, TDIBX& src, const TRect& srcRect, bool flipH, bool flipV, TDIBX* mask,
               const Op& op) {
    TRect sr = Intersect(srcRect, TRect{0, 0, src.GetWidth(), src.GetHeight()});
    if (mask)
        sr = Intersect(sr, TRect{0, 0, mask->GetWidth(), mask->GetHeight()});
    if (rect.IsEmpty() || sr.IsEmpty())
        return;
    const int64_t stepX = (int64_t(sr.Width()) << 16) / rect.Width();
    const int64_t stepY = (int64_t(sr.Height()) << 16) / rect.Height();
    const TRect c = Intersect(rect, Clip(dst));
    for (int Y = c.Top; Y < c.Bottom; ++Y)
        for (int X = c.Left; X < c.Right; ++X) {
            const int64_t u = ((X - rect.Left) * stepX) >> 16, v = ((Y - rect.Top) * stepY) >> 16;
            const int sx = int(flipH ? sr.Right - 1 - u : sr.Left + u), sy = int(flipV ? sr.Bottom - 1 - v : sr.Top + v);
            Put(dst, op, X, Y, src.GetPixel(sx, sy), mask ? mask->GetPixel(sx, sy) : 0);
        }
}

void Rotated(TDIBX& dst, int x, int y, int zoomX, int zoomY, TDIBX& src, const TRect& sr, int pivotX, int pivotY,
             int angle, bool flipH, bool flipV, TDIBX* mask, const Op& op) {
    if (zoomX <= 0 || zoomY <= 0 || sr.IsEmpty())
        return;
    const double t = angle * 2 * M_PI / 256, c = std::cos(t), s = std::sin(t), zx = zoomX / 256.0, zy = zoomY / 256.0;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (int cx : {0, sr.Width()})
        for (int cy : {0, sr.Height()}) {
            const double px = (cx - pivotX) * zx, py = (cy - pivotY) * zy;
            x0 = std::min(x0, x + px * c - py * s), x1 = std::max(x1, x + px * c - py * s);
            y0 = std::min(y0, y + px * s + py * c), y1 = std::max(y1, y + px * s + py * c);
        }
    const TRect box = Intersect(TRect{int(std::floor(x0)), int(std::floor(y0)), int(std::floor(x1)) + 1,
                                      int(std::floor(y1)) + 1},
                                Clip(dst));
    const int64_t dux = int64_t(c / zx * 65536), dvx = int64_t(-s / zy * 65536);
    const int64_t duy = int64_t(s / zx * 65536), dvy = int64_t(c / zy * 65536);
    for (int Y = box.Top; Y < box.Bottom; ++Y)
        for (int X = box.Left; X < box.Right; ++X) {
            const int64_t u = (int64_t(pivotX) << 16) + (X - x) * dux + (Y - y) * duy;
            const int64_t v = (int64_t(pivotY) << 16) + (X - x) * dvx + (Y - y) * dvy;
            if (u < 0 || v < 0 || (u >> 16) >= sr.Width() || (v >> 16) >= sr.Height())
                continue;
            const int sx = int(flipH ? sr.Right - 1 - (u >> 16) : sr.Left + (u >> 16));
            const int sy = int(flipV ? sr.Bottom - 1 - (v >> 16) : sr.Top + (v >> 16));
            if (!Inside(src, sx, sy) || (mask && !Inside(*mask, sx, sy)))
                continue;
            Put(dst, op, X, Y, src.GetPixel(sx, sy), mask ? mask->GetPixel(sx, sy) : 0);
        }
}

void Tiled(TDIBX& dst, const TRect& rect, int spacingX, int spacingY, TDIBX& src, const TRect& sr, int offsetX,
           int offsetY, TDIBX* mask, const Op& op) {
    const int w = sr.Width(), h = sr.Height();
    const int ox = ((offsetX % w) + w) % w, oy = ((offsetY % h) + h) % h;
    // Source column of a position inside the tiled strip, or -1 in a gap.
    auto along = [](int64_t p, int size, int offset, int spacing) -> int64_t {
        if (p < size - offset)
            return offset + p;
        const int64_t q = p - (size - offset + spacing);
        if (q < 0)
            return -1;
        const int64_t r = q % (size + spacing);
        return r < size ? r : -1;
    };
    const TRect c = Intersect(rect, Clip(dst));
    for (int Y = c.Top; Y < c.Bottom; ++Y)
        for (int X = c.Left; X < c.Right; ++X) {
            const int64_t u = along(X - rect.Left, w, ox, spacingX), v = along(Y - rect.Top, h, oy, spacingY);
            if (u < 0 || v < 0)
                continue;
            const int sx = int(sr.Left + u), sy = int(sr.Top + v);
            if (!Inside(src, sx, sy) || (mask && !Inside(*mask, sx, sy)))
                continue;
            Put(dst, op, X, Y, src.GetPixel(sx, sy), mask ? mask->GetPixel(sx, sy) : 0);
        }
}

void PatternScaled(TDIBX& dst, const TRect& rect, int zoomX, int zoomY, TDIBX& pattern, int offsetX, int offsetY,
                   bool flipH, bool flipV, TDIBX* mask, const Op& op) {
    const int pw = pattern.GetWidth(), ph = pattern.GetHeight();
    const int64_t stepX = std::min<int64_t>((int64_t(256) << 16) / zoomX, int64_t(pw) << 16);
    const int64_t stepY = std::min<int64_t>((int64_t(256) << 16) / zoomY, int64_t(ph) << 16);
    auto wrap = [](int64_t a, int64_t b) { return ((a % b) + b) % b; };
    const int64_t phaseX = wrap((int64_t(offsetX) * 256 * 65536) / zoomX, int64_t(pw) * 65536);
    const int64_t phaseY = wrap((int64_t(offsetY) * 256 * 65536) / zoomY, int64_t(ph) * 65536);
    const TRect c = Intersect(rect, Clip(dst));
    for (int Y = c.Top; Y < c.Bottom; ++Y)
        for (int X = c.Left; X < c.Right; ++X) {
            int sx = int(wrap((phaseX + (X - rect.Left) * stepX) / 65536, pw));
            int sy = int(wrap((phaseY + (Y - rect.Top) * stepY) / 65536, ph));
            sx = flipH ? pw - 1 - sx : sx;
            sy = flipV ? ph - 1 - sy : sy;
            Put(dst, op, X, Y, pattern.GetPixel(sx, sy), mask ? mask->GetPixel(sx, sy) : 0);
        }
}

namespace {
// Calls fn(X, Y, first source x, first source y) for each destination pixel of a scaled placement
// whose whole block lies in the source.
template <class Fn>
void Blocks(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, bool flipH, bool flipV, int scale, Fn fn) {
    const TRect c = Clip(dst);
    const int w = sr.Width() / scale, h = sr.Height() / scale;
    for (int Y = c.Top; Y < c.Bottom; ++Y)
        for (int X = c.Left; X < c.Right; ++X) {
            const int i = X - x, j = Y - y;
            if (i < 0 || j < 0 || i >= w || j >= h)
                continue;
            const int sx = flipH ? sr.Right - 1 - i * scale : sr.Left + i * scale;
            const int sy = flipV ? sr.Bottom - 1 - j * scale : sr.Top + j * scale;
            const int dx = flipH ? -1 : 1, dy = flipV ? -1 : 1;
            if (!Inside(src, sx, sy) || !Inside(src, sx + dx * (scale - 1), sy + dy * (scale - 1)))
                continue;
            fn(X, Y, sx, sy, dx, dy);
        }
}
} // namespace

void MonoGlyph(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, uint32_t pixel, bool flipH, bool flipV,
               int alpha, int scale) {
    if (alpha <= 0)
        return;
    const uint32_t total = uint32_t(scale * scale);
    Blocks(dst, x, y, src, sr, flipH, flipV, scale, [&](int X, int Y, int sx, int sy, int dx, int dy) {
        uint32_t n = 0;
        for (int j = 0; j < scale; ++j)
            for (int i = 0; i < scale; ++i)
                n += src.GetPixel(sx + dx * i, sy + dy * j) == 0;
        if (alpha < 255)
            n = uint32_t(alpha) * n / 256;
        if (n == 0)
            return;
        const uint32_t d = dst.GetPixel(X, Y);
        uint32_t out = 0;
        for (const Channel& c : Channels(dst))
            if (c.mask)
                out |= ((Get(c, pixel) * n + Get(c, d) * (total - n)) / total) << c.shift;
        dst.SetPixel(X, Y, out);
    });
}

void ToneGlyph(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, const std::array<uint32_t, 3>& colours,
               bool flipH, bool flipV, int blend, int scale) {
    if (blend <= 0)
        return;
    const int64_t samples = scale * scale;
    Blocks(dst, x, y, src, sr, flipH, flipV, scale, [&](int X, int Y, int sx, int sy, int dx, int dy) {
        int64_t n[4] = {};
        for (int j = 0; j < scale; ++j)
            for (int i = 0; i < scale; ++i) {
                const uint32_t v = src.GetPixel(sx + dx * i, sy + dy * j);
                ++n[v <= 3 ? v : 0];
            }
        if (n[0] == samples)
            return;
        for (int k = 1; k <= 3 && blend == 255; ++k)
            if (n[k] == samples) {
                dst.SetPixel(X, Y, colours[k - 1]);
                return;
            }
        const int64_t per = blend == 255 ? 256 : (std::min(blend, 511) % 256);
        const int64_t w1 = n[1] * per, w2 = n[2] * per, w3 = n[3] * per;
        const int64_t W = blend > 255 ? samples * 256 : samples * 256 - w1 - w2 - w3;
        const uint32_t d = dst.GetPixel(X, Y);
        uint32_t out = 0;
        for (const Channel& c : Channels(dst))
            if (c.mask) {
                const int64_t sum = Get(c, colours[0]) * w1 + Get(c, colours[1]) * w2 + Get(c, colours[2]) * w3 + Get(c, d) * W;
                out |= uint32_t(std::min<int64_t>(c.max, sum / (samples * 256))) << c.shift;
            }
        dst.SetPixel(X, Y, out);
    });
}

void Coverage(TDIBX& dst, int x, int y, TDIBX& mask, const TRect& sr, bool flipH, bool flipV, uint32_t pixel,
              int alpha) {
    if (alpha <= 0)
        return;
    // Nothing at all when the part that survives the clip reaches outside the map.
    const TRect c = Clip(dst);
    bool outside = false;
    for (int pass = 0; pass < 2; ++pass)
        for (int Y = c.Top; Y < c.Bottom; ++Y)
            for (int X = c.Left; X < c.Right; ++X) {
                const int i = X - x, j = Y - y;
                if (i < 0 || j < 0 || i >= sr.Width() || j >= sr.Height())
                    continue;
                const int sx = flipH ? sr.Right - 1 - i : sr.Left + i, sy = flipV ? sr.Bottom - 1 - j : sr.Top + j;
                if (pass == 0) {
                    outside |= !Inside(mask, sx, sy);
                    continue;
                }
                if (outside)
                    return;
                const uint32_t m = mask.GetPixel(sx, sy);
                const uint32_t r = alpha >= 255 ? m : uint32_t(alpha) * m / 256;
                if (m == 0 || r == 0)
                    continue;
                dst.SetPixel(X, Y, r >= 255 ? pixel : AlphaMix(dst, dst.GetPixel(X, Y), pixel, r));
            }
}

void Indexed4(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, bool flipH, bool flipV, int blend,
              std::span<const uint32_t> palette) {
    Op op;
    if (!FromBlend(blend, false, op))
        return;
    Blocks(dst, x, y, src, sr, flipH, flipV, 1, [&](int X, int Y, int sx, int sy, int, int) {
        const uint32_t i = src.GetPixel(sx, sy);
        if (int32_t(i) == src.TransparentColor)
            return;
        const uint32_t s = palette[i], d = dst.GetPixel(X, Y);
        if (op.rule == Rule::Add && (s == 0 || (dst.GetBitCount() == 16 && d == 0xFFFF)))
            return;
        uint32_t out;
        if (Combine(dst, op, d, s, 0, out))
            dst.SetPixel(X, Y, out);
    });
}

void IndexedAdd8(TDIBX& dst, int x, int y, TDIBX& src, const TRect& sr, int minIndex, bool flipH, bool flipV,
                 int factor, std::span<const uint32_t> palette) {
    if (factor <= 0)
        return;
    const Op op{Rule::Add, std::min(factor, 255)};
    Blocks(dst, x, y, src, sr, flipH, flipV, 1, [&](int X, int Y, int sx, int sy, int, int) {
        const uint32_t i = src.GetPixel(sx, sy);
        if (int(i) >= minIndex)
            Put(dst, op, X, Y, palette[i], 0);
    });
}

} // namespace ruvo::ref
