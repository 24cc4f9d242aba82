// Where controls land on the screen: the pivot, zoom, flips, PosZoomed, the parent's scroll, PlusX,
// motions and the scaled placement inside a parent image; clip rectangles and invalidation.
#include <memory>

#include "graphics/surface/dibx.hpp"
#include "objects/motion/motion.hpp"
#include "world_fixture.hpp"

namespace ruvo::testing {
namespace {

// A control with what images and tiles add to the geometry.
class TShaped : public TRuvoControl {
public:
    using TRuvoControl::TRuvoControl;
    int32_t ZoomX() const override { return zoomX; }
    int32_t ZoomY() const override { return zoomY; }
    bool FlipH() const override { return flipH; }
    bool FlipV() const override { return flipV; }
    int32_t ScrollX() const override { return scrollX; }
    int32_t ScrollY() const override { return scrollY; }
    TCustomDIBX* DrawnSurface() const override { return surface.get(); }
    void Draws(int w, int h) {
        surface = std::make_unique<TDIBX>();
        surface->SetSize(w, h, 32);
    }

    int32_t zoomX = 256, zoomY = 256, scrollX = 0, scrollY = 0;
    bool flipH = false, flipV = false;
    std::unique_ptr<TDIBX> surface;
};

class TStillMotion : public TRuvoMotion {
public:
    bool Step() override { return false; }
    bool Finished() const override { return false; }
    void Restart() override {}
};

class Geometry : public WorldFixture {
protected:
    TShaped& Shaped(TRuvoControl* parent = nullptr) {
        auto& s = static_cast<TShaped&>(world.Adopt(std::make_unique<TShaped>(&world)));
        if (parent) s.SetParent(parent);
        return s;
    }
};

TEST_F(Geometry, ScreenLeftAndTopFollowEveryTerm) {
    struct Case {
        const char* what;
        int zoom, offset, left, width;
        bool flip, posZoomed, onScreen;
        int plus;
        int expected;
    };
    const Case cases[] = {
        {"pivot at zoom 256", 256, 10, 30, 40, false, false, true, 0, 20},
        {"pivot scaled by the zoom, no parent", 128, 100, 300, 100, false, false, false, 0, 250},
        {"mirrored pivot", 128, 100, 300, 100, true, false, false, 0, 251},
        {"mirrored pivot at 256", 256, 10, 30, 40, true, false, true, 0, 1},
        {"position scaled by the own zoom", 512, 0, 30, 10, false, true, true, 0, 60},
        {"negative zoomed position truncates toward zero", 384, 0, -3, 10, false, true, true, 0, -4},
        {"PlusX comes last", 256, 0, 30, 10, false, false, true, 7, 37},
    };
    for (const Case& c : cases) {
        TShaped& s = Shaped(c.onScreen ? &world.ActiveScreen() : nullptr);
        s.zoomX = s.zoomY = c.zoom;
        s.flipH = s.flipV = c.flip;
        s.OffsetX = s.OffsetY = c.offset;
        s.Left = s.Top = c.left;
        s.Width = s.Height = c.width;
        s.PosZoomed = c.posZoomed;
        s.PlusX = s.PlusY = c.plus;
        EXPECT_EQ(s.ScreenLeft(), c.expected) << c.what;
        EXPECT_EQ(s.ScreenTop(), c.expected) << c.what;
    }
}

TEST_F(Geometry, AParentAddsItsPlaceLessItsScroll) {
    TShaped& parent = Shaped(&world.ActiveScreen());
    parent.Left = 100;
    parent.Top = 50;
    parent.scrollX = 7;
    parent.scrollY = -3;
    TShaped& child = Shaped(&parent);
    child.Left = 5;
    child.Top = 5;
    EXPECT_EQ(child.ScreenLeft(), 98);
    EXPECT_EQ(child.ScreenTop(), 58);
    EXPECT_EQ(Eval("ToClientX(\"" + child.Name + "\", 100)"), "2");
    EXPECT_EQ(Eval("ToScreenY(\"" + child.Name + "\", 2)"), "60");
    EXPECT_EQ(Eval("ToClientX(\"nobody\", 100)"), "100");
}

TEST_F(Geometry, AMotionPlacesTheControlInsteadOfLeftAndTop) {
    TShaped& s = Shaped(&world.ActiveScreen());
    s.Left = 10;
    s.MotionX = 70;
    s.MotionY = 80;
    s.PosZoomed = true;
    s.zoomX = 512;
    s.AttachMotion(std::make_unique<TStillMotion>());
    EXPECT_EQ(s.ScreenLeft(), 70);
    EXPECT_EQ(s.ScreenTop(), 80);
    s.SubPriority = 4;
    s.FreeMotion();
    EXPECT_EQ(s.MotionX, 0);
    EXPECT_EQ(s.SubPriority, 0);
    EXPECT_EQ(s.ScreenLeft(), 20);
}

// Inside a parent image of the same zoom, a zoomed-position image follows the parent's scaling of its
// picture: the offset, in the parent's picture pixels, is scaled by parent width / surface width in 16.16,
// rounded half up, so that a half-size parent also halves the places of its children.
TEST_F(Geometry, InsideAnImageOfTheSameZoomThePlaceFollowsTheImagesScaling) {
    TShaped& parent = Shaped(&world.ActiveScreen());
    parent.Draws(200, 90);
    parent.zoomX = parent.zoomY = 128;
    parent.Left = 10;
    parent.Top = 20;
    parent.Width = 100;
    parent.Height = 45;
    TShaped& child = Shaped(&parent);
    child.Draws(30, 30);
    child.zoomX = child.zoomY = 128;
    child.PosZoomed = true;
    child.Left = 40;
    child.OffsetX = 3;
    child.Top = 7;
    EXPECT_EQ(child.ScreenLeft(), 10 + 19);   // (40 − 3) / 2 = 18.5
    EXPECT_EQ(child.ScreenTop(), 20 + 4);     // 7 × 45 / 90 = 3.5
    child.flipH = true;
    EXPECT_EQ(child.ScreenLeft(), 10 + 67);   // (200 + 3 − 40 − 30) / 2 = 66.5
    // Another zoom, a motion or a screen as parent: the ordinary rule.
    child.flipH = false;
    child.zoomX = 256;
    EXPECT_EQ(child.ScreenLeft(), 10 + 40 - 3);
}

TEST_F(Geometry, ThePlacementRoundsHalfUp) {
    TShaped& parent = Shaped(&world.ActiveScreen());
    parent.Draws(2, 2);
    parent.Width = 1;  // half the picture's width
    TShaped& child = Shaped(&parent);
    child.Draws(1, 1);
    child.PosZoomed = true;
    child.Left = 1;   // 0.5 → 1
    EXPECT_EQ(child.ScreenLeft(), 1);
    child.Left = -1;  // −0.5 → 0
    EXPECT_EQ(child.ScreenLeft(), 0);
    child.Left = -3;  // −1.5 → −1
    EXPECT_EQ(child.ScreenLeft(), -1);
}

TEST_F(Geometry, AClipRectangleCountsOnlyWithWidthAndHeightAboveZero) {
    TRuvoBox& b = Box("b", 20, 30, 50, 40);
    struct Case {
        int l, t, w, h;
        TRect expected;
    };
    const Case cases[] = {
        {5, 6, 10, 12, {25, 36, 35, 48}},
        {5, 6, 0, 12, {}},
        {5, 6, 10, 0, {}},
        {5, 6, -3, 12, {}},
    };
    for (const Case& c : cases) {
        SetProperty(b, PR_CLIPLEFT, c.l);
        SetProperty(b, PR_CLIPTOP, c.t);
        SetProperty(b, PR_CLIPWIDTH, c.w);
        SetProperty(b, PR_CLIPHEIGHT, c.h);
        EXPECT_EQ(b.ScreenClip(), c.expected);
    }
}

TEST_F(Geometry, InvalidationAddsTheVisiblePartWithinTheParentAndTheClip) {
    TRuvoBox& parent = Box("p", 10, 10, 50, 50);
    Frame();
    world.TakeDirtyRects();
    TRuvoBox& child = Box("c", 40, 40, 100, 100, &parent);
    std::vector<TRect> dirty = world.TakeDirtyRects();
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(dirty[0], (TRect{50, 50, 60, 60}));  // cut to the parent
    child.SetBounds(0, 0, 20, 20);
    SetProperty(child, PR_CLIPWIDTH, 5);
    SetProperty(child, PR_CLIPHEIGHT, 5);
    world.TakeDirtyRects();
    child.Invalidate();
    dirty = world.TakeDirtyRects();
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(dirty[0], (TRect{10, 10, 15, 15}));  // cut to the clip
    SetProperty(child, PR_VISIBLE, false);
    world.TakeDirtyRects();
    child.Invalidate();
    EXPECT_TRUE(world.TakeDirtyRects().empty());  // hidden: nothing to repaint
}

TEST_F(Geometry, SetBoundsDoesNothingWhenNothingChanges) {
    TRuvoBox& b = Box("b", 1, 2, 3, 4);
    world.TakeDirtyRects();
    b.SetBounds(1, 2, 3, 4);
    EXPECT_TRUE(world.TakeDirtyRects().empty());
    b.SetBounds(100, 2, 3, 4);
    EXPECT_EQ(world.TakeDirtyRects().size(), 2u);  // the old place and the new, far apart
}

TEST_F(Geometry, HugeCoordinatesSaturate) {
    TRuvoBox& b = Box("b", INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX);
    SetProperty(b, PR_PLUSX, INT32_MAX);
    SetProperty(b, PR_OFFSETY, INT32_MAX);
    EXPECT_EQ(b.ScreenLeft(), INT32_MAX);
    EXPECT_EQ(b.ScreenTop(), INT32_MIN);
    Frame();
}

} // namespace
} // namespace ruvo::testing
