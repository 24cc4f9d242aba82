// What each kind of transition shows in the middle of its time.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "graphics/draw/blendrows.hpp"
#include "graphics/wipes/wipemask.hpp"
#include "wipe_scene.hpp"

namespace ruvo::test {
namespace {

constexpr uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;

// Per channel ((255 - a) d + a s) div 256; equal pixels stay.
uint32_t Blend32(uint32_t d, uint32_t s, uint32_t a) {
    if (d == s)
        return d;
    uint32_t out = 0;
    for (int shift : {0, 8, 16})
        out |= ((((d >> shift) & 255) * (255 - a) + ((s >> shift) & 255) * a) >> 8) << shift;
    return out;
}

int CountPixels(TDIBX& s, uint32_t pixel) {
    int n = 0;
    for (int y = 0; y < s.GetHeight(); ++y)
        for (int x = 0; x < s.GetWidth(); ++x)
            n += s.GetPixel(x, y) == pixel;
    return n;
}

// --- Fade ---

TEST(WipeFade, HalfwayIsAnAlphaBlendOf128AndParametersSlideTheNewPictureIn) {
    TWipeScene scene = TWipeScene::Noise(64, 48, 32);
    auto wipe = Start(scene, {.Type = 1, .Duration = 1000});
    StepAt(*wipe, 500);
    auto expected = MakeSurface(64, 48, 32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            expected->SetPixel(x, y, Blend32(scene.Before->GetPixel(x, y), scene.After->GetPixel(x, y), 128));
    EXPECT_TRUE(SamePixels(*expected, *scene.Target, "fade-half"));

    // With Param0 = 40 the offset at T/2 is rnd(40 x 499 / 1000) = 20 pixels.
    wipe = Start(scene, {.Type = 1, .Duration = 1000, .Param0 = 40});
    StepAt(*wipe, 500);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            expected->SetPixel(x, y, x < 20 ? scene.Before->GetPixel(x, y)
                                            : Blend32(scene.Before->GetPixel(x, y), scene.After->GetPixel(x - 20, y), 128));
    EXPECT_TRUE(SamePixels(*expected, *scene.Target, "fade-slide"));
}

// --- Ramp masks ---

// The values one column's mask byte takes over the whole time.
std::set<int> ValuesOfColumn(int type, int32_t param1, int x) {
    TWipeScene scene = TWipeScene::Solid(60, 8, 32, kBlack, kWhite);
    auto wipe = Start(scene, {.Type = type, .Duration = 5800, .Param1 = param1});
    auto& masked = dynamic_cast<TWipeMask&>(*wipe);
    std::set<int> values;
    for (int32_t t = 0; t < 5800; t += 7) {
        StepAt(*wipe, t);
        values.insert(masked.Mask()[size_t(x)]);
    }
    return values;
}

TEST(WipeBlinds, ParamOneOfOneIsSharpAndTwentyGivesATwentyStepRamp) {
    EXPECT_EQ(ValuesOfColumn(2, 1, 0), (std::set<int>{0, 255}));
    std::set<int> ramp;
    for (int k = 0; k <= 20; ++k)
        ramp.insert(k * 255 / 20);
    EXPECT_EQ(ValuesOfColumn(2, 20, 0), ramp);
    EXPECT_EQ(ValuesOfColumn(2, 20, 25), ramp);  // every blind alike

    // Sharp blinds show only the two pictures at any time; each blind opens from its first column.
    TWipeScene scene = TWipeScene::Noise(60, 20, 32);
    auto wipe = Start(scene, {.Type = 2, .Duration = 1000});
    StepAt(*wipe, 500);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            const uint32_t p = scene.Target->GetPixel(x, y);
            ASSERT_TRUE(p == scene.Before->GetPixel(x, y) || p == scene.After->GetPixel(x, y));
            EXPECT_EQ(p == scene.After->GetPixel(x, y), x % 20 < 10) << x;  // p = 19: columns with e <= 18
        }
    wipe = Start(scene, {.Type = 2, .Duration = 1000, .Reverse = true});
    StepAt(*wipe, 500);
    EXPECT_EQ(scene.Target->GetPixel(19, 0), scene.After->GetPixel(19, 0));
    EXPECT_EQ(scene.Target->GetPixel(0, 0), scene.Before->GetPixel(0, 0));
}

TEST(WipeCurtain, OpensFromTheFirstLineOfEveryStripOrFromTheLastInReverse) {
    TWipeScene scene = TWipeScene::Solid(40, 30, 32, kBlack, kWhite);
    // Strips of 10 columns with a ramp of 1: progress p opens the columns with (x div 10 + x mod 10) x 16 < p.
    auto wipe = Start(scene, {.Type = 4, .Duration = 1000, .Param0 = 10});
    StepAt(*wipe, 100);  // p = ((4 + 8) x 16 + 1) x 100 div 1000 = 19: columns 0 and 1, 10
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(scene.Target->GetPixel(x, 5) == kWhite, x == 0 || x == 1 || x == 10) << x;
    wipe = Start(scene, {.Type = 5, .Duration = 1000, .Reverse = true, .Param0 = 10});
    StepAt(*wipe, 100);  // rows: ((3 + 8) x 16 + 1) x 100 div 1000 = 17: the last row and its neighbours
    for (int y = 0; y < 30; ++y)
        EXPECT_EQ(scene.Target->GetPixel(3, y) == kWhite, y == 29 || y == 28 || y == 19) << y;
}

TEST(WipeGrid, CellsOpenAsCentredSquaresFromTheCornerOrTheOppositeOne) {
    TWipeScene scene = TWipeScene::Solid(40, 30, 32, kBlack, kWhite);
    // Cells of 10 with a ramp of 30; d = 4 x rnd(hypot(2, 3)) = 16, range 42.
    auto wipe = Start(scene, {.Type = 8, .Duration = 4200, .Param0 = 10, .Param1 = 30});
    StepAt(*wipe, 1500);  // p = 15: the first cell is a square of side 5 at value 127
    auto& masked = dynamic_cast<TWipeMask&>(*wipe);
    auto cellPixels = [](TWipeMask& m, int column, int row, int* lit) {
        std::set<int> values;
        *lit = 0;
        for (int y = row * 10; y < row * 10 + 10; ++y)
            for (int x = column * 10; x < column * 10 + 10; ++x) {
                const int v = m.Mask()[size_t(y) * 40 + x];
                values.insert(v);
                *lit += v != 0;
            }
        return values;
    };
    int lit = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(masked.Mask()[size_t(y) * 40 + x], x >= 2 && x < 7 && y >= 2 && y < 7 ? 127 : 0) << x << "," << y;
    EXPECT_EQ(cellPixels(masked, 1, 0, &lit), (std::set<int>{0, 11 * 255 / 30}));  // h = 4: side 3
    EXPECT_EQ(lit, 9);
    EXPECT_EQ(cellPixels(masked, 3, 2, &lit), (std::set<int>{0}));  // h = 16: not yet
    wipe = Start(scene, {.Type = 8, .Duration = 4200, .Reverse = true, .Param0 = 10, .Param1 = 30});
    StepAt(*wipe, 1500);
    auto& reversed = dynamic_cast<TWipeMask&>(*wipe);
    EXPECT_EQ(reversed.Mask()[size_t(24) * 40 + 34], 127);
    EXPECT_EQ(reversed.Mask()[size_t(4) * 40 + 4], 0);
}

TEST(WipeDither, RevealsExactlyTheSameShareOfCellsInEveryTile) {
    TWipeScene scene = TWipeScene::Solid(200, 150, 32, kBlack, kWhite);
    const int32_t T = 977;
    auto wipe = Start(scene, {.Type = 11, .Duration = T});
    for (int32_t t : {0, 1, 250, 488, 976}) {
        StepAt(*wipe, t);
        const int expected = int(int64_t(t) * 4096 / T);
        for (int ty = 0; ty + 64 <= 150; ty += 64)
            for (int tx = 0; tx + 64 <= 200; tx += 64) {
                int opened = 0;
                for (int y = 0; y < 64; ++y)
                    for (int x = 0; x < 64; ++x) {
                        const bool open = scene.Target->GetPixel(tx + x, ty + y) == kWhite;
                        opened += open;
                        // The same cells everywhere, partial tiles included.
                        ASSERT_EQ(open, scene.Target->GetPixel(x, y) == kWhite);
                        if (tx + 64 + x < 200 && ty + 64 + y < 150) {
                            ASSERT_EQ(open, scene.Target->GetPixel(tx + 64 + x, ty + 64 + y) == kWhite);
                        }
                    }
                EXPECT_EQ(opened, expected) << "tile " << tx << "," << ty << " at " << t;
            }
    }
}

// --- Rule pictures ---

std::unique_ptr<TDIBX> HorizontalRamp(int width, int height) {
    auto rule = MakeSurface(width, height, 32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rule->SetPixel(x, y, uint32_t(x * 0x010101));
    return rule;
}

TEST(WipeShadow, WithoutARuleTheWholePictureCrossFadesInTheFirstHalf) {
    TDIBX empty;  // a rule picture that could not be read counts as none
    for (const TCustomDIBX* rule : {static_cast<TCustomDIBX*>(nullptr), static_cast<TCustomDIBX*>(&empty)}) {
        TWipeScene scene = TWipeScene::Noise(32, 24, 32);
        auto wipe = Start(scene, {.Type = 19, .Duration = 1000, .Rule = rule});
        StepAt(*wipe, 250);  // p = 128: every mask byte 127
        auto expected = MakeSurface(32, 24, 32);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint32_t b = scene.Before->GetPixel(x, y), a = scene.After->GetPixel(x, y);
                expected->SetPixel(x, y, blend_detail::Channels(scene.Target->Format(), b, a, 127, 0));
            }
        EXPECT_TRUE(SamePixels(*expected, *scene.Target, "shadow-quarter"));
        for (int32_t t : {500, 700, 999}) {
            StepAt(*wipe, t);
            EXPECT_TRUE(SamePixels(*scene.After, *scene.Target, "shadow-second-half"));
        }
    }
}

TEST(WipeShadow, BrightRulePixelsChangeFirstAndReverseInvertsTheRule) {
    TWipeScene scene = TWipeScene::Solid(256, 4, 32, kBlack, kWhite);
    auto rule = HorizontalRamp(256, 1);  // tiled down the screen
    for (bool reverse : {false, true}) {
        auto wipe = Start(scene, {.Type = 19, .Duration = 512, .Reverse = reverse, .Rule = rule.get()});
        StepAt(*wipe, 128);  // p = 128: mask = clamp(g - 128, 0, 255)
        auto& masked = dynamic_cast<TWipeMask&>(*wipe);
        for (int x = 0; x < 256; ++x) {
            const int g = reverse ? 255 - x : x;
            ASSERT_EQ(masked.Mask()[size_t(3) * 256 + x], std::clamp(g - 128, 0, 255)) << x;
        }
    }
    // An indexed rule is read through its palette.
    auto indexed = MakeSurface(4, 4, 8);
    std::array<TRGBQuad, 256> palette{};
    palette[7] = TRGBQuad{200, 200, 200, 0};
    indexed->SetPalette(palette);
    indexed->Clear(7);
    auto wipe = Start(scene, {.Type = 19, .Duration = 512, .Rule = indexed.get()});
    StepAt(*wipe, 128);
    EXPECT_EQ(dynamic_cast<TWipeMask&>(*wipe).Mask()[0], 200 - 128);
}

TEST(WipeShadowWhite, RulePixelsPassThroughWhiteOrBlackInTheirOrder) {
    auto rule = HorizontalRamp(256, 1);
    for (int type : {20, 21}) {
        TWipeScene scene = TWipeScene::Solid(256, 2, 32, 0x808080, 0x404040);
        auto wipe = Start(scene, {.Type = type, .Duration = 768, .Rule = rule.get()});
        StepAt(*wipe, 100);  // level 100: pixels of grey g are at 100 - (255 - g)
        for (int x = 0; x < 256; ++x) {
            const int d = 100 - (255 - x);
            const int expected = d < 0 ? 0x80 : type == 20 ? std::min(255, 0x80 + d) : std::max(0, 0x80 - d);
            ASSERT_EQ(int(scene.Target->GetPixel(x, 1) & 255), expected) << "type " << type << " x " << x;
        }
        StepAt(*wipe, 600);  // the brightest are done, the darkest come out of white (or black)
        EXPECT_EQ(scene.Target->GetPixel(255, 0), 0x404040u);
        const int rest = 511 - (600 - 255);  // grey still on the darkest pixel
        EXPECT_EQ(int(scene.Target->GetPixel(0, 0) & 255), type == 20 ? 0x40 + rest : std::max(0, 0x40 - rest));
    }
}

// --- Shapes ---

TEST(WipeClockhand, ParamNinetyStartsAtThreeOClockAndTurnsClockwise) {
    for (bool reverse : {false, true}) {
        TWipeScene scene = TWipeScene::Solid(80, 60, 32, kBlack, kWhite);
        auto wipe = Start(scene, {.Type = 31, .Duration = 1000, .Reverse = reverse, .Param0 = 90});
        StepAt(*wipe, 250);  // a quarter turn: the lower right quadrant (the upper right in reverse)
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) {
                const bool inside = x >= 40 && (reverse ? y < 30 : y >= 30);
                ASSERT_EQ(scene.Target->GetPixel(x, y), inside ? kWhite : kBlack) << x << "," << y;
            }
    }
    // Without a parameter the hand starts from 12 o'clock turned by 2 degrees (parameter 0 is at least 2).
    TWipeScene scene = TWipeScene::Solid(80, 60, 32, kBlack, kWhite);
    auto wipe = Start(scene, {.Type = 31, .Duration = 1000});
    StepAt(*wipe, 100);
    EXPECT_EQ(scene.Target->GetPixel(40, 0), kBlack);  // 0.97 degrees right of 12 o'clock
    EXPECT_EQ(scene.Target->GetPixel(41, 0), kWhite);  // 2.9 degrees
    EXPECT_EQ(scene.Target->GetPixel(39, 0), kBlack);
}

TEST(WipeFans, OpenSymmetricallyAboutTheirDirections) {
    TWipeScene scene = TWipeScene::Solid(80, 60, 32, kBlack, kWhite);
    auto fan = Start(scene, {.Type = 34, .Duration = 1000, .Param0 = 90});
    StepAt(*fan, 500);  // a half turn about 3 o'clock: the right half
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(scene.Target->GetPixel(x, y), x >= 40 ? kWhite : kBlack) << x << "," << y;
    auto twin = Start(scene, {.Type = 35, .Duration = 1000, .Param0 = 90});
    StepAt(*twin, 500);  // quarter turns about 3 and 9 o'clock
    EXPECT_EQ(scene.Target->GetPixel(75, 30), kWhite);
    EXPECT_EQ(scene.Target->GetPixel(4, 30), kWhite);
    EXPECT_EQ(scene.Target->GetPixel(40, 2), kBlack);
    EXPECT_EQ(scene.Target->GetPixel(40, 57), kBlack);
}

TEST(WipeCircle, GrowsFromTheCentreOrShrinksOntoIt) {
    for (bool reverse : {false, true}) {
        TWipeScene scene = TWipeScene::Solid(80, 60, 32, kBlack, kWhite);
        auto wipe = Start(scene, {.Type = 36, .Duration = 1000, .Reverse = reverse});
        StepAt(*wipe, 300);  // radius rnd(50 x 0.3) = 15, or rnd(50 x 0.7) = 35
        const double radius = reverse ? 35 : 15;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x) {
                const bool inside = std::hypot(x + 0.5 - 40, y + 0.5 - 30) < radius;
                ASSERT_EQ(scene.Target->GetPixel(x, y), inside != reverse ? kWhite : kBlack) << x << "," << y;
            }
    }
}

