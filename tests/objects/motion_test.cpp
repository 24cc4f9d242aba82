// Motions: image objects and boxes whose source is a frame list play it on the game clock, counted in
// frames of 1/60 s; the timeline places the tracks' pictures on the screen, ends by the object's flags,
// follows its object when position-relative, and comes back from a saved game at the frame it had.
#include "archive/streams.hpp"
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/film/filmtransition.hpp"
#include "image_fixture.hpp"
#include "objects/images/cinema.hpp"
#include "objects/motion/filmmotion.hpp"

namespace ruvo::testing {
namespace {

constexpr uint32_t kRed = 0x0000FF;  // 0x00BBGGRR

TestFrame Solid(uint32_t colour) { return TestFrame{[colour](int, int) { return colour; }, nullptr, 100, {}}; }

struct Move {
    int32_t length, startX, endX, y;
    int32_t parent = -1;
};

class Motions : public ImageFixture {
protected:
    Motions() {
        std::filesystem::create_directories(dir / "game" / "anim");
        PutPicture("dot.zph", 4, 4, {Solid(kRed)});
    }

    // A frame list in "anim" of image tracks moving "..\dot.zph" along y; the stage is the world.
    void PutFilm(const std::string& name, const std::vector<Move>& moves, uint8_t relative = 0, int32_t loopStart = 0) {
        TFilmManager film;
        film.PositionRelative = relative;
        film.LoopStart = loopStart;
        for (const Move& m : moves) {
            auto t = std::make_unique<TImageFrameList>();
            t->ParentIndex = m.parent;
            t->Length = m.length;
            t->StartX = m.startX;
            t->EndX = m.endX;
            t->StartY = t->EndY = m.y;
            t->Name = "..\\dot.zph";
            film.AddTrack(std::move(t));
        }
        PutFilmFile("anim/" + name, film);
    }

    // The world through its saved form.
    void SaveAndLoad() {
        TMemoryStream saved;
        world.SaveToStream(saved);
        world.Reset();
        saved.SetPosition(0);
        world.LoadFromStream(saved, kSaveVersion);
        world.SetSize(kWidth, kHeight);
    }

