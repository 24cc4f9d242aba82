// What the world paints: boxes by the alpha rule with their frames, children within their parents and
// clips, the screens' colour, only the dirty rectangles, and the front and back screens' surfaces. The
// expected pictures are made pixel by pixel from the rules themselves.
#include <algorithm>
#include <vector>

#include "world_fixture.hpp"

namespace ruvo::testing {
namespace {

// The pixel value of a colour 0x00BBGGRR on a 32-bit surface (0x00RRGGBB).
uint32_t Px(uint32_t colour) { return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF); }

uint32_t PerChannel(uint32_t d, uint32_t s, int (*f)(int d, int s, int k), int k) {
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) out |= uint32_t(f(int(d >> shift & 0xFF), int(s >> shift & 0xFF), k)) << shift;
    return out;
}

// A plain picture and the three fill rules.
struct Picture {
    std::vector<uint32_t> px = std::vector<uint32_t>(WorldFixture::kWidth * WorldFixture::kHeight, 0);
    template <class Op>
    void Apply(TRect r, TRect clip, Op op) {
        r = Intersect(Intersect(r, clip), TRect{0, 0, WorldFixture::kWidth, WorldFixture::kHeight});
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                uint32_t& p = px[static_cast<size_t>(y) * WorldFixture::kWidth + x];
                p = op(p);
            }
    }
    void Fill(TRect r, uint32_t colour, TRect clip = kAll) {
        Apply(r, clip, [&](uint32_t) { return Px(colour); });
    }
    void Blend(TRect r, uint32_t colour, int a, TRect clip = kAll) {
        Apply(r, clip, [&](uint32_t d) {
            const uint32_t s = Px(colour);
            return d == s ? d : PerChannel(d, s, [](int d, int s, int a) { return ((255 - a) * d + a * s) / 256; }, a);
        });
    }
    void Add(TRect r, uint32_t colour, TRect clip = kAll) {
        Apply(r, clip, [&](uint32_t d) {
            return PerChannel(d, Px(colour), [](int d, int s, int) { return std::min(255, d + s); }, 0);
        });
    }
    static constexpr TRect kAll{0, 0, WorldFixture::kWidth, WorldFixture::kHeight};
};

class Paint : public WorldFixture {
protected:
    ::testing::AssertionResult Shows(const Picture& expected) {
        TDIBX& s = world.Surface();
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t want = expected.px[static_cast<size_t>(y) * kWidth + x];
                const uint32_t got = s.GetPixel(x, y) & 0xFFFFFF;
                if (got != want)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << "): expected " << std::hex << want << ", painted " << got;
            }
        return ::testing::AssertionSuccess();
    }
    TRuvoBox& Coloured(const std::string& name, TRect r, int32_t colour, int alpha = 255, TRuvoControl* parent = nullptr) {
        TRuvoBox& b = Box(name, r.Left, r.Top, r.Width(), r.Height(), parent);
        SetProperty(b, PR_COLOR, colour);
        SetProperty(b, PR_ALPHA, alpha);
        return b;
    }
};

TEST_F(Paint, BoxesFillByTheAlphaRule) {
    struct Case {
        int alpha;
        const char* what;
    };
    const Case cases[] = {{255, "opaque"}, {128, "blended"}, {1, "nearly clear"}, {384, "added at half"},
                          {256, "added at nothing"}, {511, "added nearly whole"}, {0, "nothing"},
                          {-5, "nothing"}, {512, "nothing"}, {100000, "nothing"}};
    for (const Case& c : cases) {
        world.Reset();
        Coloured("bg", {0, 0, kWidth, kHeight}, 0x604020);
        Coloured("box", {20, 30, 70, 90}, 0x808080, c.alpha);
        Frame();
        Picture want;
        want.Fill({0, 0, kWidth, kHeight}, 0x604020);
        const TRect r{20, 30, 70, 90};
        if (c.alpha == 255) want.Fill(r, 0x808080);
        else if (c.alpha > 0 && c.alpha < 255) want.Blend(r, 0x808080, c.alpha);
        else if (c.alpha > 255 && c.alpha < 512) {
            const uint32_t k = static_cast<uint32_t>(c.alpha - 256), ch = (0x80 * k) >> 8;
            want.Add(r, ch | ch << 8 | ch << 16);
        }
        EXPECT_TRUE(Shows(want)) << c.what << " " << c.alpha;
    }
}

