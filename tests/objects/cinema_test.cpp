// Cinemas: the film's visual tracks are display objects of the cinema's private world, hit where they
// are drawn and by their own mouse modes; labels are captions of the text engine; only what changed is
// painted again; the cinema comes back from a saved game with its tracks.
#include "archive/sjis.hpp"
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmlabel.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/film/filmrect.hpp"
#include "graphics/film/filmtransition.hpp"
#include "image_fixture.hpp"
#include "objects/images/cinema.hpp"
#include "objects/images/cinemaworld.hpp"
#include "objects/text/label.hpp"
#include "text/glyphs.hpp"
#include "text_world_fixture.hpp"

namespace ruvo::testing {
namespace {

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00;

// A box track moving from (x0, y) to (x1, y) over `length` frames, w × h, with a mouse mode.
std::unique_ptr<TBoxFrameList> BoxTrack(int32_t length, int32_t x0, int32_t x1, int32_t y, int32_t w, int32_t h,
                                        uint32_t colour, int32_t mouse) {
    auto t = std::make_unique<TBoxFrameList>();
    t->KindByte = 2;
    t->Length = length;
    t->MouseMode = mouse;
    t->StartLeft = x0;
    t->EndLeft = x1;
    t->StartTop = t->EndTop = y;
    t->StartWidth = t->EndWidth = w;
    t->StartHeight = t->EndHeight = h;
    t->StartColor = t->EndColor = static_cast<int32_t>(colour);
    return t;
}

// "Hello" in green, 16 pixels high, at (x, y) for 30 frames from `start`.
std::unique_ptr<TLabelFrameList> HelloTrack(int32_t start, int32_t x, int32_t y) {
    auto label = std::make_unique<TLabelFrameList>();
    label->KindByte = 1;
    label->Length = 30;
    label->OwnStart = start;
    label->StartX = label->EndX = x;
    label->StartY = label->EndY = y;
    label->Text = "Hello";
    label->FontHeight = 16;
    label->FontColor = static_cast<int32_t>(kGreen);
    return label;
}

class Cinemas : public ImageFixture {
protected:
    Cinemas() {
        world.TextObjects().SetText(&services);
        std::filesystem::create_directories(dir / "game" / "anim");
    }
    ~Cinemas() override { world.Reset(); }

    // The film as a cinema of a 100 × 60 stage in "anim".
    void PutFilm(const std::string& name, TFilmManager& film) {
        film.Cinema = true;
        film.StageWidth = 100;
        film.StageHeight = 60;
        PutFilmFile("anim/" + name, film);
    }
    // A cinema of an 8 × 8 red box moving right a pixel a frame along stage row 10.
    TRuvoCinema& MovingDot() {
        TFilmManager film;
        film.AddTrack(BoxTrack(60, 0, 59, 10, 8, 8, kRed, 0));
        PutFilm("dot.rmt", film);
        return Cinema("dot.rmt", 1);
    }
    // A cinema of 100 × 60 at (50, 40) playing the file, with a left-press handler.
    TRuvoCinema& Cinema(const std::string& film, int32_t mouseMode) {
        auto& c = static_cast<TRuvoCinema&>(*world.CreateByType(4));
        c.SetName("c");
        c.SetParent(&world.ActiveScreen());
        SetProperty(c, PR_LEFT, 50);
        SetProperty(c, PR_TOP, 40);
        SetProperty(c, PR_IGNOREMOUSE, mouseMode);
        SetProperty(c, PR_ONLBTNDOWN, std::string("down.rsb"));
        SetProperty(c, PR_SOURCE, "anim\\" + film);
        return c;
    }
    void Click(int x, int y) {
        world.MouseMove(x, y);
        world.MouseDown(true, x, y);
        world.MouseUp();
        Frame(17);
    }
    // Whether a click at the point raised the cinema's left-press event; forgets the events.
    bool ClickReaches(int x, int y) {
        HandleAll();
        Click(x, y);
        Frame(17);  // the release ends the capture
        const bool reached = Queued("c", PR_ONLBTNDOWN);
        HandleAll();
        return reached;
    }

    int CountGreenIn(const TRect& r) {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) n += (world.Surface().GetPixel(x, y) & 0xFFFFFF) == PixelOf(kGreen);
        return n;
    }
    int CountGreen() { return CountGreenIn(TRect{0, 0, kWidth, kHeight}); }

