#include <gtest/gtest.h>

#include "objects/world/cliplist.hpp"

namespace ruvo {
namespace {

constexpr TRect kScreen{0, 0, 640, 480};

TEST(ClipList, RectanglesWithin20PixelsMergeAndFartherOnesStayApart) {
    struct Case {
        TRect a, b;
        size_t count;
        const char* what;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {25, 0, 35, 10}, 1, "15 pixels to the right"},
        {{0, 0, 10, 10}, {30, 0, 40, 10}, 1, "exactly 20 to the right"},
        {{0, 0, 10, 10}, {31, 0, 41, 10}, 2, "21 to the right"},
        {{0, 0, 10, 10}, {35, 0, 45, 10}, 2, "25 to the right"},
        {{50, 50, 60, 60}, {50, 75, 60, 85}, 1, "15 below"},
        {{50, 50, 60, 60}, {50, 15, 60, 25}, 2, "25 above"},
        {{0, 0, 10, 10}, {15, 200, 25, 210}, 2, "close across, far down"},
    };
    for (const Case& c : cases) {
        TClipList list;
        list.Add(c.a, kScreen);
        list.Add(c.b, kScreen);
        EXPECT_EQ(list.Rects().size(), c.count) << c.what;
        if (c.count == 1) {
            EXPECT_EQ(list.Rects()[0], (TRect{std::min(c.a.Left, c.b.Left), std::min(c.a.Top, c.b.Top),
                                               std::max(c.a.Right, c.b.Right), std::max(c.a.Bottom, c.b.Bottom)}))
                << c.what;
        }
    }
}

TEST(ClipList, ARectangleInsideAStoredOneAddsNothing) {
    TClipList list;
    list.Add({0, 0, 100, 100}, kScreen);
    list.Add({10, 10, 20, 20}, kScreen);
    ASSERT_EQ(list.Rects().size(), 1u);
    EXPECT_EQ(list.Rects()[0], (TRect{0, 0, 100, 100}));
}

TEST(ClipList, AUnionMayReachRectanglesItWasNotCloseToBefore) {
    TClipList list;
    list.Add({0, 0, 10, 10}, kScreen);
    list.Add({100, 0, 110, 10}, kScreen);
    ASSERT_EQ(list.Rects().size(), 2u);
    list.Add({20, 0, 90, 10}, kScreen);  // joins the first; the union then joins the second
    ASSERT_EQ(list.Rects().size(), 1u);
    EXPECT_EQ(list.Rects()[0], (TRect{0, 0, 110, 10}));
}

TEST(ClipList, RectanglesAreCutToTheScreenAndEmptyOnesDropped) {
    TClipList list;
    list.Add({-50, -50, 10, 10}, kScreen);
    list.Add({700, 10, 800, 20}, kScreen);
    list.Add({5, 5, 5, 50}, kScreen);
    ASSERT_EQ(list.Rects().size(), 1u);
    EXPECT_EQ(list.Rects()[0], (TRect{0, 0, 10, 10}));
    EXPECT_EQ(list.Take().size(), 1u);
    EXPECT_TRUE(list.Empty());
}

TEST(ClipList, FarApartCornersDoNotOverflow) {
    TClipList list;
    const TRect all{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    list.Add({INT32_MIN, INT32_MIN, INT32_MIN + 5, INT32_MIN + 5}, all);
    list.Add({INT32_MAX - 5, INT32_MAX - 5, INT32_MAX, INT32_MAX}, all);
    EXPECT_EQ(list.Rects().size(), 2u);
}

} // namespace
} // namespace ruvo
