#pragma once
// Loose picture files as single frames: PNG (alpha becomes the mask, a transparency colour the
// transparent value) and Windows bitmaps (a 32-bit bitmap's fourth byte becomes the mask). TGA files,
// icons and cursors have their own readers (tgafile.hpp, iconfile.hpp).
#include <cstdint>
#include <memory>
#include <span>

#include "graphics/images/zephframes.hpp"

namespace ruvo {

// Throw ERuvoError naming the fault for files that are not readable pictures of their kind.
TZephFrame ReadPngPicture(std::span<const uint8_t> bytes);
TZephFrame ReadBitmapPicture(std::span<const uint8_t> bytes);

// A frame of a single picture (no layers) with an optional mask and transparent value.
TZephFrame SinglePictureFrame(std::shared_ptr<TDIBSurface> picture, std::shared_ptr<TDIBSurface> mask,
                              int32_t transparentValue);

} // namespace ruvo