    // Where the red dot's top-left is on the screen; (-1, -1) when none is shown.
    std::pair<int, int> Dot() {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if ((world.Surface().GetPixel(x, y) & 0xFFFFFF) == PixelOf(kRed)) return {x, y};
        return {-1, -1};
    }
};

// 17 ms frames: the n-th frame after the two that place the motion shows timeline frame n
// (round(17 n / 16.67) = n while n < 25).
TEST_F(Motions, TheTimelinePlacesThePictureFrameByFrame) {
    PutFilm("walk.rmt", {{11, 0, 100, 20}, {5, 0, 50, 60, 0}});  // then a chained drop from (100, 20)
    TRuvoImages& m = Images("m", "anim\\walk.rmt");
    EXPECT_EQ(GetIntProperty(m, PR_COUNT), 16);
    Frame(17);
    Frame(17);
    for (int n = 0; n <= 10; ++n) {
        EXPECT_EQ(GetIntProperty(m, PR_INDEX), n);
        // Linear over 12 steps, not 11: the follower starts from the end value, so this track never
        // shows it.
        EXPECT_EQ(Dot(), std::pair(n * 100 / 11, 20)) << n;
        EXPECT_TRUE(GetFlagProperty(m, PR_PLAYING));
        Frame(17);
    }
    // The chained track starts where its parent ended and reaches its own end at its last step.
    EXPECT_EQ(Dot(), std::pair(100, 20));
    Frame(17);
    EXPECT_EQ(Dot(), std::pair(88, 30));
    for (int n = 12; n <= 15; ++n) Frame(17);
    EXPECT_EQ(Dot(), std::pair(50, 60));
}

TEST_F(Motions, TheEndFollowsRepeatAutoScrapAndTheEndHandler) {
    PutFilm("walk.rmt", {{11, 0, 100, 20}});
    struct Case {
        const char* what;
        bool repeat, autoScrap;
        int32_t loopStart;
    };
    for (const Case& c : {Case{"end handler", false, false, 0}, Case{"auto-scrap", false, true, 0},
                          Case{"repeat", true, false, 0}, Case{"repeat from 6", true, false, 6}}) {
        SCOPED_TRACE(c.what);
        const std::string name = "loop" + std::to_string(c.loopStart) + ".rmt";
        PutFilm(name, {{11, 0, 100, 20}}, 0, c.loopStart);
        TRuvoImages& m = Images("m", "anim\\" + name);
        SetProperty(m, PR_REPEAT, c.repeat);
        SetProperty(m, PR_AUTOSCRAP, c.autoScrap);
        SetProperty(m, PR_ONPLAYEND, std::string("end.rsb"));
        std::vector<int32_t> indexes;
        for (int i = 0; i < 30 && Find("m"); ++i) {
            Frame(17);
            if (Find("m")) indexes.push_back(GetIntProperty(m, PR_INDEX));
        }
        if (c.autoScrap) {
            EXPECT_EQ(Find("m"), nullptr);
            EXPECT_TRUE(Events().empty());
        } else if (c.repeat) {
            EXPECT_TRUE(GetFlagProperty(m, PR_PLAYING));
            EXPECT_TRUE(Events().empty());
            // After frame 10 the timeline goes on at the loop start.
            const auto last = std::find(indexes.begin(), indexes.end(), 10);
            ASSERT_NE(last, indexes.end());
            EXPECT_GE(*(last + 1), c.loopStart);
            EXPECT_LE(*(last + 1), c.loopStart + 1);
        } else {
            // Raised once, then the last frame stays.
            EXPECT_EQ(Events(), std::vector<std::string>{"m:43"});
            EXPECT_FALSE(GetFlagProperty(m, PR_PLAYING));
            EXPECT_EQ(indexes.back(), 10);
            EXPECT_EQ(Dot(), std::pair(100, 20));
        }
        if (Find("m")) world.Destroy(m);
        HandleAll();
        Frame(17);
    }
}

TEST_F(Motions, APositionRelativeFilmFollowsItsObject) {
    PutFilm("rel.rmt", {{60, 0, 0, 5}}, 1);
    TRuvoImages& m = Images("m", "anim\\rel.rmt", 30, 40);
    Frame(17);
    EXPECT_EQ(Dot(), std::pair(30, 45));
    SetProperty(m, PR_LEFT, 70);
    Frame(17);
    EXPECT_EQ(Dot(), std::pair(70, 45));
    Frame(17);
    SetProperty(m, PR_TOP, 90);
    Frame(17);
    EXPECT_EQ(Dot(), std::pair(70, 95));
    // An absolute film stays where it is whatever the object's place.
    PutFilm("abs.rmt", {{60, 0, 0, 5}});
    SetProperty(m, PR_SOURCE, std::string("anim\\abs.rmt"));
    Frame(17);
    EXPECT_EQ(Dot(), std::pair(0, 5));
    // The stage covers the screen, but what lies beneath it still takes the mouse.
    SetProperty(m, PR_PRIORITY, 5);
    TRuvoBox& under = Box("under", 100, 100, 20, 20);
    EXPECT_EQ(world.ActiveScreen().HitTest(105, 105, kLeftPressMask), &under);
    SetProperty(m, PR_LEFT, 20);
    Frame(17);
    EXPECT_EQ(Dot(), std::pair(0, 5));
}

TEST_F(Motions, PausingHoldsTheTimelineAndIndexJumpsInIt) {
    PutFilm("walk.rmt", {{11, 0, 100, 20}});
    TRuvoImages& m = Images("m", "anim\\walk.rmt");
    for (int i = 0; i < 5; ++i) Frame(17);
    EXPECT_EQ(GetIntProperty(m, PR_INDEX), 3);
    SetProperty(m, PR_ANIPAUSED, true);
    for (int i = 0; i < 5; ++i) Frame(17);
    EXPECT_EQ(GetIntProperty(m, PR_INDEX), 3);
    EXPECT_FALSE(GetFlagProperty(m, PR_PLAYING));
    SetProperty(m, PR_ANIPAUSED, false);
    SetProperty(m, PR_INDEX, 8);
    Frame(17);
    EXPECT_EQ(GetIntProperty(m, PR_INDEX), 9);
    EXPECT_EQ(Dot(), std::pair(90, 20));
}

TEST_F(Motions, MissingOrDamagedFilmsPlayNothing) {
    std::ofstream(dir / "game" / "anim" / "bad.rmt", std::ios::binary) << "RuvoMotion108\x01\x02";
    files.InvalidateLooseFiles();
    for (const char* name : {"anim\\bad.rmt", "anim\\none.rmt"}) {
        TRuvoImages& m = Images(name, name);
        SetProperty(m, PR_ONPLAYEND, std::string("end.rsb"));
        Frame(17);
        Frame(17);
        EXPECT_EQ(Dot(), std::pair(-1, -1));
        EXPECT_EQ(GetIntProperty(m, PR_COUNT), 0);
        EXPECT_EQ(Events(), std::vector<std::string>{std::string(name) + ":43"});
        HandleAll();
        world.Destroy(m);
    }
}

TEST_F(Motions, ABoxIsTheStageOfItsFilm) {
    PutFilm("walk.rmt", {{11, 0, 100, 20}});
    TRuvoBox& b = Box("b", 0, 0, 10, 10);
    SetProperty(b, PR_COLOR, 0x00FF00);
    SetProperty(b, PR_SOURCE, std::string("anim\\walk.rmt"));
    for (int i = 0; i < 7; ++i) Frame(17);
    EXPECT_EQ(Dot(), std::pair(50, 20));
    EXPECT_EQ(world.Surface().GetPixel(150, 100) & 0xFFFFFF, PixelOf(0x00FF00));
    SetProperty(b, PR_SOURCE, std::string());
    EXPECT_EQ(b.GetMotion(), nullptr);
}

TEST_F(Motions, ASavedMotionComesBackAtItsFrame) {
    PutFilm("walk.rmt", {{11, 0, 100, 20}, {5, 0, 50, 60, 0}});
    TRuvoImages& m = Images("m", "anim\\walk.rmt");
    SetProperty(m, PR_ONPLAYEND, std::string("end.rsb"));
    for (int i = 0; i < 8; ++i) Frame(17);
    ASSERT_EQ(GetIntProperty(m, PR_INDEX), 6);
    const std::pair<int, int> shown = Dot();

    SaveAndLoad();
    auto* back = dynamic_cast<TRuvoImages*>(Find("m"));
    ASSERT_NE(back, nullptr);
    ASSERT_NE(back->GetMotion(), nullptr);
    EXPECT_EQ(GetIntProperty(*back, PR_COUNT), 16);
    EXPECT_EQ(GetStrProperty(*back, PR_ONPLAYEND), "end.rsb");
    Frame(17);
    EXPECT_EQ(GetIntProperty(*back, PR_INDEX), 6);
    EXPECT_EQ(Dot(), shown);
    Frame(17);
    Frame(17);
    EXPECT_EQ(GetIntProperty(*back, PR_INDEX), 7);
}

// A transition track changes the screen through the world's transition, from what was shown to what
// the motion draws from then on, for the track's length.
TEST_F(Motions, ATransitionTrackRunsTheWorldsTransition) {
    TFilmManager film;
    auto fade = std::make_unique<TWipeFrameList>();
    fade->KindByte = 3;
    fade->OwnStart = 3;
    fade->Length = 30;  // 500 ms
    fade->Type = 1;
    film.AddTrack(std::move(fade));
    film.Resolve();
    TMemoryStream bytes;
    film.SaveToStream(bytes);
    const std::vector<uint8_t> data = bytes.Bytes();
    std::ofstream(dir / "game" / "anim" / "fade.rmt", std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    files.InvalidateLooseFiles();
    Images("m", "anim\\fade.rmt");
    for (int i = 0; i < 4; ++i) Frame(17);
    EXPECT_FALSE(world.InTransition());
    Frame(17);
    EXPECT_TRUE(world.InTransition());
    EXPECT_EQ(world.TransitionDuration(), 500);
    for (int i = 0; i < 40; ++i) Frame(17);
    EXPECT_FALSE(world.InTransition());
}

// A cinema shows its stage (black where the film draws nothing) at its place, plays on its own clock and
// ends by its flags; saved, it comes back where it was.
TEST_F(Motions, ACinemaPlaysOnItsOwnStage) {
    PutFilm("walk.rmt", {{11, 0, 100, 20}});
    world.ActiveScreen().SetColor(0xFFFFFF);
    auto& c = static_cast<TRuvoCinema&>(*world.CreateByType(4));
    c.SetName("c");
    c.SetParent(&world.ActiveScreen());
    SetProperty(c, PR_LEFT, 30);
    SetProperty(c, PR_ONPLAYEND, std::string("end.rsb"));
    SetProperty(c, PR_SOURCE, std::string("anim\\walk.rmt"));
    EXPECT_EQ(GetIntProperty(c, PR_COUNT), 11);
    EXPECT_EQ(GetIntProperty(c, PR_WIDTH), kWidth);  // the film gives no stage size: the world's
    Frame(17);
    EXPECT_EQ(Dot(), std::pair(30, 20));
    EXPECT_EQ(world.Surface().GetPixel(10, 10) & 0xFFFFFF, 0xFFFFFFu);  // left of the cinema
    EXPECT_EQ(world.Surface().GetPixel(40, 10) & 0xFFFFFF, 0u);         // its stage
    for (int i = 0; i < 4; ++i) Frame(17);
    EXPECT_EQ(GetIntProperty(c, PR_INDEX), 4);
    EXPECT_EQ(Dot(), std::pair(70, 20));
    SetProperty(c, PR_PAUSED, true);
    Frame(17);
    EXPECT_FALSE(GetFlagProperty(c, PR_PLAYING));
    EXPECT_EQ(GetIntProperty(c, PR_INDEX), 4);

    SaveAndLoad();
    auto* back = dynamic_cast<TRuvoCinema*>(Find("c"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Source, "anim\\walk.rmt");
    EXPECT_TRUE(back->Paused);
    SetProperty(*back, PR_PAUSED, false);
    Frame(17);
    EXPECT_EQ(GetIntProperty(*back, PR_INDEX), 4);
    EXPECT_EQ(Dot(), std::pair(70, 20));
    for (int i = 0; i < 10; ++i) Frame(17);
    EXPECT_EQ(Events(), std::vector<std::string>{"c:43"});
    EXPECT_EQ(Dot(), std::pair(130, 20));
    HandleAll();
    SetProperty(*back, PR_AUTOSCRAP, true);
    SetProperty(*back, PR_INDEX, 8);
    for (int i = 0; i < 5; ++i) Frame(17);
    EXPECT_EQ(Find("c"), nullptr);
    EXPECT_TRUE(Events().empty());
}

// A picture shown by an image object and by a cinema's track is decoded once: both take it from the
// world's picture cache.
TEST_F(Motions, ACinemaSharesPicturesWithImages) {
    PutFilm("walk.rmt", {{11, 0, 100, 20}});
    auto& c = static_cast<TRuvoCinema&>(*world.CreateByType(4));
    c.SetName("c");
    c.SetParent(&world.ActiveScreen());
    SetProperty(c, PR_SOURCE, std::string("anim\\walk.rmt"));
    EXPECT_EQ(pictures.Decodes(), 1);  // the cinema's track took it from the cache
    Images("i", "dot.zph", 0, 100);    // in front of the cinema's stage (by name)
    Frame(17);
    EXPECT_EQ(Dot(), std::pair(0, 20));
    EXPECT_EQ((world.Surface().GetPixel(0, 100) & 0xFFFFFF), PixelOf(kRed));
    EXPECT_EQ(pictures.Decodes(), 1);
}

} // namespace
} // namespace ruvo::testing
