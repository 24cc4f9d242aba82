#pragma once
// The pixel planes of a layered image once inflated (or stored raw): whole rows, or tiles behind a table
// of references, in natural or keyed order. The decoder and the encoder live side by side so that the
// two agree on every detail of the layout.
#include <cstdint>
#include <span>
#include <vector>

#include "graphics/surface/dibsurface.hpp"
#include "graphics/images/zephframes.hpp"

namespace ruvo {

// How one plane is laid out.
struct TPlaneLayout {
    bool Keyed = false;   // rows (untiled) or the tile table (tiled) are stored in keyed order
    uint32_t Key = 0;
    int32_t TileWidth = 0, TileHeight = 0;  // both above 0: tiled
    bool Tiled() const noexcept { return TileWidth > 0 && TileHeight > 0; }
};

// Tile references: k = -1 raw rows follow, k = -2 copy of tile j of this plane, k >= 0 copy of the same
// area of layer j of frame k.
constexpr int32_t kTileRaw = -1;
constexpr int32_t kTileSame = -2;

// The planes of the frames read (or written) before the current one; a tile reference k >= 0 copies
// from them: the layer's colour, or its mask when mask planes are coded.
struct TEarlierPlanes {
    std::span<const TZephFrame> Frames;
    bool Masks = false;
    // Null when frame k or its layer j does not exist or has no such plane.
    const TDIBSurface* Find(int32_t frame, int32_t layer) const noexcept;
};

// Bytes a plane may hold at most: exact for untiled planes; for tiled ones the table plus every tile
// raw.
int64_t PlaneSizeBound(const TDIBSurface& plane, const TPlaneLayout& layout);

// Places the plane's bytes into the storage. Throws ERuvoError when the bytes disagree with the layout
// (size, references out of range or to planes not read yet).
void DecodePlane(std::span<const uint8_t> data, TDIBSurface& plane, const TPlaneLayout& layout,
                 const TEarlierPlanes& earlier);

// The bytes of a plane in that layout; tiles equal to an earlier tile of the same plane, or to the same
// area of an earlier frame's layer, are stored as references.
std::vector<uint8_t> EncodePlane(const TDIBSurface& plane, const TPlaneLayout& layout, const TEarlierPlanes& earlier);

} // namespace ruvo
