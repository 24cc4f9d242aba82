// Image objects: the frame animation and its end (repeat, auto-scrap, the end handler, the last frame's
// wait), sizes from zooms and flips, drawing checked against a plain per-pixel model (masks, alpha,
// flips, zoom, content rectangles, rotation), brightness on shared pixels, hit testing through the mask
// and the rotation, tiles, damaged pictures, and the saved forms.
#include <cmath>

#include "archive/streams.hpp"
#include "image_fixture.hpp"
#include "objects/images/image.hpp"

namespace ruvo::testing {
namespace {

uint32_t Mix(uint32_t d, uint32_t s, uint32_t w) {
    uint32_t out = 0;
    for (int shift : {0, 8, 16})
        out |= (((255 - w) * (d >> shift & 0xFF) + w * (s >> shift & 0xFF)) >> 8) << shift;
    return out;
}

// A picture of distinct colours by position, so a pixel drawn from the wrong place shows.
uint32_t Pattern(int x, int y) { return uint32_t(0x10 + x * 7) | uint32_t(0x20 + y * 5) << 8 | 0x400000u; }
// Opaque in a disc, transparent outside, a soft ring between: what sprites look like.
uint8_t Disc(int x, int y) {
    const double d = std::hypot(x - 9.5, y - 7.5);
    return d < 5 ? 255 : d < 7 ? uint8_t(100) : 0;
}

TestFrame Solid(uint32_t colour, int32_t delay = 100) {
    return TestFrame{[colour](int, int) { return colour; }, nullptr, delay, {}};
}

class ImageObjects : public ImageFixture {};

// ---- the animation

TEST_F(ImageObjects, FramesAdvanceByTheirDelaysAndTheEndIsHandledByTheFlags) {
    PutPicture("anim.zph", 4, 4, {Solid(0x0000FF), Solid(0x00FF00), Solid(0xFF0000)});
    struct Case {
        const char* what;
        bool repeat, autoScrap;
        std::vector<int> indexes;  // after 100, 150 ... 450 ms; -9: destroyed
        int playEnds;              // end events queued over the run
    } cases[] = {
        {"stops at the last frame and asks for its handler every frame", false, false, {1, 1, 2, 2, 2, 2, 2, 2}, 4},
        {"starts again", true, false, {1, 1, 2, 2, 0, 0, 1, 1}, 0},
        {"goes when done", false, true, {1, 1, 2, 2, -9, -9, -9, -9}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.Reset();
        world.SetSize(kWidth, kHeight);
        TRuvoImages& i = Images("a", "anim.zph");
        SetProperty(i, PR_REPEAT, c.repeat);
        SetProperty(i, PR_AUTOSCRAP, c.autoScrap);
        SetProperty(i, PR_ONPLAYEND, std::string("end.rsb"));
        EXPECT_EQ(GetIntProperty(i, PR_COUNT), 3);
        // The first 100 ms show frame 0 (its delay was added when it was shown).
        Frame(50);
        std::vector<int> seen;
        int ends = 0;
        for (size_t k = 0; k < c.indexes.size(); ++k) {
            Frame(50);
            TRuvoObject* o = Find("a");
            seen.push_back(o ? GetIntProperty(*o, PR_INDEX) : -9);
            for (const std::string& e : Events()) ends += e == "a:43";
            HandleAll();
        }
        EXPECT_EQ(seen, c.indexes);
        EXPECT_EQ(ends, c.playEnds);
    }
}

TEST_F(ImageObjects, TheLastFrameWaitsLongerByTheExpressionGivenAtCreation) {
    PutPicture("two.zph", 4, 4, {Solid(0x0000FF, 100), Solid(0x00FF00, 100)});
    world.SetEvaluator([](TRuvoParser&) { return 300; });
    TRuvoImages& i = Images("a", "two.zph");
    i.TakeCreationExpression(PR_DELAY, CompileExpression("300"));
    SetProperty(i, PR_REPEAT, true);
    std::vector<int> seen;
    for (int k = 0; k < 8; ++k) {
        Frame(100);
        seen.push_back(i.Index);
    }
    // Frame 1 stays 100 + 300 ms before frame 0 comes back.
    EXPECT_EQ(seen, (std::vector<int>{1, 1, 1, 1, 0, 1, 1, 1}));
}

TEST_F(ImageObjects, PausingAndHidingHoldTheAnimation) {
    PutPicture("anim.zph", 4, 4, {Solid(1), Solid(2), Solid(3)});
    TRuvoImages& i = Images("a", "anim.zph");
    SetProperty(i, PR_PAUSED, true);
    for (int k = 0; k < 5; ++k) Frame(100);
    EXPECT_EQ(i.Index, 0);
    EXPECT_FALSE(GetFlagProperty(i, PR_PLAYING));
    SetProperty(i, PR_PAUSED, false);
    EXPECT_TRUE(GetFlagProperty(i, PR_PLAYING));
    Frame(16);  // a pause starts the count again: the next frame comes at once
    EXPECT_EQ(i.Index, 1);
    SetProperty(i, PR_VISIBLE, false);
    for (int k = 0; k < 5; ++k) Frame(100);
    EXPECT_EQ(i.Index, 1);
}

// ---- size and drawing

TEST_F(ImageObjects, TheSizeFollowsTheFrameAndTheZoomAtTheNextUpdate) {
    PutPicture("p.zph", 100, 30, {Solid(0x123456)});
    TRuvoImages& i = Images("a", "p.zph");
    EXPECT_EQ(i.Width, 100);
    SetProperty(i, PR_ZOOMX, 512);
    SetProperty(i, PR_ZOOMY, 0);
    EXPECT_EQ(i.Width, 100);
    Frame();
    EXPECT_EQ(i.Width, 200);
    EXPECT_EQ(i.Height, 0);  // 30 × 1 / 256
    EXPECT_EQ(GetIntProperty(i, PR_ZOOMY), 1);
    EXPECT_EQ(GetIntProperty(i, PR_ORIGWIDTH), 100);
    EXPECT_EQ(GetIntProperty(i, PR_ORIGHEIGHT), 30);
}

// An image inside a parent image of the same zoom takes the parent's scale of its picture for its size
// too, so that it covers what the parent would draw of it.
TEST_F(ImageObjects, InsideAnImageOfTheSameZoomTheSizeFollowsTheParentsScale) {
    PutPicture("big.zph", 101, 40, {Solid(0x123456)});
    PutPicture("small.zph", 21, 9, {Solid(0x654321)});
    TRuvoImages& parent = Images("parent", "big.zph");
    TRuvoImages& child = Images("child", "small.zph", 0, 0, &parent);
    SetProperty(parent, PR_ZOOMX, 128);
    SetProperty(parent, PR_ZOOMY, 128);
    SetProperty(child, PR_ZOOMX, 128);
    SetProperty(child, PR_ZOOMY, 128);
    Frame();
    EXPECT_EQ(parent.Width, 50);  // 101 × 128 / 256, truncated
    EXPECT_EQ(child.Width, 10);
    SetProperty(child, PR_POSZOOMED, true);
    SetProperty(child, PR_ZOOMX, 128);  // a zoom change makes the size recomputed at the next update
    Frame();
    // 16.16 scale of the parent: 2^32 / round(101 / 50 × 65536) = 32443; 21 × 32443 / 65536 = 10.4 → 10,
    // 9 × 0.5 = 4.5 → 5 (rounded half up, where the plain zoom truncates to 4).
    EXPECT_EQ(child.Width, 10);
    EXPECT_EQ(child.Height, 5);
    SetProperty(child, PR_ZOOMY, 256);  // another zoom: the plain rule
    Frame();
    EXPECT_EQ(child.Height, 9);
}

struct DrawCase {
    const char* what;
    int alpha = 255;
    bool flipH = false, flipV = false;
    int zoom = 256;
    bool masked = true;
};

// The sprite of 20 × 15 placed at (30, 40) over a screen of colour 0x404040, by a plain per-pixel model.
// Its pivot is its top-left pixel, mirrored with the picture: a flipped sprite lies left of (above) 30.
std::vector<uint32_t> ExpectedSprite(const DrawCase& c) {
    std::vector<uint32_t> px(size_t(WorldFixture::kWidth) * WorldFixture::kHeight, PixelOf(0x404040));
    const int w = 20 * c.zoom / 256, h = 15 * c.zoom / 256;
    const int left = c.flipH ? 30 - w + 1 : 30, top = c.flipV ? 40 - h + 1 : 40;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sx = x * 256 / c.zoom, sy = y * 256 / c.zoom;
            if (c.flipH) sx = 19 - sx;
            if (c.flipV) sy = 14 - sy;
            const uint32_t m = c.masked ? Disc(sx, sy) : 255;
            // An opaque draw takes the mask as it is; a blended one scales it by the alpha.
            const uint32_t weight = c.alpha == 255 ? m : m == 255 ? uint32_t(c.alpha) : (uint32_t(c.alpha) * m) >> 8;
            if (left + x < 0 || top + y < 0) continue;
            uint32_t& d = px[size_t(top + y) * WorldFixture::kWidth + left + x];
            const uint32_t s = PixelOf(Pattern(sx, sy));
            if (weight == 255) d = s;
            else if (weight > 0 && d != s) d = Mix(d, s, weight);
        }
    return px;
}

TEST_F(ImageObjects, PicturesAreDrawnThroughTheirMaskByAlphaFlipsAndZoom) {
    PutPicture("masked.zph", 20, 15, {TestFrame{Pattern, Disc}});
    PutPicture("plain.zph", 20, 15, {TestFrame{Pattern, nullptr}});
    const DrawCase cases[] = {
        {"opaque through the mask"},
        {"blended", 128},
        {"mirrored both ways", 255, true, true},
        {"zoomed twice, mirrored", 255, true, false, 512},
        {"without a mask, blended and zoomed", 100, false, true, 512, false},
    };
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(c.what);
        world.Reset();
        world.SetSize(kWidth, kHeight);
        world.ActiveScreen().SetColor(0x404040);
        TRuvoImages& i = Images("s", c.masked ? "masked.zph" : "plain.zph", 30, 40);
        SetProperty(i, PR_ALPHA, c.alpha);
        SetProperty(i, PR_FLIPH, c.flipH);
        SetProperty(i, PR_FLIPV, c.flipV);
        SetProperty(i, PR_ZOOMX, c.zoom);
        SetProperty(i, PR_ZOOMY, c.zoom);
        Frame();
        Frame();
        EXPECT_TRUE(Shows(ExpectedSprite(c)));
    }
}

TEST_F(ImageObjects, OnlyTheContentRectanglesAreDrawn) {
    TestFrame f{Pattern, nullptr};
    f.rects = {TRect{0, 0, 5, 5}, TRect{10, 8, 20, 15}};
    PutPicture("parts.zph", 20, 15, {f});
    for (const bool flip : {false, true}) {
        world.Reset();
        world.SetSize(kWidth, kHeight);
        TRuvoImages& i = Images("s", "parts.zph", 30, 40);
        SetProperty(i, PR_FLIPH, flip);
        Frame();
        std::vector<uint32_t> expected = Blank();
        for (const TRect& r : f.rects)
            for (int y = r.Top; y < r.Bottom; ++y)
                for (int x = r.Left; x < r.Right; ++x)
                    expected[size_t(40 + y) * kWidth + (flip ? 11 + 19 - x : 30 + x)] = PixelOf(Pattern(x, y));
        EXPECT_TRUE(Shows(expected)) << "flipped " << flip;
    }
}

TEST_F(ImageObjects, ARotatedPictureRepaintsAllItCovered) {
    PutPicture("bar.zph", 40, 4, {Solid(0xFFFFFF)});
    TRuvoImages& i = Images("s", "bar.zph", 100, 75);
    SetProperty(i, PR_OFFSETX, 20);
    SetProperty(i, PR_OFFSETY, 2);
    SetProperty(i, PR_ANGLE, 64);  // a quarter turn: the bar stands upright about its centre
    Frame();
    TDIBX& s = world.Surface();
    EXPECT_EQ(s.GetPixel(100, 60) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(s.GetPixel(85, 75) & 0xFFFFFF, 0u);
    // Moved away, nothing of it may stay behind, beyond its unrotated rectangle too.
    SetProperty(i, PR_LEFT, 20);
    Frame();
    EXPECT_EQ(s.GetPixel(100, 60) & 0xFFFFFF, 0u);
    EXPECT_EQ(s.GetPixel(20, 60) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ImageObjects, BrightnessChangesTheShownFramesNotTheSharedPicture) {
    PutPicture("p.zph", 8, 8, {Solid(0x808080)});
    TRuvoImages& lit = Images("lit", "p.zph", 0, 0);
    TRuvoImages& plain = Images("plain", "p.zph", 10, 0);
    TRuvoImages& dark = Images("dark", "p.zph", 20, 0);
    SetProperty(lit, PR_BRIGHTNESS, 0x30);
    SetProperty(dark, PR_BRIGHTNESS, -999);
    Frame();
    TDIBX& s = world.Surface();
    EXPECT_EQ(s.GetPixel(1, 1) & 0xFFFFFF, 0xB0B0B0u);
    EXPECT_EQ(s.GetPixel(11, 1) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(s.GetPixel(21, 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(GetIntProperty(dark, PR_BRIGHTNESS), -255);
    EXPECT_EQ(pictures.Decodes(), 1);
    // The unchanged image draws the cache's own pixels: nothing was copied for it.
    EXPECT_EQ(static_cast<TDIBX*>(plain.DrawnSurface())->Storage(), pictures.Acquire("p.zph")->Frames[0].Colour);
}

TEST_F(ImageObjects, AStillImageIsDarkenedBelowFullBrightness) {
    PutPicture("p.zph", 8, 8, {Solid(0x808080), Solid(0x0000FF)});
    auto& still = static_cast<TRuvoImage&>(world.Adopt(std::make_unique<TRuvoImage>(&world)));
    still.SetParent(&world.ActiveScreen());
    SetProperty(still, PR_SOURCE, std::string("p.zph"));
    SetProperty(still, PR_BRIGHTNESS, 0xCF);  // less 0x30 of every channel
    Frame();
    EXPECT_EQ(still.Width, 8);
    EXPECT_EQ(world.Surface().GetPixel(3, 3) & 0xFFFFFF, 0x505050u);
    EXPECT_EQ(StoragePixel(*pictures.Acquire("p.zph")->Frames[0].Colour, 3, 3) & 0xFFFFFF, 0x808080u);
}

TEST_F(ImageObjects, DamagedOrMissingPicturesShowNothing) {
    WriteFile(dir / "game" / "bad.zph", "Zeph106 and then nothing that makes sense");
    files.InvalidateLooseFiles();
    TRuvoImages& bad = Images("bad", "bad.zph");
    EXPECT_EQ(bad.Index, -1);
    EXPECT_EQ(GetIntProperty(bad, PR_COUNT), 0);
    EXPECT_EQ(bad.Width, 0);
    TRuvoImages& other = Images("other", "pic.png");  // animated images show layered images only
    EXPECT_EQ(other.Index, -1);
    Frame();
    EXPECT_TRUE(Shows(Blank()));
}

// ---- hit testing

TEST_F(ImageObjects, HitsFollowTheMaskAndTheRotation) {
    PutPicture("sprite.zph", 20, 15, {TestFrame{Pattern, Disc}});
    TRuvoImages& i = Images("s", "sprite.zph", 50, 50);
    struct Case {
        const char* what;
        bool capture;
        int angle, x, y;
        bool hit;
    } cases[] = {
        {"a transparent corner counts without capture", false, 0, 50, 50, true},
        {"but not with it", true, 0, 50, 50, false},
        {"the opaque centre counts", true, 0, 59, 57, true},
        {"the soft ring is below 128", true, 0, 59, 51, false},
        {"outside the rectangle", false, 0, 70, 57, false},
        {"a half turn about the pivot (0, 0) puts the picture up and left", false, 128, 45, 45, true},
        {"and not where it was", false, 128, 55, 55, false},
        {"with capture the turned centre counts", true, 128, 41, 43, true},
    };
    for (const Case& c : cases) {
        SetProperty(i, PR_CAPTUREMASK, c.capture);
        SetProperty(i, PR_ANGLE, c.angle);
        EXPECT_EQ(world.ActiveScreen().HitTest(c.x, c.y, kHoverMask) == &i, c.hit) << c.what;
    }
}

// ---- tiles

TEST_F(ImageObjects, TilesRepeatThePictureShiftedByTheScroll) {
    PutPicture("t.zph", 10, 6, {TestFrame{Pattern, nullptr}});
    struct Case {
        const char* what;
        int distanceX, scrollX, scrollY;
        int pitchX;  // the cell width drawn
    } cases[] = {
        {"edge to edge", 0, 0, 0, 10},
        {"scrolled, also backwards", 0, 3, -2, 10},
        {"a pitch below half the picture is none", 4, 0, 0, 10},
        {"a pitch leaves gaps", 14, 0, 0, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        world.Reset();
        world.SetSize(kWidth, kHeight);
        auto& t = static_cast<TRuvoTile&>(*world.CreateByType(20));
        t.SetParent(&world.ActiveScreen());
        SetProperty(t, PR_SOURCE, std::string("t.zph"));
        t.SetBounds(5, 7, 37, 20);
        SetProperty(t, PR_DISTANCEX, c.distanceX);
        SetProperty(t, PR_SCROLLX, c.scrollX);
        SetProperty(t, PR_SCROLLY, c.scrollY);
        Frame();
        std::vector<uint32_t> expected = Blank();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 37; ++x) {
                const int cx = ((x + c.scrollX) % c.pitchX + c.pitchX) % c.pitchX;
                const int cy = ((y + c.scrollY) % 6 + 6) % 6;
                if (cx < 10) expected[size_t(7 + y) * kWidth + 5 + x] = PixelOf(Pattern(cx, cy));
            }
        EXPECT_TRUE(Shows(expected));
        EXPECT_EQ(t.Width, 37);  // the script's size, not the picture's
    }
}

TEST_F(ImageObjects, ZoomedTilesRepeatTheScaledPictureThroughItsMask) {
    PutPicture("t.zph", 10, 6, {TestFrame{Pattern, [](int x, int) { return uint8_t(x < 5 ? 255 : 0); }}});
    auto& t = static_cast<TRuvoTile&>(*world.CreateByType(20));
    t.SetParent(&world.ActiveScreen());
    SetProperty(t, PR_SOURCE, std::string("t.zph"));
    t.SetBounds(5, 7, 50, 30);
    SetProperty(t, PR_ZOOMX, 512);
    SetProperty(t, PR_ZOOMY, 512);
    Frame();
    EXPECT_EQ(t.Width, 50);
    std::vector<uint32_t> expected = Blank();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 50; ++x) {
            const int sx = (x / 2) % 10, sy = (y / 2) % 6;
            if (sx < 5) expected[size_t(7 + y) * kWidth + 5 + x] = PixelOf(Pattern(sx, sy));
        }
    EXPECT_TRUE(Shows(expected));
}

TEST_F(ImageObjects, TileCellsDrawOnlyTheContentRectangles) {
    TestFrame f{Pattern, nullptr};
    f.rects = {TRect{0, 0, 3, 2}, TRect{6, 4, 10, 6}};
    PutPicture("parts.zph", 10, 6, {f});
    for (const int scroll : {0, 4, -7}) {
        world.Reset();
        world.SetSize(kWidth, kHeight);
        auto& t = static_cast<TRuvoTile&>(*world.CreateByType(20));
        t.SetParent(&world.ActiveScreen());
        SetProperty(t, PR_SOURCE, std::string("parts.zph"));
        t.SetBounds(5, 7, 37, 20);
        SetProperty(t, PR_DISTANCEX, 12);
        SetProperty(t, PR_SCROLLX, scroll);
        Frame();
        // Cells 12 × 6 at the scroll's phase; in each only the two rectangles, cut to the tile.
        std::vector<uint32_t> expected = Blank();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 37; ++x) {
                const int cx = ((x + scroll) % 12 + 12) % 12, cy = y % 6;
                for (const TRect& r : f.rects)
                    if (cx >= r.Left && cx < r.Right && cy >= r.Top && cy < r.Bottom)
                        expected[size_t(7 + y) * kWidth + 5 + x] = PixelOf(Pattern(cx, cy));
            }
        EXPECT_TRUE(Shows(expected)) << "scroll " << scroll;
    }
}

// ---- saved forms

TEST_F(ImageObjects, SavedImagesComeBackAsTheyWere) {
    PutPicture("anim.zph", 20, 15, {TestFrame{Pattern, Disc}, Solid(0x00FF00, 250), Solid(0xFF0000)});
    PutPicture("t.zph", 10, 6, {TestFrame{Pattern, nullptr}});
    world.ActiveScreen().SetColor(0x202020);
    TRuvoImages& i = Images("a", "anim.zph", 30, 40);
    for (auto [id, v] : {std::pair{PR_ALPHA, 200}, {PR_ZOOMX, 384}, {PR_ZOOMY, 300}, {PR_ANGLE, 9}, {PR_BRIGHTNESS, -20}})
        SetProperty(i, id, int32_t(v));
    SetProperty(i, PR_FLIPV, true);
    SetProperty(i, PR_REPEAT, true);
    SetProperty(i, PR_CAPTUREMASK, true);
    SetProperty(i, PR_ONPLAYEND, std::string("end.rsb"));
    i.TakeCreationExpression(PR_DELAY, CompileExpression("50"));
    Frame(120);
    auto& t = static_cast<TRuvoTile&>(*world.CreateByType(20));
    t.SetName("t");
    t.SetParent(&i);
    SetProperty(t, PR_SOURCE, std::string("t.zph"));
    t.SetBounds(2, 3, 25, 11);
    SetProperty(t, PR_SCROLLX, -4);
    SetProperty(t, PR_DISTANCEY, 9);
    Frame();
    std::vector<uint32_t> shown;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) shown.push_back(world.Surface().GetPixel(x, y) & 0xFFFFFF);

    TMemoryStream saved;
    world.SaveToStream(saved);
    const int32_t remaining = i.Remaining, width = i.Width, height = i.Height;
    world.Reset();
    saved.SetPosition(0);
    world.LoadFromStream(saved, kSaveVersion);
    world.SetSize(kWidth, kHeight);
    auto* back = dynamic_cast<TRuvoImages*>(Find("a"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Index, 1);
    EXPECT_EQ(back->Remaining, remaining);
    EXPECT_EQ(back->Width, width);
    EXPECT_EQ(back->Height, height);
    EXPECT_EQ(GetIntProperty(*back, PR_COUNT), 3);
    EXPECT_EQ(GetIntProperty(*back, PR_ALPHA), 200);
    EXPECT_EQ(GetIntProperty(*back, PR_ZOOMX), 384);
    EXPECT_EQ(GetIntProperty(*back, PR_BRIGHTNESS), -20);
    EXPECT_TRUE(GetFlagProperty(*back, PR_FLIPV));
    EXPECT_TRUE(GetFlagProperty(*back, PR_REPEAT));
    EXPECT_TRUE(GetFlagProperty(*back, PR_CAPTUREMASK));
    EXPECT_EQ(GetStrProperty(*back, PR_ONPLAYEND), "end.rsb");
    EXPECT_EQ(back->LastFrameWait.Operations().size(), CompileExpression("50").Operations().size());
    auto* tile = dynamic_cast<TRuvoTile*>(Find("t"));
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->Parent(), back);
    EXPECT_EQ(GetIntProperty(*tile, PR_SCROLLX), -4);
    EXPECT_EQ(GetIntProperty(*tile, PR_DISTANCEY), 9);
    EXPECT_EQ(GetStrProperty(*tile, PR_SOURCE), "t.zph");
    world.ActiveScreen().AddWhole();
    world.Paint();
    std::vector<uint32_t> again;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) again.push_back(world.Surface().GetPixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(again, shown);
}

TEST_F(ImageObjects, DamagedSavedImagesAreRefused) {
    PutPicture("anim.zph", 4, 4, {Solid(1), Solid(2)});
    Images("a", "anim.zph");
    TMemoryStream saved;
    world.SaveToStream(saved);
    const std::vector<uint8_t> bytes = saved.Bytes();
    // Every cut of the record is refused cleanly, and the world keeps its image.
    for (size_t cut = 0; cut < bytes.size(); cut += 7) {
        TMemoryStream part;
        part.WriteBuffer(bytes.data(), static_cast<int64_t>(cut));
        part.SetPosition(0);
        EXPECT_THROW(world.LoadFromStream(part, kSaveVersion), ERuvoError) << cut;
        ASSERT_NE(Find("a"), nullptr);
    }
}

} // namespace
} // namespace ruvo::testing
