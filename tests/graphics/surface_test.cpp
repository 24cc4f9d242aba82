// The surface model: formats, rows, clip rules, colour conversion, Clear, Assign, palettes, sharing.
#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "graphics/surface/dibx.hpp"
#include "surface_helpers.hpp"

namespace ruvo {
namespace {

using test::MakeSurface;

TEST(Surface, NewSurfaceIsEmptyWithoutKeyAndRowsRunBottomUp) {
    TDIBX s;
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.TransparentColor, -1);
    EXPECT_EQ(s.GetBitCount(), 15);

    s.SetSize(5, 3, 32);
    EXPECT_EQ(s.GetRowStride(), -20);
    // Row 1 lies one stride after row 0, that is below it in memory.
    uint8_t* row0 = s.LockPixel(0, 0);
    s.Unlock();
    uint8_t* row1 = s.LockPixel(0, 1);
    s.Unlock();
    EXPECT_EQ(row1 - row0, -20);

    s.SetSize(3, 2, 24);  // 9 bytes a row, padded to 12
    EXPECT_EQ(s.GetRowStride(), -12);
    s.SetSize(9, 2, 1);  // 9 bits, padded to 4 bytes
    EXPECT_EQ(s.GetRowStride(), -4);
}

TEST(Surface, FormatsReportTheirMasksAndBitCounts) {
    struct Case {
        int bits;
        uint32_t r, g, b;
        int storage;
    } cases[] = {{15, 0x7C00, 0x03E0, 0x1F, 16}, {16, 0xF800, 0x07E0, 0x1F, 16},
                 {24, 0xFF0000, 0xFF00, 0xFF, 24}, {32, 0xFF0000, 0xFF00, 0xFF, 32}};
    for (const Case& c : cases) {
        auto s = MakeSurface(2, 2, c.bits);
        EXPECT_EQ(s->GetBitCount(), c.bits);
        EXPECT_EQ(s->GetRMask(), c.r) << c.bits;
        EXPECT_EQ(s->GetGMask(), c.g) << c.bits;
        EXPECT_EQ(s->GetBMask(), c.b) << c.bits;
        EXPECT_EQ(s->GetStorageBitCount(), c.storage) << c.bits;
    }
    // A 16-bit storage relabelled with the 5-5-5 green mask reports 15 bits, and back.
    auto s = MakeSurface(2, 2, 16);
    s->SetBitCount(15);
    EXPECT_EQ(s->GetGMask(), 0x03E0u);
    EXPECT_EQ(s->GetBitCount(), 15);
    s->SetBitCount(16);
    EXPECT_EQ(s->GetBitCount(), 16);
}

TEST(Surface, ColorToPixel) {
    EXPECT_EQ(MakeSurface(1, 1, 16)->ColorToPixel(0x800080), 0x8010);
    EXPECT_EQ(MakeSurface(1, 1, 32)->ColorToPixel(0x800080), 0x800080);
    EXPECT_EQ(MakeSurface(1, 1, 15)->ColorToPixel(0x800080), 0x4010);
    EXPECT_EQ(MakeSurface(1, 1, 24)->ColorToPixel(0x0000FF), 0xFF0000);  // red lands in the top channel
    EXPECT_EQ(MakeSurface(1, 1, 32)->ColorToPixel(-5), -1);
    EXPECT_EQ(MakeSurface(1, 1, 8)->ColorToPixel(77), 77);  // an index passes through
}

TEST(Surface, ClipRules) {
    auto s = MakeSurface(100, 50, 32);
    s->AddClipRect(TRect{200, 10, 300, 20});  // wholly outside: no clip
    EXPECT_EQ(s->ClipRect, TRect{});
    s->AddClipRect(TRect{-10, -10, 10, 5});  // clamped to the surface
    EXPECT_EQ(s->ClipRect, (TRect{0, 0, 10, 5}));
    s->AddClipRect(TRect{90, 40, 120, 60});  // disjoint: bounding box
    EXPECT_EQ(s->ClipRect, (TRect{0, 0, 100, 50}));
    s->AddClipRect(TRect{300, 300, 400, 400});  // outside: unchanged
    EXPECT_EQ(s->ClipRect, (TRect{0, 0, 100, 50}));

    // A clip whose right edge is 0 is no clip, whatever the other fields say.
    s->ClipRect = TRect{40, 40, 0, 45};
    s->FillRect(TRect{0, 0, 100, 50}, 7);
    EXPECT_EQ(s->GetPixel(0, 0), 7u);
    EXPECT_EQ(s->GetPixel(99, 49), 7u);

    s->ResetClip();
    s->AddClipRect(TRect{10, 10, 20, 20});
    s->FillRect(TRect{0, 0, 100, 50}, 9);
    EXPECT_EQ(s->GetPixel(10, 10), 9u);
    EXPECT_EQ(s->GetPixel(20, 10), 7u);
    EXPECT_EQ(s->GetPixel(9, 15), 7u);
}

TEST(Surface, ClearFillsEveryPixelIgnoringTheClip) {
    for (int bits : {1, 4, 8, 15, 16, 24, 32}) {
        auto s = MakeSurface(13, 7, bits);
        s->AddClipRect(TRect{2, 2, 4, 4});
        const uint32_t value = bits == 1 ? 1 : bits == 4 ? 9 : bits == 8 ? 200 : bits <= 16 ? 0x1234 : 0x123456;
        s->Clear(value);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(s->GetPixel(x, y), value) << bits << " bits at " << x << "," << y;
    }
}

TEST(Surface, AssignCopiesWholeSurfaces) {
    std::mt19937 rng(5);
    auto a = test::RandomSurface(rng, 9, 6, 16);
    auto b = MakeSurface(9, 6, 16);
    b->Assign(*a);
    EXPECT_TRUE(test::SamePixels(*a, *b, "assign-same-layout"));
    // A different size goes through Draw at (0, 0): the overlap is copied.
    auto c = MakeSurface(4, 4, 16);
    c->Assign(*a);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(c->GetPixel(x, y), a->GetPixel(x, y));
}

TEST(Surface, PalettesAndRelease) {
    auto s = MakeSurface(4, 4, 8);
    std::array<TRGBQuad, 256> palette{};
    palette[3] = TRGBQuad{1, 2, 3, 0};
    s->SetPalette(palette);
    TRGBQuad entries[2] = {{9, 9, 9, 0}, {8, 8, 8, 0}};
    s->SetPaletteEntries(entries, 255, 2);  // the entry past 255 is dropped
    std::array<TRGBQuad, 256> out;
    s->GetPalette(out);
    EXPECT_EQ(out[3], (TRGBQuad{1, 2, 3, 0}));
    EXPECT_EQ(out[255], (TRGBQuad{9, 9, 9, 0}));

    s->Release();
    EXPECT_TRUE(s->IsEmpty());
    EXPECT_EQ(s->GetWidth(), 0);
    s->FillRect(TRect{0, 0, 8, 8}, 1);  // drawing on an empty surface does nothing
}

TEST(Surface, SharedStorageSeparatesOnWrite) {
    auto a = MakeSurface(4, 4, 32);
    a->Clear(0x111111);
    TDIBX b;
    b.ShareStorage(*a);
    EXPECT_EQ(b.Storage(), a->Storage());
    b.FillRect(TRect{0, 0, 2, 2}, 0x222222);
    EXPECT_NE(b.Storage(), a->Storage());
    EXPECT_EQ(a->GetPixel(0, 0), 0x111111u);
    EXPECT_EQ(b.GetPixel(0, 0), 0x222222u);
    EXPECT_EQ(b.GetPixel(3, 3), 0x111111u);
}

TEST(Surface, RefusesImpossibleSizes) {
    TDIBX s;
    EXPECT_THROW(s.SetSize(-1, 5, 32), ERuvoError);
    EXPECT_THROW(s.SetSize(100000, 100000, 32), ERuvoError);
    EXPECT_THROW(s.SetSize(5, 5, 12), ERuvoError);
}

} // namespace
} // namespace ruvo