TEST(WipeBlocks, CoilFillsClockwiseFromTheTopLeftAndReverseFromTheCentre) {
    // Blocks of 10 on 40 x 30: 12 blocks, n = 11 x t div T.
    const int spiral[12][2] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {3, 2},
                               {2, 2}, {1, 2}, {0, 2}, {0, 1}, {1, 1}, {2, 1}};
    for (bool reverse : {false, true}) {
        TWipeScene scene = TWipeScene::Solid(40, 30, 32, kBlack, kWhite);
        auto wipe = Start(scene, {.Type = 37, .Duration = 1100, .Reverse = reverse, .Param0 = 10});
        StepAt(*wipe, 550);  // n = 5: blocks 0..5 of the spiral, or 5..11 in reverse
        for (int i = 0; i < 12; ++i) {
            const bool filled = reverse ? i >= 5 : i <= 5;
            EXPECT_EQ(scene.Target->GetPixel(spiral[i][0] * 10 + 5, spiral[i][1] * 10 + 5), filled ? kWhite : kBlack)
                << "block " << i << (reverse ? " reverse" : "");
        }
    }
    // Random blocks: n + 1 whole blocks at any time.
    TWipeScene scene = TWipeScene::Solid(40, 30, 32, kBlack, kWhite);
    auto wipe = Start(scene, {.Type = 38, .Duration = 1100, .Param0 = 10});
    StepAt(*wipe, 700);  // n = 7
    EXPECT_EQ(CountPixels(*scene.Target, kWhite), 8 * 100);
}

