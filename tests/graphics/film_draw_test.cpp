// Frame lists drawn: pictures moved, zoomed, turned and cropped where their tracks put them, boxes,
// frame animation, drawing order, labels, and transitions between the stage's bases.
#include <gtest/gtest.h>

#include "film_helpers.hpp"
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmlabel.hpp"
#include "graphics/film/filmrect.hpp"
#include "graphics/film/filmstage.hpp"
#include "graphics/film/filmtransition.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo::test {
namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

struct TScene {
    TFilmManager film;
    TTestPictures pictures;
    TDIBX screen;

    TScene(int32_t w = 100, int32_t h = 40) { screen.SetSize(w, h, 32); }
    void Picture(const std::string& name, TPicture picture) {
        pictures.Pictures.emplace_back(name, std::make_shared<const TPicture>(std::move(picture)));
    }
    TImageFrameList& Image(int32_t start, int32_t length, const std::string& name = "s.png") {
        auto track = NewTrack(0, start, length);
        auto& image = static_cast<TImageFrameList&>(*track);
        image.Name = name;
        film.AddTrack(std::move(track));
        return image;
    }
    void DrawAt(int32_t time) {
        film.Resolve();
        film.Folder = "anim\\";
        film.LoadResources(pictures);
        film.Update(time);
        screen.Clear(0);
        film.DrawAll(TFilmCanvas{screen, 0, 0});
    }
    // The box of pixels that are not black.
    TRect Drawn() {
        TRect r{screen.GetWidth(), screen.GetHeight(), 0, 0};
        for (int32_t y = 0; y < screen.GetHeight(); ++y)
            for (int32_t x = 0; x < screen.GetWidth(); ++x)
                if (screen.GetPixel(x, y) != 0)
                    r = TRect{std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
        return r;
    }
};

TEST(FilmDraw, APictureMovesAlongItsTrack) {
    // (time, anchor) -> where the 4 x 4 picture lands; it goes from (0, 10) to (90, 10) over 10 frames.
    struct Case {
        int32_t time, anchorX, anchorY;
        TRect at;
    };
    const Case cases[] = {
        {0, 0, 0, {0, 10, 4, 14}},   {5, 0, 0, {50, 10, 54, 14}},  {9, 0, 0, {90, 10, 94, 14}},
        {5, 2, 2, {48, 8, 52, 12}},  {10, 0, 0, {100, 40, 0, 0}},  // over: nothing drawn
    };
    for (const Case& c : cases) {
        TScene scene;
        scene.Picture("anim\\s.png", SolidPicture(4, 4, {kRed}));
        TImageFrameList& image = scene.Image(0, 10);
        image.StartY = image.EndY = 10;
        image.EndX = 90;
        image.AnchorX = c.anchorX, image.AnchorY = c.anchorY;
        scene.DrawAt(c.time);
        EXPECT_EQ(scene.Drawn(), c.at) << "at " << c.time;
        EXPECT_EQ(scene.pictures.Asked, std::vector<std::string>{"anim\\s.png"});
    }
}

TEST(FilmDraw, ZoomAngleSourceAndAlpha) {
    {
        SCOPED_TRACE("zoom x 2, y 3, about the anchor");
        TScene scene;
        scene.Picture("anim\\s.png", SolidPicture(4, 4, {kRed}));
        TImageFrameList& image = scene.Image(0, 10);
        image.StartX = image.EndX = 20, image.StartY = image.EndY = 20;
        image.AnchorX = image.AnchorY = 2;
        image.StartZoomX = image.EndZoomX = 2;
        image.StartZoomY = image.EndZoomY = 3;
        scene.DrawAt(3);
        EXPECT_EQ(scene.Drawn(), (TRect{16, 14, 24, 26}));
    }
    {
        SCOPED_TRACE("90 degrees turns a wide picture upright");
        TScene scene;
        scene.Picture("anim\\s.png", SolidPicture(8, 2, {kRed}));
        TImageFrameList& image = scene.Image(0, 10);
        image.StartX = image.EndX = 20, image.StartY = image.EndY = 20;
        image.StartAngle = image.EndAngle = 90;
        scene.DrawAt(0);
        EXPECT_EQ(static_cast<const TImageFrameList&>(scene.film.Track(0)).CurAngle, 64);
        const TRect drawn = scene.Drawn();
        EXPECT_EQ(drawn.Width(), 2);
        EXPECT_EQ(drawn.Height(), 8);
    }
    {
        SCOPED_TRACE("the source rectangle moves over the picture");
        TPicture picture = SolidPicture(8, 4, {kRed});
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 4; x < 8; ++x)
                SetStoragePixel(*picture.Frames[0].Colour, x, y, kBlue);
        TScene scene;
        scene.Picture("anim\\s.png", std::move(picture));
        TImageFrameList& image = scene.Image(0, 5);
        image.Source = {.StartX = 0, .StartY = 0, .EndX = 4, .EndY = 1, .StartWidth = 2, .StartHeight = 4,
                        .EndWidth = 4, .EndHeight = 2};
        scene.DrawAt(0);
        EXPECT_EQ(scene.Drawn(), (TRect{0, 0, 2, 4}));
        EXPECT_EQ(scene.screen.GetPixel(1, 1), kRed);
        scene.DrawAt(4);
        EXPECT_EQ(scene.Drawn(), (TRect{0, 0, 4, 2}));
        EXPECT_EQ(scene.screen.GetPixel(3, 1), kBlue);
    }
    {
        SCOPED_TRACE("alpha 128 over black");
        TScene scene;
        scene.Picture("anim\\s.png", SolidPicture(4, 4, {0xFFFFFF}));
        TImageFrameList& image = scene.Image(0, 5);
        image.StartAlpha = image.EndAlpha = 128;
        scene.DrawAt(1);
        EXPECT_EQ(scene.screen.GetPixel(1, 1), 0x7F7F7Fu);
        image.StartAlpha = image.EndAlpha = 0;
        scene.DrawAt(1);
        EXPECT_TRUE(scene.Drawn().IsEmpty());
    }
}

