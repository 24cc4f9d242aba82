#pragma once
// Windows bitmap files: reading (1, 4, 8, 16, 24, 32 bits with the fourth byte, uncompressed or with bit
// fields) and writing 24-bit files.
#include <array>
#include <cstdint>
#include <vector>

#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

class TStream;

struct TBitmapImage {
    int32_t Width = 0, Height = 0;
    std::vector<uint32_t> Colours;  // 0x00BBGGRR, top row first
    bool Indexed = false;           // 1, 4 or 8 bits: Indices and Palette are filled too
    std::vector<uint8_t> Indices;
    std::array<TRGBQuad, 256> Palette{};
    std::vector<uint8_t> Alpha;     // 32 bits: the fourth byte of each pixel, top row first
};

// Reads a bitmap file starting at the stream's position. Throws ERuvoError for a damaged or unsupported
// bitmap; never reads beyond what the stream holds.
TBitmapImage ReadBitmap(TStream& stream);
// Writes a 24-bit bitmap file of the given colours (0x00BBGGRR, top row first).
void WriteBitmap24(TStream& stream, int32_t width, int32_t height, const std::vector<uint32_t>& colours);

} // namespace ruvo
