// The world's screen switch through a transition: the composition surface shows the front screen's
// picture at the start and the back screen's at the end, the same frames as the transition drawn
// straight from the two pictures, what it drew for the presenter, the screens' own surfaces meanwhile,
// and the ways a transition ends (a switch without one, a reset, a saved world loaded).
#include <memory>

#include "archive/streams.hpp"
#include "world_fixture.hpp"

namespace ruvo::testing {
namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

uint32_t Px(uint32_t colour) { return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF); }

class WorldTransition : public WorldFixture {
protected:
    WorldTransition() {
        SetProperty(Box("old", 0, 0, kWidth, kHeight), PR_COLOR, int32_t(kRed));
        SetProperty(Box("new", 0, 0, kWidth, kHeight, &world.BackScreen()), PR_COLOR, int32_t(kBlue));
        TRuvoBox& mark = Box("mark", 20, 30, 40, 50, &world.BackScreen());
        SetProperty(mark, PR_COLOR, int32_t(kGreen));
        SetProperty(mark, PR_PRIORITY, int32_t(1));
        world.Paint();
        world.TakeDirtyRects();
    }

    TRandomFunction Random() {
        return [this](int32_t n) { return funcs.Random(n); };
    }
    void Start(int type, int32_t duration, bool reverse = false) {
        world.SetActive(world.ActiveIndex(), TWipeSettings{.Type = type, .Duration = duration, .Reverse = reverse},
                        Random(), true, 0);
    }

    // The pictures of both screens as plain surfaces, made without the world.
    std::unique_ptr<TDIBX> Plain(bool after) {
        auto s = std::make_unique<TDIBX>();
        s->SetSize(kWidth, kHeight, 32);
        s->Clear(Px(after ? kBlue : kRed));
        if (after) s->FillRect(Bounds(20, 30, 40, 50), Px(kGreen));
        return s;
    }

    ::testing::AssertionResult SameAs(TDIBX& expected) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if ((world.Surface().GetPixel(x, y) & 0xFFFFFF) != (expected.GetPixel(x, y) & 0xFFFFFF))
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") differs";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(WorldTransition, StartsOnTheOldPictureAndEndsOnTheNew) {
    for (const int type : {1, 2, 11, 19, 24, 31}) {
        SCOPED_TRACE(type);
        Start(type, 160);
        EXPECT_TRUE(world.InTransition());
        EXPECT_EQ(world.TransitionDuration(), 160);
        world.Paint();
        EXPECT_TRUE(SameAs(*Plain(false)));
        EXPECT_EQ(world.TransitionRect(), (TRect{0, 0, kWidth, kHeight}));
        world.SetTransitionElapsed(160);
        world.Paint();
        EXPECT_TRUE(SameAs(*Plain(true)));
        // Ending it makes the back screen the front one with the same picture.
        world.SetActive(1 - world.ActiveIndex());
        EXPECT_FALSE(world.InTransition());
        EXPECT_EQ(world.TransitionDuration(), 0);
        world.Paint();
        EXPECT_TRUE(world.TransitionRect().IsEmpty());
        EXPECT_TRUE(SameAs(*Plain(true)));
        world.SetActive(1 - world.ActiveIndex());  // back to the red screen for the next type
        world.Paint();
        EXPECT_TRUE(SameAs(*Plain(false)));
    }
}

TEST_F(WorldTransition, EveryFrameIsTheTransitionDrawnFromThePlainPictures) {
    for (const int type : {1, 3, 8, 15, 22, 31}) {
        SCOPED_TRACE(type);
        std::unique_ptr<TDIBX> before = Plain(false), after = Plain(true);
        TDIBX target;
        target.SetSize(kWidth, kHeight, 32);
        TWipeStart direct = StartWipe({.Type = type, .Duration = 200, .Reverse = true}, {target, *before, *after},
                                      Random());
        ASSERT_FALSE(direct.ChangesAtOnce());
        Start(type, 200, true);
        for (const int32_t t : {0, 37, 100, 199}) {
            world.SetTransitionElapsed(t);
            world.Paint();
            direct.Wipe->Elapsed = t;
            direct.Wipe->Step();
            EXPECT_TRUE(SameAs(target)) << "at " << t;
        }
        world.SetActive(world.ActiveIndex());
    }
}

TEST_F(WorldTransition, ScreensDrawIntoTheirOwnSurfacesAndThePresenterGetsWhatTheTransitionDrew) {
    Start(1, 100);
    EXPECT_EQ(world.SurfaceOf(world.ActiveScreen()), &world.ActiveScreen().PrivateSurface());
    EXPECT_EQ(world.SurfaceOf(world.BackScreen()), &world.BackScreen().PrivateSurface());
    // A change on the new screen while the transition runs reaches the picture it ends on.
    SetProperty(*Find("mark"), PR_COLOR, int32_t(kRed));
    world.SetTransitionElapsed(50);
    world.Paint();
    const std::vector<TRect> presented = world.TakeDirtyRects();
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0], (TRect{0, 0, kWidth, kHeight}));
    world.SetTransitionElapsed(100);
    world.Paint();
    EXPECT_EQ(world.Surface().GetPixel(30, 40) & 0xFFFFFF, Px(kRed));
    EXPECT_EQ(world.Surface().GetPixel(5, 5) & 0xFFFFFF, Px(kBlue));
    world.SetActive(1 - world.ActiveIndex());
    EXPECT_EQ(world.SurfaceOf(world.ActiveScreen()), &world.Surface());
}

