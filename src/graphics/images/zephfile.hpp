#pragma once
// The layered image file ("Zeph"): its signature and versions, and the writer. The reader is
// TZephFrameList::LoadFromStream (zephread.cpp); the writer (zephwrite.cpp) writes what it reads.
#include <cstdint>
#include <span>

#include "graphics/images/zephframes.hpp"

namespace ruvo {

class TStream;

constexpr const char* kZephSignature = "Zeph";
// Files start with the signature and three digits; files without a signature are version 0.
constexpr int kZephMinVersion = 100;
constexpr int kZephMaxVersion = 106;

struct TZephWriteOptions {
    int Version = kZephMaxVersion;  // 0 or 100..106; before 103 only deflated, untiled planes exist
    TZephMode Mode = TZephMode::Deflate;
    int JpegQuality = 90;           // 1..100, for TZephMode::Jpeg
    int32_t TileWidth = 0, TileHeight = 0;  // both above 0: tiled planes (not for JPEG)
    uint32_t Key = 0;               // not 0: rows or tile tables in the key's order
    int32_t BackgroundColor = 0;    // colour value; stored from version 102
    bool FirstLayerOpaque = false;  // stored from version 103, read from 105
    int DeflateLevel = 9;
};

// Writes the frames with their layers: every layer needs its Colour plane (the frame's size and bit
// count; palettes come from the first layer) and may have a Mask; the composed pictures are not written.
// Frames without a name are named "Frame%d" (1-based). Throws std::invalid_argument for frames or
// options the version cannot hold.
void WriteZeph(TStream& stream, std::span<const TZephFrame> frames, const TZephWriteOptions& options);

} // namespace ruvo
