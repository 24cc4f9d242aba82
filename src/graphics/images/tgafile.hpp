#pragma once
// TGA pictures: image types 1, 2, 3 (colour-mapped, true-colour, grey) and 9, 10, 11 (the same run-length
// encoded), either origin, the TGA 2.0 key colour; and a writer of all six types.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "graphics/surface/dibsurface.hpp"
#include "graphics/images/zephframes.hpp"

namespace ruvo {

// Colour-mapped and grey pictures become 8-bit indexed frames, 15- and 16-bit pixels 5-6-5 frames,
// 24- and 32-bit pixels 24-bit frames; declared alpha bits of 32-bit pixels become the mask, a key colour
// of the extension area the transparent value. Throws ERuvoError for damaged or unsupported files.
TZephFrame ReadTgaPicture(std::span<const uint8_t> bytes);

struct TTgaWriteOptions {
    bool RunLength = false;   // types 9, 10, 11 instead of 1, 2, 3
    bool Grey = false;        // an 8-bit picture as grey levels (type 3) instead of colour-mapped (type 1)
    bool TopDown = false;     // origin at the top
    bool RightToLeft = false; // columns stored from the right
    int32_t KeyColour = -1;   // not -1: a TGA 2.0 extension area carrying this colour value
};

// picture: 8 bits (colour-mapped with 24-bit map entries, or grey), 16 bits (5-6-5, stored 5-5-5),
// 24 bits; with a mask the pixels are written with 32 bits and the mask as their alpha.
std::vector<uint8_t> WriteTga(const TDIBSurface& picture, const TDIBSurface* mask, const TTgaWriteOptions& options);

} // namespace ruvo
