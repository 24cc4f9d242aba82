// Frames after reading: masks from transparent values, post-processing to a bit count, trimming, and
// loading files by their extension.
#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephframes.hpp"
#include "picture_helpers.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

// An 8-bit frame of 4 x 3 whose palette entries 0 and 5 are both pure green; the transparent index is 5.
TZephFrame IndexedFrame() {
    auto picture = NewStorage(4, 3, 8);
    picture->Palette()[0] = TRGBQuad{0, 255, 0, 0};
    picture->Palette()[5] = TRGBQuad{0, 255, 0, 0};
    picture->Palette()[7] = TRGBQuad{10, 20, 30, 0};
    FillStorage(*picture, 7);
    SetStoragePixel(*picture, 2, 1, 5);
    SetStoragePixel(*picture, 3, 2, 0);  // looks the same as the transparent index, is not it
    TZephFrame frame;
    frame.Picture = picture;
    frame.SetTransparentValue(5);
    return frame;
}

TEST(ZephFrames, PostProcessingMasksAndConvertsOrWidensIndexedPictures) {
    TZephFrameList keep;
    keep.Frames.push_back(IndexedFrame());
    keep.PostProcess();
    const TZephFrame& kept = keep.Frames[0];
    EXPECT_EQ(kept.BitCount(), 24);
    EXPECT_EQ(kept.TransparentValue, 0x00FF00);
    EXPECT_EQ(StoragePixel(*kept.Picture, 0, 0), 0x1E140Au);  // palette entry 7 as 24-bit channels
    ASSERT_TRUE(kept.Mask);  // made from the index before the conversion
    EXPECT_EQ(kept.Mask->Row(1)[2], 0);
    EXPECT_EQ(kept.Mask->Row(2)[3], 255);

    TZephFrameList sixteen(0, 16);
    sixteen.Frames.push_back(IndexedFrame());
    sixteen.PostProcess();
    EXPECT_EQ(sixteen.Frames[0].BitCount(), 16);
    EXPECT_EQ(sixteen.Frames[0].TransparentValue, 0x07E0);
    EXPECT_EQ(sixteen.Frames[0].Mask->Row(1)[2], 0);

    TZephFrameList masks;
    masks.Frames.push_back(IndexedFrame());
    masks.Frames.push_back(IndexedFrame());
    masks.Frames[1].SetTransparentValue(-1);
    masks.MakeMasks();
    EXPECT_TRUE(masks.Frames[0].Mask);
    EXPECT_FALSE(masks.Frames[1].Mask);
    EXPECT_EQ(masks.Frames[0].BitCount(), 8);
}

TEST(ZephFrames, TrimLeavesFramesWithNothingOrEverythingVisibleWhole) {
    TZephFrame hidden = IndexedFrame();
    hidden.Mask = NewStorage(4, 3, 8);  // all 0
    EXPECT_TRUE(Trim(hidden).IsEmpty());
    EXPECT_EQ(hidden.Width(), 4);
    TZephFrame plain = IndexedFrame();
    plain.SetTransparentValue(-1);
    EXPECT_EQ(Trim(plain), (TRect{0, 0, 4, 3}));
    TZephFrame one = IndexedFrame();
    one.Mask = NewStorage(4, 3, 8);
    one.Mask->Row(2)[1] = 1;
    EXPECT_EQ(Trim(one), (TRect{1, 2, 2, 3}));
    EXPECT_EQ(one.Width(), 1);
    EXPECT_EQ(StoragePixel(*one.Picture, 0, 0), 7u);
}

TEST(ZephFrames, FilesLoadByTheirExtension) {
    testing::TempDir dir;
    SavePngArgb(TPngPicture{2, 1, true, {0xFF000000, 0x00FFFFFF}}, dir / "a.PNG");
    TZephFrameList png;
    EXPECT_TRUE(png.LoadFromFile(dir / "a.PNG"));
    ASSERT_EQ(png.Frames.size(), 1u);
    EXPECT_EQ(png.Header.Width, 2);
    EXPECT_EQ(png.Frames[0].Mask->Row(0)[1], 0);
    testing::WriteFile(dir / "a.txt", "text");
    TZephFrameList text;
    EXPECT_FALSE(text.LoadFromFile(dir / "a.txt"));
    EXPECT_THROW(text.LoadFromFile(dir / "none.zph"), ERuvoError);
    testing::WriteFile(dir / "bad.zph", "Zeph106");
    EXPECT_THROW(text.LoadFromFile(dir / "bad.zph"), ERuvoError);
}

} // namespace
} // namespace ruvo
