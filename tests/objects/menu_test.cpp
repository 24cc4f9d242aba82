// Text menus: the layout from items, border and margins, the item under a point, hover events, the keys
// and their limits, choices by mouse and keys reaching @SelStr, @SelIndex and PR_ONSELECT, the cancels,
// the opening and closing phases with their events, hostile texts and the saved form.
#include "archive/streams.hpp"
#include "objects/choices/menu.hpp"
#include "text_world_fixture.hpp"

namespace ruvo::testing {
namespace {

std::string Ev(const std::string& name, int code) { return name + ":" + std::to_string(code); }

class Menus : public WorldFixture {
protected:
    Menus() { world.TextObjects().SetText(&text); }

    TRuvoMenu& Menu(const std::string& text, int rows = 10, int left = 10, int top = 10) {
        auto& m = static_cast<TRuvoMenu&>(*world.CreateByType(12));
        m.SetName("m");
        m.SetParent(&world.ActiveScreen());
        m.SetLeft(left);
        m.SetTop(top);
        SetProperty(m, PR_ROWCOUNT, rows);
        SetProperty(m, PR_TEXT, Utf8ToSjis(text));
        SetProperty(m, PR_HANDLEKEY, 1);
        for (int id : {PR_ONSELECT, PR_ONMAPIN, PR_ONMAPOUT, PR_ONOPENING, PR_ONOPENED, PR_ONCLOSING, PR_ONCLOSED,
                       PR_ONLBTNDOWN, PR_ONLBTNUP})
            SetProperty(m, id, std::string("h.rsb"));
        m.SetPlayMode(kMenuOpen);
        Frame();
        HandleAll();
        return m;
    }
    void Key(int key) {
        world.KeyDown(key, false);
        Frame();
        world.KeyUp(key);
        Frame();
    }
    // The centre of item i's row on the screen.
    std::pair<int, int> ItemPoint(const TRuvoMenu& m, int i) {
        const TRect c = m.ContentRect();
        return {c.Left + 2, c.Top + (i - m.TopIndex) * (m.ItemHeight() + m.LineSpace) + m.ItemHeight() / 2};
    }
    std::vector<std::string> Parameters(int code) {
        for (int i = 0; i < world.Events().Count(); ++i)
            if (world.Events()[i].Code == code) return world.Events()[i].Parameters;
        return {};
    }

    static std::string Items(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += (i ? "\n" : "") + std::string("item") + std::to_string(i);
        return s;
    }