TEST_F(WorldTransition, NoTransitionMeansTheScreenChangesAtOnce) {
    // A type without a transition, no time, or a switch without a type: nothing freezes the picture.
    for (const TWipeSettings settings : {TWipeSettings{.Type = 39, .Duration = 100}, TWipeSettings{.Type = 1, .Duration = 0},
                                         TWipeSettings{.Type = 0, .Duration = 100}}) {
        world.SetActive(1 - world.ActiveIndex(), settings, Random(), true, 0);
        EXPECT_FALSE(world.InTransition());
        world.Paint();
        EXPECT_TRUE(SameAs(*Plain(true)));
        world.SetActive(1 - world.ActiveIndex());
        world.Paint();
        EXPECT_TRUE(SameAs(*Plain(false)));
    }
}

TEST_F(WorldTransition, ARunningTransitionIsKeptUnlessForced) {
    Start(1, 100);
    world.SetTransitionElapsed(50);
    world.SetActive(world.ActiveIndex(), TWipeSettings{.Type = 2, .Duration = 400}, Random(), false, 60);
    EXPECT_EQ(world.TransitionDuration(), 100);
    Start(2, 400);
    EXPECT_EQ(world.TransitionDuration(), 400);
}

TEST_F(WorldTransition, AResetOrALoadedWorldEndsTheTransition) {
    Start(1, 100);
    world.Paint();
    TMemoryStream saved;
    world.SaveToStream(saved);
    saved.SetPosition(0);
    world.LoadFromStream(saved, kSaveVersion);
    EXPECT_FALSE(world.InTransition());
    EXPECT_EQ(world.TransitionDuration(), 0);
    world.Paint();
    EXPECT_TRUE(SameAs(*Plain(false)));

    Start(1, 100);
    world.Reset();
    EXPECT_FALSE(world.InTransition());
    world.Paint();  // the transition's surfaces went with the old screens
    // A new size while a transition runs: it stops drawing and the new picture is shown.
    SetProperty(Box("again", 0, 0, kWidth, kHeight, &world.BackScreen()), PR_COLOR, int32_t(kBlue));
    Start(1, 100);
    world.SetSize(kWidth, kHeight + 10);
    world.Paint();
    EXPECT_EQ(world.Surface().GetPixel(0, 0) & 0xFFFFFF, Px(kBlue));
}

} // namespace
} // namespace ruvo::testing
