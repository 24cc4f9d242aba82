// Captions and image captions: size from the text and the zoom, alignment, what is painted, rotation in
// the hit test, glyph cells cut from a picture, and their saved forms.
#include "objects/text/cglabel.hpp"
#include "objects/text/label.hpp"
#include "image_fixture.hpp"
#include "text_world_fixture.hpp"

namespace ruvo::testing {
namespace {

class Label : public TextWorldFixture {
protected:
    TRuvoLabel& Caption(const std::string& name, const std::string& utf8) {
        auto& l = static_cast<TRuvoLabel&>(*world.CreateByType(9));
        l.SetName(name);
        l.SetParent(&world.ActiveScreen());
        SetProperty(l, PR_FONTHEIGHT, 20);
        SetProperty(l, PR_FONTCOLOR, 0x30D0F0);
        SetProperty(l, PR_TEXT, Utf8ToSjis(utf8));
        return l;
    }
    // The columns of the caption's coverage that hold any ink in rows [top, bottom).
    static std::pair<int, int> InkColumns(const TRuvoLabel& l, int top, int bottom) {
        int first = -1, last = -1;
        auto& coverage = const_cast<TDIBX&>(l.Coverage());
        for (int x = 0; x < coverage.GetWidth(); ++x)
            for (int y = top; y < bottom; ++y)
                if (coverage.GetPixel(x, y) > 0) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
};

TEST_F(Label, TheSizeFollowsTheTextTheLineSpacingAndTheZoom) {
    TRuvoLabel& l = Caption("c", "長い一行目\n短い\n");  // the final empty line is not a line
    EXPECT_EQ(l.Lines().size(), 2u);
    EXPECT_EQ(l.NaturalHeight(), 2 * 20);
    EXPECT_GT(l.NaturalWidth(), 4 * 20);
    EXPECT_EQ(l.Width, l.NaturalWidth());
    SetProperty(l, PR_LINESPACE, 6);
    EXPECT_EQ(l.Height, 2 * 26);
    SetProperty(l, PR_ZOOMX, 512);
    SetProperty(l, PR_ZOOMY, 128);
    EXPECT_EQ(l.Width, l.NaturalWidth() * 2);
    EXPECT_EQ(l.Height, 26);
    SetProperty(l, PR_ZOOMX, 0);  // at least 1
    EXPECT_EQ(GetIntProperty(l, PR_ZOOMX), 1);
    SetProperty(l, PR_TEXT, std::string());
    EXPECT_EQ(l.Height, 0);
}

TEST_F(Label, ShorterLinesAreAlignedInTheWidestOne) {
    TRuvoLabel& l = Caption("c", "とても長い一行\n短");
    const int w = l.NaturalWidth();
    struct Case { int align; bool left, right; };
    for (const Case c : {Case{0, true, false}, Case{1, false, false}, Case{2, false, true}}) {
        SetProperty(l, PR_HALIGN, c.align);
        const auto [first, last] = InkColumns(l, 20, 40);
        ASSERT_GE(first, 0) << c.align;
        EXPECT_EQ(first < 5, c.left) << c.align;
        EXPECT_EQ(last > w - 6, c.right) << c.align;
        if (c.align == 1) EXPECT_LE(std::abs((first + last) - (w - 1)), 6);  // centred
    }
}

TEST_F(Label, ItIsPaintedInItsColourAndAlphaBlendsIt) {
    Box("bg", 0, 0, kWidth, kHeight);
    SetProperty(*Find("bg"), PR_COLOR, 0x000000);
    TRuvoLabel& l = Caption("c", "国");
    SetProperty(l, PR_LEFT, 20);
    SetProperty(l, PR_TOP, 30);
    SetProperty(l, PR_ANTIALIAS, true);
    PaintAll();
    const TRect r = Bounds(20, 30, 20, 20);
    EXPECT_GT(CountColour(0x30D0F0, r), 10);
    EXPECT_EQ(CountColour(0x30D0F0, Bounds(0, 0, 20, 30)), 0);
    SetProperty(l, PR_ALPHA, 128);
    PaintAll();
    EXPECT_EQ(CountColour(0x30D0F0, r), 0);
    EXPECT_GT(CountColour(0x186878, r) + CountColour(0x176878, r) + CountColour(0x186877, r), 0);
    SetProperty(l, PR_FLIPH, true);  // drawn mirrored about the pivot: one pixel from the left edge
    SetProperty(l, PR_ALPHA, 255);
    PaintAll();
    EXPECT_EQ(l.ScreenLeft(), 1);
    EXPECT_GT(CountColour(0x30D0F0, Bounds(1, 30, 20, 20)), 10);
}

TEST_F(Label, ATurnedCaptionIsHitWhereItIsDrawn) {
    TRuvoLabel& l = Caption("c", "一二三四");
    SetProperty(l, PR_LEFT, 100);
    SetProperty(l, PR_TOP, 70);
    ASSERT_EQ(l.Width, 80);
    TRuvoControl& screen = world.ActiveScreen();
    EXPECT_EQ(screen.HitTest(140, 75, kHoverMask), &l);
    SetProperty(l, PR_ANGLE, 64);  // a quarter turn about the top-left corner
    EXPECT_NE(screen.HitTest(140, 75, kHoverMask), &l);
    const bool down = screen.HitTest(95, 110, kHoverMask) == &l, up = screen.HitTest(95, 30, kHoverMask) == &l;
    EXPECT_NE(down, up);  // along one side of the turn, not both
    // The turned caption is drawn where it is hit.
    Box("bg", 0, 0, kWidth, kHeight);
    SetProperty(*Find("bg"), PR_COLOR, 0x000000);
    SetProperty(*Find("bg"), PR_PRIORITY, -1);
    PaintAll();
    EXPECT_GT(CountColour(0x30D0F0, down ? Bounds(80, 70, 20, 80) : Bounds(80, 0, 20, 70)), 10);
    EXPECT_EQ(CountColour(0x30D0F0, Bounds(120, 70, 80, 20)), 0);
}

// PR_ANGLE takes any integer (a script's or a saved game's): angles whole turns apart are hit and drawn
// alike, the ends of the range included.
TEST_F(Label, AnglesWholeTurnsApartAreHitAlike) {
    TRuvoLabel& l = Caption("c", "一二三四");
    SetProperty(l, PR_LEFT, 100);
    SetProperty(l, PR_TOP, 70);
    TRuvoControl& screen = world.ActiveScreen();
    const std::pair<int, int> points[] = {{140, 75}, {105, 75}, {95, 110}, {95, 30}, {110, 110}, {110, 30}};
    auto hits = [&] {
        std::string out;
        for (auto [x, y] : points) out += screen.HitTest(x, y, kHoverMask) == &l ? '1' : '0';
        return out;
    };
    struct Case {
        int32_t angle, same;
    };
    const Case cases[] = {{INT32_MIN, 0}, {INT32_MIN + 64, 64}, {INT32_MAX, -1}, {INT32_MAX - 64, -65}, {-192, 64}};
    for (const Case& c : cases) {
        SetProperty(l, PR_ANGLE, c.same);
        const std::string expected = hits();
        ASSERT_NE(expected.find('1'), std::string::npos) << c.same;
        SetProperty(l, PR_ANGLE, c.angle);
        EXPECT_EQ(hits(), expected) << c.angle;
        PaintAll();
    }
    // A flipped caption turned about a pivot at the end of the range: its painted bounds stay ordered.
    SetProperty(l, PR_FLIPH, true);
    SetProperty(l, PR_OFFSETX, INT32_MIN);
    SetProperty(l, PR_ANGLE, 64);
    const TRect painted = l.PaintedRect();
    EXPECT_LE(painted.Left, painted.Right);
    EXPECT_LE(painted.Top, painted.Bottom);
    PaintAll();
}

TEST_F(Label, ATurnedCaptionIsRepaintedAndClearedWhereItLiesOutsideItsRectangle) {
    Box("bg", 0, 0, kWidth, kHeight);
    SetProperty(*Find("bg"), PR_COLOR, 0x000000);
    SetProperty(*Find("bg"), PR_PRIORITY, -1);
    TRuvoLabel& l = Caption("c", "一二三四");
    SetProperty(l, PR_LEFT, 100);
    SetProperty(l, PR_TOP, 70);
    SetProperty(l, PR_ANGLE, 64);  // a quarter turn: drawn wholly outside its unturned rectangle
    PaintAll();
    const TRect down = Bounds(80, 70, 20, 80), up = Bounds(80, 0, 20, 70);
    const TRect turned = CountColour(0x30D0F0, down) > 0 ? down : up;
    const int ink = CountColour(0x30D0F0, turned);
    ASSERT_GT(ink, 10);
    // Something else repaints only part of where the turned caption lies: the caption is painted there.
    world.Surface().FillRect(turned, 0);
    world.ActiveScreen().AddDirtyRect(turned);
    world.Paint();
    EXPECT_EQ(CountColour(0x30D0F0, turned), ink);
    // Turned back, it leaves nothing where it was drawn turned.
    world.ActiveScreen().Dirty().Clear();
    SetProperty(l, PR_ANGLE, 0);
    world.Paint();
    EXPECT_EQ(CountColour(0x30D0F0, turned), 0);
    EXPECT_GT(CountColour(0x30D0F0, l.ScreenRect()), 10);
}

TEST_F(Label, TheSavedCaptionComesBackRendered) {
    TRuvoLabel& l = Caption("c", "一行目\n二行目");
    SetProperty(l, PR_HALIGN, 2);
    SetProperty(l, PR_ZOOMX, 300);
    SetProperty(l, PR_ANGLE, 7);
    SetProperty(l, PR_FONTSTYLE, 1);
    SetProperty(l, PR_ONIDLE, std::string("idle.rsb"));
    const int width = l.Width, height = l.Height;
    const std::string bytes = Saved();
    world.Reset();
    Load(bytes);
    auto& back = static_cast<TRuvoLabel&>(*Find("c"));
    EXPECT_EQ(SjisToUtf8(GetStrProperty(back, PR_TEXT)), "一行目\r\n二行目");
    EXPECT_EQ(back.Width, width);
    EXPECT_EQ(back.Height, height);
    EXPECT_EQ(GetIntProperty(back, PR_HALIGN), 2);
    EXPECT_EQ(GetIntProperty(back, PR_ANGLE), 7);
    EXPECT_EQ(GetIntProperty(back, PR_FONTSTYLE), 1);
    EXPECT_EQ(back.OnIdle, "idle.rsb");
    EXPECT_GE(InkColumns(back, 0, back.NaturalHeight()).first, 0);
    EXPECT_EQ(Saved(), bytes);
}

class CGLabel : public ImageFixture {};

TEST_F(CGLabel, ItDrawsTheCellsOfItsCharacters) {
    // A 4 x 2 grid of 10 x 12 cells, each a solid colour 0x10 * (cell + 1) in red.
    PutPicture("digits.rgp", 40, 24, {TestFrame{[](int x, int y) { return 0x10u * static_cast<uint32_t>(y / 12 * 4 + x / 10 + 1); }}});
    auto& c = static_cast<TRuvoCGLabel&>(*world.CreateByType(24));
    c.SetParent(&world.ActiveScreen());
    SetProperty(c, PR_SOURCE, std::string("digits.rgp"));
    SetProperty(c, PR_MAPTEXT, Utf8ToSjis("0123456あ"));
    SetProperty(c, PR_GLYPHWIDTH, 10);
    SetProperty(c, PR_GLYPHHEIGHT, 12);
    SetProperty(c, PR_LINESPACE, 3);
    SetProperty(c, PR_TEXT, Utf8ToSjis("あ1x\n5"));
    EXPECT_EQ(c.Cells(), (std::vector<std::vector<int>>{{7, 1, -1}, {5}}));
    EXPECT_EQ(c.Width, 30);
    EXPECT_EQ(c.Height, 12 + 3 + 12);
    EXPECT_EQ(GetIntProperty(c, PR_ORIGWIDTH), 40);
    SetProperty(c, PR_LEFT, 10);
    SetProperty(c, PR_TOP, 20);
    SetProperty(c, PR_HALIGN, 1);
    world.ActiveScreen().AddWhole();
    world.Paint();
    TDIBX& s = world.Surface();
    EXPECT_EQ(s.GetPixel(12, 22) & 0xFFFFFF, PixelOf(0x80));  // あ: cell 7
    EXPECT_EQ(s.GetPixel(25, 30) & 0xFFFFFF, PixelOf(0x20));  // 1: cell 1
    EXPECT_EQ(s.GetPixel(35, 25) & 0xFFFFFF, 0u);             // x: not in the map, its cell left empty
    EXPECT_EQ(s.GetPixel(25, 40) & 0xFFFFFF, PixelOf(0x60));  // 5, centred on the second line
    EXPECT_EQ(s.GetPixel(12, 40) & 0xFFFFFF, 0u);
    SetProperty(c, PR_GLYPHWIDTH, 0);
    EXPECT_EQ(GetIntProperty(c, PR_GLYPHWIDTH), 1);
    SetProperty(c, PR_GLYPHWIDTH, 10);

    const auto cells = c.Cells();
    TMemoryStream saved;
    world.SaveToStream(saved);
    world.Reset();
    saved.SetPosition(0);
    world.LoadFromStream(saved, kSaveVersion);
    auto& back = static_cast<TRuvoCGLabel&>(*world.Objects().front());
    EXPECT_EQ(back.Cells(), cells);
    EXPECT_EQ(back.PictureWidth(), 40);
    EXPECT_EQ(back.Height, 27);
    TMemoryStream again;
    world.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), saved.Bytes());
}

} // namespace
} // namespace ruvo::testing
