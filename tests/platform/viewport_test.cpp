#include <gtest/gtest.h>

#include <utility>

#include "platform/viewport.hpp"

namespace ruvo::platform {
namespace {

TEST(Viewport, FitsKeepingTheAspectAndMapsPointersBack) {
    const struct {
        int areaW, areaH, picW, picH;
        bool integer;
        int x, y, w, h;
    } cases[] = {
        {1920, 1080, 800, 600, false, 240, 0, 1440, 1080},  // pillar-boxed
        {800, 1000, 800, 600, false, 0, 200, 800, 600},     // letter-boxed
        {1920, 1080, 800, 600, true, 560, 240, 800, 600},   // integer: factor 1
        {1920, 1200, 640, 480, true, 320, 120, 1280, 960},  // integer: factor 2
        {400, 300, 800, 600, true, -200, -150, 800, 600},   // never below 1
    };
    for (const auto& c : cases) {
        const Viewport v = FitPicture(c.areaW, c.areaH, c.picW, c.picH, c.integer);
        EXPECT_EQ(v.x, c.x);
        EXPECT_EQ(v.y, c.y);
        EXPECT_EQ(v.width, c.w);
        EXPECT_EQ(v.height, c.h);
    }
    const Viewport v = FitPicture(1920, 1080, 800, 600, false);
    int px, py;
    v.ToPicture(240, 0, px, py);
    EXPECT_EQ(px, 0);
    EXPECT_EQ(py, 0);
    v.ToPicture(240 + 1439, 1079, px, py);
    EXPECT_EQ(px, 799);
    EXPECT_EQ(py, 599);
    v.ToPicture(10, 500, px, py);  // in the left bar: outside the picture
    EXPECT_LT(px, 0);
}

TEST(Viewport, GamePixelsGoToTheWindowAndBack) {
    // Scaled up, scaled down, and one to one with a dock above (the tool bar).
    for (const Viewport& v : {FitPicture(1920, 1080, 800, 600, false), FitPicture(300, 200, 800, 600, false),
                              Viewport{0, 22, 64, 48, 64, 48}}) {
        for (const auto& [x, y] : {std::pair{0, 0}, std::pair{1, 2}, std::pair{v.pictureWidth - 1, v.pictureHeight - 1},
                                   std::pair{v.pictureWidth / 2, v.pictureHeight / 3}}) {
            int wx, wy, px, py;
            v.ToWindow(x, y, wx, wy);
            EXPECT_GE(wx, v.x);
            EXPECT_LT(wx, v.x + v.width);
            v.ToPicture(wx, wy, px, py);
            if (v.width >= v.pictureWidth) {  // a picture shown smaller drops pixels: only larger ones come back
                EXPECT_EQ(px, x);
                EXPECT_EQ(py, y);
            }
        }
    }
}

} // namespace
} // namespace ruvo::platform
