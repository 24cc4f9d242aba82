// Windows bitmap loading and saving, damaged bitmaps, and the PNG writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "graphics/images/pngfile.hpp"
#include "surface_helpers.hpp"

namespace ruvo {
namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// A 2 x 2 24-bit bitmap: bottom row blue, white; top row red, green.
std::vector<uint8_t> TinyBitmap() {
    std::vector<uint8_t> b(54 + 16, 0);
    b[0] = 'B', b[1] = 'M';
    Put32(b, 2, uint32_t(b.size()));
    Put32(b, 10, 54);         // pixel data offset
    Put32(b, 14, 40);         // header size
    Put32(b, 18, 2);          // width
    Put32(b, 22, 2);          // height (positive: bottom-up)
    b[26] = 1, b[28] = 24;    // planes, bits
    const uint8_t rows[16] = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,   // bottom row: blue, white, padding
                              0, 0, 0xFF, 0, 0xFF, 0, 0, 0};        // top row: red, green, padding
    std::copy(rows, rows + 16, b.begin() + 54);
    return b;
}

TEST(Files, BitmapStreamKeepsTheSurfaceBitCount) {
    for (int bits : {16, 32}) {
        auto s = test::MakeSurface(1, 1, bits);
        TMemoryStream stream(TinyBitmap());
        s->LoadFromStream(&stream, false);
        ASSERT_EQ(s->GetWidth(), 2);
        EXPECT_EQ(s->GetBitCount(), bits);
        EXPECT_EQ(int32_t(s->GetPixel(0, 0)), s->ColorToPixel(0x0000FF));  // red
        EXPECT_EQ(int32_t(s->GetPixel(1, 0)), s->ColorToPixel(0x00FF00));  // green
        EXPECT_EQ(int32_t(s->GetPixel(0, 1)), s->ColorToPixel(0xFF0000));  // blue
        EXPECT_EQ(int32_t(s->GetPixel(1, 1)), s->ColorToPixel(0xFFFFFF));
    }
}

TEST(Files, UnknownSignaturesAndMissingFilesLoadNothing) {
    auto s = test::MakeSurface(3, 3, 32);
    TMemoryStream other(std::vector<uint8_t>{'X', 'Y', 'Z'});
    s->LoadFromStream(&other, false);
    s->LoadFromStream(nullptr, false);
    s->LoadFromFile("/nonexistent/picture.bmp");
    s->LoadFromFile("picture.txt");
    EXPECT_EQ(s->GetWidth(), 3);
}

TEST(Files, DamagedBitmapsAreRefused) {
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
    } cases[] = {{"pixel data beyond the end", 10, 1000000}, {"huge width", 18, 0x7FFFFFFF},
                 {"zero height", 22, 0}, {"header size", 14, 5}, {"bit count", 28, 13},
                 {"compression", 30, 1}};
    for (const Case& c : cases) {
        auto b = TinyBitmap();
        if (c.at == 28)
            b[28] = uint8_t(c.value), b[29] = 0;
        else
            Put32(b, c.at, c.value);
        TMemoryStream stream(b);
        auto s = test::MakeSurface(1, 1, 32);
        EXPECT_THROW(s->LoadFromStream(&stream, false), ERuvoError) << c.what;
    }
    auto truncated = TinyBitmap();
    truncated.resize(60);
    TMemoryStream stream(truncated);
    auto s = test::MakeSurface(1, 1, 32);
    EXPECT_THROW(s->LoadFromStream(&stream, false), ERuvoError);
}

TEST(Files, SavedBitmapLoadsBackAndPngIsWritten) {
    std::mt19937 rng(8);
    auto s = test::RandomSurface(rng, 5, 3, 32);
    // 24-bit files keep the colour channels; the ignored top byte is not stored.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            s->SetPixel(x, y, s->GetPixel(x, y) & 0xFFFFFF);
    const auto dir = std::filesystem::temp_directory_path() / ("ruvo-gfx-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    s->SaveToFile(dir / "shot.BMP");
    auto back = test::MakeSurface(1, 1, 32);
    back->LoadFromFile(dir / "shot.BMP");
    EXPECT_TRUE(test::SamePixels(*s, *back, "bitmap-round-trip"));

    SavePng(*s, dir / "shot.png");
    const TPngPicture shot = LoadPngFile(dir / "shot.png");
    ASSERT_EQ(shot.width, 5);
    ASSERT_EQ(shot.height, 3);
    EXPECT_FALSE(shot.hasAlpha);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(shot.argb[size_t(y) * 5 + x], 0xFF000000u | s->GetPixel(x, y)) << x << "," << y;
    EXPECT_THROW(SavePng(*s, dir / "missing-folder" / "x.png"), ERuvoError);
    std::filesystem::remove_all(dir);
}

TEST(Files, ArgbPngKeepsEveryChannelAndDamagedFilesAreRefused) {
    TPngPicture picture{3, 2, true, {0x00000000, 0x80FF0000, 0xFF00FF00, 0x400000FF, 0xFF123456, 0x01ABCDEF}};
    const auto dir = std::filesystem::temp_directory_path() / ("ruvo-png-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    SavePngArgb(picture, dir / "a.png");
    const TPngPicture back = LoadPngFile(dir / "a.png");
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_TRUE(back.hasAlpha);
    EXPECT_EQ(back.argb, picture.argb);

    std::ifstream in(dir / "a.png", std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (size_t cut : {size_t(0), size_t(7), size_t(30), bytes.size() - 13})
        EXPECT_THROW(DecodePng(std::span(bytes.data(), cut)), ERuvoError) << "cut at " << cut;
    bytes[20] = 0x7F;  // the width grows beyond any sensible picture
    EXPECT_THROW(DecodePng(bytes), ERuvoError);
    EXPECT_THROW(LoadPngFile(dir / "missing.png"), ERuvoError);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace ruvo
