#pragma once
// The surface: a rectangle of pixels of one format with a transparent colour, a clip rectangle, pixel
// access, colour conversion, a palette and the drawing operations every picture is composed with.
// The base class implements everything on top of a few pixel-access hooks that the concrete surfaces
// fill in; the wave proxy overrides the drawing operations to forward them band by band.
#include <array>
#include <cstdint>
#include <filesystem>
#include <span>

#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

class TStream;

class TCustomDIBX {
public:
    // A clip whose right edge is 0 means "no clip": the whole surface.
    TRect ClipRect;
    // Pixel value that draws honouring the key leave out; -1 none.
    int32_t TransparentColor = -1;

    TCustomDIBX() = default;
    TCustomDIBX(const TCustomDIBX&) = delete;
    TCustomDIBX& operator=(const TCustomDIBX&) = delete;
    virtual ~TCustomDIBX() = default;

    // --- Format, size and pixel access (hooks) ---
    virtual bool IsEmpty() const;
    virtual int GetBitCount() const { return 0; }
    virtual void SetBitCount(int) {}
    virtual uint32_t GetRMask() const { return 0; }
    virtual uint32_t GetGMask() const { return 0; }
    virtual uint32_t GetBMask() const { return 0; }
    // Signed byte distance from row y to row y + 1.
    virtual ptrdiff_t GetRowStride() const { return 0; }
    virtual uint32_t GetPixel(int32_t, int32_t) { return 0; }
    virtual void SetPixel(int32_t, int32_t, uint32_t) {}
    virtual int GetBShift() const { return 0; }
    virtual int GetGShift() const { return 0; }
    virtual int GetRShift() const { return 0; }
    virtual int32_t GetHeight() const { return Height; }
    virtual int32_t GetWidth() const { return Width; }
    virtual TCustomDIBX* GetTarget() { return nullptr; }
    // Bit count of the storage without the 15/16 distinction.
    virtual int GetStorageBitCount() const { return 0; }
    // Reallocates the pixels; their contents are undefined afterwards.
    virtual void SetSize(int32_t width, int32_t height, int bitCount);
    // Address of pixel (x, y) (for sub-byte formats, of the byte holding it); null when there are no
    // pixels. Every LockPixel is paired with an Unlock.
    virtual uint8_t* LockPixel(int32_t, int32_t) { return nullptr; }
    virtual void Unlock() {}
    virtual void ResetClip();
    // Grows the clip to include r (clamped to the surface).
    virtual void AddClipRect(const TRect& r);
    // Colour value 0x00BBGGRR → pixel value; negative → -1.
    virtual int32_t ColorToPixel(int32_t colour) { return colour; }
    // The pixel format described by the hooks above.
    TPixelFormat Format() const;
    // The area drawing operations may touch: ClipRect when set, else the whole surface.
    virtual TRect EffectiveClip() const;

    // --- Fills and frames ---
    virtual void Clear(uint32_t pixel);
    virtual void FillRect(const TRect& rect, uint32_t pixel);
    virtual void BlendRect(const TRect& rect, uint32_t pixel, int alpha);
    virtual void AddRect(const TRect& rect, uint32_t pixel);
    virtual void SubRect(const TRect& rect, uint32_t pixel);
    virtual void FrameRect(const TRect& rect, int width, uint32_t pixel);
    virtual void BlendFrameRect(const TRect& rect, int width, uint32_t pixel, int alpha);
    virtual void AddFrameRect(const TRect& rect, int width, uint32_t pixel);
    virtual void Assign(TCustomDIBX& source);

    // --- Positioned draws: the source rectangle lands with its top-left corner at (x, y) ---
    virtual void Draw(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                      bool flipV);
    virtual void DrawMasked(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                            TCustomDIBX& mask);
    virtual void DrawAlpha(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                           bool flipV, int alpha);
    virtual void DrawMaskedAlpha(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                                 bool flipV, TCustomDIBX& mask, int alpha);
    virtual void DrawAdd(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                         bool flipV, int factor);
    virtual void DrawMaskedAdd(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                               bool flipV, TCustomDIBX& mask, int factor);

    // --- Rotated and stretched draws ---
    virtual void DrawRotate(int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src, const TRect& srcRect,
                            int pivotX, int pivotY, int angle, bool useKey, bool flipH, bool flipV, int blend);
    virtual void DrawRotateMasked(int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src,
                                  const TRect& srcRect, int pivotX, int pivotY, int angle, bool flipH, bool flipV,
                                  TCustomDIBX& mask, int blend);
    virtual void StretchDraw(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                             bool flipV, int alpha);
    virtual void StretchDrawMasked(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                                   bool flipV, TCustomDIBX& mask, int alpha);
    virtual void StretchDrawAdd(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool useKey,
                                bool flipH, bool flipV, int factor);
    virtual void StretchDrawMaskedAdd(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                                      bool flipV, TCustomDIBX& mask, int factor);

