// The pictures of a menu: the nine frame cells with their alignments against a picture worked out by
// hand, the check column, the scroll bar's look and its arrows, track (with repeat) and thumb under the
// mouse, missing pictures, and the saved form.
#include "archive/serializer.hpp"
#include "image_fixture.hpp"
#include "objects/choices/menu.hpp"
#include "text_world_fixture.hpp"

namespace ruvo::testing {
namespace {

TestFrame Solid(uint32_t colour) { return TestFrame{[colour](int, int) { return colour; }, nullptr, 100, {}}; }
// A picture whose first column (row) is one colour and the rest another: shows where tiles start.
TestFrame FirstColumn(uint32_t first, uint32_t rest) {
    return TestFrame{[=](int x, int) { return x == 0 ? first : rest; }, nullptr, 100, {}};
}
TestFrame FirstRow(uint32_t first, uint32_t rest) {
    return TestFrame{[=](int, int y) { return y == 0 ? first : rest; }, nullptr, 100, {}};
}

int64_t Mod(int64_t v, int64_t m) { return ((v % m) + m) % m; }

constexpr uint32_t kCentre = 0x808080;

class MenuPictures : public ImageFixture {
protected:
    MenuPictures() { world.TextObjects().SetText(&text); }

    // An open menu whose text has the colour of the centre cell, without smoothing, so its pixels are
    // known exactly.
    TRuvoMenu& Menu(const std::string& items, int rows = 10) {
        auto& m = static_cast<TRuvoMenu&>(*world.CreateByType(12));
        m.SetName("m");
        m.SetParent(&world.ActiveScreen());
        m.SetLeft(20);
        m.SetTop(10);
        SetProperty(m, PR_ROWCOUNT, rows);
        SetProperty(m, PR_ANTIALIAS, false);
        SetProperty(m, PR_FONTCOLOR, static_cast<int32_t>(kCentre));
        SetProperty(m, PR_FONTHEIGHT, 12);
        SetProperty(m, PR_TEXT, items);
        SetProperty(m, PR_ONLBTNDOWN, std::string("h.rsb"));
        m.SetPlayMode(kMenuOpen);
        Frame();
        HandleAll();
        return m;
    }

    static std::string Items(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += (i ? "\n" : "") + std::string("item") + std::to_string(i);
        return s;
    }

    TTextServices text{SharedWorldFonts()};
};

TEST_F(MenuPictures, TheNineCellsSurroundTheItemsTiledAtTheirAlignments) {
    struct Cell {
        int id;
        int w, h;
        TestFrame frame;
    };
    const Cell cells[] = {
        {PR_BORDERSOURCETL, 4, 3, Solid(0x0000FF)},
        {PR_BORDERSOURCETC, 3, 2, FirstColumn(0x00FF00, 0x004000)},
        {PR_BORDERSOURCETR, 5, 3, Solid(0xFF0000)},
        {PR_BORDERSOURCECL, 3, 3, FirstRow(0x00FFFF, 0x004040)},
        {PR_BORDERSOURCECC, 1, 1, Solid(kCentre)},
        {PR_BORDERSOURCECR, 2, 4, FirstRow(0xFFFF00, 0x404000)},
        {PR_BORDERSOURCEBL, 4, 4, Solid(0xFF00FF)},
        {PR_BORDERSOURCEBC, 3, 4, FirstColumn(0xFFFFFF, 0x202020)},
        {PR_BORDERSOURCEBR, 4, 2, Solid(0x0080FF)},  // smaller than its column and row
    };
    TRuvoMenu& m = Menu("one\ntwo longer\nthree");
    const int32_t plainW = m.Width, plainH = m.Height;
    for (size_t i = 0; i < std::size(cells); ++i) {
        const std::string name = "cell" + std::to_string(i) + ".zph";
        PutPicture(name, cells[i].w, cells[i].h, {cells[i].frame});
        SetProperty(m, cells[i].id, name);
    }
    // Top edge centred, bottom edge from the right, left edge from the bottom, right edge from the top.
    SetProperty(m, PR_BORDERHALIGNT, 1);
    SetProperty(m, PR_BORDERHALIGNB, 2);
    SetProperty(m, PR_BORDERVALIGNL, 2);
    SetProperty(m, PR_BORDERVALIGNR, 0);
    Frame();
    // Columns 4 and 5 wide, rows 3 and 4 high: the widest and highest cell of each.
    ASSERT_EQ(m.Width, plainW + 4 + 5);
    ASSERT_EQ(m.Height, plainH + 3 + 4);

    const TRect r = m.ScreenRect();
    const int32_t xs[4] = {r.Left, r.Left + 4, r.Right - 5, r.Right};
    const int32_t ys[4] = {r.Top, r.Top + 3, r.Bottom - 4, r.Bottom};
    // The cell's picture repeats from an anchor tile: at the start, centred, or at the end of the cell.
    auto anchor = [](int32_t align, int32_t lo, int32_t hi, int32_t size) -> int64_t {
        return align == 1 ? lo + (hi - lo - size) / 2 : align == 2 ? hi - size : lo;
    };
    const int32_t hAlign[3] = {1, 0, 2}, vAlign[3] = {2, 0, 0};
    std::vector<uint32_t> expected = Blank();
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            const int col = x < xs[1] ? 0 : x < xs[2] ? 1 : 2, row = y < ys[1] ? 0 : y < ys[2] ? 1 : 2;
            const Cell& c = cells[row * 3 + col];
            const int32_t ax = col == 1 ? hAlign[row] : col == 2 ? 2 : 0;
            const int32_t ay = row == 1 ? vAlign[col] : row == 2 ? 2 : 0;
            const int64_t u = x - anchor(ax, xs[col], xs[col + 1], c.w), v = y - anchor(ay, ys[row], ys[row + 1], c.h);
            // Corners are not repeated.
            if (col != 1 && row != 1 && (u < 0 || u >= c.w || v < 0 || v >= c.h)) continue;
            expected[static_cast<size_t>(y) * kWidth + x] =
                PixelOf(c.frame.colour(static_cast<int>(Mod(u, c.w)), static_cast<int>(Mod(v, c.h))));
        }
    EXPECT_TRUE(Shows(expected));