// --- Moving pictures ---

TEST(WipeScroll, PushesBeforeOutAndAfterInFromTheOtherSide) {
    TWipeScene scene = TWipeScene::Noise(64, 8, 32);
    for (bool reverse : {false, true}) {
        auto wipe = Start(scene, {.Type = 6, .Duration = 1000, .Reverse = reverse});
        StepAt(*wipe, 250);  // a = 16
        for (int x = 0; x < 64; ++x) {
            const uint32_t expected = !reverse ? (x < 48 ? scene.Before->GetPixel(x + 16, 3) : scene.After->GetPixel(x - 48, 3))
                                               : (x < 16 ? scene.After->GetPixel(x + 48, 3) : scene.Before->GetPixel(x - 16, 3));
            ASSERT_EQ(scene.Target->GetPixel(x, 3), expected) << x << (reverse ? " reverse" : "");
        }
    }
}

TEST(WipeSudare, PullsOneLineAcrossThenReleasesTheNewPicture) {
    TWipeScene scene = TWipeScene::Noise(64, 8, 32);
    auto wipe = Start(scene, {.Type = 16, .Duration = 127});
    StepAt(*wipe, 10);  // a = 10: column 10 of Before over columns 0..10
    for (int x = 0; x < 64; ++x)
        ASSERT_EQ(scene.Target->GetPixel(x, 2), scene.Before->GetPixel(std::max(x, 10), 2)) << x;
    StepAt(*wipe, 100);  // a = 100: After with a = 27
    for (int x = 0; x < 64; ++x)
        ASSERT_EQ(scene.Target->GetPixel(x, 2), scene.After->GetPixel(std::max(x, 27), 2)) << x;
    wipe = Start(scene, {.Type = 17, .Duration = 127, .Reverse = true});
    StepAt(*wipe, 3);  // a = 15 x 3 div 127 = 0: the last row stretched over itself
    EXPECT_TRUE(SamePixels(*scene.Before, *scene.Target, "sudare-v-start"));

    // The rubber strip is one line wide at the start and widest at a quarter of the time.
    auto rubber = Start(scene, {.Type = 32, .Duration = 1270});
    StepAt(*rubber, 317);  // a = 31, strip rnd(318 x 31 / 1270) = 8 columns (24..31) over 0..31
    for (int x = 32; x < 64; ++x)
        ASSERT_EQ(scene.Target->GetPixel(x, 2), scene.Before->GetPixel(x, 2));
    std::set<uint32_t> strip;
    for (int x = 0; x < 32; ++x)
        strip.insert(scene.Target->GetPixel(x, 2));
    std::set<uint32_t> source;
    for (int x = 24; x < 32; ++x)
        source.insert(scene.Before->GetPixel(x, 2));
    EXPECT_EQ(strip, source);
}