TEST_F(Paint, HalfAdditiveGreyAddsAQuarter) {
    Coloured("bg", {0, 0, kWidth, kHeight}, 0x102030);
    Coloured("light", {0, 0, 10, 10}, 0x808080, 384);
    Frame();
    EXPECT_EQ(world.Surface().GetPixel(5, 5) & 0xFFFFFF, Px(0x506070));
}

TEST_F(Paint, FramesAndInsetFills) {
    struct Case {
        int32_t border, colour;
        int alpha;
    };
    const Case cases[] = {{0x00FF00, 0x0000FF, 255}, {-1, 0x0000FF, 255}, {0x00FF00, -1, 255}, {0x00FF00, 0x0000FF, 100},
                          {0x00FF00, 0x0000FF, 300}};
    for (const Case& c : cases) {
        world.Reset();
        Coloured("bg", {0, 0, kWidth, kHeight}, 0x404040);
        TRuvoBox& b = Coloured("box", {10, 20, 60, 50}, c.colour, c.alpha);
        SetProperty(b, PR_BORDERWIDTH, 4);
        SetProperty(b, PR_BORDERCOLOR, c.border);
        Frame();
        Picture want;
        want.Fill({0, 0, kWidth, kHeight}, 0x404040);
        auto ink = [&](TRect r, uint32_t colour) {
            if (c.alpha == 255) want.Fill(r, colour);
            else if (c.alpha < 255) want.Blend(r, colour, c.alpha);
            else {
                const uint32_t k = static_cast<uint32_t>(c.alpha - 256);
                want.Add(r, ((colour & 0xFF) * k >> 8) | (((colour >> 8) & 0xFF) * k >> 8) << 8 |
                                (((colour >> 16) & 0xFF) * k >> 8) << 16);
            }
        };
        if (c.border >= 0) {
            ink({10, 20, 60, 24}, c.border);
            ink({10, 46, 60, 50}, c.border);
            ink({10, 24, 14, 46}, c.border);
            ink({56, 24, 60, 46}, c.border);
        }
        if (c.colour >= 0) ink({14, 24, 56, 46}, c.colour);
        EXPECT_TRUE(Shows(want)) << c.border << " " << c.colour << " " << c.alpha;
    }
}

TEST_F(Paint, ChildrenStayInsideTheirParentAndTheirClip) {
    TRuvoBox& parent = Coloured("parent", {20, 20, 100, 80}, 0x0000FF);
    Coloured("wide", {-10, 10, 200, 20}, 0x00FF00, 255, &parent);  // far wider than its parent
    TRuvoBox& clipped = Coloured("clipped", {0, 40, 80, 60}, 0xFF0000, 255, &parent);
    SetProperty(clipped, PR_CLIPLEFT, 10);
    SetProperty(clipped, PR_CLIPTOP, 5);
    SetProperty(clipped, PR_CLIPWIDTH, 30);
    SetProperty(clipped, PR_CLIPHEIGHT, 8);
    SetProperty(world.ActiveScreen(), PR_COLOR, 0x333333);
    Frame();
    Picture want;
    want.Fill({0, 0, kWidth, kHeight}, 0x333333);
    want.Fill({20, 20, 100, 80}, 0x0000FF);
    want.Fill({10, 30, 210, 40}, 0x00FF00, {20, 20, 100, 80});
    want.Fill({20, 60, 100, 80}, 0xFF0000, {30, 65, 60, 73});
    EXPECT_TRUE(Shows(want));
}

