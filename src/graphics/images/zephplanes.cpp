#include "graphics/images/zephplanes.hpp"

#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "archive/errors.hpp"
#include "archive/rands.hpp"
#include "graphics/surface/pixelview.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo {

namespace {

[[noreturn]] void Disagrees(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("画像ファイルが壊れています").AddContext(why));
}

int32_t Le32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}
void Put32(std::vector<uint8_t>& out, int32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

// Tables beyond this many tiles are taken for damage: even a 16384 x 16384 picture in 8 x 8 tiles stays
// below, and a table of 1 x 1 tiles of such a picture would ask for gigabytes.
constexpr int64_t kMaxTiles = int64_t(1) << 22;

// The tile grid of a plane: tiles of the tile size, the last column and row narrower.
struct TTileGrid {
    int32_t Columns = 0, Rows = 0, TileWidth = 0, TileHeight = 0, Width = 0, Height = 0;

    TTileGrid(const TDIBSurface& plane, const TPlaneLayout& layout)
        : Columns(int32_t((int64_t(plane.Width()) + layout.TileWidth - 1) / layout.TileWidth)),
          Rows(int32_t((int64_t(plane.Height()) + layout.TileHeight - 1) / layout.TileHeight)),
          TileWidth(layout.TileWidth), TileHeight(layout.TileHeight), Width(plane.Width()), Height(plane.Height()) {
        if (Count() > kMaxTiles)
            Disagrees("tiles of " + std::to_string(TileWidth) + " x " + std::to_string(TileHeight) + " make " +
                      std::to_string(Count()) + " tiles, more than " + std::to_string(kMaxTiles));
    }

    int64_t Count() const noexcept { return int64_t(Columns) * Rows; }
    TRect Tile(int64_t p) const noexcept {
        const int32_t x = int32_t(p % Columns) * TileWidth, y = int32_t(p / Columns) * TileHeight;
        return TRect{x, y, std::min(Width, x + TileWidth), std::min(Height, y + TileHeight)};
    }
};

// Bytes of one stored row of a raw tile: the tile's own width, no padding.
int64_t TileRowBytes(int32_t width, int bits) { return (int64_t(width) * bits + 7) / 8; }

// Raw tile rows <-> storage, packed from the first bit for formats below 8 bits.
void PutTileRows(TDIBSurface& plane, const TRect& tile, const uint8_t* data) {
    const int bits = plane.Format().StorageBits();
    const int64_t rowBytes = TileRowBytes(tile.Width(), bits);
    for (int32_t row = 0; row < tile.Height(); ++row, data += rowBytes) {
        uint8_t* dst = plane.Row(tile.Top + row);
        if (bits >= 8) {
            std::memcpy(dst + size_t(tile.Left) * (bits / 8), data, size_t(rowBytes));
            continue;
        }
        for (int32_t x = 0; x < tile.Width(); ++x)
            WritePixel(dst, tile.Left + x, bits, ReadPixel(data, x, bits));
    }
}

void GetTileRows(const TDIBSurface& plane, const TRect& tile, std::vector<uint8_t>& out) {
    const int bits = plane.Format().StorageBits();
    const int64_t rowBytes = TileRowBytes(tile.Width(), bits);
    out.assign(size_t(rowBytes * tile.Height()), 0);
    uint8_t* data = out.data();
    for (int32_t row = 0; row < tile.Height(); ++row, data += rowBytes) {
        const uint8_t* src = plane.Row(tile.Top + row);
        if (bits >= 8) {
            std::memcpy(data, src + size_t(tile.Left) * (bits / 8), size_t(rowBytes));
            continue;
        }
        for (int32_t x = 0; x < tile.Width(); ++x)
            WritePixel(data, x, bits, ReadPixel(src, tile.Left + x, bits));
    }
}

bool Contains(const TDIBSurface& s, const TRect& r) { return r.Right <= s.Width() && r.Bottom <= s.Height(); }

// Stored position t of a keyed sequence holds item order[t]; natural order without the key.
std::vector<int> StoredOrder(const TPlaneLayout& layout, int64_t n) {
    return TGxRandom::Permutation(layout.Keyed ? layout.Key : 0, int(n));
}

} // namespace

const TDIBSurface* TEarlierPlanes::Find(int32_t frame, int32_t layer) const noexcept {
    if (frame < 0 || size_t(frame) >= Frames.size())
        return nullptr;
    const auto& layers = Frames[size_t(frame)].Layers;
    if (layer < 0 || size_t(layer) >= layers.size())
        return nullptr;
    return (Masks ? layers[size_t(layer)].Mask : layers[size_t(layer)].Colour).get();
}

int64_t PlaneSizeBound(const TDIBSurface& plane, const TPlaneLayout& layout) {
    if (!layout.Tiled())
        return int64_t(plane.ImageSize());
    const TTileGrid grid(plane, layout);
    // Every column's row bytes, times the height: all tiles raw.
    const int bits = plane.Format().StorageBits();
    const int32_t lastWidth = plane.Width() - (grid.Columns - 1) * grid.TileWidth;
    const int64_t columnBytes = (grid.Columns - 1) * TileRowBytes(grid.TileWidth, bits) + TileRowBytes(lastWidth, bits);
    return grid.Count() * 8 + columnBytes * plane.Height();
}

