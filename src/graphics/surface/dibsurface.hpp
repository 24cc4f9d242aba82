#pragma once
// Pixel storage of a memory surface: a device-independent bitmap of one pixel format with rows stored
// bottom-up (the row stride is negative) and a 256-entry palette for the indexed formats.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

class TDIBSurface {
public:
    // A new storage is 1 x 1 pixel at 15 bits.
    TDIBSurface();
    TDIBSurface(const TDIBSurface& other);
    TDIBSurface& operator=(const TDIBSurface&) = delete;

    // Reallocates the pixels (cleared to 0). Throws ERuvoError for a bit count that does not exist or a
    // size that cannot be stored.
    void SetSize(int32_t width, int32_t height, int bitCount);
    // Relabels the pixel format: 15 <-> 16 keeps the memory, any other change reallocates.
    void SetBitCount(int bitCount);

    int32_t Width() const noexcept { return width_; }
    int32_t Height() const noexcept { return height_; }
    const TPixelFormat& Format() const noexcept { return format_; }
    int BitCount() const noexcept { return format_.BitCount; }
    // Bytes of one row (a multiple of 4).
    ptrdiff_t RowBytes() const noexcept { return rowBytes_; }
    // Signed distance from row y to row y + 1: negative, rows are stored bottom-up.
    ptrdiff_t RowStride() const noexcept { return -rowBytes_; }
    // Address of row 0 (the top row, last in memory).
    uint8_t* TopRow() noexcept { return bits_.get() + (height_ - 1) * rowBytes_; }
    // Address of row y (0 is the top row).
    uint8_t* Row(int32_t y) noexcept { return bits_.get() + (height_ - 1 - y) * rowBytes_; }
    const uint8_t* Row(int32_t y) const noexcept { return bits_.get() + (height_ - 1 - y) * rowBytes_; }
    // The whole pixel block, bottom row first.
    uint8_t* Bits() noexcept { return bits_.get(); }
    const uint8_t* Bits() const noexcept { return bits_.get(); }
    size_t ImageSize() const noexcept { return size_t(rowBytes_) * size_t(height_); }

    std::array<TRGBQuad, 256>& Palette() noexcept { return palette_; }
    const std::array<TRGBQuad, 256>& Palette() const noexcept { return palette_; }

private:
    int32_t width_ = 0, height_ = 0;
    ptrdiff_t rowBytes_ = 0;
    TPixelFormat format_;
    std::unique_ptr<uint8_t[]> bits_;
    std::array<TRGBQuad, 256> palette_{};
};

} // namespace ruvo
