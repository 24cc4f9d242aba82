// Transitions as a whole: the table of types, the start path and what it refuses, every type at its
// start and end, and hostile parameters.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <set>
#include <string>

#include "graphics/draw/blendrows.hpp"
#include "graphics/wipes/wipemask.hpp"
#include "wipe_scene.hpp"

namespace ruvo::test {
namespace {

TEST(WipeTable, NumbersOneToThirtyEightEachOnce) {
    std::set<int> numbers;
    for (const TWipeType& type : WipeTypes()) {
        EXPECT_TRUE(numbers.insert(type.Number).second) << type.Number;
        EXPECT_EQ(std::string(type.ClassName).rfind("TWipe", 0), 0u) << type.ClassName;
    }
    EXPECT_EQ(numbers.size(), 38u);
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), 38);
    EXPECT_EQ(FindWipeType(24)->Param0, 5);
    EXPECT_EQ(FindWipeType(29)->Param1, 3);
    EXPECT_STREQ(FindWipeType(21)->BaseName, "TWipeShadowWhite");
}

TEST(WipeStart, RefusesWhatHasNoTransitionSoTheScreenChangesAtOnce) {
    TWipeScene scene = TWipeScene::Solid(16, 12, 32, 0x0000FF, 0xFF0000);
    for (int type : {0, -1, 39, 1000, INT_MIN})
        EXPECT_TRUE(StartWipe({.Type = type, .Duration = 100}, scene.Surfaces(), SeededRandom(1)).ChangesAtOnce())
            << type;
    for (int32_t duration : {0, -1, INT32_MIN})
        EXPECT_TRUE(StartWipe({.Type = 1, .Duration = duration}, scene.Surfaces(), SeededRandom(1)).ChangesAtOnce())
            << duration;

    auto smaller = MakeSurface(16, 11, 32), other = MakeSurface(16, 12, 16), empty = std::make_unique<TDIBX>();
    auto indexed = MakeSurface(16, 12, 4), indexed2 = MakeSurface(16, 12, 4), indexed3 = MakeSurface(16, 12, 4);
    const TWipeSurfaces unfit[] = {
        {*scene.Target, *smaller, *scene.After},     {*scene.Target, *scene.Before, *other},
        {*empty, *scene.Before, *scene.After},       {*scene.Target, *scene.Target, *scene.After},
        {*scene.After, *scene.Before, *scene.After}, {*indexed, *indexed2, *indexed3},
    };
    for (const TWipeSurfaces& s : unfit)
        EXPECT_TRUE(StartWipe({.Type = 1, .Duration = 100}, s, SeededRandom(1)).ChangesAtOnce());
}

TEST(WipeStart, DefaultsThenTheCallersParametersThenTheTypesClamps) {
    TWipeScene scene = TWipeScene::Solid(64, 48, 32, 0, 0xFFFFFF);
    auto blinds = Start(scene, {.Type = 2, .Duration = 10});
    EXPECT_EQ(blinds->GetParam(0), 20);
    EXPECT_EQ(blinds->GetParam(1), 1);
    blinds = Start(scene, {.Type = 2, .Duration = 10, .Param1 = 7});
    EXPECT_EQ(blinds->GetParam(0), 20);
    EXPECT_EQ(blinds->GetParam(1), 7);
    blinds = Start(scene, {.Type = 2, .Duration = 10, .Param0 = -5, .Param1 = -5});  // mask types: 2 and 1
    EXPECT_EQ(blinds->GetParam(0), 2);
    EXPECT_EQ(blinds->GetParam(1), 1);
    auto curtain = Start(scene, {.Type = 4, .Duration = 10, .Param0 = -5, .Param1 = 0});  // 1 and 1
    EXPECT_EQ(curtain->GetParam(0), 1);
    EXPECT_EQ(curtain->GetParam(1), 1);
    auto crack = Start(scene, {.Type = 29, .Duration = 10, .Param0 = 3, .Param1 = -4});  // 16 and 0
    EXPECT_EQ(crack->GetParam(0), 16);
    EXPECT_EQ(crack->GetParam(1), 0);
    auto fade = Start(scene, {.Type = 1, .Duration = 10, .Param0 = -40});  // kept as given
    EXPECT_EQ(fade->GetParam(0), -40);
    fade->SetParam(3, 99);  // the bounds are the transition's own
    EXPECT_EQ(fade->GetParam(3), 0);
    StepAt(*fade, 5);
    EXPECT_EQ(fade->ChangedRect(), (TRect{0, 0, 64, 48}));
}

// --- Every type at its start, just before its end, and at its end ---