void DecodePlane(std::span<const uint8_t> data, TDIBSurface& plane, const TPlaneLayout& layout,
                 const TEarlierPlanes& earlier) {
    if (!layout.Tiled()) {
        const size_t rowBytes = size_t(plane.RowBytes());
        if (data.size() != plane.ImageSize())
            Disagrees("the plane holds " + std::to_string(data.size()) + " bytes, the picture needs " +
                      std::to_string(plane.ImageSize()));
        const std::vector<int> order = StoredOrder(layout, plane.Height());
        for (size_t t = 0; t < order.size(); ++t)
            std::memcpy(plane.Row(order[t]), data.data() + t * rowBytes, rowBytes);
        return;
    }

    const TTileGrid grid(plane, layout);
    const int64_t count = grid.Count();
    if (int64_t(data.size()) < count * 8)
        Disagrees("the plane is shorter than its table of " + std::to_string(count) + " tiles");
    // Table entries in row-major tile order.
    std::vector<std::pair<int32_t, int32_t>> table(static_cast<size_t>(count));
    const std::vector<int> order = StoredOrder(layout, count);
    for (int64_t t = 0; t < count; ++t) {
        const uint8_t* entry = data.data() + t * 8;
        table[size_t(order[size_t(t)])] = {Le32(entry), Le32(entry + 4)};
    }

    const int bits = plane.Format().StorageBits();
    size_t at = size_t(count * 8);
    for (int64_t p = 0; p < count; ++p) {
        const TRect tile = grid.Tile(p);
        const auto [k, j] = table[size_t(p)];
        if (k == kTileRaw) {
            const int64_t bytes = TileRowBytes(tile.Width(), bits) * tile.Height();
            if (int64_t(data.size() - at) < bytes)
                Disagrees("tile " + std::to_string(p) + " runs past the end of the plane");
            PutTileRows(plane, tile, data.data() + at);
            at += size_t(bytes);
        } else if (k == kTileSame) {
            if (j < 0 || j >= p)
                Disagrees("tile " + std::to_string(p) + " refers to tile " + std::to_string(j) + " not read yet");
            const TRect source = grid.Tile(j);
            if (source.Width() != tile.Width() || source.Height() != tile.Height())
                Disagrees("tile " + std::to_string(p) + " refers to tile " + std::to_string(j) + " of another size");
            CopyArea(plane, tile.Left, tile.Top, plane, source);
        } else if (k >= 0) {
            const TDIBSurface* source = earlier.Find(k, j);
            if (!source)
                Disagrees("tile " + std::to_string(p) + " refers to layer " + std::to_string(j) + " of frame " +
                          std::to_string(k) + ", which has not been read");
            if (source->BitCount() != plane.BitCount() || !Contains(*source, tile))
                Disagrees("tile " + std::to_string(p) + " refers to a layer of another format or size");
            CopyArea(plane, tile.Left, tile.Top, *source, tile);
        } else {
            Disagrees("tile " + std::to_string(p) + " has the reference " + std::to_string(k));
        }
    }
    if (at != data.size())
        Disagrees("the plane holds " + std::to_string(data.size() - at) + " bytes after its last tile");
}

std::vector<uint8_t> EncodePlane(const TDIBSurface& plane, const TPlaneLayout& layout, const TEarlierPlanes& earlier) {
    std::vector<uint8_t> out;
    if (!layout.Tiled()) {
        const size_t rowBytes = size_t(plane.RowBytes());
        out.resize(plane.ImageSize());
        const std::vector<int> order = StoredOrder(layout, plane.Height());
        for (size_t t = 0; t < order.size(); ++t)
            std::memcpy(out.data() + t * rowBytes, plane.Row(order[t]), rowBytes);
        return out;
    }

    const TTileGrid grid(plane, layout);
    const int64_t count = grid.Count();
    std::vector<std::pair<int32_t, int32_t>> table(static_cast<size_t>(count));
    std::vector<uint8_t> raw, bytes, other;
    // Tiles already stored raw, by their size and bytes.
    std::unordered_map<std::string, int32_t> seen;
    for (int64_t p = 0; p < count; ++p) {
        const TRect tile = grid.Tile(p);
        GetTileRows(plane, tile, bytes);
        std::string key = std::to_string(tile.Width()) + "x" + std::to_string(tile.Height()) + ":";
        key.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (auto it = seen.find(key); it != seen.end()) {
            table[size_t(p)] = {kTileSame, it->second};
            continue;
        }
        bool found = false;
        for (int32_t k = int32_t(earlier.Frames.size()) - 1; k >= 0 && !found; --k)
            for (int32_t j = 0; j < int32_t(earlier.Frames[size_t(k)].Layers.size()) && !found; ++j) {
                const TDIBSurface* source = earlier.Find(k, j);
                if (!source || source->BitCount() != plane.BitCount() || !Contains(*source, tile))
                    continue;
                GetTileRows(*source, tile, other);
                if (other == bytes) {
                    table[size_t(p)] = {k, j};
                    found = true;
                }
            }
        if (found)
            continue;
        table[size_t(p)] = {kTileRaw, 0};
        seen.emplace(std::move(key), int32_t(p));
        raw.insert(raw.end(), bytes.begin(), bytes.end());
    }

    const std::vector<int> order = StoredOrder(layout, count);
    out.reserve(size_t(count * 8) + raw.size());
    for (int64_t t = 0; t < count; ++t) {
        const auto [k, j] = table[size_t(order[size_t(t)])];
        Put32(out, k);
        Put32(out, j);
    }
    out.insert(out.end(), raw.begin(), raw.end());
    return out;
}

} // namespace ruvo
