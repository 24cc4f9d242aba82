#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

TPixelFormat TPixelFormat::ForBitCount(int bitCount) noexcept {
    TPixelFormat f;
    f.BitCount = bitCount;
    switch (bitCount) {
    case 15:
        f.RMask = 0x7C00, f.GMask = 0x03E0, f.BMask = 0x001F;
        f.RShift = 10, f.GShift = 5, f.BShift = 0;
        f.RBits = 5, f.GBits = 5, f.BBits = 5;
        break;
    case 16:
        f.RMask = 0xF800, f.GMask = 0x07E0, f.BMask = 0x001F;
        f.RShift = 11, f.GShift = 5, f.BShift = 0;
        f.RBits = 5, f.GBits = 6, f.BBits = 5;
        break;
    case 24:
    case 32:
        break;
    default: {  // indexed: the index is the only channel
        uint32_t m = bitCount >= 8 ? 0xFF : (1u << bitCount) - 1;
        f.RMask = 0, f.GMask = 0, f.BMask = m;
        f.RShift = 0, f.GShift = 0, f.BShift = 0;
        f.RBits = 0, f.GBits = 0, f.BBits = bitCount >= 8 ? 8 : bitCount;
        break;
    }
    }
    return f;
}

uint32_t ColorToChannels(const TPixelFormat& f, uint32_t colour) noexcept {
    auto channel = [](uint32_t byte, int bits, int shift) -> uint32_t {
        return bits == 0 ? 0 : (byte >> (8 - bits)) << shift;
    };
    return channel(ColorRed(colour), f.RBits, f.RShift) | channel(ColorGreen(colour), f.GBits, f.GShift) |
           channel(ColorBlue(colour), f.BBits, f.BShift);
}

uint32_t ChannelsToColor(const TPixelFormat& f, uint32_t pixel) noexcept {
    auto channel = [pixel](uint32_t mask, int bits, int shift) -> uint8_t {
        return bits == 0 ? 0 : uint8_t(((pixel & mask) >> shift) << (8 - bits));
    };
    return MakeColor(channel(f.RMask, f.RBits, f.RShift), channel(f.GMask, f.GBits, f.GShift),
                     channel(f.BMask, f.BBits, f.BShift));
}

} // namespace ruvo
