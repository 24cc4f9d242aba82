#pragma once
// Region maps: the named hit areas of a map image, read from their own file. Each region is a
// rectangle, an ellipse inside a rectangle, or a polygon filled by the non-zero winding rule. A pixel
// belongs to a shape when its centre does; rectangles include their right and bottom edges. Tests are
// exact integer arithmetic, so the same pixel gives the same answer on every machine.
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

class TStream;

struct TMapPoint {
    int32_t X = 0, Y = 0;
    constexpr bool operator==(const TMapPoint&) const = default;
};

struct TMapRegion {
    enum TKind : uint8_t { kRectangle = 0, kEllipse = 1 };  // every other kind is a polygon

    std::string Name;
    uint8_t Kind = kRectangle;
    // Rectangles and ellipses: left, top, right, bottom, all inclusive; a right below the left (or a
    // bottom above the top) holds nothing.
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    // Polygons: the corners; fewer than three hold nothing.
    std::vector<TMapPoint> Points;

    bool IsPolygon() const noexcept { return Kind != kRectangle && Kind != kEllipse; }
    bool Contains(int32_t x, int32_t y) const noexcept;
    // The pixels the region may hold (right and bottom exclusive); empty when it holds none.
    TRect Bounds() const noexcept;
    bool operator==(const TMapRegion&) const = default;
};

class TRegionMap {
public:
    // Coordinates beyond this (either sign) mark a damaged file; the tests stay exact within it.
    static constexpr int32_t kMaxCoordinate = 1 << 30;

    // Count, then each region: name (length and bytes), kind byte, and the four edges or the point
    // count and the points. Throws ERuvoError on truncated or impossible content; the map is
    // unchanged then.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

    // The first region holding the point, -1 when none.
    int RegionAt(int32_t x, int32_t y) const noexcept;
    int Count() const noexcept { return static_cast<int>(Regions.size()); }

    std::vector<TMapRegion> Regions;
};

} // namespace ruvo
