#include "graphics/surface/dibsurface.hpp"

#include <cstring>

#include "archive/errors.hpp"

namespace ruvo {

namespace {
// Larger bitmaps are refused rather than risking an allocation the machine cannot make.
constexpr int32_t kMaxSide = 32768;
constexpr size_t kMaxBytes = size_t(1) << 30;

bool ValidBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
}
} // namespace

TDIBSurface::TDIBSurface() { SetSize(1, 1, 15); }

TDIBSurface::TDIBSurface(const TDIBSurface& other)
    : width_(other.width_), height_(other.height_), rowBytes_(other.rowBytes_), format_(other.format_),
      bits_(new uint8_t[other.ImageSize()]), palette_(other.palette_) {
    std::memcpy(bits_.get(), other.bits_.get(), other.ImageSize());
}

void TDIBSurface::SetSize(int32_t width, int32_t height, int bitCount) {
    if (!ValidBitCount(bitCount))
        throw ERuvoError::FromUtf8("ビット数が不正です: " + std::to_string(bitCount));
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide)
        throw ERuvoError::FromUtf8("画像サイズが不正です: " + std::to_string(width) + "x" + std::to_string(height));
    TPixelFormat format = TPixelFormat::ForBitCount(bitCount);
    ptrdiff_t rowBytes = (ptrdiff_t(width) * format.StorageBits() + 31) / 32 * 4;
    size_t size = size_t(rowBytes) * size_t(height);
    if (size > kMaxBytes)
        throw ERuvoError::FromUtf8("画像サイズが大きすぎます");
    // Never a zero-sized block, so TopRow stays a valid address for empty bitmaps.
    bits_.reset(new uint8_t[std::max<size_t>(size, 4)]());
    width_ = width;
    height_ = height;
    rowBytes_ = rowBytes;
    format_ = format;
}

void TDIBSurface::SetBitCount(int bitCount) {
    if (bitCount == format_.BitCount)
        return;
    if (ValidBitCount(bitCount) && TPixelFormat::ForBitCount(bitCount).StorageBits() == format_.StorageBits())
        format_ = TPixelFormat::ForBitCount(bitCount);
    else
        SetSize(width_, height_, bitCount);
}

} // namespace ruvo
