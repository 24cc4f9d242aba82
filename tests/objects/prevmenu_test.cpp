// Preview menus: the template file (round trip, damage), the buttons built from it, choosing by a click
// and by keys with the events in order, disabled and hidden items through the item functions, and the
// saved form.
#include <fstream>

#include "archive/streams.hpp"
#include "image_fixture.hpp"
#include "objects/choices/prevmenu.hpp"
#include "objects/choices/prevmenutemplate.hpp"

namespace ruvo::testing {
namespace {

constexpr uint32_t kRed = 0x0000FF, kYellow = 0x00FFFF, kGreen = 0x00FF00, kBlue = 0xFF0000, kGrey = 0x808080;

TestFrame Solid(uint32_t colour, int32_t delay = 100) {
    return TestFrame{[colour](int, int) { return colour; }, nullptr, delay, {}};
}

TPrevMenuTemplate ThreeButtons() {
    TPrevMenuTemplate t;
    for (int i = 0; i < 3; ++i) {
        TPrevMenuButton b;
        b.Caption = i == 0 ? Utf8ToSjis("はい") : i == 1 ? "no" : "later";
        b.Left = 30 * i;
        b.Top = 5 * i;
        b.Sources = {"n.zph", "h.zph", "p.zph", "c.zph"};
        b.DisabledSource = "d.zph";
        b.Cursor = i == 2 ? "hand.cur" : "";
        b.CaptureMask = i == 1;
        t.Buttons.push_back(b);
    }
    return t;
}

std::vector<uint8_t> Bytes(const TPrevMenuTemplate& t) {
    TMemoryStream s;
    t.SaveToStream(s);
    return s.Bytes();
}

TEST(PrevMenuTemplate, WhatIsWrittenReadsBackTheSame) {
    for (const TPrevMenuTemplate& t : {ThreeButtons(), TPrevMenuTemplate{}}) {
        TMemoryStream s;
        t.SaveToStream(s);
        s.SetPosition(0);
        EXPECT_TRUE(TPrevMenuTemplate::IsTemplate(s));
        TPrevMenuTemplate back;
        back.LoadFromStream(s);
        EXPECT_EQ(back.Buttons, t.Buttons);
        EXPECT_EQ(s.Position(), s.Size());
    }
}

TEST(PrevMenuTemplate, DamagedFilesAreRefusedAndLeaveTheTemplate) {
    const std::vector<uint8_t> good = Bytes(ThreeButtons());
    auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<ptrdiff_t>(at));
        return b;
    };
    const size_t count = TPrevMenuTemplate::kTag.size(), caption = count + 4;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"another tag", patched(0, {'X'})},
        {"too short for the tag", {'R', 'u', 'v', 'o'}},
        {"a negative count", patched(count, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"a count beyond the data", patched(count, {0x00, 0x00, 0x00, 0x10})},
        {"a caption longer than the data", patched(caption, {0xFF, 0xFF, 0xFF, 0x0F})},
    };
    for (const Case& c : cases) {
        TPrevMenuTemplate t = ThreeButtons();
        TMemoryStream s;
        s.WriteBuffer(c.bytes.data(), static_cast<int64_t>(c.bytes.size()));
        s.SetPosition(0);
        EXPECT_THROW(t.LoadFromStream(s), ERuvoError) << c.what;
        EXPECT_EQ(t.Buttons, ThreeButtons().Buttons) << c.what;
    }
    // Cut short anywhere after the tag.
    for (size_t cut = count; cut < good.size(); ++cut) {
        TMemoryStream s;
        s.WriteBuffer(good.data(), static_cast<int64_t>(cut));
        s.SetPosition(0);
        TPrevMenuTemplate t;
        EXPECT_THROW(t.LoadFromStream(s), ERuvoError) << "cut at " << cut;
    }
}

class PrevMenus : public ImageFixture {
protected:
    PrevMenus() {
        PutPicture("n.zph", 20, 10, {Solid(kRed)});
        PutPicture("h.zph", 20, 10, {Solid(kYellow)});
        PutPicture("p.zph", 20, 10, {Solid(kGreen)});
        PutPicture("c.zph", 20, 10, {Solid(kBlue, 50), Solid(kYellow, 50)});
        PutPicture("d.zph", 20, 10, {Solid(kGrey)});
        PutBytes("menu.rmt", Bytes(ThreeButtons()));
    }

