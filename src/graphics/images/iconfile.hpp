#pragma once
// Icon and cursor files (".ico", ".cur"): the first image of the directory as a frame, with the mask from
// its alpha channel or its AND bitmap; the cursor's hot spot. A file starting with "BM" is a bitmap. A
// writer for both kinds sits beside the reader.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "graphics/surface/dibsurface.hpp"
#include "graphics/images/zephframes.hpp"

namespace ruvo {

struct TIconPicture {
    TZephFrame Frame;
    int ImageCount = 1;            // images in the directory; only the first is read
    int32_t HotSpotX = 0, HotSpotY = 0;  // cursors only
};

// Images are 1-, 4-, 8-, 16-, 24- or 32-bit bitmaps or PNG files. Throws ERuvoError for damaged files.
TIconPicture ReadIconPicture(std::span<const uint8_t> bytes);

struct TIconImage {
    std::shared_ptr<TDIBSurface> Picture;  // 1, 4, 8, 24 or 32 bits
    std::shared_ptr<TDIBSurface> Mask;     // opacity; pixels below 128 are transparent in the AND bitmap
    bool WithAlpha = false;                // written as 32 bits with the mask as alpha (24/32-bit pictures)
    int32_t HotSpotX = 0, HotSpotY = 0;
};

std::vector<uint8_t> WriteIcon(std::span<const TIconImage> images, bool cursor);

} // namespace ruvo