TEST(WipeTwist, LinesTurnOneAfterAnotherShowingTheBackAfterAHalfTurn) {
    TWipeScene scene = TWipeScene::Solid(64, 40, 32, 0x0000C0, 0xC00000);
    const uint32_t before = scene.Before->GetPixel(0, 0), after = scene.After->GetPixel(0, 0);
    auto wipe = Start(scene, {.Type = 27, .Duration = 3000});
    StepAt(*wipe, 1000);  // phase pi/2: the first row stands on its edge, the last has not turned much
    int previous = -1;
    for (int y = 0; y < 40; ++y) {  // each row shows a centred, narrowed Before on black
        int first = 64, count = 0;
        for (int x = 0; x < 64; ++x) {
            const uint32_t p = scene.Target->GetPixel(x, y);
            ASSERT_TRUE(p == kBlack || p == before) << x << "," << y;
            if (p != kBlack)
                first = std::min(first, x), ++count;
        }
        if (count > 0) {
            EXPECT_EQ(first, (64 - count) / 2) << y;
        }
        EXPECT_GE(count, previous) << y;
        previous = count;
    }
    EXPECT_GT(previous, 60);
    StepAt(*wipe, 2000);  // phase pi: the first row has turned over, later rows show their backs
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(scene.Target->GetPixel(x, 0), after);
    EXPECT_EQ(CountPixels(*scene.Target, before), 0);
}

