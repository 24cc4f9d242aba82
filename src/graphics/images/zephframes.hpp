#pragma once
// The frames of one picture file: a layered image ("Zeph") with its frames and layers, or a loose
// picture (PNG, bitmap, TGA, icon, cursor) as a single frame. Readers fill it, the layered-image writer
// writes it, and named pictures for display are made from it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/surface/dibsurface.hpp"
#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

class TStream;

// Plane coding of a layered image.
enum class TZephMode : uint8_t { Deflate = 0, Raw = 1, Jpeg = 2 };

struct TZephLayer {
    bool Visible = true;
    int32_t TransparentValue = -1;  // raw pixel value or palette index; -1 none
    int32_t Opacity = 255;          // 0..255
    bool MaskUsed = false;
    std::shared_ptr<TDIBSurface> Colour;  // the frame's size and bit count
    std::shared_ptr<TDIBSurface> Mask;    // 8 bits, opacity per pixel; null when the layer has none
    // Stored sizes of the two planes (what `image info` shows); 0 for layers not read from a file.
    int64_t ColourBytes = 0, MaskBytes = 0;
};

struct TZephFrame {
    std::string Name;
    int32_t TransparentValue = -1;  // raw pixel value or palette index of Picture; -1 none
    int32_t TransparentColor = -1;  // the same as a colour value 0x00BBGGRR; -1 none
    int32_t Delay = 100;            // milliseconds
    std::vector<TZephLayer> Layers;
    std::shared_ptr<TDIBSurface> Picture;  // the composed picture
    std::shared_ptr<TDIBSurface> Mask;     // 8 bits, opacity per pixel; null when the frame has none
    // The content rectangles of the frame, in picture coordinates.
    std::vector<TRect> RectsA, RectsB;

    int32_t Width() const noexcept { return Picture ? Picture->Width() : 0; }
    int32_t Height() const noexcept { return Picture ? Picture->Height() : 0; }
    int BitCount() const noexcept { return Picture ? Picture->BitCount() : 0; }
    // Sets TransparentValue and the matching TransparentColor (through the picture's format or palette).
    void SetTransparentValue(int32_t value);
};

// Header fields of a layered image, as read (version 103 and later) or to be written.
struct TZephHeader {
    int Version = 106;     // 0 (no signature), 100..106
    int32_t Width = 0, Height = 0, BitCount = 0;  // of the first frame
    bool Permuted = false;  // rows or tiles stored in keyed order
    TZephMode Mode = TZephMode::Deflate;
    int32_t BackgroundColor = 0;  // colour value
    int32_t TileWidth = 0, TileHeight = 0;  // 0: untiled
    bool FirstLayerOpaque = false;
    uint8_t JpegQuality = 0;
};

class TZephFrameList {
public:
    // key: the project's ImageKey (0 = natural order); targetBitCount: what post-processing converts
    // pictures to (0 = keep).
    explicit TZephFrameList(uint32_t key = 0, int targetBitCount = 0) : key_(key), targetBitCount_(targetBitCount) {}

    uint32_t Key() const noexcept { return key_; }
    int TargetBitCount() const noexcept { return targetBitCount_; }

    TZephHeader Header;
    std::vector<TZephFrame> Frames;
    int32_t HotSpotX = 0, HotSpotY = 0;  // of a cursor file

    // Reads a layered image from the stream's position. firstFrameOnly stops after one frame; convert
    // applies PostProcess. Throws ERuvoError naming the fault for damaged or unsupported data.
    void LoadFromStream(TStream& stream, bool firstFrameOnly, bool convert);
    // The same from bytes held in memory, read in place; withPixels false reads the records only
    // (planes are skipped and no frame is composed), which is what `image info` needs.
    void LoadFromBytes(std::span<const uint8_t> bytes, bool firstFrameOnly, bool convert, bool withPixels = true);
    // A picture file by its extension: ".zph" as a layered image, the loose extensions as one frame.
    // Other extensions load nothing (false).
    bool LoadPictureBytes(std::span<const uint8_t> bytes, std::string_view extension);
    bool LoadFromFile(const std::filesystem::path& path);

    // Every frame without a mask that has a transparent value gets a mask: 0 where the picture holds that
    // value, 255 elsewhere.
    void MakeMasks();
    // Masks from transparent values; then conversion to the target bit count, or of indexed pictures to
    // 24 bits keeping their transparent pixel.
    void PostProcess();

private:
    uint32_t key_;
    int targetBitCount_;
};

// The lower-cased extension of a file or game name ("" when it has none).
std::string PictureExtension(std::string_view name);
// ".png", ".bmp", ".dib", ".tga", ".ico", ".cur": pictures read as a single frame. Games name every other
// picture as a layered image, whatever its extension.
bool IsLoosePictureExtension(std::string_view extension);

// Crops the frame to the bounding box of its visible pixels (mask above 0, or pixels other than the
// transparent value) when that box is not empty and smaller than the picture; the content rectangles are
// cut to it and moved with the picture. Returns the box (empty when nothing is visible).
TRect Trim(TZephFrame& frame);

} // namespace ruvo
