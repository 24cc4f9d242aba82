#include "graphics/images/regionmap.hpp"

#include <algorithm>
#include <limits>

#include "archive/errors.hpp"
#include "archive/streams.hpp"

namespace ruvo {

namespace {

using int128 = __int128;

[[noreturn]] void Damaged(const std::string& what) {
    throw ERuvoError::FromUtf8("領域マップが壊れています").AddContext(what);
}

int32_t ReadCoordinate(TStream& s) {
    const int32_t v = ReadInt(s);
    if (v < -TRegionMap::kMaxCoordinate || v > TRegionMap::kMaxCoordinate)
        Damaged("coordinate " + std::to_string(v) + " out of range");
    return v;
}

// A count whose records (each at least minBytes long) must fit in what is left of the stream.
int32_t ReadCount(TStream& s, int64_t minBytes, const char* what) {
    const int32_t n = ReadInt(s);
    const int64_t left = s.Size() - s.Position();
    if (n < 0 || int64_t{n} * minBytes > left) Damaged(std::string(what) + " count " + std::to_string(n));
    return n;
}

// Doubled coordinates put pixel centres on odd numbers and corners on even ones: no fractions.
bool InsideEllipse(const TMapRegion& r, int32_t x, int32_t y) {
    const int128 a = int128{r.Right} - r.Left + 1, b = int128{r.Bottom} - r.Top + 1;  // doubled radii
    const int128 dx = 2 * int128{x} - r.Left - r.Right, dy = 2 * int128{y} - r.Top - r.Bottom;
    return dx * dx * b * b + dy * dy * a * a <= a * a * b * b;
}

bool InsidePolygon(const std::vector<TMapPoint>& points, int32_t x, int32_t y) {
    if (points.size() < 3) return false;
    const int64_t px = 2 * int64_t{x} + 1, py = 2 * int64_t{y} + 1;
    int winding = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const TMapPoint& p0 = points[i];
        const TMapPoint& p1 = points[(i + 1) % points.size()];
        const int64_t x0 = 2 * int64_t{p0.X}, y0 = 2 * int64_t{p0.Y}, x1 = 2 * int64_t{p1.X}, y1 = 2 * int64_t{p1.Y};
        // Which side of the edge the centre lies on; corners are never level with a centre.
        const int128 side = int128{x1 - x0} * (py - y0) - int128{px - x0} * (y1 - y0);
        if (y0 < py && y1 > py && side > 0) ++winding;
        else if (y0 > py && y1 < py && side < 0) --winding;
    }
    return winding != 0;
}

} // namespace

bool TMapRegion::Contains(int32_t x, int32_t y) const noexcept {
    if (IsPolygon()) return InsidePolygon(Points, x, y);
    if (x < Left || x > Right || y < Top || y > Bottom) return false;
    return Kind == kRectangle || InsideEllipse(*this, x, y);
}

TRect TMapRegion::Bounds() const noexcept {
    if (!IsPolygon()) {
        if (Right < Left || Bottom < Top) return {};
        return TRect{Left, Top, Right + 1, Bottom + 1};
    }
    if (Points.size() < 3) return {};
    TRect r{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
            std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()};
    for (const TMapPoint& p : Points) {
        r.Left = std::min(r.Left, p.X);
        r.Top = std::min(r.Top, p.Y);
        r.Right = std::max(r.Right, p.X);
        r.Bottom = std::max(r.Bottom, p.Y);
    }
    return r.IsEmpty() ? TRect{} : r;
}

void TRegionMap::LoadFromStream(TStream& stream) {
    // name length + kind + the shortest shape (a polygon's point count)
    const int32_t n = ReadCount(stream, 4 + 1 + 4, "region");
    std::vector<TMapRegion> regions(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i)
        WithContext([&] { return "region " + std::to_string(i); }, [&] {
            TMapRegion& r = regions[static_cast<size_t>(i)];
            r.Name = ReadStr(stream);
            r.Kind = ReadByte(stream);
            if (!r.IsPolygon()) {
                for (int32_t* v : {&r.Left, &r.Top, &r.Right, &r.Bottom}) *v = ReadCoordinate(stream);
                return;
            }
            r.Points.resize(static_cast<size_t>(ReadCount(stream, 8, "point")));
            for (TMapPoint& p : r.Points) {
                p.X = ReadCoordinate(stream);
                p.Y = ReadCoordinate(stream);
            }
        });
    Regions = std::move(regions);
}

void TRegionMap::SaveToStream(TStream& stream) const {
    WriteInt(stream, Count());
    for (const TMapRegion& r : Regions) {
        WriteStr(stream, r.Name);
        WriteByte(stream, r.Kind);
        if (!r.IsPolygon()) {
            for (int32_t v : {r.Left, r.Top, r.Right, r.Bottom}) WriteInt(stream, v);
            continue;
        }
        WriteInt(stream, static_cast<int32_t>(r.Points.size()));
        for (const TMapPoint& p : r.Points) {
            WriteInt(stream, p.X);
            WriteInt(stream, p.Y);
        }
    }
}

int TRegionMap::RegionAt(int32_t x, int32_t y) const noexcept {
    for (size_t i = 0; i < Regions.size(); ++i)
        if (Regions[i].Contains(x, y)) return static_cast<int>(i);
    return -1;
}

} // namespace ruvo