    TTextServices text{SharedWorldFonts()};
};

TEST_F(Menus, TheSizeComesFromTheItemsBorderMarginsAndRows) {
    TRuvoMenu& m = Menu("\r\n\tshort\nmuch longer item\nx\n\n", 2);
    EXPECT_EQ(m.ItemCount(), 3) << "control characters around the text go";
    const int32_t itemW = m.Width, itemH = m.Height;
    ASSERT_GT(m.ItemHeight(), 0);
    SetProperty(m, PR_BORDERWIDTH, 3);
    SetProperty(m, PR_MARGINX, 5);
    SetProperty(m, PR_MARGINY, 4);
    SetProperty(m, PR_LINESPACE, 6);
    Frame();
    EXPECT_EQ(m.Width, itemW + 2 * 3 + 2 * 5);
    EXPECT_EQ(m.Height, 2 * m.ItemHeight() + 6 + 2 * 3 + 2 * 4);
    EXPECT_EQ(itemH, 2 * m.ItemHeight());
    // The widest item sets the width: "much longer item" is wider than "short".
    SetProperty(m, PR_TEXT, std::string("short"));
    Frame();
    EXPECT_LT(m.Width, itemW + 16);

    // Items under points: inside the content only, each band starting half the line spacing above.
    SetProperty(m, PR_TEXT, Items(5));
    Frame();
    const TRect c = m.ContentRect();
    const int pitch = m.ItemHeight() + 6;
    struct Case {
        int x, y, item;
    } cases[] = {
        {c.Left, c.Top, 0},
        {c.Left - 1, c.Top + 1, -1},
        {c.Left + 1, c.Top - 1, -1},
        {c.Right - 1, c.Top + pitch - 3 - 1, 0},
        {c.Right - 1, c.Top + pitch - 3, 1},
        {c.Right, c.Top + 1, -1},
        {c.Left, c.Bottom - 1, 1},
        {c.Left, c.Bottom, -1},
    };
    for (const Case& k : cases) EXPECT_EQ(m.ItemAt(k.x, k.y), k.item) << k.x << ", " << k.y;
}

TEST_F(Menus, KeysMoveTheHoverWithinTheItemsAndScrollIt) {
    struct Case {
        const char* what;
        std::vector<int> keys;
        int hover, top;
    } cases[] = {
        {"down from none starts at the first", {kKeyDown}, 0, 0},
        {"five downs scroll by one", {kKeyDown, kKeyDown, kKeyDown, kKeyDown, kKeyDown}, 4, 1},
        {"up from none is the last", {kKeyUp}, 9, 6},
        {"up stops at the first", {kKeyDown, kKeyUp, kKeyUp}, 0, 0},
        {"down stops at the last", {kKeyEnd, kKeyDown}, 9, 6},
        {"page down from none is the first", {kKeyPageDown}, 0, 0},
        {"page down moves by the rows", {kKeyPageDown, kKeyPageDown, kKeyPageDown}, 8, 5},
        {"page down stops at the last", {kKeyDown, kKeyPageDown, kKeyPageDown, kKeyPageDown}, 9, 6},
        {"page up from none is the last", {kKeyPageUp}, 9, 6},
        {"page up stops at the first", {kKeyEnd, kKeyPageUp, kKeyPageUp, kKeyPageUp}, 0, 0},
        {"home and end", {kKeyEnd, kKeyHome}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.Reset();
        world.SetSize(kWidth, kHeight);
        TRuvoMenu& m = Menu(Items(10), 4);
        ASSERT_EQ(world.Focus(), &m);
        for (int key : c.keys) Key(key);
        EXPECT_EQ(m.Hover, c.hover);
        EXPECT_EQ(m.TopIndex, c.top);
    }
}

TEST_F(Menus, AChoiceByKeysReachesTheScript) {
    TRuvoMenu& m = Menu("はい\nいいえ\nたぶん");
    vars.SetSelIndex(-7);
    Key(kKeyEnter);
    EXPECT_EQ(vars.SelIndex(), -7) << "nothing hovered, nothing chosen";
    Key(kKeyDown);
    Key(kKeyDown);
    EXPECT_TRUE(Queued("m", PR_ONMAPIN));
    HandleAll();
    Key(kKeySpace);
    EXPECT_EQ(vars.SelIndex(), 1);
    EXPECT_EQ(vars.SelStr(), Utf8ToSjis("いいえ"));
    EXPECT_EQ(GetIntProperty(m, PR_INDEX), 1);
    EXPECT_EQ(Parameters(PR_ONSELECT), (std::vector<std::string>{Utf8ToSjis("いいえ"), "1"}));
    EXPECT_EQ(Eval("@SelIndex"), "1");
}

TEST_F(Menus, AChoiceByTheMouseHoversThenChoosesAndTheMenuGoes) {
    TRuvoMenu& m = Menu(Items(3));
    SetProperty(m, PR_AUTOSCRAP, true);
    auto [x0, y0] = ItemPoint(m, 0);
    auto [x2, y2] = ItemPoint(m, 2);
    world.MouseMove(x0, y0);
    Frame();
    EXPECT_EQ(m.Hover, 0);
    EXPECT_EQ(Events(), (std::vector<std::string>{Ev("m", PR_ONMAPIN)}));
    HandleAll();
    world.MouseMove(x2, y2);
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::string>{Ev("m", PR_ONMAPIN)})) << "from item to item: only the new one";
    HandleAll();
    world.MouseMove(x2, m.ScreenRect().Bottom + 20);
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::string>{Ev("m", PR_ONMAPOUT)}));
    EXPECT_EQ(Parameters(PR_ONMAPOUT), (std::vector<std::string>{"item2", "2"}));
    HandleAll();

    world.MouseDown(true, x2, y2);
    Frame();
    EXPECT_FALSE(Queued("m", PR_ONLBTNDOWN));
    EXPECT_FALSE(world.ActiveScreen().LeftPress);
    world.MouseUp();
    Frame();
    EXPECT_EQ(vars.SelIndex(), 2);
    EXPECT_EQ(vars.SelStr(), "item2");
    EXPECT_TRUE(Queued("m", PR_ONSELECT));
    Frame();
    EXPECT_TRUE(Queued("m", PR_ONCLOSING));
    EXPECT_TRUE(Queued("m", PR_ONCLOSED));
    // It waits for its closing events to run, then goes.
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_NE(Find("m"), nullptr);
    HandleAll();
    Frame();
    EXPECT_EQ(Find("m"), nullptr);
}

