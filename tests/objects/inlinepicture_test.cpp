// Pictures inside message text: IMG tags take their frames from the picture cache, show them at their
// place in the window, animate by the frames' delays, and missing or damaged files show nothing.
#include "image_fixture.hpp"
#include "text/cachedpictures.hpp"
#include "text_world_fixture.hpp"

namespace ruvo::testing {
namespace {

class InlinePictures : public ImageFixture {
protected:
    InlinePictures() { world.TextObjects().SetText(&services); }
    ~InlinePictures() override { world.Reset(); }

    TRuvoMes& Window(const std::string& markup) {
        Box("bg", 0, 0, kWidth, kHeight);
        SetProperty(*Find("bg"), PR_COLOR, 0x000000);
        auto& w = static_cast<TRuvoMes&>(*world.CreateByType(13));
        w.SetName("mes");
        w.SetParent(&world.ActiveScreen());
        SetProperty(w, PR_LEFT, 10);
        SetProperty(w, PR_TOP, 20);
        SetProperty(w, PR_WIDTH, 180);
        SetProperty(w, PR_HEIGHT, 100);
        SetProperty(w, PR_FONTHEIGHT, 20);
        SetProperty(w, PR_TEXTDELAY, 0);
        SetProperty(w, PR_TEXT, Utf8ToSjis(markup));
        // The page is typed at once; the glyphs fade in over a few frames.
        for (int i = 0; i < 10; ++i) {
            Frame();
            HandleAll();
        }
        return w;
    }
    void PaintAll() {
        world.ActiveScreen().AddWhole();
        world.Paint();
    }
    // Where the screen shows this colour first (row by row); (-1, -1) when nowhere.
    std::pair<int, int> Locate(uint32_t colour) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if ((world.Surface().GetPixel(x, y) & 0xFFFFFF) == PixelOf(colour)) return {x, y};
        return {-1, -1};
    }

    TCachedInlinePictures inlinePictures{pictures};
    TTextServices services{SharedWorldFonts(), &vars, &funcs, &inlinePictures};
};

// Every pixel its own colour, so that a shifted, clipped or scaled picture cannot pass.
uint32_t Pattern(int x, int y) { return 0x104020u + uint32_t(x) * 0x000009u + uint32_t(y) * 0x0B0000u; }

TEST_F(InlinePictures, AMessageShowsThePicturesPixelsAtItsPlaceWithItsMask) {
    // The first column is transparent: the window's background shows there.
    PutPicture("face.zph", 12, 9, {{Pattern, [](int x, int) { return uint8_t(x == 0 ? 0 : 255); }}});
    Window("<IMG SRC=face.zph>");
    PaintAll();
    const auto [left, top] = Locate(Pattern(1, 0));
    ASSERT_GE(left, 11) << "the picture is not painted";
    // Inside the window, at its left edge.
    EXPECT_EQ(left - 1, 10);
    EXPECT_GE(top, 20);
    EXPECT_LT(top + 9, 120);
    std::vector<uint32_t> expected(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int px = x - (left - 1), py = y - top;
            const bool inside = px >= 1 && px < 12 && py >= 0 && py < 9;
            expected[static_cast<size_t>(y) * kWidth + x] = inside ? PixelOf(Pattern(px, py)) : 0;
        }
    EXPECT_TRUE(Shows(expected));
    EXPECT_EQ(pictures.Decodes(), 1);
}

TEST_F(InlinePictures, AnAnimatedPictureChangesFrameByItsDelays) {
    PutPicture("blink.zph", 6, 6,
               {{[](int, int) { return 0x0000FFu; }, nullptr, 100}, {[](int, int) { return 0x00FF00u; }, nullptr, 50}});
    Window("<IMG SRC=blink.zph>");
    auto count = [&](uint32_t colour) {
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) n += (world.Surface().GetPixel(x, y) & 0xFFFFFF) == PixelOf(colour);
        return n;
    };
    // 60 frames of 16 ms through the window's own repaints: always one whole frame, the first for
    // about two thirds of the time (100 of every 150 ms), the second for the rest.
    int first = 0, second = 0;
    for (int i = 0; i < 60; ++i) {
        Frame();
        const int a = count(0x0000FF), b = count(0x00FF00);
        ASSERT_TRUE((a == 36 && b == 0) || (a == 0 && b == 36)) << "frame " << i << ": " << a << " and " << b;
        (a ? first : second)++;
    }
    EXPECT_GE(first, 38);
    EXPECT_LE(first, 42);
    EXPECT_EQ(first + second, 60);
}

TEST_F(InlinePictures, FramesAreSharedWithTheCacheAndLongStepsWrapAround) {
    PutPicture("a.zph", 4, 3, {{Pattern, nullptr, 30}, {Pattern, nullptr, 20}, {Pattern, nullptr, 10}});
    auto first = inlinePictures.Load("a.zph");
    auto second = inlinePictures.Load("A.ZPH");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(pictures.Decodes(), 1);
    EXPECT_EQ(first->Width(), 4);
    EXPECT_EQ(first->Height(), 3);
    EXPECT_TRUE(first->Animates());
    EXPECT_EQ(first->Mask(), nullptr);
    auto* a = static_cast<TDIBX*>(first->Frame());
    auto* b = static_cast<TDIBX*>(second->Frame());
    EXPECT_EQ(a->Storage(), b->Storage());  // the same pixels, not a copy
    // A cycle of 60 ms: a step of 60,000,045 ms from the cycle's start lands 45 ms in, in the second frame.
    struct Step {
        int32_t ms;
        bool changed;
        int frame;
    };
    const Step steps[] = {{29, false, 0}, {1, true, 1}, {19, false, 1}, {1, true, 2}, {10, true, 0},
                          {60'000'045, true, 1}, {0, false, 1}, {-5, false, 1}, {5, true, 2}};
    std::vector<TDIBSurface*> frames;
    const std::shared_ptr<const TPicture> picture = pictures.Acquire("a.zph");
    for (const TPictureFrame& f : picture->Frames) frames.push_back(f.Colour.get());
    for (const Step& s : steps) {
        EXPECT_EQ(first->Advance(s.ms), s.changed) << s.ms;
        EXPECT_EQ(static_cast<TDIBX*>(first->Frame())->Storage().get(), frames[size_t(s.frame)]) << s.ms;
    }
}

TEST_F(InlinePictures, MissingAndDamagedFilesGiveNoPictureAndTakeNoRoom) {
    std::ofstream(dir / "game" / "bad.zph", std::ios::binary) << "not a picture at all";
    files.InvalidateLooseFiles();
    EXPECT_EQ(inlinePictures.Load("none.zph"), nullptr);
    EXPECT_EQ(inlinePictures.Load("bad.zph"), nullptr);
    EXPECT_EQ(inlinePictures.Load("bad.png"), nullptr);  // a name the game does not have, loose kind
    TRuvoMes& w = Window("<IMG SRC=none.zph><IMG SRC=bad.zph>");
    EXPECT_EQ(GetIntProperty(w, PR_COUNT), 1);
    PaintAll();
    EXPECT_TRUE(Shows(Blank()));
}

} // namespace
} // namespace ruvo::testing
