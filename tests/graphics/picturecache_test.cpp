// The picture cache: one decoded copy per name and key however often it is shown, separate copies for
// other keys and suffixes, forgetting a name, freeing only what nobody shows once past the bound, and
// damaged files.
#include <gtest/gtest.h>

#include <fstream>

#include "archive/deletionlist.hpp"
#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/images/picturecache.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "picture_helpers.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

class NoDiscs : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override { return {}; }
};

class PictureCacheTest : public ::testing::Test {
protected:
    PictureCacheTest() {
        fs::create_directories(dir_ / "game");
        fs::create_directories(dir_ / "tmp");
        files_.SetBaseFolder(dir_ / "game");
    }
    // A one-frame layered image of w × h filled with the pixel.
    void Put(const std::string& name, int w, int h, uint32_t pixel, uint32_t key = 0) {
        auto colour = NewStorage(w, h, 32);
        FillStorage(*colour, pixel);
        const std::vector<TZephFrame> frames{test::FrameOf({test::Layer(colour)})};
        TZephWriteOptions options;
        options.Key = key;
        const std::vector<uint8_t> bytes = test::ZephBytes(frames, options);
        std::ofstream(dir_ / "game" / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        files_.InvalidateLooseFiles();
    }

    testing::TempDir dir_;
    TDeletionList deletions_;
    TVrFileManager files_{deletions_, std::make_unique<NoDiscs>(), dir_ / "tmp"};
};

TEST_F(PictureCacheTest, APictureIsDecodedOnceAndSharedByName) {
    Put("a.zph", 16, 8, 0x112233);
    TPictureCache cache(files_, 32);
    const auto first = cache.Acquire("a.zph");
    const auto again = cache.Acquire("A.ZPH");  // file names ignore case
    EXPECT_EQ(first, again);
    EXPECT_EQ(cache.Decodes(), 1);
    // Other suffixes and other keys are other pictures.
    const auto masked = cache.Acquire("a.zph?m");
    EXPECT_NE(masked, first);
    EXPECT_TRUE(masked->Frames[0].Mask);
    cache.SetKey(7);
    EXPECT_NE(cache.Acquire("a.zph"), first);
    EXPECT_EQ(cache.Decodes(), 3);
    EXPECT_EQ(cache.Count(), 3u);
    EXPECT_EQ(cache.TotalBytes(), first->PixelBytes() * 3 + masked->Frames[0].Mask->ImageSize());
}

TEST_F(PictureCacheTest, ForgettingANameReadsTheNewFileNextTime) {
    Put("shot.zph", 4, 4, 0x0000FF);
    TPictureCache cache(files_, 32);
    const auto old = cache.Acquire("shot.zph");
    cache.Acquire("shot.zph?t");
    Put("shot.zph", 4, 4, 0x00FF00);
    files_.Cache().Forget("shot.zph");
    EXPECT_EQ(cache.Acquire("shot.zph"), old);  // still the kept copy
    cache.Forget("SHOT.zph");                    // every request of that file goes
    EXPECT_EQ(cache.Count(), 0u);
    const auto fresh = cache.Acquire("shot.zph");
    EXPECT_EQ(StoragePixel(*fresh->Frames[0].Colour, 0, 0) & 0xFFFFFF, 0x00FF00u);
    // Whoever showed the old one keeps it whole.
    EXPECT_EQ(StoragePixel(*old->Frames[0].Colour, 0, 0) & 0xFFFFFF, 0x0000FFu);
}

TEST_F(PictureCacheTest, PastTheBoundOnlyPicturesNobodyShowsAreFreedOldestFirst) {
    for (const char* name : {"p1.zph", "p2.zph", "p3.zph", "p4.zph"}) Put(name, 16, 16, 1);  // 1 KiB each
    TPictureCache cache(files_, 32, 2048);
    auto shown = cache.Acquire("p1.zph");
    cache.Acquire("p2.zph");
    cache.Acquire("p3.zph");  // 3 KiB: p2 is the oldest nobody shows
    EXPECT_EQ(cache.Count(), 2u);
    EXPECT_EQ(cache.Decodes(), 3);
    EXPECT_EQ(cache.Acquire("p1.zph"), shown);
    cache.Acquire("p2.zph");  // read again
    EXPECT_EQ(cache.Decodes(), 4);
    auto held = cache.Acquire("p4.zph");
    // Everything left is shown or within the bound.
    EXPECT_LE(cache.TotalBytes(), 2048 + shown->PixelBytes() + held->PixelBytes());
    EXPECT_EQ(cache.Acquire("p1.zph"), shown);
    shown.reset();
    held.reset();
    cache.Trim();
    EXPECT_EQ(cache.Count(), 0u);
}

TEST_F(PictureCacheTest, DamagedPicturesThrowAndAreNotKept) {
    testing::WriteFile(dir_ / "game" / "bad.zph", "Zeph106\x01\x02");
    files_.InvalidateLooseFiles();
    TPictureCache cache(files_, 32);
    EXPECT_THROW(cache.Acquire("bad.zph"), ERuvoError);
    EXPECT_EQ(cache.Count(), 0u);
    // A name the game does not have is the placeholder, kept like any picture.
    const auto missing = cache.Acquire("none.zph");
    EXPECT_FALSE(missing->Found);
    EXPECT_EQ(cache.Acquire("none.zph"), missing);
}

} // namespace
} // namespace ruvo