TEST_F(Menus, AHoverChangeRepaintsOnlyTheTwoItems) {
    TRuvoMenu& m = Menu(Items(6));
    SetProperty(m, PR_LINESPACE, 4);
    m.SetHover(1);
    Frame();
    world.TakeDirtyRects();
    m.SetHover(4);
    const TRect c = m.ContentRect();
    auto band = [&](int i) {
        const int top = c.Top + i * (m.ItemHeight() + 4);
        return TRect{c.Left, top, c.Right, top + m.ItemHeight()};
    };
    int64_t area = 0;
    for (const TRect& r : world.TakeDirtyRects()) {
        EXPECT_TRUE(Intersect(r, band(1)) == r || Intersect(r, band(4)) == r);
        area += int64_t(r.Right - r.Left) * (r.Bottom - r.Top);
    }
    EXPECT_EQ(area, 2 * int64_t(c.Right - c.Left) * m.ItemHeight());
}

TEST_F(Menus, CancelsGiveMinusOneAndCloseThroughThePhases) {
    struct Case {
        const char* what;
        std::function<void(TRuvoMenu&)> cancel;
    } cases[] = {
        {"a right click elsewhere", [this](TRuvoMenu&) {
             world.MouseDown(false, 190, 140);
             Frame();
             world.MouseUp();
         }},
        {"a right press on the menu", [this](TRuvoMenu& m) {
             auto [x, y] = ItemPoint(m, 0);
             world.MouseDown(false, x, y);
             Frame();
             world.MouseUp();
         }},
        {"Esc", [this](TRuvoMenu&) { Key(kKeyEsc); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.Reset();
        world.SetSize(kWidth, kHeight);
        TRuvoMenu& m = Menu(Items(3));
        SetProperty(m, PR_RCLICKSCRAP, true);
        SetProperty(m, PR_DELAY, 100);
        const int32_t full = m.Height;
        vars.SetSelIndex(5);
        vars.SetSelStr("x");
        c.cancel(m);
        EXPECT_EQ(vars.SelIndex(), -1);
        EXPECT_EQ(vars.SelStr(), "");
        EXPECT_FALSE(world.ActiveScreen().RightPress) << "the right press is the menu's";
        std::vector<std::string> seen;
        int32_t lastHeight = full;
        bool shrinks = true;
        for (int i = 0; i < 20 && Find("m"); ++i) {
            for (const std::string& e : Events()) seen.push_back(e);
            HandleAll();
            if (Find("m")) {
                shrinks = shrinks && m.Height <= lastHeight;
                lastHeight = m.Height;
            }
            Frame();
        }
        EXPECT_EQ(Find("m"), nullptr);
        EXPECT_EQ(seen, (std::vector<std::string>{Ev("m", PR_ONCLOSING), Ev("m", PR_ONCLOSED)}));
        EXPECT_TRUE(shrinks);
        EXPECT_EQ(vars.SelIndex(), -1);
    }
}

TEST_F(Menus, OpeningGrowsOverTheDelayWithItsEventsInOrder) {
    auto& m = static_cast<TRuvoMenu&>(*world.CreateByType(12));
    m.SetName("m");
    m.SetParent(&world.ActiveScreen());
    SetProperty(m, PR_TEXT, Items(4));
    SetProperty(m, PR_ROWCOUNT, 4);
    SetProperty(m, PR_DELAY, 160);
    SetProperty(m, PR_ONOPENING, std::string("o.rsb"));
    SetProperty(m, PR_ONOPENED, std::string("o.rsb"));
    Frame();
    EXPECT_EQ(m.Height, 0) << "made closed";
    m.SetPlayMode(kMenuOpenFade);
    Frame();  // 100: laid out, opening
    const int32_t full = m.FullHeight;
    ASSERT_GT(full, 0);
    EXPECT_EQ(GetIntProperty(m, PR_ORIGHEIGHT), full);
    EXPECT_EQ(Events(), (std::vector<std::string>{Ev("m", PR_ONOPENING)}));
    HandleAll();
    Frame();  // 101: the clock starts
    std::vector<int32_t> heights;
    for (int i = 0; i < 10; ++i) {
        Frame();
        heights.push_back(m.Height);
    }
    EXPECT_EQ(heights[0], 16 * full / 160);
    EXPECT_EQ(heights[4], 80 * full / 160);
    EXPECT_EQ(heights[9], full);
    EXPECT_EQ(Events(), (std::vector<std::string>{Ev("m", PR_ONOPENED)}));
    // Opening an open menu again changes nothing.
    HandleAll();
    m.SetPlayMode(kMenuOpen);
    EXPECT_TRUE(Events().empty());
}

TEST_F(Menus, HostileTextsAndRowCountsHaveDefinedResults) {
    TRuvoMenu& m = Menu("\n\n\n");
    EXPECT_EQ(m.ItemCount(), 0);
    Key(kKeyDown);
    Key(kKeyEnter);
    EXPECT_EQ(m.Hover, -1);
    SetProperty(m, PR_ROWCOUNT, -5);
    SetProperty(m, PR_TEXT, Items(100000));
    Frame();
    EXPECT_EQ(m.ItemCount(), 100000);
    EXPECT_EQ(m.Height, m.ItemHeight()) << "fewer than one row shows one";
    Key(kKeyEnd);
    EXPECT_EQ(m.Hover, 99999);
    EXPECT_EQ(m.TopIndex, 99999);
    SetProperty(m, PR_TOPINDEX, -3);
    EXPECT_EQ(m.TopIndex, 0);
    SetProperty(m, PR_ROWCOUNT, 2000000000);
    SetProperty(m, PR_LINESPACE, 2000000000);
    Frame();
    EXPECT_EQ(m.Height, INT32_MAX) << "a size beyond 32 bits saturates";
}

TEST_F(Menus, ScriptsReadItemsAndCheckMarks) {
    Menu("Yes\nNo\n\xe4\xb8\x80");
    struct Case {
        const char* expression;
        const char* result;
    } cases[] = {
        {"IndexOfMenu(\"m\", \"no\")", "1"},  // letters in either case
        {"IndexOfMenu(\"m\", \"一\")", "2"},
        {"IndexOfMenu(\"m\", \"maybe\")", "-1"},
        {"IndexOfMenu(\"nobody\", \"yes\")", "-1"},
        {"GetCheck(\"m\", 1)", "FALSE"},
        {"SetCheck(\"m\", 1, 1)", "1"},
        {"GetCheck(\"m\", 1)", "TRUE"},
        {"GetCheck(\"m\", 0)", "FALSE"},
        {"SetCheck(\"m\", 3, 1)", "0"},  // no such item
        {"GetCheck(\"m\", -1)", "FALSE"},
        {"GetCheck(\"nobody\", 0)", "FALSE"},
    };
    for (const Case& c : cases) EXPECT_EQ(Eval(c.expression), c.result) << c.expression;
    // A new text clears the marks.
    SetProperty(*Find("m"), PR_TEXT, std::string("a\nb"));
    EXPECT_EQ(Eval("GetCheck(\"m\", 1)"), "FALSE");
}

TEST_F(Menus, SavedMenusComeBackAsTheyWere) {
    TRuvoMenu& m = Menu("一\n二\n三", 2);
    SetProperty(m, PR_DELAY, 250);
    SetProperty(m, PR_HOVERCOLOR, 0x112233);
    SetProperty(m, PR_RCLICKSCRAP, true);
    SetProperty(m, PR_MARGINX, 3);
    SetProperty(m, PR_FONTHOVERCOLOR, 0x00FFFF);
    Key(kKeyDown);
    Key(kKeyEnter);
    Frame();
    const int32_t width = m.Width, height = m.Height;
    TMemoryStream s;
    world.SaveToStream(s);
    SaveAndReload();
    auto* l = dynamic_cast<TRuvoMenu*>(Find("m"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->ItemCount(), 3);
    EXPECT_EQ(l->ItemText(2), Utf8ToSjis("三"));
    EXPECT_EQ(l->Width, width);
    EXPECT_EQ(l->Height, height);
    EXPECT_EQ(GetIntProperty(*l, PR_INDEX), 0);
    EXPECT_EQ(GetIntProperty(*l, PR_DELAY), 250);
    EXPECT_EQ(GetIntProperty(*l, PR_HOVERCOLOR), 0x112233);
    EXPECT_EQ(GetIntProperty(*l, PR_FONTHOVERCOLOR), 0x00FFFF);
    EXPECT_EQ(GetIntProperty(*l, PR_ROWCOUNT), 2);
    EXPECT_TRUE(GetFlagProperty(*l, PR_RCLICKSCRAP));
    EXPECT_EQ(l->PlayState, kMenuOpen);
    // The loaded menu still answers a right click elsewhere.
    world.MouseDown(false, 190, 140);
    Frame();
    world.MouseUp();
    EXPECT_EQ(vars.SelIndex(), -1);

    const std::vector<uint8_t> bytes = s.Bytes();
    for (size_t cut = bytes.size() - 1; cut > bytes.size() - 120; cut -= 9) {
        TMemoryStream part;
        part.WriteBuffer(bytes.data(), static_cast<int64_t>(cut));
        part.SetPosition(0);
        EXPECT_THROW(world.LoadFromStream(part, kSaveVersion), ERuvoError);
    }
}

} // namespace
} // namespace ruvo::testing
