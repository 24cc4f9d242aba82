#pragma once
// Internal to the drawing code: a locked view of a surface's pixels and raw pixel access by format.
#include <cstddef>
#include <cstdint>

#include "graphics/surface/customdibx.hpp"

namespace ruvo {

struct TPixelView {
    uint8_t* Top = nullptr;  // address of row 0, column 0
    ptrdiff_t Stride = 0;    // signed; never assume its sign
    int32_t Width = 0, Height = 0;
    TPixelFormat Format;

    bool Valid() const noexcept { return Top != nullptr; }
    uint8_t* Row(int32_t y) const noexcept { return Top + ptrdiff_t(y) * Stride; }
    TRect Bounds() const noexcept { return TRect{0, 0, Width, Height}; }
};

// Locks a surface for the duration of a scope; the view is invalid when the surface has no pixels.
// A writer lock makes shared storage private first.
class TPixelLock {
public:
    TPixelLock(TCustomDIBX& surface, bool forWriting) : TPixelLock(&surface, forWriting) {}
    // A null surface gives an invalid view and locks nothing.
    TPixelLock(TCustomDIBX* target, bool forWriting) : surface_(target) {
        if (!target || target->IsEmpty())
            return;
        TCustomDIBX& surface = *target;
        if (forWriting)
            surface.Unshare();
        uint8_t* top = surface.LockPixel(0, 0);
        if (!top) {
            surface.Unlock();  // a failed lock still pairs with Unlock
            return;
        }
        locked_ = true;
        view_.Top = top;
        view_.Stride = surface.GetRowStride();
        view_.Width = surface.GetWidth();
        view_.Height = surface.GetHeight();
        view_.Format = surface.Format();
    }
    ~TPixelLock() {
        if (locked_)
            surface_->Unlock();
    }
    TPixelLock(const TPixelLock&) = delete;
    TPixelLock& operator=(const TPixelLock&) = delete;

    const TPixelView& View() const noexcept { return view_; }

private:
    TCustomDIBX* surface_;
    TPixelView view_;
    bool locked_ = false;
};

// A destination locked for writing and a source for reading, as every draw from one surface into
// another needs them; Valid() when both hold pixels.
class TDrawViews {
public:
    TDrawViews(TCustomDIBX& destination, TCustomDIBX& source) : dst_(destination, true), src_(source, false) {}
    bool Valid() const noexcept { return dst_.View().Valid() && src_.View().Valid(); }
    const TPixelView& Dst() const noexcept { return dst_.View(); }
    const TPixelView& Src() const noexcept { return src_.View(); }

private:
    TPixelLock dst_, src_;
};

// Reads pixel x of a row in a format of the given storage bit count (1-bit and 4-bit pixels are packed
// most significant first).
inline uint32_t ReadPixel(const uint8_t* row, int32_t x, int storageBits) noexcept {
    switch (storageBits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    case 8: return row[x];
    case 16: return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
    case 24: return uint32_t(row[3 * x]) | uint32_t(row[3 * x + 1]) << 8 | uint32_t(row[3 * x + 2]) << 16;
    default:
        return uint32_t(row[4 * x]) | uint32_t(row[4 * x + 1]) << 8 | uint32_t(row[4 * x + 2]) << 16 |
               uint32_t(row[4 * x + 3]) << 24;
    }
}

inline void WritePixel(uint8_t* row, int32_t x, int storageBits, uint32_t v) noexcept {
    switch (storageBits) {
    case 1: {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = (v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? uint8_t((b & 0xF0) | (v & 15)) : uint8_t((b & 0x0F) | (v & 15) << 4);
        break;
    }
    case 8: row[x] = uint8_t(v); break;
    case 16: row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v >> 8); break;
    case 24: row[3 * x] = uint8_t(v), row[3 * x + 1] = uint8_t(v >> 8), row[3 * x + 2] = uint8_t(v >> 16); break;
    default:
        row[4 * x] = uint8_t(v), row[4 * x + 1] = uint8_t(v >> 8), row[4 * x + 2] = uint8_t(v >> 16),
                row[4 * x + 3] = uint8_t(v >> 24);
        break;
    }
}

} // namespace ruvo