    TTextServices services{SharedWorldFonts(), &vars, &funcs};
};

// The track objects are hit by their own modes where they are drawn now; the cinema's own mode only
// concerns its stage between them.
TEST_F(Cinemas, ClicksReachTheTracksThatTakeTheMouse) {
    TFilmManager film;
    film.AddTrack(BoxTrack(60, 0, 50, 10, 20, 10, kRed, 0));   // moves right: takes every event
    film.AddTrack(BoxTrack(60, 0, 0, 40, 20, 10, kGreen, 1));  // transparent to the mouse
    PutFilm("boxes.rmt", film);
    TRuvoCinema& c = Cinema("boxes.rmt", 1);
    Frame(17);

    struct Case {
        int x, y;
        bool reached;
    };
    // Frame 0: the red box is at stage (0, 10), the green one at (0, 40).
    EXPECT_NE(c.TrackAt(55, 55, kLeftPressMask), nullptr);
    EXPECT_EQ(c.TrackAt(55, 85, kLeftPressMask), nullptr);
    EXPECT_NE(c.TrackAt(55, 85, kHoverMask | 1u << 1), nullptr);  // it is there, only transparent
    // (Each click takes two frames: the red box moves less than a pixel a frame.)
    for (const Case& k : {Case{55, 55, true}, Case{55, 85, false}, Case{90, 70, false}, Case{10, 55, false}})
        EXPECT_EQ(ClickReaches(k.x, k.y), k.reached) << k.x << ", " << k.y;

    // Later the red box has moved on: its old place is the stage, which is transparent.
    SetProperty(c, PR_INDEX, 40);
    Frame(17);
    const int32_t at = GetIntProperty(c, PR_INDEX);
    const int32_t left = 50 + at * 50 / 59;
    EXPECT_FALSE(ClickReaches(52, 55));
    EXPECT_TRUE(ClickReaches(left + 5, 55));

    // With the cinema taking every event its stage is hit too.
    SetProperty(c, PR_IGNOREMOUSE, 0);
    EXPECT_TRUE(ClickReaches(90, 70));
    // Paused, it takes no presses.
    SetProperty(c, PR_PAUSED, true);
    EXPECT_FALSE(ClickReaches(left + 5, 55));
}

// A frame in which one small track moves repaints the moved track's area of the outer screen, not the
// cinema's whole stage.
TEST_F(Cinemas, AFrameRepaintsOnlyWhatMoved) {
    MovingDot();
    Frame(17);
    world.TakeDirtyRects();
    Frame(17);
    const std::vector<TRect> dirty = world.TakeDirtyRects();
    ASSERT_FALSE(dirty.empty());
    int64_t area = 0;
    for (const TRect& r : dirty) {
        area += int64_t{r.Width()} * r.Height();
        EXPECT_GE(r.Left, 50);
        EXPECT_GE(r.Top, 50);
        EXPECT_LE(r.Bottom, 58);
    }
    EXPECT_LE(area, 10 * 8);
    // And the picture is right where it was repainted: the box one step on, nothing left behind.
    const int32_t x = 50 + GetIntProperty(*Find("c")->AsControl(), PR_INDEX);
    EXPECT_EQ(world.Surface().GetPixel(x, 52) & 0xFFFFFF, PixelOf(kRed));
    EXPECT_EQ(world.Surface().GetPixel(x - 1, 52) & 0xFFFFFF, 0u);
}

// A label track is a caption of the text engine: its text in its font, placed and shown as the track
// says, and hit as a label; its internal name keeps it apart from the game's objects.
TEST_F(Cinemas, LabelTracksAreCaptions) {
    TFilmManager film;
    film.AddTrack(HelloTrack(5, 10, 20));
    PutFilm("caption.rmt", film);
    TRuvoCinema& c = Cinema("caption.rmt", 1);
    ASSERT_NE(c.Tracks(), nullptr);
    TRuvoLabel* caption = c.Tracks()->FirstLabel();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->Text(), "Hello");
    EXPECT_EQ(caption->Style.FontHeight, 16);
    EXPECT_TRUE(caption->IsInternal());
    EXPECT_EQ(world.FindObject(caption->Name), nullptr);  // not one of the game's objects