TEST(FilmDraw, ChainedTilesStartFromTheirParentsEnd) {
    TScene scene;
    scene.Picture("anim\\s.png", SolidPicture(4, 4, {kRed}));
    auto first = NewTrack(5, 0, 10);
    auto& a = static_cast<TTileFrameList&>(*first);
    a.Name = "s.png";
    a.EndWidth = 40, a.EndHeight = 8, a.EndScrollX = 3;
    a.Source.EndWidth = 2, a.Source.EndHeight = 2;
    a.TileSource.EndWidth = 2, a.TileSource.EndHeight = 4;
    scene.film.AddTrack(std::move(first));
    auto second = NewTrack(5, 0, 10, 0);
    auto& b = static_cast<TTileFrameList&>(*second);
    b.Name = "s.png";
    b.StartWidth = 99, b.EndWidth = 20, b.EndHeight = 8;  // the stored start is not used
    b.TileSource.EndWidth = 2, b.TileSource.EndHeight = 4;
    scene.film.AddTrack(std::move(second));
    scene.DrawAt(10);
    const auto& t = static_cast<const TTileFrameList&>(scene.film.Track(1));
    EXPECT_EQ(t.CurWidth, 40) << "the first step shows the parent's end size";
    EXPECT_EQ(t.CurScrollX, 3);
    EXPECT_EQ(t.CurSource, (TRect{0, 0, 2, 4}));
    EXPECT_EQ(scene.Drawn(), (TRect{0, 0, 40, 8}));
    scene.DrawAt(19);
    EXPECT_EQ(t.CurWidth, 20);
    EXPECT_EQ(scene.Drawn(), (TRect{0, 0, 20, 8}));
}

TEST(FilmDraw, FramesFollowTheLoopPeriod) {
    // Two frames of 100 ms: a loop of 12 frames (200 ms) shows the second from 100 ms on.
    const std::vector<std::tuple<int32_t, int32_t, uint32_t>> cases = {
        {12, 0, kRed}, {12, 5, kRed}, {12, 6, kBlue}, {12, 11, kBlue}, {12, 12, kRed}, {12, 30, kBlue},
        {0, 30, kRed}, {40, 30, kBlue},  // 500 ms into a loop of 667: past the frames, the last stays
    };
    for (const auto& [loop, time, colour] : cases) {
        TScene scene;
        scene.Picture("anim\\s.png", SolidPicture(4, 4, {kRed, kBlue}));
        scene.Image(0, 100).LoopPeriod = loop;
        scene.DrawAt(time);
        EXPECT_EQ(scene.screen.GetPixel(0, 0), colour) << "loop " << loop << " at " << time;
    }
}