    void PutBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir / "game" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        files.InvalidateLooseFiles();
    }

    // The menu at (10, 10) with the focus and every event handled; buttons at (10, 10), (40, 15), (70, 20).
    TRuvoPrevMenu& Menu(const std::string& source = "menu.rmt") {
        auto& m = static_cast<TRuvoPrevMenu&>(*world.CreateByType(25));
        m.SetName("pm");
        m.SetParent(&world.ActiveScreen());
        m.SetLeft(10);
        m.SetTop(10);
        SetProperty(m, PR_SOURCE, source);
        SetProperty(m, PR_HANDLEKEY, 1);
        for (int id : {PR_ONSELECT, PR_ONPLAYEND}) SetProperty(m, id, std::string("h.rsb"));
        world.SetFocus(&m);
        Frame();
        HandleAll();
        return m;
    }
    void Click(int x, int y) {
        world.MouseMove(x, y);
        Frame();
        world.MouseDown(true, x, y);
        Frame();
        world.MouseUp();
        Frame();
    }
    void Key(int key) {
        world.KeyDown(key, false);
        Frame();
        world.KeyUp(key);
        Frame();
    }
    std::vector<std::string> Parameters(int code) {
        for (int i = 0; i < world.Events().Count(); ++i)
            if (world.Events()[i].Code == code) return world.Events()[i].Parameters;
        return {};
    }
    std::vector<std::string> MenuEvents() {
        std::vector<std::string> mine;
        for (const std::string& e : Events())
            if (e.starts_with("pm:")) mine.push_back(e);
        return mine;
    }
    uint32_t PixelAt(int x, int y) { return world.Surface().GetPixel(x, y) & 0xFFFFFF; }
    static std::string Ev(int code) { return "pm:" + std::to_string(code); }
};

TEST_F(PrevMenus, TheTemplateBuildsInternalButtons) {
    TRuvoPrevMenu& m = Menu();
    EXPECT_EQ(GetIntProperty(m, PR_COUNT), 3);
    EXPECT_EQ(GetStrProperty(m, PR_TEXT), Utf8ToSjis("はい") + "\r\nno\r\nlater");
    ASSERT_EQ(m.Children().size(), 3u);
    for (int i = 0; i < 3; ++i) {
        TRuvoPrevImages* b = m.Button(i);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Name, std::string("\x01pm\x01") + std::to_string(i));
        EXPECT_EQ(b->Parent(), &m);
        EXPECT_EQ(b->ScreenRect(), (TRect{10 + 30 * i, 10 + 5 * i, 30 + 30 * i, 20 + 5 * i}));
    }
    EXPECT_TRUE(m.Button(1)->CaptureMask);
    EXPECT_EQ(m.Button(2)->Cursor, "hand.cur");
    EXPECT_EQ(m.Width, 80);
    EXPECT_EQ(m.Height, 20);
    EXPECT_EQ(PixelAt(75, 25), PixelOf(kRed));
    EXPECT_EQ(PixelAt(35, 12), 0u) << "between the buttons the menu shows nothing";

    // Another template replaces the buttons; a missing one leaves none.
    TPrevMenuTemplate one;
    one.Buttons.push_back(ThreeButtons().Buttons[0]);
    PutBytes("one.rmt", Bytes(one));
    SetProperty(m, PR_SOURCE, std::string("one.rmt"));
    EXPECT_EQ(GetIntProperty(m, PR_COUNT), 1);
    EXPECT_EQ(m.Children().size(), 1u);
    EXPECT_EQ(world.FindObject(std::string("\x01pm\x01") + "2"), nullptr);
    SetProperty(m, PR_SOURCE, std::string("gone.rmt"));
    EXPECT_EQ(GetIntProperty(m, PR_COUNT), 0);
    EXPECT_TRUE(m.Children().empty());
}