    // The items sit inside the frame: the content starts after the left column and the top row.
    const TRect content = m.ContentRect();
    EXPECT_EQ(content.Left, r.Left + 4);
    EXPECT_EQ(content.Top, r.Top + 3);
    EXPECT_EQ(m.ItemAt(content.Left, content.Top), 0);
    EXPECT_EQ(m.ItemAt(r.Left + 1, content.Top), -1) << "the left column holds no item";

    // Frames of a cell's picture advance by their delays and are painted.
    PutPicture("blink.zph", 4, 3, {Solid(0x0000FF), Solid(0x00FF00)});
    SetProperty(m, PR_BORDERSOURCETL, std::string("blink.zph"));
    Frame();
    EXPECT_EQ(world.Surface().GetPixel(r.Left, r.Top) & 0xFFFFFF, PixelOf(0x0000FF));
    for (int i = 0; i < 7; ++i) Frame();
    EXPECT_EQ(world.Surface().GetPixel(r.Left, r.Top) & 0xFFFFFF, PixelOf(0x00FF00));
}

TEST_F(MenuPictures, MissingPicturesShowNothingAndTakeNoRoom) {
    TRuvoMenu& m = Menu(Items(6), 3);
    const int32_t w = m.Width, h = m.Height;
    const std::vector<uint32_t> before = [&] {
        std::vector<uint32_t> p(static_cast<size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) p[static_cast<size_t>(y) * kWidth + x] = world.Surface().GetPixel(x, y) & 0xFFFFFF;
        return p;
    }();
    std::ofstream(dir / "game" / "broken.zph") << "not a picture";
    files.InvalidateLooseFiles();
    for (int id : {PR_BORDERSOURCETL, PR_BORDERSOURCECC, PR_BORDERSOURCEBR, PR_SCROLLSOURCE, PR_CHECKSOURCE})
        SetProperty(m, id, std::string(id == PR_BORDERSOURCECC ? "broken.zph" : "nowhere.zph"));
    m.ItemData[0] = 1;
    m.Invalidate();
    Frame();
    EXPECT_EQ(m.Width, w);
    EXPECT_EQ(m.Height, h);
    EXPECT_TRUE(m.ScrollBar().Empty());
    EXPECT_TRUE(Shows(before));
}

TEST_F(MenuPictures, CheckedItemsShowTheCheckPictureInAColumnOfItsOwn) {
    constexpr uint32_t kOff = 0x0000FF, kOn = 0x00FF00;
    PutPicture("two.zph", 6, 5, {Solid(kOff), Solid(kOn)});
    PutPicture("one.zph", 6, 5, {Solid(kOn)});
    struct Case {
        const char* source;
        uint32_t unchecked;  // 0: nothing shown
    } cases[] = {{"two.zph", kOff}, {"one.zph", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        world.Reset();
        world.SetSize(kWidth, kHeight);
        TRuvoMenu& m = Menu(Items(3));
        const int32_t plainW = m.Width;
        SetProperty(m, PR_CHECKSOURCE, std::string(c.source));
        EXPECT_EQ(Eval("SetCheck(\"m\", 1, 1)"), "1");
        Frame();
        EXPECT_EQ(m.Width, plainW + 6);
        const TRect content = m.ContentRect();
        for (int i = 0; i < 3; ++i) {
            const int32_t top = content.Top + i * m.ItemHeight() + (m.ItemHeight() - 5) / 2;
            const uint32_t want = i == 1 ? kOn : c.unchecked;
            for (auto [x, y] : {std::pair{content.Left, top}, {content.Left + 5, top + 4}})
                EXPECT_EQ(world.Surface().GetPixel(x, y) & 0xFFFFFF, PixelOf(want)) << "item " << i;
            EXPECT_EQ(world.Surface().GetPixel(content.Left, top - 1) & 0xFFFFFF, 0u) << "item " << i;
        }
        // The text stands right of the column: nothing of it inside.
        bool textInColumn = false;
        for (int y = content.Top; y < content.Bottom; ++y)
            for (int x = content.Left; x < content.Left + 6; ++x)
                textInColumn |= (world.Surface().GetPixel(x, y) & 0xFFFFFF) == PixelOf(kCentre);
        EXPECT_FALSE(textInColumn);
    }
}

TEST_F(MenuPictures, TheScrollBarShowsItsPartsAndAnswersTheMouse) {
    constexpr uint32_t kUp = 0x0000FF, kDown = 0x00FF00, kTrack = 0x404040, kThumb = 0xFFFFFF;
    // Four bands of 8 × 4 from the top: up arrow, down arrow, track, thumb.
    PutPicture("bar.zph", 8, 16, {TestFrame{[=](int, int y) {
                                                 const uint32_t bands[] = {kUp, kDown, kTrack, kThumb};
                                                 return bands[y / 4];
                                             },
                                             nullptr, 100, {}}});
    TRuvoMenu& m = Menu(Items(10), 4);
    const int32_t plainW = m.Width;
    SetProperty(m, PR_SCROLLSOURCE, std::string("bar.zph"));
    Frame();
    ASSERT_EQ(m.Width, plainW + 8);
    const TRect r = m.ScreenRect();
    const TScrollParts bar = m.ScrollBar();
    ASSERT_EQ(bar.Up, (TRect{r.Right - 8, r.Top, r.Right, r.Top + 4}));
    ASSERT_EQ(bar.Down, (TRect{r.Right - 8, r.Bottom - 4, r.Right, r.Bottom}));
    const int32_t track = r.Height() - 8, thumb = std::max(track * 4 / 10, 4);
    ASSERT_EQ(bar.Thumb, (TRect{r.Right - 8, r.Top + 4, r.Right, r.Top + 4 + thumb}));
    EXPECT_EQ(m.ContentRect().Right, r.Right - 8);
    auto pixel = [&](int x, int y) { return world.Surface().GetPixel(x, y) & 0xFFFFFF; };
    EXPECT_EQ(pixel(r.Right - 1, r.Top), PixelOf(kUp));
    EXPECT_EQ(pixel(r.Right - 8, r.Bottom - 1), PixelOf(kDown));
    EXPECT_EQ(pixel(r.Right - 4, r.Top + 4 + thumb - 1), PixelOf(kThumb));
    EXPECT_EQ(pixel(r.Right - 4, r.Top + 4 + thumb), PixelOf(kTrack));
    EXPECT_EQ(pixel(r.Right - 9, r.Top), 0u);

    const int32_t x = r.Right - 4;
    auto press = [&](int y, int heldFrames) {
        world.MouseDown(true, x, y);
        for (int i = 0; i <= heldFrames; ++i) Frame();
        world.MouseUp();
        Frame();
    };
    struct Case {
        const char* what;
        int32_t startTop;
        int y;  // the place pressed; -1 the thumb, -2 just below it
        int held;
        int32_t top;
    } cases[] = {
        {"down arrow", 0, r.Bottom - 1, 0, 1},
        {"down arrow stops at the last row", 6, r.Bottom - 1, 0, 6},
        {"up arrow stops at the first", 0, r.Top + 1, 0, 0},
        {"up arrow", 3, r.Top + 1, 0, 2},
        // Frames of 16 ms after the press: none by 288 ms, the first repeat at 304 ms, then one each
        // 50 ms (at 352 and 400 ms by 448 ms).
        {"held down arrow waits 300 ms", 0, r.Bottom - 1, 18, 1},
        {"held down arrow repeats after 300 ms", 0, r.Bottom - 1, 19, 2},
        {"held down arrow repeats every 50 ms", 0, r.Bottom - 1, 28, 4},
        {"track below the thumb pages down", 0, r.Bottom - 5, 0, 4},
        {"track above the thumb pages up", 6, r.Top + 5, 0, 2},
        {"pressing the thumb alone moves nothing", 2, -1, 0, 2},
        {"a held track stops once the thumb is under the pointer", 0, -2, 60, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetProperty(m, PR_TOPINDEX, c.startTop);
        Frame();
        const TRect thumbAt = m.ScrollBar().Thumb;
        const int y = c.y == -1 ? thumbAt.Top + 1 : c.y == -2 ? thumbAt.Bottom + 1 : c.y;
        if (c.y == -2) {  // the page's thumb covers the place pressed
            SetProperty(m, PR_TOPINDEX, 4);
            ASSERT_LT(m.ScrollBar().Thumb.Top, y);
            SetProperty(m, PR_TOPINDEX, c.startTop);
        }
        press(y, c.held);
        EXPECT_EQ(m.TopIndex, c.top);
        EXPECT_EQ(m.Hover, -1) << "no item was pressed";
    }
    EXPECT_FALSE(Queued("m", PR_ONLBTNDOWN));
    SetProperty(m, PR_ONMOUSEMOVE, std::string("h.rsb"));
    HandleAll();

    // Dragging the thumb: its place along the track gives the top row, rounded.
    SetProperty(m, PR_TOPINDEX, 0);
    vars.SetSelIndex(-7);
    Frame();
    const TScrollParts start = m.ScrollBar();
    const int32_t free = start.Track.Height() - start.Thumb.Height();
    world.MouseDown(true, x, start.Thumb.Top + 2);
    Frame();
    struct Drag {
        int dy;
        int32_t top;
    } drags[] = {{free / 2, 3}, {free, 6}, {free + 40, 6}, {-30, 0}};
    for (const Drag& d : drags) {
        world.MouseMove(x + 30, start.Thumb.Top + 2 + d.dy);  // the thumb follows off the bar too
        Frame();
        EXPECT_EQ(m.TopIndex, d.top) << d.dy;
    }
    EXPECT_FALSE(Queued("m", PR_ONMOUSEMOVE)) << "the thumb's moves are the bar's own";
    world.MouseUp();
    Frame();
    EXPECT_EQ(m.Hover, -1);
    EXPECT_EQ(vars.SelIndex(), -7) << "letting the thumb go chooses nothing";
}

TEST_F(MenuPictures, SavedMenusKeepTheirPictures) {
    PutPicture("tl.zph", 4, 3, {Solid(0x0000FF)});
    PutPicture("check.zph", 6, 5, {Solid(0x00FF00)});
    PutPicture("bar.zph", 8, 16, {Solid(0xFFFFFF)});
    TRuvoMenu& m = Menu(Items(5), 2);
    SetProperty(m, PR_BORDERSOURCETL, std::string("tl.zph"));
    SetProperty(m, PR_CHECKSOURCE, std::string("check.zph"));
    SetProperty(m, PR_SCROLLSOURCE, std::string("bar.zph"));
    SetProperty(m, PR_BORDERHALIGNC, 1);
    SetProperty(m, PR_BORDERVALIGNR, 2);
    m.ItemData[3] = 1;
    Frame();
    const int32_t w = m.Width, h = m.Height;
    SaveAndReload();
    auto* l = dynamic_cast<TRuvoMenu*>(Find("m"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(GetStrProperty(*l, PR_BORDERSOURCETL), "tl.zph");
    EXPECT_EQ(GetStrProperty(*l, PR_CHECKSOURCE), "check.zph");
    EXPECT_EQ(GetStrProperty(*l, PR_SCROLLSOURCE), "bar.zph");
    EXPECT_EQ(GetIntProperty(*l, PR_BORDERHALIGNC), 1);
    EXPECT_EQ(GetIntProperty(*l, PR_BORDERVALIGNR), 2);
    EXPECT_EQ(l->ItemData[3], 1);
    EXPECT_EQ(l->Width, w) << "the pictures are loaded again and take their room";
    EXPECT_EQ(l->Height, h);
    EXPECT_FALSE(l->ScrollBar().Empty());
    ExpectCutShortSavesRefused(60, 7, "m");

    // A record of an older version has no pictures: it is read whole and the menu shows none.
    TMemoryStream old;
    TSerializer writer = TSerializer::Writer(old, 133);
    l->Sync(writer);
    auto& copy = static_cast<TRuvoMenu&>(*world.CreateByType(12));
    old.SetPosition(0);
    TSerializer reader = TSerializer::Reader(old, 133);
    copy.Sync(reader);
    EXPECT_EQ(old.Position(), old.Size());
    EXPECT_EQ(copy.ItemCount(), 5);
    EXPECT_EQ(GetStrProperty(copy, PR_BORDERSOURCETL), "");
    EXPECT_EQ(copy.Width, w - 4 - 6 - 8);
}

} // namespace
} // namespace ruvo::testing
