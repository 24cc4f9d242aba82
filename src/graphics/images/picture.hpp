#pragma once
// Named pictures for display: what image objects, transition rule pictures, cursors and inline text
// pictures ask for by name. A picture is decoded once into frames at the display bit count; every
// object that shows a frame makes its own surface over the same pixels (TPictureFrame::ColourSurface),
// so a picture cache can keep one decoded copy per name and key and hand it out without copying.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/surface/dibsurface.hpp"
#include "graphics/surface/dibx.hpp"
#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

class TVrFileManager;
class TZephFrameList;

// A picture name with its request suffixes removed: "?m" asks for masks, "?t" for trimmed frames
// (either order, each at most once).
struct TPictureName {
    std::string File;
    bool Masks = false;
    bool Trim = false;
};
TPictureName ParsePictureName(std::string_view name);

struct TPictureFrame {
    std::shared_ptr<TDIBSurface> Colour;  // at the display bit count; shared, never written in place
    std::shared_ptr<TDIBSurface> Mask;    // 8 bits, opacity per pixel; null without a mask
    int32_t TransparentColor = -1;        // pixel value of Colour's format; -1 none
    int32_t Delay = 100;                  // milliseconds, at least 1
    int32_t OffsetX = 0, OffsetY = 0;     // where a trimmed frame lies in the untrimmed picture
    std::vector<TRect> RectsA, RectsB;    // content rectangles, in Colour's coordinates

    // A surface over the shared pixels, with the transparent colour set; drawing on it makes its own copy.
    std::unique_ptr<TDIBX> ColourSurface() const;
    // The mask as a surface over the shared bytes; null without a mask.
    std::unique_ptr<TDIBX> MaskSurface() const;
    // The frame as 0xAARRGGBB pixels, top row first: opacity from the mask, else 0 on the transparent
    // colour and 255 elsewhere (what a cursor shows).
    std::vector<uint32_t> Argb() const;
};

struct TPicture {
    std::vector<TPictureFrame> Frames;
    int32_t Width = 0, Height = 0;  // of the first frame
    int64_t TotalDelay = 0;         // sum of the frames' delays
    bool Found = true;              // false: the name is not in the game and this is the placeholder
    int32_t HotSpotX = 0, HotSpotY = 0;  // where a cursor points (cursor files), in the first frame

    // Bytes of pixels the picture holds (what a cache counts against its bound).
    int64_t PixelBytes() const noexcept;
};

// Loads the named picture through the virtual file manager with the project's image key. Loose picture
// extensions (".png", ".bmp", ".dib", ".tga", ".ico", ".cur") use their readers, every other name the
// layered-image reader. A name the game does not have gives the 8 x 8 transparent placeholder; damaged
// files throw ERuvoError with the name in its context.
TPicture LoadPicture(TVrFileManager& files, std::string_view name, uint32_t key, int displayBitCount);

// The display frames of frames already read (masks and trimming as the name asked). The frame list's
// layers are dropped, so that pictures it no longer shares can be converted in place.
TPicture PictureFromFrames(TZephFrameList& frames, const TPictureName& request, int displayBitCount);
// The 8 x 8 fully transparent stand-in for a missing picture.
TPicture PlaceholderPicture(const TPictureName& request, int displayBitCount);

} // namespace ruvo
