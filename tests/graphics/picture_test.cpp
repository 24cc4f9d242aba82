// Named pictures through the virtual file manager: suffixes, the placeholder, masks, trimming, the
// display bit count, shared pixels; and surfaces loading layered and PNG streams.
#include <gtest/gtest.h>

#include <fstream>

#include "archive/deletionlist.hpp"
#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/images/iconfile.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/images/picture.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "picture_helpers.hpp"
#include "support/tempdir.hpp"
#include "surface_helpers.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using test::FrameOf;
using test::Layer;

class NoDiscs : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override { return {}; }
};

class PictureTest : public ::testing::Test {
protected:
    PictureTest() {
        fs::create_directories(dir_ / "game" / "bg");
        fs::create_directories(dir_ / "tmp");
        files_ = std::make_unique<TVrFileManager>(deletions_, std::make_unique<NoDiscs>(), dir_ / "tmp");
        files_->SetBaseFolder(dir_ / "game");
    }
    void Put(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir_ / "game" / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        files_->InvalidateLooseFiles();
    }

    testing::TempDir dir_;
    TDeletionList deletions_;
    std::unique_ptr<TVrFileManager> files_;
};

TEST(PictureName, SuffixesComeOffInEitherOrder) {
    struct Case {
        const char* name;
        const char* file;
        bool masks, trim;
    } cases[] = {{"bg\\a.zph", "bg\\a.zph", false, false}, {"a.zph?m", "a.zph", true, false},
                 {"a.zph?t", "a.zph", false, true},       {"a.zph?m?t", "a.zph", true, true},
                 {"a.zph?t?m", "a.zph", true, true},      {"a.zph?m?m", "a.zph?m", true, false},
                 {"a.zph?T", "a.zph", false, true},       {"?m", "", true, false}};
    for (const Case& c : cases) {
        const TPictureName n = ParsePictureName(c.name);
        EXPECT_EQ(n.File, c.file) << c.name;
        EXPECT_EQ(n.Masks, c.masks) << c.name;
        EXPECT_EQ(n.Trim, c.trim) << c.name;
    }
}

TEST_F(PictureTest, AMissingNameIsTheTransparentPlaceholder) {
    for (int bits : {16, 32}) {
        const TPicture plain = LoadPicture(*files_, "bg\\none.zph", 0, bits);
        EXPECT_FALSE(plain.Found);
        ASSERT_EQ(plain.Frames.size(), 1u);
        EXPECT_EQ(plain.Width, 8);
        EXPECT_EQ(plain.Frames[0].Colour->BitCount(), bits);
        EXPECT_EQ(plain.Frames[0].TransparentColor, 0);
        EXPECT_EQ(StoragePixel(*plain.Frames[0].Colour, 7, 7), 0u);
        EXPECT_FALSE(plain.Frames[0].Mask);
        const TPicture masked = LoadPicture(*files_, "bg\\none.zph?m", 0, bits);
        ASSERT_TRUE(masked.Frames[0].Mask);
        EXPECT_EQ(BoundsOfOtherPixels(*masked.Frames[0].Mask, 0), TRect{});
    }
}

TEST_F(PictureTest, LayeredPicturesLoadWithTheKeyAtTheDisplayBitCount) {
    std::mt19937 rng(1);
    auto first = test::RandomStorage(rng, 6, 4, 24);
    auto second = test::RandomStorage(rng, 6, 4, 32);
    std::vector<TZephFrame> frames = {FrameOf({Layer(first)}, 0), FrameOf({Layer(second)}, 70)};
    frames[1].RectsA = {TRect{1, 1, 3, 3}};
    Put("bg/Title.ZPH", test::ZephBytes(frames, {.Mode = TZephMode::Raw, .Key = 4321}));

    const TPicture p = LoadPicture(*files_, "BG\\title.zph", 4321, 32);
    EXPECT_TRUE(p.Found);
    ASSERT_EQ(p.Frames.size(), 2u);
    EXPECT_EQ(p.Width, 6);
    EXPECT_EQ(p.Frames[0].Delay, 1);  // a delay of 0 counts as 1
    EXPECT_EQ(p.TotalDelay, 71);
    EXPECT_EQ(p.Frames[1].RectsA, frames[1].RectsA);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            EXPECT_EQ(StoragePixel(*p.Frames[0].Colour, x, y), StoragePixel(*first, x, y));  // widened
            EXPECT_EQ(StoragePixel(*p.Frames[1].Colour, x, y), StoragePixel(*second, x, y) & 0xFFFFFF);  // top byte cleared
        }
    EXPECT_EQ(p.PixelBytes(), 2 * 6 * 4 * 4);

    const TPicture sixteen = LoadPicture(*files_, "bg\\title.zph", 4321, 16);
    EXPECT_EQ(StoragePixel(*sixteen.Frames[0].Colour, 2, 2),
              ColorToChannels(TPixelFormat::ForBitCount(16), ColourOfPixel(*first, StoragePixel(*first, 2, 2))));

    // Without the project's key the rows come out in another order.
    const TPicture wrongKey = LoadPicture(*files_, "bg\\title.zph", 0, 32);
    EXPECT_FALSE(test::SameStorage(*p.Frames[0].Colour, *wrongKey.Frames[0].Colour));
}

