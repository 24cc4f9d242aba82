// Region maps: which pixels each shape holds, at its edges, and what damaged files do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "graphics/images/regionmap.hpp"

namespace ruvo {
namespace {

TMapRegion Shape(uint8_t kind, int32_t l, int32_t t, int32_t r, int32_t b) {
    TMapRegion region;
    region.Kind = kind;
    region.Left = l, region.Top = t, region.Right = r, region.Bottom = b;
    return region;
}

TMapRegion Polygon(std::vector<TMapPoint> points, uint8_t kind = 2) {
    TMapRegion region;
    region.Kind = kind;
    region.Points = std::move(points);
    return region;
}

TEST(RegionMap, PixelsAtTheEdgesOfEachShape) {
    const TMapRegion rect = Shape(TMapRegion::kRectangle, 2, 3, 5, 7);
    const TMapRegion ellipse = Shape(TMapRegion::kEllipse, 0, 0, 9, 9);
    const TMapRegion wide = Shape(TMapRegion::kEllipse, 10, 0, 29, 3);  // 20 x 4
    const TMapRegion square = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    const TMapRegion triangle = Polygon({{0, 0}, {8, 0}, {0, 8}}, 7);
    // A five-pointed star drawn in one stroke: its centre is wound twice (held under the non-zero
    // rule, a hole under even-odd).
    const TMapRegion star = Polygon({{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}});
    struct Case {
        const char* what;
        const TMapRegion& region;
        int32_t x, y;
        bool inside;
    } cases[] = {
        {"rect top-left corner", rect, 2, 3, true},
        {"rect bottom-right corner (inclusive)", rect, 5, 7, true},
        {"rect left of the left edge", rect, 1, 5, false},
        {"rect right of the right edge", rect, 6, 5, false},
        {"rect above the top", rect, 3, 2, false},
        {"rect below the bottom", rect, 3, 8, false},
        {"ellipse centre", ellipse, 5, 5, true},
        {"ellipse box corner", ellipse, 0, 0, false},
        {"ellipse far box corner", ellipse, 9, 9, false},
        {"ellipse leftmost middle pixel", ellipse, 0, 4, true},
        {"ellipse rightmost middle pixel", ellipse, 9, 5, true},
        {"ellipse top middle pixel", ellipse, 4, 0, true},
        {"ellipse bottom middle pixel", ellipse, 5, 9, true},
        {"ellipse just off its curve", ellipse, 0, 1, false},
        {"ellipse just on its curve", ellipse, 1, 1, true},
        {"ellipse outside its box", ellipse, 10, 5, false},
        {"flat ellipse end of its long axis", wide, 10, 1, true},
        {"flat ellipse corner of its box", wide, 10, 0, false},
        {"flat ellipse top middle", wide, 19, 0, true},
        {"square first pixel", square, 0, 0, true},
        {"square last pixel", square, 3, 3, true},
        {"square past the right corner", square, 4, 3, false},
        {"square past the bottom", square, 3, 4, false},
        {"triangle beside its hypotenuse", triangle, 3, 3, true},
        {"triangle across its hypotenuse", triangle, 4, 4, false},
        {"star centre wound twice", star, 10, 10, true},
        {"star point", star, 10, 2, true},
        {"star between two points", star, 1, 14, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.region.Contains(c.x, c.y), c.inside) << c.what;
}

TEST(RegionMap, DegenerateShapesHoldNothing) {
    for (const TMapRegion& r : {Shape(TMapRegion::kRectangle, 5, 5, 4, 9), Shape(TMapRegion::kEllipse, 5, 5, 9, 4),
                                Polygon({}), Polygon({{0, 0}, {9, 9}}), Polygon({{0, 0}, {5, 5}, {9, 9}})}) {
        if (r.Points.size() != 3) EXPECT_TRUE(r.Bounds().IsEmpty());  // a flat triangle has bounds, no pixels
        for (int y = -1; y < 11; ++y)
            for (int x = -1; x < 11; ++x) EXPECT_FALSE(r.Contains(x, y)) << x << "," << y;
    }
    // A one-pixel rectangle and ellipse are that pixel.
    for (uint8_t kind : {TMapRegion::kRectangle, TMapRegion::kEllipse}) {
        const TMapRegion dot = Shape(kind, 3, 3, 3, 3);
        EXPECT_EQ(dot.Bounds(), (TRect{3, 3, 4, 4}));
        EXPECT_TRUE(dot.Contains(3, 3));
        EXPECT_FALSE(dot.Contains(4, 3));
    }
}

TEST(RegionMap, EveryHeldPixelLiesInTheBounds) {
    const TMapRegion shapes[] = {Shape(TMapRegion::kEllipse, -7, 2, 12, 9), Polygon({{3, -4}, {11, 6}, {-2, 9}}),
                                 Shape(TMapRegion::kRectangle, -1, -1, 0, 0)};
    for (const TMapRegion& r : shapes) {
        const TRect b = r.Bounds();
        int held = 0;
        for (int y = -20; y < 20; ++y)
            for (int x = -20; x < 20; ++x)
                if (r.Contains(x, y)) {
                    ++held;
                    EXPECT_TRUE(x >= b.Left && x < b.Right && y >= b.Top && y < b.Bottom) << x << "," << y;
                }
        EXPECT_GT(held, 0);
    }
}

TEST(RegionMap, HugeShapesAreTestedExactly) {
    const int32_t m = TRegionMap::kMaxCoordinate;
    const TMapRegion ellipse = Shape(TMapRegion::kEllipse, -m, -m, m, m);
    EXPECT_TRUE(ellipse.Contains(0, 0));
    EXPECT_TRUE(ellipse.Contains(-m, 0));
    EXPECT_FALSE(ellipse.Contains(-m, -m));
    EXPECT_FALSE(ellipse.Contains(m / 4 * 3, m / 4 * 3));  // (0.75, 0.75) of the radius is outside
    EXPECT_TRUE(ellipse.Contains(m / 10 * 7, m / 10 * 7));  // (0.7, 0.7) is inside
    const TMapRegion triangle = Polygon({{-m, -m}, {m, -m}, {-m, m}});
    EXPECT_TRUE(triangle.Contains(-1, -1));
    EXPECT_FALSE(triangle.Contains(0, 0));
}

TEST(RegionMap, FirstRegionHoldingThePointWins) {
    TRegionMap map;
    map.Regions = {Shape(TMapRegion::kEllipse, 0, 0, 9, 9), Shape(TMapRegion::kRectangle, 0, 0, 19, 9)};
    EXPECT_EQ(map.RegionAt(5, 5), 0);
    EXPECT_EQ(map.RegionAt(0, 0), 1);
    EXPECT_EQ(map.RegionAt(20, 0), -1);
}

std::string Saved(const TRegionMap& map) {
    TMemoryStream s;
    map.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

TRegionMap Loaded(const std::string& bytes) {
    TMemoryStream s(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    TRegionMap map;
    map.LoadFromStream(s);
    return map;
}

std::string I32(int32_t v) {
    std::string b;
    for (int i = 0; i < 4; ++i) b += char(uint32_t(v) >> (8 * i));
    return b;
}

TEST(RegionMap, WrittenMapsReadBackTheSame) {
    TRegionMap map;
    map.Regions = {Shape(TMapRegion::kRectangle, 1, 2, 3, 4), Shape(TMapRegion::kEllipse, -5, -6, 7, 8),
                   Polygon({{0, 0}, {5, 0}, {0, 5}}, 9), Polygon({})};
    map.Regions[0].Name = "\x96\x6b";  // Shift-JIS 北
    map.Regions[1].Name = "east";
    const std::string bytes = Saved(map);
    EXPECT_EQ(bytes.substr(0, 4 + 4 + 2 + 1 + 4), I32(4) + I32(2) + "\x96\x6b" + std::string(1, '\0') + I32(1));
    const TRegionMap back = Loaded(bytes);
    EXPECT_EQ(back.Regions, map.Regions);
    EXPECT_EQ(Saved(back), bytes);
}

TEST(RegionMap, DamagedFilesFailWithAClearErrorAndLeaveTheMap) {
    const std::string rect = I32(1) + "a" + std::string(1, '\0') + I32(0) + I32(0) + I32(9) + I32(9);
    struct Case {
        const char* what;
        std::string bytes;
        const char* context;  // a piece of the error's context
    } cases[] = {
        {"no count", "", ""},
        {"negative count", I32(-1), "region count"},
        {"count beyond the file", I32(0x7FFFFFFF), "region count"},
        {"truncated rectangle", I32(1) + rect.substr(0, rect.size() - 2), "region 0"},
        {"name past the end", I32(1) + I32(1000) + "abcdefgh", "region 0"},
        {"huge point count", I32(1) + I32(0) + std::string(1, '\2') + I32(0x10000000) + I32(0), "point count"},
        {"negative point count", I32(1) + I32(0) + std::string(1, '\2') + I32(-3), "point count"},
        {"coordinate out of range", I32(1) + I32(0) + std::string(1, '\1') + I32(0) + I32(0) + I32(INT32_MIN) + I32(5),
         "out of range"},
        {"second region truncated", I32(2) + rect + I32(0) + std::string(1, '\2') + I32(3) + I32(1), "region 1"},
    };
    for (const Case& c : cases) {
        TRegionMap map;
        map.Regions = {Shape(TMapRegion::kRectangle, 0, 0, 1, 1)};
        TMemoryStream s(std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()));
        try {
            map.LoadFromStream(s);
            ADD_FAILURE() << c.what << ": read without complaint";
        } catch (const ERuvoError& e) {
            EXPECT_NE(std::string(e.what()).find(c.context), std::string::npos) << c.what << ": " << e.what();
        }
        EXPECT_EQ(map.Count(), 1) << c.what;
    }
    EXPECT_EQ(Loaded(I32(0)).Count(), 0);
}

} // namespace
} // namespace ruvo
