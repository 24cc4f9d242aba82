#pragma once
// Pixel formats, rectangles and palette entries shared by surfaces, their storage and the drawing code.
#include <algorithm>
#include <cstdint>

namespace ruvo {

// Left, top, right, bottom; right and bottom are exclusive.
struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;

    constexpr int32_t Width() const noexcept { return Right - Left; }
    constexpr int32_t Height() const noexcept { return Bottom - Top; }
    constexpr bool IsEmpty() const noexcept { return Right <= Left || Bottom <= Top; }
    constexpr bool operator==(const TRect&) const = default;
};

// The far edges saturate, so sizes read from damaged files cannot wrap around.
constexpr TRect Bounds(int32_t x, int32_t y, int32_t width, int32_t height) noexcept {
    constexpr int64_t lo = INT32_MIN, hi = INT32_MAX;
    return TRect{x, y, int32_t(std::clamp<int64_t>(int64_t(x) + width, lo, hi)),
                 int32_t(std::clamp<int64_t>(int64_t(y) + height, lo, hi))};
}

constexpr TRect Intersect(const TRect& a, const TRect& b) noexcept {
    return TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
}

// The smallest rectangle holding both; an empty one adds nothing.
constexpr TRect Union(const TRect& a, const TRect& b) noexcept {
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom)};
}

constexpr TRect Offset(const TRect& r, int32_t dx, int32_t dy) noexcept {
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

// A palette entry in memory order blue, green, red, reserved.
struct TRGBQuad {
    uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
    constexpr bool operator==(const TRGBQuad&) const = default;
};

// Where the channels of a pixel value sit. Indexed formats (1, 4, 8 bits) have one channel: the index
// itself, which is what the blending rules work on there.
struct TPixelFormat {
    int BitCount = 32;  // 1, 4, 8, 15, 16, 24, 32
    uint32_t RMask = 0xFF0000, GMask = 0xFF00, BMask = 0xFF;
    int RShift = 16, GShift = 8, BShift = 0;
    int RBits = 8, GBits = 8, BBits = 8;

    static TPixelFormat ForBitCount(int bitCount) noexcept;

    bool Indexed() const noexcept { return BitCount <= 8; }
    // Bits a pixel occupies in memory (15 is stored in 16).
    int StorageBits() const noexcept { return BitCount == 15 ? 16 : BitCount; }
    bool operator==(const TPixelFormat&) const = default;
};

// A Windows colour value 0x00BBGGRR.
constexpr uint8_t ColorRed(uint32_t colour) noexcept { return colour & 0xFF; }
constexpr uint8_t ColorGreen(uint32_t colour) noexcept { return (colour >> 8) & 0xFF; }
constexpr uint8_t ColorBlue(uint32_t colour) noexcept { return (colour >> 16) & 0xFF; }
constexpr uint32_t MakeColor(uint8_t r, uint8_t g, uint8_t b) noexcept {
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16;
}

// Colour value → pixel value of a format with channels: each channel keeps its top bits.
uint32_t ColorToChannels(const TPixelFormat& format, uint32_t colour) noexcept;
// Pixel value → colour value; channels narrower than 8 bits are shifted up (low bits 0), as the
// display does.
uint32_t ChannelsToColor(const TPixelFormat& format, uint32_t pixel) noexcept;

} // namespace ruvo
