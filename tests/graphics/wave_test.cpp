// The raster-wave proxy: draws land on the target shifted row band by row band.
#include <gtest/gtest.h>

#include "graphics/surface/dibxwave.hpp"
#include "surface_helpers.hpp"

namespace ruvo {
namespace {

TEST(Wave, DrawsShiftEachRowByItsDisplacement) {
    auto target = test::MakeSurface(20, 8, 32);
    auto src = test::MakeSurface(4, 4, 32);
    src->Clear(0xFFFFFF);
    TDIBXWave wave(target.get());
    wave.SetOrigin(2, 2);
    wave.SetSize(16, 5, 32);
    wave.Displacements() = {0, 0, 3, 3, -1};  // rows 2..6 of the target
    wave.Draw(5, 1, *src, TRect{0, 0, 4, 4}, false, false, false);
    // Row 1 lies above the wave area: nothing. Rows 2-3 unshifted, 4 shifted by 3.
    EXPECT_EQ(target->GetPixel(5, 1), 0u);
    EXPECT_EQ(target->GetPixel(5, 2), 0xFFFFFFu);
    EXPECT_EQ(target->GetPixel(8, 3), 0xFFFFFFu);
    EXPECT_EQ(target->GetPixel(9, 3), 0u);
    EXPECT_EQ(target->GetPixel(7, 4), 0u);
    EXPECT_EQ(target->GetPixel(8, 4), 0xFFFFFFu);
    EXPECT_EQ(target->GetPixel(11, 4), 0xFFFFFFu);
    EXPECT_EQ(target->GetPixel(5, 5), 0u);  // below the source's 4 rows
    // The target's clip is as it was.
    EXPECT_EQ(target->ClipRect, TRect{});
}

TEST(Wave, FillsAndTilesGoThroughBandsAndClipToTheArea) {
    auto target = test::MakeSurface(10, 6, 16);
    TDIBXWave wave(target.get());
    wave.SetOrigin(0, 1);
    wave.SetSize(10, 4, 16);
    wave.Displacements() = {1, 1, 0, 2};
    EXPECT_EQ(wave.GetBitCount(), 16);
    EXPECT_EQ(wave.ColorToPixel(0xFFFFFF), 0xFFFF);
    wave.FillRect(TRect{0, 0, 3, 6}, 0xFFFF);
    EXPECT_EQ(target->GetPixel(0, 0), 0u);      // outside the wave area
    EXPECT_EQ(target->GetPixel(0, 1), 0u);      // shifted right by 1
    EXPECT_EQ(target->GetPixel(3, 1), 0xFFFFu);
    EXPECT_EQ(target->GetPixel(0, 3), 0xFFFFu);  // not shifted
    EXPECT_EQ(target->GetPixel(4, 4), 0xFFFFu);  // shifted by 2
    EXPECT_EQ(target->GetPixel(0, 5), 0u);

    // A tiling on the proxy restricts the proxy's own clip and forwards each tile.
    target->Clear(0);
    auto tile = test::MakeSurface(2, 2, 16);
    tile->Clear(0x001F);
    wave.AddClipRect(TRect{0, 2, 10, 4});
    wave.TileDraw(TRect{0, 0, 10, 6}, 0, 0, *tile, TRect{0, 0, 2, 2}, false, 0, 0);
    EXPECT_EQ(target->GetPixel(0, 1), 0u);
    EXPECT_EQ(target->GetPixel(1, 2), 0x001Fu);
    EXPECT_EQ(target->GetPixel(0, 2), 0u);  // row 2 is shifted by 1 and the target clip is unshifted
    EXPECT_EQ(target->GetPixel(0, 3), 0x001Fu);
    EXPECT_EQ(target->GetPixel(0, 4), 0u);
}

} // namespace
} // namespace ruvo
