#pragma once
// Whole-storage operations the picture readers and the picture loading rely on: colour and pixel
// conversion through the format or the palette, fills, crops, bounding boxes, area copies and bit-count
// conversion. They work on the storage directly, without a surface around it.
#include <array>
#include <cstdint>
#include <memory>

#include "graphics/surface/dibsurface.hpp"
#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

// Palette entries a bit count uses: 2, 16 or 256 for 1, 4 and 8 bits, 0 above.
int PaletteEntries(int bitCount) noexcept;
// The entry nearest to the colour (squared distance over red, green and blue; the first of equals).
uint32_t NearestPaletteIndex(const std::array<TRGBQuad, 256>& palette, int entries, uint32_t colour) noexcept;

// A new storage of that size and format (pixels 0).
std::shared_ptr<TDIBSurface> NewStorage(int32_t width, int32_t height, int bitCount);

uint32_t StoragePixel(const TDIBSurface& s, int32_t x, int32_t y) noexcept;
void SetStoragePixel(TDIBSurface& s, int32_t x, int32_t y, uint32_t pixel) noexcept;
// Colour value 0x00BBGGRR -> pixel value: channels keep their top bits; at 8 bits and less the nearest
// palette index.
uint32_t PixelOfColour(const TDIBSurface& s, uint32_t colour) noexcept;
// Pixel value -> colour value, through the palette at 8 bits and less.
uint32_t ColourOfPixel(const TDIBSurface& s, uint32_t pixel) noexcept;

void FillStorage(TDIBSurface& s, uint32_t pixel);
// Copies the source rectangle (inside the source) to (x, y) of the destination (inside it too); both
// share one bit count.
void CopyArea(TDIBSurface& dst, int32_t x, int32_t y, const TDIBSurface& src, const TRect& rect);
// A new storage holding the rectangle (inside the storage), with the same format and palette.
std::shared_ptr<TDIBSurface> CropStorage(const TDIBSurface& s, const TRect& rect);
// The bounding box of the pixels whose value differs from the given one; empty when there are none.
TRect BoundsOfOtherPixels(const TDIBSurface& s, uint32_t value) noexcept;
// The picture at another bit count (15, 16, 24 or 32) through colour values, as a display converts it.
std::shared_ptr<TDIBSurface> ConvertBitCount(const TDIBSurface& s, int bitCount);

} // namespace ruvo
