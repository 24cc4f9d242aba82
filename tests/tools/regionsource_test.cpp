// Region map source: the shapes it writes and the mistakes it names.
#include <gtest/gtest.h>

#include "tools/regionsource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {
namespace {

TEST(RegionSource, BuildsEachShapeInOrder) {
    const TRegionMap map = BuildRegionSource("# the map\n"
                                             "\"北\" rect 0, 0, 99, 49   # top half\r\n"
                                             "\n"
                                             "\"lake\" ellipse -5, 10, 20, 30\n"
                                             "\"hill\" polygon 0,100, 50,60, 100,100\n",
                                             "m.rvr");
    ASSERT_EQ(map.Count(), 3);
    EXPECT_EQ(map.Regions[0].Name, "\x96\x6b");
    EXPECT_EQ(map.Regions[0].Kind, TMapRegion::kRectangle);
    EXPECT_EQ(map.Regions[0].Bounds(), (TRect{0, 0, 100, 50}));
    EXPECT_EQ(map.Regions[1].Kind, TMapRegion::kEllipse);
    EXPECT_EQ(map.Regions[1].Left, -5);
    EXPECT_TRUE(map.Regions[2].IsPolygon());
    EXPECT_EQ(map.Regions[2].Points, (std::vector<TMapPoint>{{0, 100}, {50, 60}, {100, 100}}));
}

TEST(RegionSource, MistakesNameTheLine) {
    struct Case {
        const char* source;
        const char* message;
    } cases[] = {
        {"rect 0, 0, 1, 1", "m.rvr:1: a region starts with its name"},
        {"\"a\" square 0, 0, 1, 1", "m.rvr:1: unknown shape \"square\""},
        {"\n\"a\" rect 0, 0, 1", "m.rvr:2: rect takes left, top, right, bottom"},
        {"\"a\" ellipse 5, 0, 1, 9", "m.rvr:1: ellipse has its right edge left of its left"},
        {"\"a\" polygon 0, 0, 1, 1", "m.rvr:1: polygon takes at least three"},
        {"\"a\" polygon 0, 0, 1, 1, 2", "m.rvr:1: polygon takes at least three"},
        {"\"a\" rect 0, 0, x, 1", "m.rvr:1: \"x\" is not a whole number"},
        {"\"a\" rect 0, 0, 2000000000, 1", "m.rvr:1: 2000000000 is beyond"},
        {"\"a rect 0, 0, 1, 1", "m.rvr:1:"},
    };
    for (const Case& c : cases) {
        try {
            BuildRegionSource(c.source, "m.rvr");
            ADD_FAILURE() << c.source << ": built";
        } catch (const ESourceError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << c.source << ": " << e.what();
        }
    }
}

} // namespace
} // namespace ruvo::tools