TEST(FilmDraw, BoxesAndDrawingOrder) {
    TScene scene;
    auto low = NewTrack(2, 0, 10);
    auto& a = static_cast<TBoxFrameList&>(*low);
    a.Priority = 5;
    a.StartWidth = a.EndWidth = 10, a.StartHeight = a.EndHeight = 10;
    a.StartColor = a.EndColor = 0xFF0000;  // 0x00BBGGRR: blue
    auto high = NewTrack(2, 0, 10);
    auto& b = static_cast<TBoxFrameList&>(*high);
    b.Priority = 9;
    b.StartLeft = b.EndLeft = 5;
    b.StartWidth = b.EndWidth = 10, b.StartHeight = b.EndHeight = 10;
    b.StartColor = b.EndColor = 0x0000FF;  // red
    b.BorderWidth = 2, b.BorderColor = 0x00FF00;
    scene.film.AddTrack(std::move(high));  // in front although it comes first
    scene.film.AddTrack(std::move(low));
    scene.DrawAt(0);
    EXPECT_EQ(scene.screen.GetPixel(2, 5), kBlue);
    EXPECT_EQ(scene.screen.GetPixel(5, 5), 0x00FF00u) << "border";
    EXPECT_EQ(scene.screen.GetPixel(8, 5), kRed) << "fill inside the border";
    EXPECT_EQ(scene.Drawn(), (TRect{0, 0, 15, 10}));
}

TEST(FilmDraw, MissingPicturesDrawNothing) {
    TScene scene;
    scene.Image(0, 10, "none.png");
    scene.Image(0, 10, "");
    scene.DrawAt(3);
    EXPECT_TRUE(scene.Drawn().IsEmpty());
}

class TBlockLabels final : public TFilmLabelRenderer {
public:
    void Render(const TLabelFrameList& track, TLabelFrame& frame) override {
        frame.Colour = std::make_unique<TDIBX>();
        frame.Colour->SetSize(int32_t(track.Text.size()) * 2, 3, 32);
        frame.Colour->Clear(uint32_t(track.FontColor));
        frame.Coverage = std::make_unique<TDIBX>();
        frame.Coverage->SetSize(int32_t(track.Text.size()) * 2, 3, 8);
        frame.Coverage->Clear(255);
    }
};

class TLabelPictures final : public TFilmResources {
public:
    TFilmLabelRenderer* renderer = nullptr;
    std::shared_ptr<const TPicture> Picture(const std::string&) override { return nullptr; }
    TFilmLabelRenderer* Labels() override { return renderer; }
};

TEST(FilmDraw, LabelsDrawOnlyThroughARenderer) {
    TFilmManager film;
    auto track = NewTrack(1, 0, 10);
    auto& label = static_cast<TLabelFrameList&>(*track);
    label.Text = "abc";
    label.FontColor = int32_t(kRed);
    label.StartX = label.EndX = 4;
    film.AddTrack(std::move(track));
    film.Resolve();
    TDIBX screen;
    screen.SetSize(20, 10, 32);
    for (bool connected : {false, true}) {
        TBlockLabels renderer;
        TLabelPictures resources;
        resources.renderer = connected ? &renderer : nullptr;
        film.LoadResources(resources);
        film.Update(2);
        screen.Clear(0);
        film.DrawAll(TFilmCanvas{screen, 1, 1});
        EXPECT_EQ(screen.GetPixel(5, 1), connected ? kRed : 0u);
        EXPECT_EQ(screen.GetPixel(11, 1), 0u);
    }
}

TEST(FilmDraw, TheStageFadesBetweenItsBases) {
    TFilmManager film;
    film.Color = 0;
    auto base0 = NewTrack(2, 0, 500);
    auto& red = static_cast<TBoxFrameList&>(*base0);
    red.StartWidth = red.EndWidth = 16, red.StartHeight = red.EndHeight = 8;
    red.StartColor = red.EndColor = 0x0000FF;
    film.AddTrack(std::move(base0));
    auto wipe = NewTrack(3, 50, 50);
    static_cast<TWipeFrameList&>(*wipe).Type = 1;
    film.AddTrack(std::move(wipe));
    auto base1 = NewTrack(2, 50, 500);
    auto& blue = static_cast<TBoxFrameList&>(*base1);
    blue.StartWidth = blue.EndWidth = 16, blue.StartHeight = blue.EndHeight = 8;
    blue.StartColor = blue.EndColor = 0xFF0000;
    film.AddTrack(std::move(base1));
    film.Resolve();
    TSurfaceFilmStage stage(16, 8, 32, [](int32_t) { return 0; });
    film.SetStage(&stage);
    // A cross-fade: at 25 of 50 frames alpha 128 gives (127 x 255) / 256 = 0x7E red and (128 x 255) / 256
    // = 0x7F blue; on the last frame alpha 250 gives 0x04 and 0xF9; then the new base alone.
    const std::vector<std::pair<int32_t, uint32_t>> frames = {
        {40, kRed}, {50, kRed}, {75, 0x7E007F}, {99, 0x0400F9}, {100, kBlue}, {300, kBlue}, {10, kRed}};
    for (auto [time, pixel] : frames) {
        stage.Render(film, time);
        EXPECT_EQ(stage.Screen().GetPixel(3, 3), pixel) << "at " << time;
    }
}

} // namespace
} // namespace ruvo::test