TEST_F(PrevMenus, MissingPicturesAndDamagedTemplates) {
    TPrevMenuTemplate bare = ThreeButtons();
    for (TPrevMenuButton& b : bare.Buttons) b.Sources = {"none.zph", "", "", ""};
    PutBytes("bare.rmt", Bytes(bare));
    TRuvoPrevMenu& m = Menu("bare.rmt");
    EXPECT_EQ(GetIntProperty(m, PR_COUNT), 3);
    // A button whose picture is missing looks like any image with a missing picture.
    EXPECT_EQ(m.Button(0)->Width, Images("plain", "none.zph").Width);

    std::vector<uint8_t> bad = Bytes(ThreeButtons());
    bad.resize(bad.size() - 3);
    PutBytes("bad.rmt", bad);
    try {
        SetProperty(m, PR_SOURCE, std::string("bad.rmt"));
        ADD_FAILURE() << "a damaged template was read";
    } catch (const ERuvoError& e) {
        EXPECT_NE(std::string(e.what()).find("bad.rmt"), std::string::npos) << e.what();
    }
    EXPECT_EQ(GetIntProperty(m, PR_COUNT), 0);
    EXPECT_TRUE(m.Children().empty());
}

TEST_F(PrevMenus, AClickChoosesAndTheClickedPictureEndsTheChoice) {
    TRuvoPrevMenu& m = Menu();
    vars.SetSelIndex(-2);
    Click(35, 12);  // between the buttons
    EXPECT_EQ(vars.SelIndex(), -2);
    EXPECT_TRUE(MenuEvents().empty());

    Key(39);
    EXPECT_EQ(m.Hover, 0);
    // The pointer takes the hover from the keys.
    world.MouseMove(45, 20);
    Frame();
    EXPECT_EQ(m.Hover, 1);
    EXPECT_EQ(m.Button(0)->State, TRuvoButton::kNormal);
    EXPECT_EQ(PixelAt(15, 15), PixelOf(kRed));
    EXPECT_EQ(PixelAt(45, 20), PixelOf(kYellow));
    Click(45, 20);
    EXPECT_EQ(vars.SelIndex(), 1);
    EXPECT_EQ(vars.SelStr(), "no");
    EXPECT_EQ(GetIntProperty(m, PR_INDEX), 1);
    EXPECT_EQ(MenuEvents(), (std::vector<std::string>{Ev(PR_ONSELECT)}));
    EXPECT_EQ(Parameters(PR_ONSELECT), (std::vector<std::string>{"no", "1"}));
    EXPECT_EQ(m.Button(1)->State, TRuvoButton::kClicked);
    HandleAll();
    // While the clicked picture plays, another click chooses nothing.
    Click(15, 15);
    EXPECT_EQ(vars.SelIndex(), 1);
    EXPECT_TRUE(MenuEvents().empty());
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(MenuEvents(), (std::vector<std::string>{Ev(PR_ONPLAYEND)}));
    EXPECT_EQ(Parameters(PR_ONPLAYEND), (std::vector<std::string>{"no", "1"}));
    EXPECT_NE(m.Button(1)->State, TRuvoButton::kClicked);
    HandleAll();
    // The menu chooses again afterwards.
    Click(15, 15);
    EXPECT_EQ(vars.SelStr(), Utf8ToSjis("はい"));
    EXPECT_EQ(vars.SelIndex(), 0);
}

TEST_F(PrevMenus, WithAutoScrapTheMenuGoesAfterTheClickedPicture) {
    TRuvoPrevMenu& m = Menu();
    SetProperty(m, PR_AUTOSCRAP, true);
    Click(75, 25);
    EXPECT_EQ(vars.SelStr(), "later");
    EXPECT_TRUE(m.IsClosing());
    EXPECT_NE(Find("pm"), nullptr) << "the clicked picture plays first";
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(Find("pm"), nullptr);
    EXPECT_EQ(world.FindObject(std::string("\x01pm\x01") + "2"), nullptr);
    EXPECT_FALSE(Queued("pm", PR_ONPLAYEND));
}

TEST_F(PrevMenus, KeysMoveTheHoverAndChoose) {
    struct Case {
        const char* what;
        std::vector<int> keys;
        int hover;
    } cases[] = {
        {"right from none is the first", {39}, 0},
        {"down from none is the first", {40}, 0},
        {"left from none is the last", {37}, 2},
        {"up from none is the last", {38}, 2},
        {"right twice", {39, 39}, 1},
        {"right stops at the last", {37, 39, 39}, 2},
        {"left stops at the first", {39, 38, 37}, 0},
    };
    for (const Case& c : cases) {
        TRuvoPrevMenu& m = Menu();
        for (int key : c.keys) Key(key);
        EXPECT_EQ(m.Hover, c.hover) << c.what;
        EXPECT_EQ(m.Button(c.hover)->State, TRuvoButton::kHover) << c.what;
        world.Destroy(m);
        Frame();
    }
    TRuvoPrevMenu& m = Menu();
    Key(39);
    Key(39);
    Key(13);
    EXPECT_EQ(vars.SelStr(), "no");
    EXPECT_EQ(Parameters(PR_ONSELECT), (std::vector<std::string>{"no", "1"}));
    for (int i = 0; i < 10; ++i) Frame();
    HandleAll();
    Key(37);
    Key(32);
    EXPECT_EQ(vars.SelIndex(), 0);
    EXPECT_EQ(m.Index, 0);
}