TEST(WipeZoomin, ZoomsIntoTheChosenPoint) {
    TWipeScene scene = TWipeScene::Noise(64, 48, 32);
    auto wipe = Start(scene, {.Type = 30, .Duration = 1000});
    StepAt(*wipe, 250);  // k = 0.5 about (0, 0): the top-left quarter doubled
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(scene.Target->GetPixel(x, y), scene.Before->GetPixel(x / 2, y / 2));
    wipe = Start(scene, {.Type = 30, .Duration = 1000, .Param0 = 32, .Param1 = 24});
    StepAt(*wipe, 750);  // After, k = 0.5 about the centre
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(scene.Target->GetPixel(x, y), scene.After->GetPixel(16 + x / 2, 12 + y / 2));
}

TEST(WipeSmallAndBig, SmallStartsBelowFullSizeAndBigGrowsFromTheCentre) {
    TWipeScene scene = TWipeScene::Solid(64, 48, 32, kWhite, kBlack);
    auto small = Start(scene, {.Type = 22, .Duration = 1000});
    StepAt(*small, 0);  // zoom 255 of 256
    const int after = CountPixels(*scene.Target, kBlack);
    EXPECT_GT(after, 0);
    for (int y = 1; y < 47; ++y)
        for (int x = 1; x < 63; ++x)
            ASSERT_EQ(scene.Target->GetPixel(x, y), kWhite) << "only the rim shows After";
    StepAt(*small, 500);  // about half the size: a quarter of the area
    EXPECT_NEAR(CountPixels(*scene.Target, kWhite), 64 * 48 / 4, 64 * 48 / 20);

    auto big = Start(scene, {.Type = 23, .Duration = 1000, .Param0 = 64});
    StepAt(*big, 500);  // half size, turned by an eighth of a turn about the centre
    EXPECT_EQ(scene.Target->GetPixel(32, 24), kBlack);
    EXPECT_EQ(scene.Target->GetPixel(0, 0), kWhite);
    EXPECT_NEAR(CountPixels(*scene.Target, kBlack), 64 * 48 / 4, 64 * 48 / 20);
}