enum class TLook {
    Before,        // every pixel is Before's
    After,         // every pixel is After's
    White,         // every channel at its maximum
    NearAfter,     // every channel within 2 of After's
    Between,       // every channel between Before's and After's
    MostlyBefore,  // between, at least half Before, and something has changed
    MostlyAfter,   // between, at least half After
};

struct TTypeCase {
    int Type;
    TLook Start, End;
    // Whether Before and After are also exact pixel for pixel with pictures that are not plain.
    bool ExactStart = true, ExactEnd = true;
};

const TTypeCase kTypeCases[] = {
    {1, TLook::Before, TLook::After},
    {2, TLook::Before, TLook::MostlyAfter},
    {3, TLook::Before, TLook::MostlyAfter},
    {4, TLook::Before, TLook::MostlyAfter},
    {5, TLook::Before, TLook::MostlyAfter},
    {6, TLook::Before, TLook::MostlyAfter},
    {7, TLook::Before, TLook::MostlyAfter},
    {8, TLook::Before, TLook::Between},  // the last cells never finish before the end
    {9, TLook::Before, TLook::Between},
    {10, TLook::Before, TLook::Between},
    {11, TLook::Before, TLook::MostlyAfter},
    {12, TLook::Before, TLook::NearAfter},
    {13, TLook::Before, TLook::NearAfter},
    {14, TLook::White, TLook::NearAfter},
    {15, TLook::Before, TLook::After, false, false},  // in blocks
    {16, TLook::Before, TLook::After, true, false},   // the first line stretched from the second
    {17, TLook::Before, TLook::After, true, false},
    {18, TLook::Before, TLook::After},
    {19, TLook::Before, TLook::After},
    {20, TLook::Before, TLook::After},
    {21, TLook::Before, TLook::After},
    {22, TLook::MostlyBefore, TLook::After},  // below full size from the start
    {23, TLook::Before, TLook::MostlyAfter},
    {24, TLook::Before, TLook::After},
    {25, TLook::Before, TLook::After, true, false},  // the blurred After at alpha 1
    {26, TLook::Before, TLook::After, true, false},
    {27, TLook::Before, TLook::After},
    {28, TLook::Before, TLook::After},
    {29, TLook::Before, TLook::MostlyAfter},
    {30, TLook::Before, TLook::After},
    {31, TLook::Before, TLook::MostlyAfter},
    {32, TLook::Before, TLook::After, true, false},
    {33, TLook::Before, TLook::After, true, false},
    {34, TLook::Before, TLook::MostlyAfter},
    {35, TLook::Before, TLook::MostlyAfter},
    {36, TLook::Before, TLook::After},
    {37, TLook::MostlyBefore, TLook::MostlyAfter},  // the first block shows from the start
    {38, TLook::MostlyBefore, TLook::MostlyAfter},
};

constexpr int32_t kLongTime = 100000;

uint8_t Ch(uint32_t colour, int c) { return uint8_t(colour >> (8 * c)); }

// Judges a frame of plain pictures; the colours are read back through the surface's format.
::testing::AssertionResult Looks(TDIBX& frame, TDIBX& before, TDIBX& after, TLook look) {
    const TPixelFormat f = frame.Format();
    const uint32_t b = ChannelsToColor(f, before.GetPixel(0, 0)), a = ChannelsToColor(f, after.GetPixel(0, 0));
    const uint32_t white = ChannelsToColor(f, uint32_t(frame.ColorToPixel(0xFFFFFF)));
    int64_t befores = 0, afters = 0;
    const int64_t total = int64_t(frame.GetWidth()) * frame.GetHeight();
    for (int y = 0; y < frame.GetHeight(); ++y)
        for (int x = 0; x < frame.GetWidth(); ++x) {
            const uint32_t p = ChannelsToColor(f, frame.GetPixel(x, y));
            befores += p == b, afters += p == a;
            for (int c = 0; c < 3; ++c) {
                const int v = Ch(p, c), lo = std::min(Ch(a, c), Ch(b, c)), hi = std::max(Ch(a, c), Ch(b, c));
                const bool ok = look == TLook::White       ? v == Ch(white, c)
                                : look == TLook::NearAfter ? std::abs(v - Ch(a, c)) <= 2
                                                           : v >= lo && v <= hi;
                if (!ok)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << "," << y << ") channel " << c << " is " << v;
            }
        }
    switch (look) {
    case TLook::Before:
        if (befores != total)
            return ::testing::AssertionFailure() << total - befores << " pixels are not Before";
        break;
    case TLook::After:
        if (afters != total)
            return ::testing::AssertionFailure() << total - afters << " pixels are not After";
        break;
    case TLook::MostlyBefore:
        if (befores * 2 < total || befores == total)
            return ::testing::AssertionFailure() << befores << " of " << total << " pixels are Before";
        break;
    case TLook::MostlyAfter:
        if (afters * 2 < total)
            return ::testing::AssertionFailure() << afters << " of " << total << " pixels are After";
        break;
    default: break;
    }
    return ::testing::AssertionSuccess();
}