TEST_F(PictureTest, MasksAndTrimmingFollowTheSuffixes) {
    // A 10 x 8 picture whose transparent value surrounds a 3 x 2 block at (4, 5).
    auto colour = NewStorage(10, 8, 32);
    FillStorage(*colour, 0x00FF00);
    for (int32_t y = 5; y < 7; ++y)
        for (int32_t x = 4; x < 7; ++x)
            SetStoragePixel(*colour, x, y, 0x123456);
    std::vector<TZephFrame> keyed = {FrameOf({Layer(colour)}, 100, 0x00FF00)};
    keyed[0].RectsA = {TRect{0, 0, 5, 6}, TRect{0, 0, 2, 2}};
    Put("bg/keyed.zph", test::ZephBytes(keyed, {}));
    std::vector<TZephFrame> opaque = {FrameOf({Layer(colour)})};
    Put("bg/opaque.zph", test::ZephBytes(opaque, {}));

    const TPicture plain = LoadPicture(*files_, "bg\\keyed.zph", 0, 32);
    EXPECT_FALSE(plain.Frames[0].Mask);
    EXPECT_EQ(plain.Frames[0].TransparentColor, 0x00FF00);

    for (const char* name : {"bg\\keyed.zph?m?t", "bg\\keyed.zph?t?m"}) {
        const TPicture p = LoadPicture(*files_, name, 0, 32);
        const TPictureFrame& f = p.Frames[0];
        EXPECT_EQ(f.OffsetX, 4) << name;
        EXPECT_EQ(f.OffsetY, 5) << name;
        EXPECT_EQ(f.Colour->Width(), 3) << name;
        EXPECT_EQ(f.Colour->Height(), 2) << name;
        ASSERT_TRUE(f.Mask) << name;
        EXPECT_EQ(BoundsOfOtherPixels(*f.Mask, 255), TRect{}) << name;  // every pixel left is visible
        // The first rectangle is cut to the box and moved with it; the second lay outside and is gone.
        EXPECT_EQ(f.RectsA, (std::vector<TRect>{TRect{0, 0, 1, 1}})) << name;
    }
    // Trimming without a mask goes by the transparent value; "?m" on an opaque picture makes an opaque mask.
    EXPECT_EQ(LoadPicture(*files_, "bg\\keyed.zph?t", 0, 32).Frames[0].Colour->Width(), 3);
    const TPicture masked = LoadPicture(*files_, "bg\\opaque.zph?m", 0, 32);
    ASSERT_TRUE(masked.Frames[0].Mask);
    EXPECT_EQ(BoundsOfOtherPixels(*masked.Frames[0].Mask, 255), TRect{});
}

TEST_F(PictureTest, SurfacesShareTheDecodedPixelsUntilOneIsWritten) {
    Put("bg/a.png", EncodePngArgb(TPngPicture{2, 2, true, {0xFF010203, 0x00040506, 0x80070809, 0xFF0A0B0C}}));
    const TPicture p = LoadPicture(*files_, "bg\\a.png", 0, 32);
    const TPictureFrame& f = p.Frames[0];
    ASSERT_TRUE(f.Mask);
    EXPECT_EQ(f.Mask->Row(1)[0], 0x80);
    auto one = f.ColourSurface(), two = f.ColourSurface();
    EXPECT_EQ(one->Storage(), f.Colour);
    EXPECT_EQ(two->Storage(), f.Colour);
    EXPECT_EQ(f.MaskSurface()->Storage(), f.Mask);
    EXPECT_EQ(one->GetPixel(1, 1), 0x0A0B0Cu);
    one->SetPixel(1, 1, 0);
    EXPECT_NE(one->Storage(), f.Colour);
    EXPECT_EQ(two->GetPixel(1, 1), 0x0A0B0Cu);
}

TEST_F(PictureTest, CursorsKeepTheirHotSpot) {
    std::mt19937 rng(3);
    const TIconImage cursor[] = {{test::RandomStorage(rng, 16, 16, 24), test::RandomMaskStorage(rng, 16, 16), false, 5, 9}};
    Put("bg/hand.cur", WriteIcon(cursor, true));
    const TPicture p = LoadPicture(*files_, "bg\\hand.cur", 0, 32);
    EXPECT_EQ(p.HotSpotX, 5);
    EXPECT_EQ(p.HotSpotY, 9);
    ASSERT_TRUE(p.Frames[0].Mask);
    EXPECT_EQ(p.Width, 16);
}

TEST_F(PictureTest, DamagedPicturesNameTheFile) {
    Put("bg/bad.zph", {'Z', 'e', 'p', 'h', '1', '0', '6', 1, 2});
    try {
        LoadPicture(*files_, "bg\\bad.zph", 0, 32);
        FAIL() << "no error";
    } catch (const ERuvoError& e) {
        EXPECT_NE(std::string(e.what()).find("reading picture bg\\bad.zph"), std::string::npos) << e.what();
    }
}

TEST(PictureSurface, StreamsOfLayeredImagesAndPngLoadTheirFirstFrame) {
    std::mt19937 rng(2);
    auto colour = test::RandomStorage(rng, 5, 3, 24);
    std::vector<TZephFrame> frames = {FrameOf({Layer(colour)}), FrameOf({Layer(test::RandomStorage(rng, 5, 3, 24))})};
    TMemoryStream zeph(test::ZephBytes(frames, {}));
    auto surface = test::MakeSurface(1, 1, 16);
    surface->LoadFromStream(&zeph, false);
    ASSERT_EQ(surface->GetWidth(), 5);
    EXPECT_EQ(surface->GetBitCount(), 16);
    EXPECT_EQ(int32_t(surface->GetPixel(4, 2)), surface->ColorToPixel(int32_t(ColourOfPixel(*colour, StoragePixel(*colour, 4, 2)))));

    TMemoryStream png(EncodePngArgb(TPngPicture{1, 1, false, {0xFF102030}}));
    surface->LoadFromStream(&png, false);
    EXPECT_EQ(surface->GetWidth(), 1);
    EXPECT_EQ(int32_t(surface->GetPixel(0, 0)), surface->ColorToPixel(0x302010));
}

} // namespace
} // namespace ruvo
