// Hand-worked cases of the drawing operations: the documented examples and the corners that random
// tests reach rarely.
#include <gtest/gtest.h>

#include "graphics/surface/dibx.hpp"
#include "surface_helpers.hpp"

namespace ruvo {
namespace {

using test::MakeSurface;

// A 32-bit surface whose pixel (x, y) is x + 100 y, so a pixel tells where it came from.
std::unique_ptr<TDIBX> Numbered(int w, int h) {
    auto s = MakeSurface(w, h, 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s->SetPixel(x, y, uint32_t(x + 100 * y));
    return s;
}

TEST(DrawEdge, AlphaOfWhiteOverBlackAndPixelsLeftAlone) {
    auto dst = MakeSurface(2, 1, 32), src = MakeSurface(2, 1, 32);
    src->Clear(0xFFFFFF);
    dst->SetPixel(1, 0, 0xFFFFFF);  // equal to the source: left alone
    dst->DrawAlpha(0, 0, *src, TRect{0, 0, 2, 1}, false, false, false, 128);
    EXPECT_EQ(dst->GetPixel(0, 0), 0x7F7F7Fu);  // (127 * 0 + 128 * 255) div 256 = 127
    EXPECT_EQ(dst->GetPixel(1, 0), 0xFFFFFFu);

    // BlendRect leaves pixels already of the colour, though the formula would darken them.
    auto r = MakeSurface(2, 1, 16);
    r->SetPixel(0, 0, 0xFFFF);
    r->SetPixel(1, 0, 0x0000);
    r->BlendRect(TRect{0, 0, 2, 1}, 0xFFFF, 200);
    EXPECT_EQ(r->GetPixel(0, 0), 0xFFFFu);
    EXPECT_EQ(r->GetPixel(1, 0), uint32_t(((200 * 31) >> 8) << 11 | ((200 * 63) >> 8) << 5 | (200 * 31) >> 8));
}

TEST(DrawEdge, AddRectSaturatesAndSubRectFloorsAtZero) {
    for (int bits : {15, 16, 32}) {
        auto s = MakeSurface(3, 1, bits);
        const uint32_t white = uint32_t(s->ColorToPixel(0xFFFFFF));
        s->SetPixel(1, 0, uint32_t(s->ColorToPixel(0x808080)));
        s->AddRect(TRect{0, 0, 3, 1}, white);
        EXPECT_EQ(s->GetPixel(0, 0), white) << bits;
        EXPECT_EQ(s->GetPixel(1, 0), white) << bits;
        s->SubRect(TRect{0, 0, 2, 1}, uint32_t(s->ColorToPixel(0xFFFFFF)));
        EXPECT_EQ(s->GetPixel(0, 0), 0u) << bits;
        EXPECT_EQ(s->GetPixel(2, 0), white) << bits;
    }
}

TEST(DrawEdge, FlippedDrawCutAtTheLeftEdge) {
    auto src = Numbered(30, 5);
    auto dst = MakeSurface(12, 5, 32);
    dst->Clear(0xABCDEF);
    dst->Draw(-3, 0, *src, TRect{10, 0, 20, 5}, false, true, false);
    // Source columns 16 down to 10 land at destination columns 0 to 6.
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(dst->GetPixel(x, 2), uint32_t(16 - x + 200)) << x;
    EXPECT_EQ(dst->GetPixel(7, 2), 0xABCDEFu);

    // Vertical flip with the top cut: rows come from the bottom of the source rectangle upwards.
    dst->Clear(0);
    dst->Draw(0, -1, *src, TRect{0, 0, 3, 4}, false, false, true);
    EXPECT_EQ(dst->GetPixel(1, 0), uint32_t(1 + 200));
    EXPECT_EQ(dst->GetPixel(1, 2), uint32_t(1 + 0));
    EXPECT_EQ(dst->GetPixel(1, 3), 0u);
}

TEST(DrawEdge, KeyedDrawSkipsKeyPixels) {
    auto src = MakeSurface(20, 1, 16), dst = MakeSurface(20, 1, 16);
    src->Clear(0x1234);
    for (int x : {0, 3, 4, 5, 6, 7, 8, 9, 19})  // a long key run, as after the fast search
        src->SetPixel(x, 0, 0x0F0F);
    src->TransparentColor = 0x0F0F;
    dst->Clear(0x7777);
    dst->Draw(0, 0, *src, TRect{0, 0, 20, 1}, true, false, false);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(dst->GetPixel(x, 0), src->GetPixel(x, 0) == 0x0F0F ? 0x7777u : 0x1234u) << x;
    // Without the key the key colour is copied like any other.
    dst->Draw(0, 0, *src, TRect{0, 0, 20, 1}, false, false, false);
    EXPECT_EQ(dst->GetPixel(0, 0), 0x0F0Fu);
}

TEST(DrawEdge, MaskedDrawCopiesWhereOpaqueAndKeepsWhereTransparent) {
    auto src = MakeSurface(3, 1, 32), dst = MakeSurface(3, 1, 32), mask = MakeSurface(3, 1, 8);
    src->Clear(0xFFFFFF);
    dst->Clear(0x000000);
    mask->SetPixel(0, 0, 255), mask->SetPixel(1, 0, 0), mask->SetPixel(2, 0, 64);
    dst->DrawMasked(0, 0, *src, TRect{0, 0, 3, 1}, false, false, *mask);
    EXPECT_EQ(dst->GetPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dst->GetPixel(1, 0), 0u);
    EXPECT_EQ(dst->GetPixel(2, 0), 0x3F3F3Fu);  // 64 * 255 div 256 = 63
    // A mask that is not 8 bits draws nothing.
    auto wrong = MakeSurface(3, 1, 32);
    dst->Clear(0);
    dst->DrawMasked(0, 0, *src, TRect{0, 0, 3, 1}, false, false, *wrong);
    EXPECT_EQ(dst->GetPixel(0, 0), 0u);
}

TEST(DrawEdge, RotateByZeroIsACopyAndByAQuarterTurnsClockwise) {
    auto src = Numbered(4, 3);
    auto dst = MakeSurface(12, 12, 32);
    dst->Clear(0xFFFFFFFF);
    dst->DrawRotate(5, 6, 256, 256, *src, TRect{0, 0, 4, 3}, 0, 0, 0, false, false, false, 255);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst->GetPixel(5 + x, 6 + y), uint32_t(x + 100 * y));
    EXPECT_EQ(dst->GetPixel(9, 6), 0xFFFFFFFFu);
    EXPECT_EQ(dst->GetPixel(4, 6), 0xFFFFFFFFu);

    // A quarter turn: the source's top row runs down the screen from the pivot, its left column
    // leftwards (positions are sampled at pixel corners, the pivot landing on (5, 2)).
    dst->Clear(0xFFFFFFFF);
    dst->DrawRotate(5, 2, 256, 256, *src, TRect{0, 0, 4, 3}, 0, 0, 64, false, false, false, 255);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dst->GetPixel(5, 2 + x), uint32_t(x)) << x;  // source row 0
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(dst->GetPixel(5 - y, 2), uint32_t(100 * y)) << y;  // source column 0
    EXPECT_EQ(dst->GetPixel(2, 2), 0xFFFFFFFFu);
}

TEST(DrawEdge, StretchDoublesEachPixel) {
    auto src = Numbered(3, 2);
    auto dst = MakeSurface(6, 4, 32);
    dst->StretchDraw(TRect{0, 0, 6, 4}, *src, TRect{0, 0, 3, 2}, false, false, false, 255);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(dst->GetPixel(x, y), uint32_t(x / 2 + 100 * (y / 2)));
    // Mirrored: the last source column comes first.
    dst->StretchDraw(TRect{0, 0, 6, 4}, *src, TRect{0, 0, 3, 2}, false, true, false, 255);
    EXPECT_EQ(dst->GetPixel(0, 0), 2u);
    EXPECT_EQ(dst->GetPixel(5, 0), 0u);
}

TEST(DrawEdge, TileWithNegativeOffsetStartsWithTheLastColumn) {
    auto src = Numbered(4, 2);
    auto dst = MakeSurface(10, 2, 32);
    dst->TileDraw(TRect{0, 0, 10, 2}, 0, 0, *src, TRect{0, 0, 4, 2}, false, -1, 0);
    const uint32_t expected[10] = {3, 0, 1, 2, 3, 0, 1, 2, 3, 0};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(dst->GetPixel(x, 0), expected[x]) << x;
    // A spacing far below zero still ends.
    dst->TileDraw(TRect{0, 0, 10, 2}, -100, -100, *src, TRect{0, 0, 4, 2}, false, 0, 0);
}

TEST(DrawEdge, StretchedTilesFollowTheZoomedStep) {
    auto src = Numbered(2, 1);
    auto dst = MakeSurface(12, 2, 32);
    dst->Clear(0xEEEEEE);
    // Tiles twice the size (4 x 2) every 6 pixels (spacing 3 at zoom 2), the first one shifted by 1.
    dst->TileStretchDraw(TRect{0, 0, 12, 2}, 3, 1, 512, 512, *src, TRect{0, 0, 2, 1}, false, false, false, 255, 1, 0);
    // Tiles start at -1, 5 and 11, each showing 0, 0, 1, 1.
    const uint32_t expected[12] = {0, 1, 1, 0xEEEEEE, 0xEEEEEE, 0, 0, 1, 1, 0xEEEEEE, 0xEEEEEE, 0};
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(dst->GetPixel(x, 0), expected[x]) << x;
}

TEST(DrawEdge, FramesDrawSidesOnlyWhenRoomIsLeft) {
    auto s = MakeSurface(10, 10, 32);
    s->FrameRect(TRect{0, 0, 10, 6}, 3, 5);  // 6 - 2 * 3 = 0: top and bottom only
    EXPECT_EQ(s->GetPixel(5, 0), 5u);
    EXPECT_EQ(s->GetPixel(5, 5), 5u);
    EXPECT_EQ(s->GetPixel(5, 6), 0u);
    s->Clear(0);
    s->FrameRect(TRect{0, 0, 10, 10}, 2, 5);
    EXPECT_EQ(s->GetPixel(0, 5), 5u);
    EXPECT_EQ(s->GetPixel(9, 5), 5u);
    EXPECT_EQ(s->GetPixel(2, 5), 0u);
}

TEST(DrawEdge, DrawingFromASurfaceOntoItselfReadsTheOriginal) {
    auto s = Numbered(8, 8);
    auto before = test::Copy(*s);
    s->Draw(1, 1, *s, TRect{0, 0, 7, 7}, false, false, false);  // overlapping, shifted down-right
    for (int y = 1; y < 8; ++y)
        for (int x = 1; x < 8; ++x)
            ASSERT_EQ(s->GetPixel(x, y), before->GetPixel(x - 1, y - 1)) << x << "," << y;
}

TEST(DrawEdge, MismatchedFormatsAndOutOfRangeSourcesDrawNothingOutside) {
    auto src16 = MakeSurface(4, 4, 16);
    auto dst = MakeSurface(4, 4, 32);
    src16->Clear(0xFFFF);
    dst->Draw(0, 0, *src16, TRect{0, 0, 4, 4}, false, false, false);
    EXPECT_EQ(dst->GetPixel(0, 0), 0u);
    // A source rectangle reaching far outside the source reads only what exists.
    auto src = Numbered(4, 4);
    dst->Draw(0, 0, *src, TRect{-1000, -1000, 1000, 1000}, false, false, false);
    dst->StretchDraw(TRect{0, 0, 4, 4}, *src, TRect{2, 2, 1000, 1000}, false, false, false, 255);
    EXPECT_EQ(dst->GetPixel(0, 0), 202u);
}

TEST(DrawEdge, MonoGlyphCountsInkInBlocks) {
    auto glyph = MakeSurface(8, 4, 1);
    glyph->Clear(1);  // no ink
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            glyph->SetPixel(x, y, 0);  // 8 ink bits in the first 4 x 4 block
    auto dst = MakeSurface(2, 1, 32);
    dst->Clear(0);
    dst->DrawMonoGlyph(0, 0, *glyph, TRect{0, 0, 8, 4}, 0xFFFFFF, false, false, 255, 4);
    EXPECT_EQ(dst->GetPixel(0, 0), 0x7F7F7Fu);  // 255 * 8 div 16
    EXPECT_EQ(dst->GetPixel(1, 0), 0u);
    // Mirrored, the ink lands in the second pixel.
    dst->Clear(0);
    dst->DrawMonoGlyph(0, 0, *glyph, TRect{0, 0, 8, 4}, 0xFFFFFF, true, false, 255, 4);
    EXPECT_EQ(dst->GetPixel(1, 0), 0x7F7F7Fu);
}

TEST(DrawEdge, ToneGlyphSolidBlocksAreTheirColour) {
    auto glyph = MakeSurface(2, 2, 4);
    glyph->Clear(2);
    auto dst = MakeSurface(2, 2, 16);
    dst->Clear(0x1111);
    dst->DrawToneGlyph(0, 0, *glyph, TRect{0, 0, 2, 2}, {0xF800, 0x07E0, 0x001F}, false, false, 255, 1);
    EXPECT_EQ(dst->GetPixel(0, 0), 0x07E0u);
    glyph->Clear(0);
    dst->DrawToneGlyph(0, 0, *glyph, TRect{0, 0, 2, 2}, {0xF800, 0x07E0, 0x001F}, false, false, 255, 1);
    EXPECT_EQ(dst->GetPixel(1, 1), 0x07E0u);  // background blocks leave the pixel alone
}

TEST(DrawEdge, CoverageOutsideTheMapDrawsNothing) {
    auto cover = MakeSurface(4, 4, 8);
    cover->Clear(255);
    auto dst = MakeSurface(8, 8, 32);
    dst->DrawCoverage(0, 0, *cover, TRect{0, 0, 5, 4}, false, false, 0xFFFFFF, 255);
    EXPECT_EQ(dst->GetPixel(0, 0), 0u);
    // The same rectangle clipped to the part inside the map draws.
    dst->AddClipRect(TRect{0, 0, 4, 4});
    dst->DrawCoverage(0, 0, *cover, TRect{0, 0, 5, 4}, false, false, 0xFFFFFF, 255);
    EXPECT_EQ(dst->GetPixel(0, 0), 0xFFFFFFu);  // full coverage: the colour itself, not one step short
    // Partial coverage blends: (127 * 0 + 128 * 255) div 256.
    cover->Clear(128);
    dst->Clear(0);
    dst->DrawCoverage(0, 0, *cover, TRect{0, 0, 4, 4}, false, false, 0xFFFFFF, 255);
    EXPECT_EQ(dst->GetPixel(0, 0), 0x7F7F7Fu);
}

TEST(DrawEdge, StretchedIndexedAddAtOneToOneMatchesThePositionedForm) {
    std::mt19937 rng(3);
    auto intensity = test::RandomSurface(rng, 9, 7, 8);
    auto base = test::RandomSurface(rng, 9, 7, 32);
    std::vector<uint32_t> palette(256);
    for (uint32_t i = 0; i < 256; ++i)
        palette[i] = i * 0x010101;
    auto a = test::Copy(*base), b = test::Copy(*base);
    a->DrawIndexedAdd8(0, 0, *intensity, TRect{0, 0, 9, 7}, 40, true, false, 200, palette);
    b->StretchDrawIndexedAdd8(TRect{0, 0, 9, 7}, *intensity, TRect{0, 0, 9, 7}, 40, true, false, 200, palette);
    EXPECT_TRUE(test::SamePixels(*a, *b, "stretched-indexed-add"));
    // A short palette draws nothing.
    std::vector<uint32_t> shortPalette(10, 0xFFFFFF);
    b->DrawIndexedAdd8(0, 0, *intensity, TRect{0, 0, 9, 7}, 0, false, false, 255, shortPalette);
    EXPECT_TRUE(test::SamePixels(*a, *b, "short-palette"));
}

} // namespace
} // namespace ruvo