    // --- Glyphs ---
    virtual void DrawMonoGlyph(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, uint32_t pixel,
                               bool flipH, bool flipV, int alpha, int scale);
    virtual void DrawToneGlyph(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect,
                               const std::array<uint32_t, 3>& colours, bool flipH, bool flipV, int blend,
                               int scale);

    // --- Tilings (spacing is the gap between tiles; offsets pick the first tile's phase) ---
    virtual void TileDraw(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src, const TRect& srcRect,
                          bool useKey, int offsetX, int offsetY);
    virtual void TileDrawAlpha(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                               const TRect& srcRect, bool useKey, int alpha, int offsetX, int offsetY);
    virtual void TileDrawAdd(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src, const TRect& srcRect,
                             bool useKey, int factor, int offsetX, int offsetY);
    virtual void TileDrawMasked(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                                const TRect& srcRect, TCustomDIBX& mask, int offsetX, int offsetY);
    virtual void TileDrawMaskedAlpha(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                                     const TRect& srcRect, TCustomDIBX& mask, int alpha, int offsetX, int offsetY);
    virtual void TileDrawMaskedAdd(const TRect& rect, int spacingX, int spacingY, TCustomDIBX& src,
                                   const TRect& srcRect, TCustomDIBX& mask, int factor, int offsetX, int offsetY);
    // Here the spacing is the tile pitch in source pixels, scaled by the zoom like the tiles.
    virtual void TileStretchDraw(const TRect& rect, int spacingX, int spacingY, int zoomX, int zoomY,
                                 TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH, bool flipV,
                                 int blend, int offsetX, int offsetY);
    virtual void TileStretchDrawMasked(const TRect& rect, int spacingX, int spacingY, int zoomX, int zoomY,
                                       TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                                       TCustomDIBX& mask, int blend, int offsetX, int offsetY);

    // --- Patterns and indexed sources ---
    virtual void PatternFrameRect(const TRect& rect, int width, TCustomDIBX& pattern, int offsetX, int offsetY);
    // palette: 16 pixel values of the destination's format.
    virtual void DrawIndexed4(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                              bool flipV, int blend, std::span<const uint32_t> palette);
    // palette: 256 pixel values of the destination's format.
    virtual void DrawIndexedAdd8(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, int minIndex,
                                 bool flipH, bool flipV, int factor, std::span<const uint32_t> palette);
    virtual void StretchDrawIndexedAdd8(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, int minIndex,
                                        bool flipH, bool flipV, int factor, std::span<const uint32_t> palette);
    virtual void PatternFillScaled(const TRect& rect, int zoomX, int zoomY, TCustomDIBX& pattern, int offsetX,
                                   int offsetY, bool useKey, bool flipH, bool flipV, int blend);
    virtual void PatternFillScaledMasked(const TRect& rect, int zoomX, int zoomY, TCustomDIBX& pattern,
                                         int offsetX, int offsetY, TCustomDIBX& mask, bool flipH, bool flipV,
                                         int blend);
    virtual void PatternFill(const TRect& rect, TCustomDIBX& pattern, int offsetX, int offsetY, bool flipH,
                             bool flipV);
    // mask: an 8-bit coverage map; srcRect is a rectangle of it.
    virtual void DrawCoverage(int32_t x, int32_t y, TCustomDIBX& mask, const TRect& srcRect, bool flipH,
                              bool flipV, uint32_t pixel, int alpha);

    // --- Files, palette, lifetime ---
    // Windows bitmaps (".bmp"); other extensions and missing files load nothing.
    virtual void LoadFromFile(const std::filesystem::path& name);
    // Recognises a Windows bitmap by "BM", a PNG by "PNG" at offset 1 and a layered image by "Zeph" (its
    // first frame; flag asks for its post-processing); other signatures load nothing. The picture is
    // converted to this surface's bit count. Throws ERuvoError for a damaged picture.
    virtual void LoadFromStream(TStream* stream, bool flag);
    // Writes a 24-bit Windows bitmap for the extension ".bmp"; other extensions write nothing.
    virtual void SaveToFile(const std::filesystem::path& name);
    virtual void Release();
    virtual void ReleaseSurface() {}
    virtual void GetPalette(std::array<TRGBQuad, 256>& out);
    virtual void GetPaletteEntries(TRGBQuad* out, int first, int count);
    virtual void SetPalette(const std::array<TRGBQuad, 256>& palette);
    virtual void SetPaletteEntries(const TRGBQuad* entries, int first, int count);
    // Makes the pixel storage private before it is written.
    virtual void Unshare() {}

protected:
    int32_t Height = 0;
    int32_t Width = 0;
};

} // namespace ruvo
