#include "graphics/surface/surfaceops.hpp"

#include <climits>
#include <cstring>
#include <stdexcept>

#include "graphics/surface/pixelview.hpp"

namespace ruvo {

int PaletteEntries(int bitCount) noexcept { return bitCount <= 8 ? 1 << bitCount : 0; }

uint32_t NearestPaletteIndex(const std::array<TRGBQuad, 256>& palette, int entries, uint32_t colour) noexcept {
    int best = 0, bestDistance = INT_MAX;
    for (int k = 0; k < entries && bestDistance > 0; ++k) {
        const int dr = palette[k].Red - ColorRed(colour), dg = palette[k].Green - ColorGreen(colour),
                  db = palette[k].Blue - ColorBlue(colour);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance)
            bestDistance = d, best = k;
    }
    return uint32_t(best);
}

std::shared_ptr<TDIBSurface> NewStorage(int32_t width, int32_t height, int bitCount) {
    auto s = std::make_shared<TDIBSurface>();
    s->SetSize(width, height, bitCount);
    return s;
}

uint32_t StoragePixel(const TDIBSurface& s, int32_t x, int32_t y) noexcept {
    return ReadPixel(s.Row(y), x, s.Format().StorageBits());
}

void SetStoragePixel(TDIBSurface& s, int32_t x, int32_t y, uint32_t pixel) noexcept {
    WritePixel(s.Row(y), x, s.Format().StorageBits(), pixel);
}

uint32_t PixelOfColour(const TDIBSurface& s, uint32_t colour) noexcept {
    if (s.Format().Indexed())
        return NearestPaletteIndex(s.Palette(), PaletteEntries(s.BitCount()), colour);
    return ColorToChannels(s.Format(), colour);
}

uint32_t ColourOfPixel(const TDIBSurface& s, uint32_t pixel) noexcept {
    if (s.Format().Indexed()) {
        const TRGBQuad& q = s.Palette()[pixel & 255];
        return MakeColor(q.Red, q.Green, q.Blue);
    }
    return ChannelsToColor(s.Format(), pixel);
}

void FillStorage(TDIBSurface& s, uint32_t pixel) {
    const int bits = s.Format().StorageBits();
    if (bits == 8) {
        std::memset(s.Bits(), int(pixel & 255), s.ImageSize());
        return;
    }
    // One row by pixels, the others copied from it.
    if (s.Height() == 0)
        return;
    uint8_t* first = s.Row(0);
    for (int32_t x = 0; x < s.Width(); ++x)
        WritePixel(first, x, bits, pixel);
    for (int32_t y = 1; y < s.Height(); ++y)
        std::memcpy(s.Row(y), first, size_t(s.RowBytes()));
}

void CopyArea(TDIBSurface& dst, int32_t x, int32_t y, const TDIBSurface& src, const TRect& rect) {
    const int bits = src.Format().StorageBits();
    if (bits >= 8) {
        const size_t bytes = size_t(rect.Width()) * size_t(bits / 8);
        for (int32_t row = 0; row < rect.Height(); ++row)
            std::memcpy(dst.Row(y + row) + size_t(x) * (bits / 8),
                        src.Row(rect.Top + row) + size_t(rect.Left) * (bits / 8), bytes);
        return;
    }
    for (int32_t row = 0; row < rect.Height(); ++row)
        for (int32_t col = 0; col < rect.Width(); ++col)
            WritePixel(dst.Row(y + row), x + col, bits, ReadPixel(src.Row(rect.Top + row), rect.Left + col, bits));
}

std::shared_ptr<TDIBSurface> CropStorage(const TDIBSurface& s, const TRect& rect) {
    auto out = NewStorage(rect.Width(), rect.Height(), s.BitCount());
    out->Palette() = s.Palette();
    CopyArea(*out, 0, 0, s, rect);
    return out;
}

TRect BoundsOfOtherPixels(const TDIBSurface& s, uint32_t value) noexcept {
    const int bits = s.Format().StorageBits();
    int32_t left = s.Width(), right = 0, top = s.Height(), bottom = 0;
    for (int32_t y = 0; y < s.Height(); ++y) {
        const uint8_t* row = s.Row(y);
        int32_t first = 0;
        while (first < s.Width() && ReadPixel(row, first, bits) == value)
            ++first;
        if (first == s.Width())
            continue;
        int32_t last = s.Width() - 1;
        while (ReadPixel(row, last, bits) == value)
            --last;
        left = std::min(left, first);
        right = std::max(right, last + 1);
        top = std::min(top, y);
        bottom = y + 1;
    }
    return left < right ? TRect{left, top, right, bottom} : TRect{};
}

std::shared_ptr<TDIBSurface> ConvertBitCount(const TDIBSurface& s, int bitCount) {
    if (bitCount != 15 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        throw std::invalid_argument("ConvertBitCount: pictures are converted to 15, 16, 24 or 32 bits");
    auto out = NewStorage(s.Width(), s.Height(), bitCount);
    const int from = s.Format().StorageBits(), to = out->Format().StorageBits();
    const TPixelFormat target = out->Format();
    for (int32_t y = 0; y < s.Height(); ++y) {
        const uint8_t* in = s.Row(y);
        uint8_t* row = out->Row(y);
        for (int32_t x = 0; x < s.Width(); ++x)
            WritePixel(row, x, to, ColorToChannels(target, ColourOfPixel(s, ReadPixel(in, x, from))));
    }
    return out;
}

} // namespace ruvo
