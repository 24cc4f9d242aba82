// Image buttons: the looks the pointer and a held press give, the click and its clicked picture, the
// end of a button with PR_AUTOSCRAP, radio groups and their one selection, and the saved form.
#include "archive/streams.hpp"
#include "image_fixture.hpp"
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmmanager.hpp"
#include "objects/choices/button.hpp"
#include "objects/motion/motion.hpp"

namespace ruvo::testing {
namespace {

TestFrame Solid(uint32_t colour, int32_t delay = 100) {
    return TestFrame{[colour](int, int) { return colour; }, nullptr, delay, {}};
}

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kYellow = 0x00FFFF, kWhite = 0xFFFFFF;

std::string Ev(const std::string& name, int code) { return name + ":" + std::to_string(code); }

class Buttons : public ImageFixture {
protected:
    Buttons() {
        PutPicture("normal.zph", 10, 10, {Solid(kRed)});
        PutPicture("hover.zph", 10, 10, {Solid(kGreen)});
        PutPicture("pressed.zph", 10, 10, {Solid(kBlue)});
        PutPicture("clicked.zph", 10, 10, {Solid(kYellow, 50), Solid(kWhite, 50)});
    }

    TRuvoButton& Button(const std::string& name, int left, int top, bool clicked = true, TRuvoControl* parent = nullptr) {
        auto& b = static_cast<TRuvoButton&>(*world.CreateByType(3));
        b.SetName(name);
        b.SetParent(parent ? parent : &world.ActiveScreen());
        b.SetLeft(left);
        b.SetTop(top);
        SetProperty(b, PR_SOURCE, std::string("normal.zph"));
        SetProperty(b, PR_HOVERSOURCE, std::string("hover.zph"));
        SetProperty(b, PR_PRESSEDSOURCE, std::string("pressed.zph"));
        if (clicked) SetProperty(b, PR_CLICKEDSOURCE, std::string("clicked.zph"));
        HandleEverything(b);
        SetProperty(b, PR_ONNOTIFY, std::string("h.rsb"));
        SetProperty(b, PR_ONPLAYEND, std::string("h.rsb"));
        return b;
    }
    uint32_t PixelAt(int x, int y) { return world.Surface().GetPixel(x, y) & 0xFFFFFF; }
    void Click(int x, int y) {
        world.MouseDown(true, x, y);
        Frame();
        world.MouseUp();
        Frame();
    }
};

TEST_F(Buttons, ThePointerAndAHeldPressChooseTheLook) {
    TRuvoButton& b = Button("b", 20, 20);
    Frame();
    EXPECT_EQ(b.State, TRuvoButton::kNormal);
    EXPECT_EQ(PixelAt(25, 25), PixelOf(kRed));

    world.MouseMove(25, 25);
    Frame();
    EXPECT_EQ(b.State, TRuvoButton::kHover);
    EXPECT_EQ(PixelAt(25, 25), PixelOf(kGreen));

    world.MouseDown(true, 25, 25);
    Frame();
    EXPECT_EQ(b.State, TRuvoButton::kPressed);
    EXPECT_EQ(PixelAt(25, 25), PixelOf(kBlue));
    EXPECT_FALSE(world.ActiveScreen().LeftPress) << "the press is the button's, not the script's";

    // Held and dragged off: normal; back on: pressed again.
    world.MouseMove(100, 100);
    Frame();
    EXPECT_EQ(b.State, TRuvoButton::kNormal);
    world.MouseMove(22, 28);
    Frame();
    EXPECT_EQ(b.State, TRuvoButton::kPressed);

    // Let go off the button: no click.
    world.MouseMove(100, 100);
    Frame();
    world.MouseUp();
    Frame();
    EXPECT_FALSE(Queued("b", PR_ONNOTIFY));
    EXPECT_FALSE(Queued("b", PR_ONLBTNDOWN));
    EXPECT_EQ(b.State, TRuvoButton::kNormal);
    EXPECT_EQ(b.Pressing, 0);
}

TEST_F(Buttons, AClickNotifiesPlaysTheClickedPictureOnceAndTakesItsLookBack) {
    TRuvoButton& b = Button("b", 20, 20);
    world.MouseMove(25, 25);
    Frame();
    HandleAll();
    Click(25, 25);
    EXPECT_TRUE(Queued("b", PR_ONNOTIFY));
    EXPECT_FALSE(Queued("b", PR_ONLBTNDOWN));
    EXPECT_EQ(b.State, TRuvoButton::kClicked);
    EXPECT_EQ(PixelAt(25, 25), PixelOf(kYellow));
    // A press during the clicked picture is not the button's.
    world.MouseDown(true, 25, 25);
    Frame(50);
    world.MouseUp();
    EXPECT_EQ(b.State, TRuvoButton::kClicked);
    EXPECT_EQ(PixelAt(25, 25), PixelOf(kWhite));
    HandleAll();
    Frame(50);
    EXPECT_TRUE(Queued("b", PR_ONPLAYEND));
    EXPECT_EQ(b.State, TRuvoButton::kNormal) << "the look asked for during the clicked picture";
    EXPECT_EQ(PixelAt(25, 25), PixelOf(kRed));
    // The other looks loop and never end.
    HandleAll();
    for (int i = 0; i < 10; ++i) Frame(50);
    EXPECT_FALSE(Queued("b", PR_ONPLAYEND));
}

TEST_F(Buttons, AButtonThatScrapsGoesAfterItsClick) {
    struct Case {
        const char* what;
        bool clicked;
        int framesUntilGone;  // after the release's frame
    } cases[] = {
        {"after its clicked picture", true, 2},
        {"at once without one", false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.Reset();
        world.SetSize(kWidth, kHeight);
        TRuvoButton& b = Button("b", 20, 20, c.clicked);
        SetProperty(b, PR_AUTOSCRAP, true);
        world.MouseDown(true, 25, 25);
        Frame();
        world.MouseUp();
        Frame(50);
        for (int i = 1; i < c.framesUntilGone; ++i) {
            ASSERT_NE(Find("b"), nullptr);
            Frame(50);
        }
        Frame(50);
        EXPECT_EQ(Find("b"), nullptr);
        EXPECT_FALSE(Queued("b", PR_ONPLAYEND));
    }
}

TEST_F(Buttons, ARadioGroupKeepsOneSelection) {
    TRuvoBox& other = Box("other", 0, 100, 200, 50);
    TRuvoButton& a = Button("a", 0, 0);
    TRuvoButton& b = Button("b", 20, 0);
    TRuvoButton& c = Button("c", 40, 0);
    TRuvoButton& lone = Button("lone", 60, 0);
    auto selection = [&] {
        std::string s;
        for (TRuvoButton* x : {&a, &b, &c}) s += x->Selected ? (x->State == TRuvoButton::kPressed ? 'P' : '?') : '.';
        return s;
    };
    for (TRuvoButton* x : {&a, &b, &c}) SetProperty(*x, PR_GROUPINDEX, 1);
    EXPECT_EQ(selection(), "P..") << "a group never starts with none selected";

    SetProperty(c, PR_SELECTED, true);
    EXPECT_EQ(selection(), "..P");
    SetProperty(c, PR_SELECTED, false);
    EXPECT_EQ(selection(), "P..") << "deselecting the only one selects the first again";

    // Clicks: another member takes the selection; the selected one stays unless all may be up.
    Click(25, 5);
    EXPECT_EQ(selection(), ".P.");
    EXPECT_TRUE(Queued("b", PR_ONNOTIFY));
    Click(25, 5);
    EXPECT_EQ(selection(), ".P.");
    SetProperty(b, PR_ALLOWALLUP, true);
    EXPECT_TRUE(a.AllowAllUp && c.AllowAllUp) << "the whole group takes the flag";
    Click(25, 5);
    EXPECT_EQ(selection(), "...");
    SetProperty(a, PR_ALLOWALLUP, false);
    EXPECT_EQ(selection(), "P..");

    // Outside a group nothing is selected.
    SetProperty(lone, PR_SELECTED, true);
    EXPECT_FALSE(lone.Selected);

    // A selected member moving to another parent is the selection there; the group it left chooses again.
    TRuvoButton& d = Button("d", 0, 10, true, &other);
    SetProperty(d, PR_GROUPINDEX, 1);
    EXPECT_TRUE(d.Selected);
    SetProperty(a, PR_PARENT, std::string("other"));
    EXPECT_TRUE(a.Selected);
    EXPECT_FALSE(d.Selected);
    EXPECT_TRUE(b.Selected) << "b is the first member left";
    EXPECT_FALSE(c.Selected);
    // Leaving a group by its index does the same.
    SetProperty(b, PR_GROUPINDEX, 0);
    EXPECT_FALSE(b.Selected);
    EXPECT_EQ(b.State, TRuvoButton::kNormal);
    EXPECT_TRUE(c.Selected);
}

// A button played by a frame list: the motion of a look goes round and round; after a click it plays
// once more as the clicked look, then the button raises PR_ONPLAYEND and takes its look back.
TEST_F(Buttons, AMotionLoopsInEveryLookButTheClickedOne) {
    TFilmManager film;
    auto track = std::make_unique<TImageFrameList>();
    track->Length = 6;
    track->Name = "normal.zph";
    film.AddTrack(std::move(track));
    PutFilmFile("walk.rmt", film);
    auto& b = static_cast<TRuvoButton&>(*world.CreateByType(3));
    b.SetName("b");
    b.SetParent(&world.ActiveScreen());
    SetProperty(b, PR_SOURCE, std::string("walk.rmt"));
    SetProperty(b, PR_CLICKEDSOURCE, std::string("walk.rmt"));
    SetProperty(b, PR_ONNOTIFY, std::string("h.rsb"));
    SetProperty(b, PR_ONPLAYEND, std::string("h.rsb"));
    ASSERT_NE(b.GetMotion(), nullptr);
    for (int i = 0; i < 40; ++i) Frame();
    EXPECT_FALSE(Queued("b", PR_ONPLAYEND));
    EXPECT_NE(Find("b"), nullptr);
    EXPECT_FALSE(b.GetMotion()->Finished()) << "the normal look plays again";

    // The clicked look, as a click outside a group gives it.
    b.SetState(TRuvoButton::kClicked);
    EXPECT_EQ(b.State, TRuvoButton::kClicked);
    for (int i = 0; i < 20 && b.State == TRuvoButton::kClicked; ++i) Frame();
    EXPECT_EQ(b.State, TRuvoButton::kNormal);
    EXPECT_TRUE(Queued("b", PR_ONPLAYEND));
    EXPECT_NE(Find("b"), nullptr);

    // With PR_AUTOSCRAP the clicked motion's end is the button's.
    HandleAll();
    SetProperty(b, PR_AUTOSCRAP, true);
    for (int i = 0; i < 20; ++i) Frame();
    EXPECT_NE(Find("b"), nullptr) << "only the clicked look's end scraps";
    b.SetState(TRuvoButton::kClicked);
    for (int i = 0; i < 20 && Find("b"); ++i) Frame();
    EXPECT_EQ(Find("b"), nullptr);
}

TEST_F(Buttons, SavedButtonsComeBackAsTheyWere) {
    TRuvoButton& a = Button("a", 0, 0);
    TRuvoButton& b = Button("b", 20, 0);
    SetProperty(a, PR_GROUPINDEX, 4);
    SetProperty(b, PR_GROUPINDEX, 4);
    SetProperty(b, PR_SELECTED, true);
    SetProperty(b, PR_ALLOWALLUP, true);
    SetProperty(b, PR_ONIDLE, std::string("idle.rsb"));
    Frame();
    SaveAndReload();
    auto* la = dynamic_cast<TRuvoButton*>(Find("a"));
    auto* lb = dynamic_cast<TRuvoButton*>(Find("b"));
    ASSERT_TRUE(la && lb);
    EXPECT_EQ(GetStrProperty(*lb, PR_HOVERSOURCE), "hover.zph");
    EXPECT_EQ(GetStrProperty(*lb, PR_PRESSEDSOURCE), "pressed.zph");
    EXPECT_EQ(GetStrProperty(*lb, PR_CLICKEDSOURCE), "clicked.zph");
    EXPECT_EQ(GetStrProperty(*lb, PR_ONNOTIFY), "h.rsb");
    EXPECT_EQ(GetStrProperty(*lb, PR_ONIDLE), "idle.rsb");
    EXPECT_EQ(lb->GroupIndex, 4);
    EXPECT_TRUE(lb->Selected && lb->AllowAllUp);
    EXPECT_FALSE(la->Selected);
    world.MouseMove(150, 140);
    Frame();
    EXPECT_EQ(PixelAt(25, 5), PixelOf(kBlue)) << "the selected one is drawn pressed";
    EXPECT_EQ(PixelAt(5, 5), PixelOf(kRed));
    // And it still clicks.
    Click(5, 5);
    EXPECT_TRUE(la->Selected);
    EXPECT_FALSE(lb->Selected);

    // Cut short anywhere, the record fails the load and the world stays.
    ExpectCutShortSavesRefused(80, 7, "a");
}

} // namespace
} // namespace ruvo::testing