// --- Light ---

TEST(WipeLight, WhiteBlackAndFlashPassThroughTheirColour) {
    TWipeScene scene = TWipeScene::Noise(32, 24, 32);
    const int32_t T = 511;
    for (auto [type, t, colour] : {std::tuple{12, 255, kWhite}, {13, 255, kBlack}, {14, 0, kWhite}}) {
        auto wipe = Start(scene, {.Type = type, .Duration = T});
        StepAt(*wipe, t);
        EXPECT_EQ(CountPixels(*scene.Target, colour), 32 * 24) << type;
    }
    auto white = Start(scene, {.Type = 12, .Duration = T});
    StepAt(*white, 100);  // Before plus grey 100, saturating
    const uint32_t b = scene.Before->GetPixel(3, 4);
    uint32_t expected = 0;
    for (int shift : {0, 8, 16})
        expected |= std::min<uint32_t>(255, ((b >> shift) & 255) + 100) << shift;
    EXPECT_EQ(scene.Target->GetPixel(3, 4), expected);
}

TEST(WipeSpot, AWhiteRingRunsOutFromTheCentre) {
    TWipeScene scene = TWipeScene::Solid(160, 120, 32, 0x202020, 0x606060);
    // R = 100, range 612.
    auto wipe = Start(scene, {.Type = 18, .Duration = 612});
    StepAt(*wipe, 80);  // b = 80: the centre is lit by 80, everything beyond distance 80 is untouched
    EXPECT_EQ(scene.Target->GetPixel(80, 60), 0x707070u);
    EXPECT_EQ(scene.Target->GetPixel(0, 0), 0x202020u);
    StepAt(*wipe, 560);  // the centre is done, the corner (distance 100) is After lit by 511 - 460
    EXPECT_EQ(scene.Target->GetPixel(80, 60), 0x606060u);
    EXPECT_EQ(scene.Target->GetPixel(0, 0), 0x939393u);
}