class WipeEveryType : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(WipeEveryType, StartsAndEndsAsTheTypeSaysAndIsDoneAtItsDuration) {
    const auto [bits, reverse] = GetParam();
    for (const TTypeCase& c : kTypeCases) {
        SCOPED_TRACE("type " + std::to_string(c.Type));
        TWipeScene plain = TWipeScene::Solid(160, 120, bits, 0x5A28C8, 0x3CB41E);
        auto wipe = Start(plain, {.Type = c.Type, .Duration = kLongTime, .Reverse = reverse});
        StepAt(*wipe, 0);
        EXPECT_TRUE(Looks(*plain.Target, *plain.Before, *plain.After, c.Start)) << "at the start";
        StepAt(*wipe, kLongTime - 1);
        EXPECT_TRUE(Looks(*plain.Target, *plain.Before, *plain.After, c.End)) << "just before the end";

        plain.Target->Clear(0x123456);
        auto untouched = Copy(*plain.Target);
        for (int32_t t : {kLongTime, kLongTime + 1, INT32_MAX}) {
            wipe->Elapsed = t;
            EXPECT_TRUE(wipe->Step()) << t;
        }
        EXPECT_TRUE(SamePixels(*untouched, *plain.Target, "done-" + std::to_string(c.Type)));

        TWipeScene noise = TWipeScene::Noise(160, 120, bits);
        wipe = Start(noise, {.Type = c.Type, .Duration = kLongTime, .Reverse = reverse});
        if (c.ExactStart && c.Start == TLook::Before) {
            StepAt(*wipe, 0);
            EXPECT_TRUE(SamePixels(*noise.Before, *noise.Target, "start-" + std::to_string(c.Type)));
        }
        if (c.ExactEnd && c.End == TLook::After) {
            StepAt(*wipe, kLongTime - 1);
            EXPECT_TRUE(SamePixels(*noise.After, *noise.Target, "end-" + std::to_string(c.Type)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WipeEveryType,
                         ::testing::Combine(::testing::Values(32, 16), ::testing::Bool()),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) + "bit" +
                                    (std::get<1>(info.param) ? "Reverse" : "");
                         });

// Every mask type draws each pixel from its mask byte: Before at 0, After at 255, the blend between,
// and on 32-bit targets a sharp-edged type shows After for every byte that is not 0.
TEST(WipeMask, EveryMaskTypeComposesItsMaskOverTheScreen) {
    for (int bits : {32, 16})
        for (const TWipeType& type : WipeTypes()) {
            TWipeScene scene = TWipeScene::Noise(150, 100, bits);
            auto wipe = Start(scene, {.Type = type.Number, .Duration = 1000, .Param1 = 20});
            auto* masked = dynamic_cast<TWipeMask*>(wipe.get());
            if (!masked)
                continue;
            SCOPED_TRACE(std::string(type.ClassName) + " at " + std::to_string(bits) + " bits");
            StepAt(*wipe, 437);
            const TPixelFormat f = scene.Target->Format();
            const auto mask = masked->Mask();
            ASSERT_EQ(mask.size(), size_t(150) * size_t(masked->MaskRows()));
            auto expected = MakeSurface(150, 100, bits);
            bool blended = false;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 150; ++x) {
                    const uint32_t m = mask[size_t(y % masked->MaskRows()) * 150 + x];
                    const uint32_t b = scene.Before->GetPixel(x, y), a = scene.After->GetPixel(x, y);
                    blended |= m > 0 && m < 255;
                    expected->SetPixel(x, y, m == 0 ? b : m == 255 ? a : blend_detail::Channels(f, b, a, int(m), 0));
                }
            EXPECT_TRUE(SamePixels(*expected, *scene.Target, "mask-" + std::to_string(type.Number)));
            if (type.Number == 11) {
                EXPECT_FALSE(blended) << "dither is always sharp";
            }
        }
}

TEST(WipeMask, TheMaskIsRebuiltAndTheScreenDrawnOnlyWhenTheProgressChanges) {
    TWipeScene scene = TWipeScene::Solid(40, 30, 32, 0, 0xFFFFFF);
    // Blinds of 20 with a ramp of 1: 39 progress steps over 3900 ms, one per 100 ms.
    auto wipe = Start(scene, {.Type = 2, .Duration = 3900});
    StepAt(*wipe, 1000);
    scene.Target->Clear(0x0000FF);
    StepAt(*wipe, 1050);  // same progress: nothing drawn
    EXPECT_EQ(scene.Target->GetPixel(0, 0), 0x0000FFu);
    StepAt(*wipe, 1100);
    EXPECT_NE(scene.Target->GetPixel(0, 0), 0x0000FFu);
}

// --- Bad input ---

TEST(WipeBadInput, HostileParametersAndTimesNeitherCrashNorDivideByZero) {
    const int32_t params[] = {INT32_MIN, -1, 0, 1, 2, 17, INT32_MAX};
    const int32_t durations[] = {1, 3, INT32_MAX};
    for (const TWipeType& type : WipeTypes())
        for (int32_t p0 : params)
            for (int32_t p1 : {INT32_MIN, 0, 1, INT32_MAX})
                for (int32_t duration : durations) {
                    TWipeScene scene = TWipeScene::Solid(19, 13, 32, 0x000080, 0x800000);
                    auto wipe = Start(scene, {.Type = type.Number, .Duration = duration, .Reverse = p1 == 0,
                                              .Param0 = p0, .Param1 = p1});
                    for (int32_t t : {INT32_MIN, -1, 0, duration / 2, duration - 1}) {
                        wipe->Elapsed = t;
                        ASSERT_FALSE(wipe->Step()) << type.Number << " " << p0 << " " << p1 << " " << t;
                    }
                    wipe->Elapsed = duration;
                    ASSERT_TRUE(wipe->Step());
                }
}

TEST(WipeBadInput, TinyScreensAndEveryPixelFormatWorkForEveryType) {
    const struct {
        int W, H, Bits;
    } screens[] = {{1, 1, 32}, {2, 1, 16}, {1, 3, 15}, {23, 17, 24}, {23, 17, 8}, {23, 17, 15}};
    for (const auto& screen : screens)
        for (const TWipeType& type : WipeTypes()) {
            TWipeScene scene = TWipeScene::Noise(screen.W, screen.H, screen.Bits);
            auto wipe = Start(scene, {.Type = type.Number, .Duration = 10, .Reverse = type.Number % 2 == 0});
            for (int32_t t = 0; t < 10; ++t)
                StepAt(*wipe, t);
        }
}

TEST(WipeBadInput, ATransitionWhoseSurfacesChangeSizeEndsAtItsNextStep) {
    TWipeScene scene = TWipeScene::Solid(40, 30, 32, 0, 0xFFFFFF);
    auto wipe = Start(scene, {.Type = 36, .Duration = 100});
    StepAt(*wipe, 10);
    scene.Before->SetSize(80, 60, 32);
    wipe->Elapsed = 20;
    EXPECT_TRUE(wipe->Step());
}

TEST(WipeBadInput, ZeroDurationSetLaterIsDoneAtOnce) {
    TWipeScene scene = TWipeScene::Solid(8, 8, 32, 0, 0xFFFFFF);
    auto wipe = Start(scene, {.Type = 1, .Duration = 100});
    wipe->Duration = 0;
    wipe->Elapsed = -5;
    EXPECT_TRUE(wipe->Step());
}

// --- The random source ---

TEST(WipeRandom, RandomTypesTakeTheirOrderFromTheCallersSource) {
    for (int type : {29, 38}) {
        SCOPED_TRACE(type);
        auto frame = [type](uint32_t seed, int* draws) {
            TWipeScene scene = TWipeScene::Noise(96, 64, 32);
            TRandomFunction counted = [draws, inner = SeededRandom(seed)](int32_t n) {
                ++*draws;
                return inner(n);
            };
            TWipeStart start = StartWipe({.Type = type, .Duration = 1000}, scene.Surfaces(), counted);
            StepAt(*start.Wipe, 800);
            return Copy(*scene.Target);
        };
        int draws = 0;
        auto first = frame(5, &draws), again = frame(5, &draws), other = frame(6, &draws);
        EXPECT_GT(draws, 0);
        EXPECT_TRUE(SamePixels(*first, *again, "random-same-seed"));
        int differences = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x)
                differences += first->GetPixel(x, y) != other->GetPixel(x, y);
        EXPECT_GT(differences, 0) << "another seed gives another order";
    }
}

} // namespace
} // namespace ruvo::test
