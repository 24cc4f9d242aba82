#include "graphics/draw/drawcore.hpp"

#include <cmath>
#include <cstring>

#include "graphics/surface/dibx.hpp"

namespace ruvo::draw {

namespace {
int64_t CeilDiv(int64_t a, int64_t b) noexcept { return -FloorDiv(-a, b); }

TRect ReadableArea(const TPixelView& src, const TPixelView* mask) {
    TRect b = src.Bounds();
    return mask ? Intersect(b, mask->Bounds()) : b;
}

// Reads one source pixel into slot i of a row buffer.
inline void ReadInto(const TPixelView& v, int32_t x, int32_t y, uint8_t* buffer, int32_t i) {
    const int bits = v.Format.StorageBits();
    const uint8_t* row = v.Row(y);
    switch (bits) {
    case 32: std::memcpy(buffer + 4 * ptrdiff_t(i), row + 4 * ptrdiff_t(x), 4); break;
    case 16: std::memcpy(buffer + 2 * ptrdiff_t(i), row + 2 * ptrdiff_t(x), 2); break;
    case 24: std::memcpy(buffer + 3 * ptrdiff_t(i), row + 3 * ptrdiff_t(x), 3); break;
    case 8: buffer[i] = row[x]; break;
    default: buffer[i] = uint8_t(ReadPixel(row, x, bits)); break;
    }
}

// Row buffers of the drawing operations, kept per thread and only grown, so that drawing allocates
// nothing once its rows have been as wide. No operation that uses them calls another that does.
struct TScratch {
    std::vector<uint8_t> Src, Mask;
    std::vector<int32_t> Cols;
    TStretchMap Map;
};
TScratch& Scratch() {
    thread_local TScratch scratch;
    return scratch;
}
template <class T>
T* Grown(std::vector<T>& v, size_t n) {
    if (v.size() < n)
        v.resize(n);
    return v.data();
}

struct TLocks {
    TPixelLock Dst, Src, Mask;
    bool HasMask;
    TLocks(TCustomDIBX& dst, TCustomDIBX& src, TCustomDIBX* mask)
        : Dst(dst, true), Src(src, false), Mask(mask, false), HasMask(mask != nullptr) {}
    bool Valid() const { return Dst.View().Valid() && Src.View().Valid() && (!HasMask || Mask.View().Valid()); }
    const TPixelView* MaskView() const { return HasMask ? &Mask.View() : nullptr; }
};
} // namespace

bool ClipAxis(int64_t p, int64_t s0, int64_t s1, int64_t b0, int64_t b1, int64_t c0, int64_t c1, bool flip,
              int scale, TAxis& out) {
    if (scale < 1 || s1 <= s0)
        return false;
    int64_t k0 = 0, k1 = (s1 - s0) / scale;
    if (!flip) {
        k0 = std::max(k0, CeilDiv(b0 - s0, scale));
        k1 = std::min(k1, FloorDiv(b1 - s0, scale));
    } else {
        k0 = std::max(k0, CeilDiv(s1 - b1, scale));
        k1 = std::min(k1, FloorDiv(s1 - b0, scale));
    }
    k0 = std::max(k0, c0 - p);
    k1 = std::min(k1, c1 - p);
    if (k1 <= k0)
        return false;
    out.Dst0 = int32_t(p + k0);
    out.Dst1 = int32_t(p + k1);
    out.SrcFirst = int32_t(flip ? s1 - 1 - k0 * scale : s0 + k0 * scale);
    out.Dir = flip ? -1 : 1;
    return true;
}

bool SameFormat(TCustomDIBX& dst, TCustomDIBX& src) { return dst.Format() == src.Format(); }
bool IsMask(TCustomDIBX& mask) { return mask.GetBitCount() == 8; }

TSourceGuard::TSourceGuard(TCustomDIBX& dst, TCustomDIBX* src) : surface_(src) {
    if (src != &dst)
        return;
    auto copy = std::make_unique<TDIBX>();
    copy->SetSize(src->GetWidth(), src->GetHeight(), src->GetBitCount());
    std::array<TRGBQuad, 256> palette;
    src->GetPalette(palette);
    copy->SetPalette(palette);
    TPixelLock from(*src, false), to(*copy, true);
    if (from.View().Valid() && to.View().Valid()) {
        const size_t rowBytes = (size_t(src->GetWidth()) * src->Format().StorageBits() + 7) / 8;
        for (int32_t y = 0; y < src->GetHeight(); ++y)
            std::memcpy(to.View().Row(y), from.View().Row(y), rowBytes);
    }
    copy->TransparentColor = src->TransparentColor;
    surface_ = copy.get();
    copy_ = std::move(copy);
}

void FillBuffer(const TPixelFormat& f, uint8_t* buffer, int32_t n, uint32_t pixel) {
    const int bytes = BufferBytes(f);
    for (int32_t i = 0; i < n; ++i)
        if (bytes == 1)
            buffer[i] = uint8_t(pixel);
        else
            WritePixel(buffer, i, bytes * 8, pixel);
}

void FillRule(TCustomDIBX& dst, const TRect& rect, uint32_t pixel, const TBlendOp& op) {
    TPixelLock lock(dst, true);
    const TPixelView& v = lock.View();
    const TRect r = Intersect(rect, dst.EffectiveClip());
    if (!v.Valid() || r.IsEmpty())
        return;
    uint8_t* row = Grown(Scratch().Src, size_t(r.Width()) * BufferBytes(v.Format));
    FillBuffer(v.Format, row, r.Width(), pixel);
    for (int32_t y = r.Top; y < r.Bottom; ++y)
        BlendRow(v.Format, v.Row(y), r.Left, row, nullptr, r.Width(), op);
}

void Positioned(TCustomDIBX& dst, int32_t x, int32_t y, TCustomDIBX& source, const TRect& sr, bool flipH,
                bool flipV, TCustomDIBX* maskSource, const TBlendOp& op) {
    if (!SameFormat(dst, source) || (UsesMask(op.Rule) && (!maskSource || !IsMask(*maskSource))))
        return;
    TSourceGuard srcGuard(dst, &source), maskGuard(dst, UsesMask(op.Rule) ? maskSource : nullptr);
    TLocks locks(dst, *srcGuard.Get(), maskGuard.Get());
    if (!locks.Valid())
        return;
    const TPixelView &dv = locks.Dst.View(), &sv = locks.Src.View();
    const TPixelView* mv = locks.MaskView();
    const TRect b = ReadableArea(sv, mv), clip = dst.EffectiveClip();
    TAxis ax, ay;
    if (!ClipAxis(x, sr.Left, sr.Right, b.Left, b.Right, clip.Left, clip.Right, flipH, 1, ax) ||
        !ClipAxis(y, sr.Top, sr.Bottom, b.Top, b.Bottom, clip.Top, clip.Bottom, flipV, 1, ay))
        return;
    const int32_t n = ax.Dst1 - ax.Dst0;
    const int bytes = BufferBytes(dv.Format);
    const bool direct = !flipH && dv.Format.StorageBits() >= 8;
    uint8_t *srcBuffer = nullptr, *maskBuffer = nullptr;
    int32_t* cols = nullptr;
    if (!direct) {
        TScratch& scratch = Scratch();
        srcBuffer = Grown(scratch.Src, size_t(n) * bytes);
        maskBuffer = mv ? Grown(scratch.Mask, size_t(n)) : nullptr;
        cols = Grown(scratch.Cols, size_t(n));
        for (int32_t k = 0; k < n; ++k)
            cols[k] = ax.SrcFirst + ax.Dir * k;
    }
    // Rows are independent (a source that is the destination was copied), so they are walked in
    // ascending memory order, which the prefetchers follow best.
    const bool upwards = dv.Stride < 0;
    for (int32_t i = 0; i < ay.Dst1 - ay.Dst0; ++i) {
        const int32_t dy = upwards ? ay.Dst1 - 1 - i : ay.Dst0 + i;
        const int32_t sy = ay.SrcFirst + ay.Dir * (dy - ay.Dst0);
        const uint8_t *sp, *mp = nullptr;
        if (direct) {
            sp = sv.Row(sy) + ptrdiff_t(ax.SrcFirst) * bytes;
            if (mv)
                mp = mv->Row(sy) + ax.SrcFirst;
        } else {
            GatherRow(sv, sy, cols, n, srcBuffer);
            sp = srcBuffer;
            if (mv) {
                GatherRow(*mv, sy, cols, n, maskBuffer);
                mp = maskBuffer;
            }
        }
        BlendRow(dv.Format, dv.Row(dy), ax.Dst0, sp, mp, n, op);
    }
}

TRect SourceBounds(TCustomDIBX& src, TCustomDIBX* mask, const TRect& srcRect) {
    TRect b = Intersect(srcRect, TRect{0, 0, src.GetWidth(), src.GetHeight()});
    return mask ? Intersect(b, TRect{0, 0, mask->GetWidth(), mask->GetHeight()}) : b;
}

bool MapStretch(const TRect& rect, const TRect& clip, const TRect& sr, bool flipH, bool flipV, TStretchMap& map) {
    const int64_t dw = int64_t(rect.Right) - rect.Left, dh = int64_t(rect.Bottom) - rect.Top;
    if (dw <= 0 || dh <= 0 || sr.IsEmpty())
        return false;
    const int64_t stepX = (int64_t(sr.Width()) << 16) / dw, stepY = (int64_t(sr.Height()) << 16) / dh;
    map.Dst = Intersect(rect, clip);
    if (map.Dst.IsEmpty())
        return false;
    map.Cols.resize(size_t(map.Dst.Width()));
    for (int32_t i = 0; i < map.Dst.Width(); ++i) {
        const int64_t off = ((int64_t(map.Dst.Left) + i - rect.Left) * stepX) >> 16;
        map.Cols[i] = int32_t(flipH ? sr.Right - 1 - off : sr.Left + off);
    }
    map.Rows.resize(size_t(map.Dst.Height()));
    for (int32_t i = 0; i < map.Dst.Height(); ++i) {
        const int64_t off = ((int64_t(map.Dst.Top) + i - rect.Top) * stepY) >> 16;
        map.Rows[i] = int32_t(flipV ? sr.Bottom - 1 - off : sr.Top + off);
    }
    return true;
}

void Mapped(TCustomDIBX& dst, const TStretchMap& map, TCustomDIBX& source, TCustomDIBX* maskSource,
            const TBlendOp& op) {
    if (!SameFormat(dst, source) || (UsesMask(op.Rule) && (!maskSource || !IsMask(*maskSource))))
        return;
    TCustomDIBX* mask = UsesMask(op.Rule) ? maskSource : nullptr;
    TSourceGuard srcGuard(dst, &source), maskGuard(dst, mask);
    TLocks locks(dst, *srcGuard.Get(), maskGuard.Get());
    if (!locks.Valid() || map.Dst.IsEmpty())
        return;
    const TPixelView &dv = locks.Dst.View(), &sv = locks.Src.View();
    const TPixelView* mv = locks.MaskView();
    const int32_t n = map.Dst.Width();
    const int bytes = BufferBytes(dv.Format);
    // An opaque copy samples straight into the destination, and a row that samples the same source row
    // as the one above is a copy of it.
    const bool plainCopy = op.Rule == TBlendRule::Copy && !op.UseKey && dv.Format.StorageBits() >= 8;
    TScratch& scratch = Scratch();
    uint8_t* srcBuffer = plainCopy ? nullptr : Grown(scratch.Src, size_t(n) * bytes);
    uint8_t* maskBuffer = mv ? Grown(scratch.Mask, size_t(n)) : nullptr;
    for (int32_t i = 0; i < map.Dst.Height(); ++i) {
        const int32_t dy = map.Dst.Top + i, sy = map.Rows[i];
        uint8_t* out = dv.Row(dy) + ptrdiff_t(map.Dst.Left) * bytes;
        if (plainCopy) {
            if (i > 0 && map.Rows[i - 1] == sy)
                std::memcpy(out, dv.Row(dy - 1) + ptrdiff_t(map.Dst.Left) * bytes, size_t(n) * bytes);
            else
                GatherRow(sv, sy, map.Cols.data(), n, out);
            continue;
        }
        GatherRow(sv, sy, map.Cols.data(), n, srcBuffer);
        if (mv)
            GatherRow(*mv, sy, map.Cols.data(), n, maskBuffer);
        BlendRow(dv.Format, dv.Row(dy), map.Dst.Left, srcBuffer, mv ? maskBuffer : nullptr, n, op);
    }
}

void Stretched(TCustomDIBX& dst, const TRect& rect, TCustomDIBX& source, const TRect& srcRect, bool flipH,
               bool flipV, TCustomDIBX* maskSource, const TBlendOp& op) {
    TCustomDIBX* mask = UsesMask(op.Rule) ? maskSource : nullptr;
    TStretchMap& map = Scratch().Map;
    if (MapStretch(rect, dst.EffectiveClip(), SourceBounds(source, mask, srcRect), flipH, flipV, map))
        Mapped(dst, map, source, maskSource, op);
}

void Rotated(TCustomDIBX& dst, int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& source,
             const TRect& sr, int pivotX, int pivotY, int angle, bool flipH, bool flipV, TCustomDIBX* maskSource,
             const TBlendOp& op) {
    if (zoomX <= 0 || zoomY <= 0 || sr.IsEmpty() || !SameFormat(dst, source) ||
        (UsesMask(op.Rule) && (!maskSource || !IsMask(*maskSource))))
        return;
    TCustomDIBX* mask = UsesMask(op.Rule) ? maskSource : nullptr;
    TSourceGuard srcGuard(dst, &source), maskGuard(dst, mask);
    TLocks locks(dst, *srcGuard.Get(), maskGuard.Get());
    if (!locks.Valid())
        return;
    const TPixelView &dv = locks.Dst.View(), &sv = locks.Src.View();
    const TPixelView* mv = locks.MaskView();
    const TRect readable = ReadableArea(sv, mv);

    const double theta = angle * 2.0 * M_PI / 256.0, c = std::cos(theta), s = std::sin(theta);
    const double zx = zoomX / 256.0, zy = zoomY / 256.0;
    const int64_t w = sr.Width(), h = sr.Height();
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (int corner = 0; corner < 4; ++corner) {
        const double cx = ((corner & 1 ? w : 0) - pivotX) * zx, cy = ((corner & 2 ? h : 0) - pivotY) * zy;
        const double px = x + cx * c - cy * s, py = y + cx * s + cy * c;
        minX = std::min(minX, px), maxX = std::max(maxX, px);
        minY = std::min(minY, py), maxY = std::max(maxY, py);
    }
    const TRect clip = dst.EffectiveClip();
    auto clampTo = [](double v, int32_t lo, int32_t hi) { return int32_t(std::clamp(v, double(lo), double(hi))); };
    const TRect area{clampTo(std::floor(minX), clip.Left, clip.Right), clampTo(std::floor(minY), clip.Top, clip.Bottom),
                     clampTo(std::floor(maxX) + 1, clip.Left, clip.Right),
                     clampTo(std::floor(maxY) + 1, clip.Top, clip.Bottom)};
    if (area.IsEmpty())
        return;

    const int64_t dux = int64_t(c / zx * 65536.0), dvx = int64_t(-s / zy * 65536.0);
    const int64_t duy = int64_t(s / zx * 65536.0), dvy = int64_t(c / zy * 65536.0);
    const int32_t n = area.Width();
    const int bytes = BufferBytes(dv.Format);
    TScratch& scratch = Scratch();
    uint8_t* srcBuffer = Grown(scratch.Src, size_t(n) * bytes);
    uint8_t* maskBuffer = mv ? Grown(scratch.Mask, size_t(n)) : nullptr;

    // Source positions along u (or v) that may be read: inside the source rectangle and inside the
    // readable area, as a half-open range of 16.16 positions.
    auto range = [](int64_t size, int64_t first, int64_t last, bool flip, int64_t lo, int64_t hi) {
        // column = first + s (or last - 1 - s under the flip) must lie in [lo, hi)
        int64_t a = flip ? last - hi : lo - first, b = flip ? last - lo : hi - first;
        a = std::max<int64_t>(a, 0), b = std::min<int64_t>(b, size);
        return std::pair<int64_t, int64_t>{a << 16, b << 16};
    };
    const auto [uLo, uHi] = range(w, sr.Left, sr.Right, flipH, readable.Left, readable.Right);
    const auto [vLo, vHi] = range(h, sr.Top, sr.Bottom, flipV, readable.Top, readable.Bottom);
    // The k with lo <= p0 + k d < hi, intersected into [first, last].
    auto solve = [](int64_t p0, int64_t d, int64_t lo, int64_t hi, int64_t& first, int64_t& last) {
        if (hi <= lo) {
            first = 1, last = 0;
        } else if (d == 0) {
            if (p0 < lo || p0 >= hi)
                first = 1, last = 0;
        } else if (d > 0) {
            first = std::max(first, -FloorDiv(p0 - lo, d));
            last = std::min(last, FloorDiv(hi - 1 - p0, d));
        } else {
            first = std::max(first, -FloorDiv(hi - 1 - p0, -d));
            last = std::min(last, FloorDiv(p0 - lo, -d));
        }
    };
    const int32_t colBase = flipH ? sr.Right - 1 : sr.Left, colDir = flipH ? -1 : 1;
    const int32_t rowBase = flipV ? sr.Bottom - 1 : sr.Top, rowDir = flipV ? -1 : 1;
    const int srcBits = sv.Format.StorageBits();

    for (int32_t dy = area.Top; dy < area.Bottom; ++dy) {
        const int64_t u0 = (int64_t(pivotX) << 16) + int64_t(area.Left - x) * dux + int64_t(dy - y) * duy;
        const int64_t v0 = (int64_t(pivotY) << 16) + int64_t(area.Left - x) * dvx + int64_t(dy - y) * dvy;
        // Every condition is linear along the row, so the drawn pixels form one run.
        int64_t first = 0, last = n - 1;
        solve(u0, dux, uLo, uHi, first, last);
        solve(v0, dvx, vLo, vHi, first, last);
        if (first > last)
            continue;
        int64_t u = u0 + first * dux, v = v0 + first * dvx;
        const int32_t count = int32_t(last - first + 1);
        uint8_t* out = srcBuffer;
        for (int32_t k = 0; k < count; ++k, u += dux, v += dvx) {
            const int32_t col = colBase + colDir * int32_t(u >> 16), row = rowBase + rowDir * int32_t(v >> 16);
            const uint8_t* srow = sv.Row(row);
            switch (srcBits) {
            case 32: std::memcpy(out + 4 * ptrdiff_t(k), srow + 4 * ptrdiff_t(col), 4); break;
            case 16: std::memcpy(out + 2 * ptrdiff_t(k), srow + 2 * ptrdiff_t(col), 2); break;
            default: ReadInto(sv, col, row, out, k); break;
            }
            if (mv)
                maskBuffer[k] = mv->Row(row)[col];
        }
        BlendRow(dv.Format, dv.Row(dy), area.Left + int32_t(first), out, mv ? maskBuffer : nullptr, count, op);
    }
}

} // namespace ruvo::draw