TEST(WipeMosaic, ShowsBlocksOfTheReducedPicture) {
    TWipeScene scene = TWipeScene::Noise(64, 48, 32);
    auto wipe = Start(scene, {.Type = 15, .Duration = 1023});
    StepAt(*wipe, 255);  // scale 144: the picture reduced to 9 x 6
    std::set<uint32_t> colours;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            colours.insert(scene.Target->GetPixel(x, y));
    EXPECT_LE(colours.size(), 9u * 6u);
    EXPECT_GT(colours.size(), 9u * 6u / 2);
}

TEST(WipeBlur, FlashesOverBlurredPictures) {
    TWipeScene scene = TWipeScene::Noise(80, 60, 32);
    auto roughness = [](TDIBX& s) {
        int64_t sum = 0;
        for (int y = 0; y < s.GetHeight(); ++y)
            for (int x = 1; x < s.GetWidth(); ++x)
                sum += std::abs(int(s.GetPixel(x, y) & 255) - int(s.GetPixel(x - 1, y) & 255));
        return sum;
    };
    for (int type : {25, 26}) {
        auto wipe = Start(scene, {.Type = type, .Duration = 639});
        StepAt(*wipe, 256);  // the blurred Before alone
        const int64_t blurred = roughness(*scene.Target);
        EXPECT_LT(blurred * 5, roughness(*scene.Before)) << type;
        StepAt(*wipe, 300);  // the flash at grey 176
        EXPECT_TRUE(type == 25 ? CountPixels(*scene.Target, 0) == 0 : CountPixels(*scene.Target, kWhite) == 0);
        StepAt(*wipe, 383);  // the blurred After alone
        EXPECT_LT(roughness(*scene.Target) * 5, roughness(*scene.After)) << type;
    }
}

TEST(WipeRipple, AheadOfTheRingIsBeforeAndBehindItAfter) {
    TWipeScene scene = TWipeScene::Noise(120, 90, 32);
    // Reach ceil(75) + 1 = 76, ring 60 wide: range 136.
    auto wipe = Start(scene, {.Type = 24, .Duration = 136});
    for (auto [t, front] : {std::pair{30, 30}, {110, 110}}) {
        StepAt(*wipe, t);  // After up to 60 behind the front, Before beyond it
        int checked = 0;
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 120; ++x) {
                const double d = std::hypot(x + 0.5 - 60, y + 0.5 - 45);
                const bool behind = d < front - 60 - 0.5, ahead = d > front + 0.5;
                if (!behind && !ahead)
                    continue;
                ASSERT_EQ(scene.Target->GetPixel(x, y), (behind ? scene.After : scene.Before)->GetPixel(x, y))
                    << x << "," << y << " at " << t;
                ++checked;
            }
        EXPECT_GT(checked, 120 * 90 / 3);
    }
}

TEST(WipeCrack, ShardsWaitInPlaceUntilTheirTurn) {
    TWipeScene scene = TWipeScene::Noise(64, 48, 32);
    // Shards of 16 (4 x 3), 1000 ms apart in progress: early on only the first one moves.
    auto wipe = Start(scene, {.Type = 29, .Duration = 10000, .Param0 = 16, .Param1 = 1000});
    StepAt(*wipe, 120);  // u = 135: shard 0 has risen 111 pixels and left the screen
    int home = 0;
    for (int cy = 0; cy < 3; ++cy)
        for (int cx = 0; cx < 4; ++cx) {
            bool same = true;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    same &= scene.Target->GetPixel(cx * 16 + x, cy * 16 + y) == scene.Before->GetPixel(cx * 16 + x, cy * 16 + y);
            home += same;
        }
    EXPECT_EQ(home, 11);
}

} // namespace
} // namespace ruvo::test