    Frame(17);
    EXPECT_FALSE(caption->GetVisible());  // the track starts at frame 5
    EXPECT_EQ(CountGreen(), 0);
    SetProperty(c, PR_INDEX, 10);
    Frame(17);
    EXPECT_TRUE(caption->GetVisible());
    EXPECT_EQ(caption->ScreenLeft(), 10);
    EXPECT_EQ(caption->ScreenTop(), 20);
    EXPECT_GT(caption->Width, 0);
    EXPECT_GT(CountGreen(), 0);
    EXPECT_EQ(c.TrackAt(50 + 12, 40 + 25, kHoverMask), caption);
}

// A motion's label tracks are drawn with the text engine too, where the track puts them.
TEST_F(Cinemas, MotionsDrawTheirLabelTracks) {
    TFilmManager film;
    film.AddTrack(HelloTrack(0, 60, 70));
    PutFilmFile("anim/words.rmt", film);
    Images("m", "anim\\words.rmt");
    for (int i = 0; i < 3; ++i) Frame(17);
    const int inside = CountGreenIn(TRect{60, 70, 140, 86});
    EXPECT_GT(inside, 10);
    EXPECT_EQ(CountGreen(), inside);
}

// A transition track runs between the cinema's two screens: what starts with it is drawn on the other
// base, shown and hit once the transition has brought it in.
TEST_F(Cinemas, ATransitionTrackBringsInTheOtherBase) {
    TFilmManager film;
    film.AddTrack(BoxTrack(60, 0, 0, 10, 30, 20, kRed, 0));
    auto fade = std::make_unique<TWipeFrameList>();
    fade->KindByte = 3;
    fade->OwnStart = 20;
    fade->Length = 10;
    fade->Type = 1;
    film.AddTrack(std::move(fade));
    auto later = BoxTrack(40, 50, 50, 10, 30, 20, kGreen, 0);
    later->OwnStart = 20;
    film.AddTrack(std::move(later));
    PutFilm("fade.rmt", film);
    TRuvoCinema& c = Cinema("fade.rmt", 1);
    Frame(17);
    EXPECT_EQ(world.Surface().GetPixel(55, 55) & 0xFFFFFF, PixelOf(kRed));
    EXPECT_EQ(world.Surface().GetPixel(105, 55) & 0xFFFFFF, 0u);
    EXPECT_NE(c.TrackAt(55, 55, kLeftPressMask), nullptr);
    EXPECT_EQ(c.TrackAt(105, 55, kLeftPressMask), nullptr);
    SetProperty(c, PR_INDEX, 24);
    Frame(17);
    // Half-way through the fade: neither picture alone.
    const uint32_t mid = world.Surface().GetPixel(105, 55) & 0xFFFFFF;
    EXPECT_NE(mid, 0u);
    EXPECT_NE(mid, PixelOf(kGreen));
    SetProperty(c, PR_INDEX, 35);
    Frame(17);
    EXPECT_EQ(world.Surface().GetPixel(55, 55) & 0xFFFFFF, 0u);
    EXPECT_EQ(world.Surface().GetPixel(105, 55) & 0xFFFFFF, PixelOf(kGreen));
    EXPECT_EQ(c.TrackAt(55, 55, kLeftPressMask), nullptr);
    EXPECT_NE(c.TrackAt(105, 55, kLeftPressMask), nullptr);
}

// Saved and loaded, a cinema makes its track objects again and plays on where it was.
TEST_F(Cinemas, SavedCinemasComeBackWithTheirTracks) {
    SetProperty(MovingDot(), PR_INDEX, 20);
    Frame(17);
    const int32_t at = GetIntProperty(*Find("c")->AsControl(), PR_INDEX);
    SaveAndReload();
    auto* back = dynamic_cast<TRuvoCinema*>(Find("c"));
    ASSERT_NE(back, nullptr);
    ASSERT_NE(back->Tracks(), nullptr);
    Frame(17);
    EXPECT_GE(GetIntProperty(*back, PR_INDEX), at);
    const int32_t x = 50 + GetIntProperty(*back, PR_INDEX);
    EXPECT_EQ(world.Surface().GetPixel(x + 2, 52) & 0xFFFFFF, PixelOf(kRed));
    EXPECT_NE(back->TrackAt(x + 2, 52, kLeftPressMask), nullptr);
    EXPECT_TRUE(ClickReaches(x + 2, 52));
}

} // namespace
} // namespace ruvo::testing