TEST_F(Paint, HiddenBoxesAndANegativeScreenColourPaintNothing) {
    SetProperty(world.ActiveScreen(), PR_COLOR, 0x0000FF);
    TRuvoBox& hidden = Coloured("hidden", {0, 0, 50, 50}, 0x00FF00);
    SetProperty(hidden, PR_VISIBLE, false);
    Frame();
    Picture want;
    want.Fill({0, 0, kWidth, kHeight}, 0x0000FF);
    EXPECT_TRUE(Shows(want));
    SetProperty(world.ActiveScreen(), PR_COLOR, -1);
    world.Surface().Clear(0x123456);
    world.ActiveScreen().AddWhole();
    Frame();
    EXPECT_EQ(world.Surface().GetPixel(100, 100), 0x123456u);  // nothing filled over it
}

TEST_F(Paint, OnlyTheDirtyRectanglesArePainted) {
    Coloured("bg", {0, 0, kWidth, kHeight}, 0x202020);
    TRuvoBox& mover = Coloured("mover", {10, 10, 30, 30}, 0x00FFFF);
    Frame();
    world.TakeDirtyRects();
    // A mark far from the box stays: nothing repaints it.
    world.Surface().SetPixel(190, 140, 0xABCDEF);
    SetProperty(mover, PR_LEFT, 40);
    Frame();
    const std::vector<TRect> dirty = world.TakeDirtyRects();
    ASSERT_EQ(dirty.size(), 1u);  // old and new place, 10 pixels apart, merged
    EXPECT_EQ(dirty[0], (TRect{10, 10, 60, 30}));
    EXPECT_EQ(world.Surface().GetPixel(190, 140), 0xABCDEFu);
    EXPECT_EQ(world.Surface().GetPixel(15, 15) & 0xFFFFFF, Px(0x202020));
    EXPECT_EQ(world.Surface().GetPixel(45, 15) & 0xFFFFFF, Px(0x00FFFF));
    Frame();
    EXPECT_TRUE(world.TakeDirtyRects().empty());  // an idle frame paints nothing
}

TEST_F(Paint, TheBackScreenDrawsIntoItsOwnSurfaceUntilItComesToTheFront) {
    Coloured("front", {0, 0, kWidth, kHeight}, 0x0000FF);
    TRuvoBox& back = Coloured("back", {0, 0, kWidth, kHeight}, 0x00FF00);
    back.SetParent(&world.BackScreen());
    Frame();
    EXPECT_EQ(world.Surface().GetPixel(5, 5) & 0xFFFFFF, Px(0x0000FF));
    EXPECT_EQ(world.Screen(1).PrivateSurface().GetPixel(5, 5) & 0xFFFFFF, Px(0x00FF00));
    world.SetActive(1);
    Frame();
    EXPECT_EQ(world.Surface().GetPixel(5, 5) & 0xFFFFFF, Px(0x00FF00));
    const std::vector<TRect> dirty = world.TakeDirtyRects();
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(dirty[0], (TRect{0, 0, kWidth, kHeight}));
}

TEST_F(Paint, AResizedWorldIsPaintedWhole) {
    Coloured("bg", {0, 0, 1000, 1000}, 0x0000FF);
    world.SetSize(300, 40);
    Frame();
    EXPECT_EQ(world.Surface().GetWidth(), 300);
    EXPECT_EQ(world.Surface().GetPixel(299, 39) & 0xFFFFFF, Px(0x0000FF));
    world.SetSize(-5, 1 << 30);  // kept within 1 .. 16384
    EXPECT_EQ(world.Width(), 1);
    EXPECT_EQ(world.Height(), 16384);
    world.SetSize(16384, 16384);  // and within 4096 x 4096 pixels in all
    EXPECT_EQ(world.Width(), 16384);
    EXPECT_EQ(world.Height(), 1024);
}

} // namespace
} // namespace ruvo::testing