TEST_F(PrevMenus, ItemFunctionsDisableAndHideButtons) {
    TRuvoPrevMenu& m = Menu();
    struct Case {
        const char* expression;
        const char* result;
    } cases[] = {
        {"GetEnabled(\"pm\", 2)", "TRUE"},
        {"SetEnabled(\"pm\", \"later\", 0)", "0"},  // a caption names the item
        {"GetEnabled(\"pm\", 2)", "FALSE"},
        {"GetEnabled(\"pm\", \"2\")", "FALSE"},  // text that reads as a number is the index
        {"GetEnabled(\"pm\", \"LATER\")", "FALSE"},
        {"GetVisible(\"pm\", \"はい\")", "TRUE"},
        {"SetVisible(\"pm\", 0, FALSE)", "FALSE"},
        {"GetVisible(\"pm\", 0)", "FALSE"},
        {"GetEnabled(\"pm\", 3)", "FALSE"},  // no such item
        {"SetEnabled(\"pm\", \"maybe\", 1)", "0"},
        {"GetVisible(\"nobody\", 0)", "FALSE"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.expression), c.result) << c.expression;
    Frame();
    EXPECT_EQ(PixelAt(75, 25), PixelOf(kGrey)) << "the disabled picture";
    EXPECT_EQ(PixelAt(15, 15), 0u) << "the hidden button";
    // Neither a disabled nor a hidden button is chosen; keys pass over the hidden one.
    vars.SetSelIndex(-2);
    Click(75, 25);
    Click(15, 15);
    EXPECT_EQ(vars.SelIndex(), -2);
    EXPECT_FALSE(Queued("pm", PR_ONSELECT));
    world.MouseMove(150, 100);
    Frame();
    Key(37);
    Key(37);
    Key(37);
    EXPECT_EQ(m.Hover, 1);
    Key(39);
    Key(13);
    EXPECT_EQ(vars.SelIndex(), -2) << "the disabled button is hovered but not chosen";
    // Enabled again it shows its own picture and can be chosen.
    EXPECT_EQ(Eval("SetEnabled(\"pm\", 2, 1)"), "1");
    Frame();
    EXPECT_EQ(PixelAt(75, 25), PixelOf(kRed));
    Click(75, 25);
    EXPECT_EQ(vars.SelIndex(), 2);
}

TEST_F(PrevMenus, SavedMenusComeBackAsTheyWere) {
    TRuvoPrevMenu& m = Menu();
    SetProperty(m, PR_AUTOSCRAP, true);
    m.Button(2)->SetEnabled(false);
    m.Button(0)->SetVisible(false);
    SaveAndReload();
    auto* l = dynamic_cast<TRuvoPrevMenu*>(Find("pm"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(GetStrProperty(*l, PR_SOURCE), "menu.rmt");
    EXPECT_EQ(GetStrProperty(*l, PR_ONSELECT), "h.rsb");
    EXPECT_TRUE(l->AutoScrap);
    ASSERT_EQ(l->Children().size(), 3u) << "the buttons are built once, not saved as well";
    EXPECT_FALSE(l->Button(2)->Enabled);
    EXPECT_FALSE(l->Button(0)->OwnVisible);
    EXPECT_TRUE(l->Button(1)->Enabled && l->Button(1)->OwnVisible);
    Frame();
    EXPECT_EQ(PixelAt(75, 25), PixelOf(kGrey));
    Click(45, 20);
    EXPECT_EQ(vars.SelStr(), "no");

    // Cut short anywhere in the menu's record, the load fails and the world stays. On the back screen
    // the record is the last but the components, the events and the focus.
    l->SetParent(&world.Screen(1));
    ExpectCutShortSavesRefused(120, 1, "pm");
}

} // namespace
} // namespace ruvo::testing
