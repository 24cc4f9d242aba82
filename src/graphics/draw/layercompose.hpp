#pragma once
// Composing the layers of a layered-image frame into its picture: copies, keyed copies, opacity blends
// and blends through a layer's mask; at 8 bits and less an ordered dither stands for the blend.
#include <array>
#include <cstdint>

#include "graphics/images/zephframes.hpp"

namespace ruvo {

// The frame's layers have the picture's size and bit count (the palette of indexed pictures comes with
// them). The picture is made and filled with the background colour and every visible layer is composed onto
// it in order; layer 0 with a used mask gives the frame its mask. A single layer that covers the picture
// outright is shared with it instead of copied, so the picture must not be written in place.
void ComposeFrame(TZephFrame& frame, int32_t width, int32_t height, int bitCount,
                  const std::array<TRGBQuad, 256>& palette, int32_t backgroundColour, bool firstLayerOpaque);

} // namespace ruvo
