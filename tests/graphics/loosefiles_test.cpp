// Loose picture files as frames: PNG alpha and key colours, 32-bit bitmaps, every TGA type and origin,
// icons and cursors; and their damaged forms.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/errors.hpp"
#include "archive/zcodec.hpp"
#include "graphics/images/iconfile.hpp"
#include "graphics/images/loosepictures.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/tgafile.hpp"
#include "picture_helpers.hpp"

namespace ruvo {
namespace {

using test::SameStorage;

void Be32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        b.push_back(uint8_t(v >> (8 * i)));
}
void Le32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
void Le16(std::vector<uint8_t>& b, uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }

// A PNG made chunk by chunk: rows are given unfiltered, each gets filter byte 0.
struct PngBuilder {
    std::vector<uint8_t> bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    void Chunk(const char* type, const std::vector<uint8_t>& data) {
        Be32(bytes, uint32_t(data.size()));
        std::vector<uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        bytes.insert(bytes.end(), body.begin(), body.end());
        Be32(bytes, Crc32(body.data(), body.size()));
    }
    std::vector<uint8_t> Build(uint32_t w, uint32_t h, uint8_t depth, uint8_t colourType,
                               const std::vector<std::vector<uint8_t>>& extra, const std::vector<std::vector<uint8_t>>& rows) {
        std::vector<uint8_t> ihdr;
        Be32(ihdr, w), Be32(ihdr, h);
        ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, 0});
        Chunk("IHDR", ihdr);
        for (size_t i = 0; i + 1 < extra.size(); i += 2)
            Chunk(reinterpret_cast<const char*>(extra[i].data()), extra[i + 1]);
        std::vector<uint8_t> raw, packed;
        for (const auto& row : rows)
            raw.push_back(0), raw.insert(raw.end(), row.begin(), row.end());
        TDeflater().Deflate(raw.data(), raw.size(), packed);
        Chunk("IDAT", packed);
        Chunk("IEND", {});
        return bytes;
    }
};
std::vector<uint8_t> Tag(const char* t) { return std::vector<uint8_t>(t, t + 5); }  // with its zero

TEST(LooseFiles, PngAlphaBecomesTheMaskAndAKeyColourTheTransparentValue) {
    TPngPicture rgba{3, 1, true, {0x00102030, 0x80405060, 0xFF708090}};
    TZephFrame a = ReadPngPicture(EncodePngArgb(rgba));
    ASSERT_TRUE(a.Mask);
    EXPECT_EQ(a.TransparentValue, -1);
    for (int32_t x = 0; x < 3; ++x) {
        EXPECT_EQ(StoragePixel(*a.Picture, x, 0), rgba.argb[size_t(x)] & 0xFFFFFF);
        EXPECT_EQ(a.Mask->Row(0)[x], rgba.argb[size_t(x)] >> 24);
    }
    TZephFrame opaque = ReadPngPicture(PngBuilder().Build(1, 1, 8, 2, {}, {{1, 2, 3}}));
    EXPECT_FALSE(opaque.Mask);
    EXPECT_EQ(opaque.TransparentValue, -1);

    // True colour with the key (0x10, 0x20, 0x30): no mask, the key's pixel is the transparent value.
    const auto keyed = PngBuilder().Build(2, 1, 8, 2, {Tag("tRNS"), {0, 0x10, 0, 0x20, 0, 0x30}},
                                          {{0x10, 0x20, 0x30, 0x11, 0x20, 0x30}});
    TZephFrame k = ReadPngPicture(keyed);
    EXPECT_FALSE(k.Mask);
    EXPECT_EQ(k.TransparentValue, 0x102030);
    EXPECT_EQ(k.TransparentColor, int32_t(MakeColor(0x10, 0x20, 0x30)));
    EXPECT_EQ(StoragePixel(*k.Picture, 0, 0), 0x102030u);
    EXPECT_EQ(StoragePixel(*k.Picture, 1, 0), 0x112030u);

    // 16-bit grey keyed at 0x8000: the key is what its pixels decode to.
    const auto grey = PngBuilder().Build(2, 1, 16, 0, {Tag("tRNS"), {0x80, 0x00}}, {{0x80, 0x00, 0xFF, 0xFF}});
    TZephFrame g = ReadPngPicture(grey);
    EXPECT_FALSE(g.Mask);
    EXPECT_EQ(StoragePixel(*g.Picture, 0, 0), uint32_t(g.TransparentValue));
    EXPECT_EQ(StoragePixel(*g.Picture, 1, 0), 0xFFFFFFu);

    // A palette with a transparent entry has per-entry alpha: a mask.
    const auto indexed = PngBuilder().Build(2, 1, 8, 3, {Tag("PLTE"), {1, 2, 3, 4, 5, 6}, Tag("tRNS"), {0x00, 0xFF}}, {{0, 1}});
    TZephFrame p = ReadPngPicture(indexed);
    ASSERT_TRUE(p.Mask);
    EXPECT_EQ(p.Mask->Row(0)[0], 0);
    EXPECT_EQ(p.Mask->Row(0)[1], 255);
    EXPECT_EQ(StoragePixel(*p.Picture, 1, 0), 0x040506u);
}

// A 32-bit bitmap (no compression) of one row from bottom-up BGRA quads.
std::vector<uint8_t> Bitmap32(const std::vector<uint32_t>& bgra) {
    std::vector<uint8_t> b = {'B', 'M'};
    Le32(b, uint32_t(54 + 4 * bgra.size()));
    Le32(b, 0), Le32(b, 54), Le32(b, 40), Le32(b, uint32_t(bgra.size())), Le32(b, 1);
    Le16(b, 1), Le16(b, 32);
    for (int i = 0; i < 6; ++i)
        Le32(b, 0);
    for (uint32_t p : bgra)
        Le32(b, p);
    return b;
}

TEST(LooseFiles, ThirtyTwoBitBitmapsTakeTheFourthByteAsTheMask) {
    TZephFrame clear = ReadBitmapPicture(Bitmap32({0x00112233, 0x00445566}));
    ASSERT_TRUE(clear.Mask);
    EXPECT_EQ(clear.Mask->Row(0)[0], 0);  // alpha 0 everywhere: fully transparent, as stored
    EXPECT_EQ(clear.Mask->Row(0)[1], 0);
    EXPECT_EQ(clear.BitCount(), 24);
    EXPECT_EQ(StoragePixel(*clear.Picture, 1, 0), 0x445566u);
    TZephFrame mixed = ReadBitmapPicture(Bitmap32({0xFF112233, 0x80445566}));
    EXPECT_EQ(mixed.Mask->Row(0)[0], 255);
    EXPECT_EQ(mixed.Mask->Row(0)[1], 0x80);
}

TEST(LooseFiles, EveryTgaTypeOriginAndKeyReadsBack) {
    std::mt19937 rng(3);
    struct Kind {
        int bits;
        bool grey, masked;
    } kinds[] = {{8, false, false}, {8, true, false}, {16, false, false}, {24, false, false}, {24, false, true}};
    for (const Kind& kind : kinds)
        for (bool rle : {false, true})
            for (int origin = 0; origin < 4; ++origin) {
                auto picture = test::RandomStorage(rng, 7, 5, kind.bits, rle ? 3 : 0);
                if (kind.grey)
                    for (int i = 0; i < 256; ++i)
                        picture->Palette()[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
                if (kind.bits == 16)  // TGA keeps 5 bits of green: the lowest green bit is 0
                    for (int32_t y = 0; y < 5; ++y)
                        for (int32_t x = 0; x < 7; ++x)
                            SetStoragePixel(*picture, x, y, StoragePixel(*picture, x, y) & ~0x20u);
                auto mask = kind.masked ? test::RandomMaskStorage(rng, 7, 5) : nullptr;
                TTgaWriteOptions o;
                o.RunLength = rle, o.Grey = kind.grey, o.RightToLeft = origin & 1, o.TopDown = origin & 2;
                const uint32_t keyPixel = StoragePixel(*picture, 2, 3);
                o.KeyColour = int32_t(ColourOfPixel(*picture, keyPixel));
                const std::string what = std::to_string(kind.bits) + (kind.grey ? " grey" : "") + (rle ? " rle" : "") +
                                         " origin " + std::to_string(origin);
                TZephFrame back = ReadTgaPicture(WriteTga(*picture, mask.get(), o));
                EXPECT_TRUE(SameStorage(*picture, *back.Picture)) << what;
                EXPECT_EQ(bool(back.Mask), kind.masked) << what;
                if (mask) {
                    EXPECT_TRUE(SameStorage(*mask, *back.Mask)) << what;
                }
                EXPECT_EQ(back.TransparentValue, int32_t(keyPixel)) << what;
            }
}

TEST(LooseFiles, HandMadeTgaRunsCrossRowsAndSixteenBitsWidenGreen) {
    // Type 10, 16-bit, 3 x 2, bottom-left origin: one run of four white pixels crossing from the bottom
    // row into the top one, then two raw pixels.
    std::vector<uint8_t> t(18, 0);
    t[2] = 10, t[12] = 3, t[14] = 2, t[16] = 16;
    t.insert(t.end(), {0x83, 0xFF, 0x7F, 0x01, 0x1F, 0x00, 0xE0, 0x03});
    TZephFrame f = ReadTgaPicture(t);
    ASSERT_EQ(f.BitCount(), 16);
    EXPECT_EQ(StoragePixel(*f.Picture, 0, 1), 0xFFDFu);  // (0x7FFF >> 5) << 6 | 31
    EXPECT_EQ(StoragePixel(*f.Picture, 2, 1), 0xFFDFu);
    EXPECT_EQ(StoragePixel(*f.Picture, 0, 0), 0xFFDFu);  // the run went on into the top row
    EXPECT_EQ(StoragePixel(*f.Picture, 1, 0), 0x001Fu);  // blue
    EXPECT_EQ(StoragePixel(*f.Picture, 2, 0), 0x07C0u);  // 5-5-5 green 0x03E0 -> 5-6-5 0x07C0

    // 32 bits with 8 alpha bits: the alpha is the opacity (255 opaque), as the format defines it.
    std::vector<uint8_t> a(18, 0);
    a[2] = 2, a[12] = 2, a[14] = 1, a[16] = 32, a[17] = 8 | 0x20;
    a.insert(a.end(), {1, 2, 3, 255, 4, 5, 6, 0});
    TZephFrame m = ReadTgaPicture(a);
    EXPECT_EQ(m.Mask->Row(0)[0], 255);
    EXPECT_EQ(m.Mask->Row(0)[1], 0);
    EXPECT_EQ(StoragePixel(*m.Picture, 0, 0), 0x030201u);
}

TEST(LooseFiles, IconsAndCursorsGiveTheFirstImageItsMaskAndHotSpot) {
    std::mt19937 rng(4);
    auto mask = test::RandomMaskStorage(rng, 9, 6);
    for (int bits : {1, 4, 8, 24}) {
        auto picture = test::RandomStorage(rng, 9, 6, bits);
        const TIconImage images[] = {{picture, mask, false, 3, 4}, {test::RandomStorage(rng, 2, 2, 24), nullptr, false, 0, 0}};
        for (bool cursor : {false, true}) {
            const TIconPicture icon = ReadIconPicture(WriteIcon(images, cursor));
            EXPECT_EQ(icon.ImageCount, 2);
            EXPECT_TRUE(SameStorage(*picture, *icon.Frame.Picture)) << bits;
            for (int32_t y = 0; y < 6; ++y)
                for (int32_t x = 0; x < 9; ++x)
                    ASSERT_EQ(icon.Frame.Mask->Row(y)[x], mask->Row(y)[x] < 128 ? 0 : 255) << bits << " " << x << "," << y;
            EXPECT_EQ(icon.HotSpotX, cursor ? 3 : 0);
            EXPECT_EQ(icon.HotSpotY, cursor ? 4 : 0);
        }
    }
    // 32 bits with alpha: the alpha is the mask and the picture loses the fourth byte.
    auto picture = test::RandomStorage(rng, 5, 5, 24);
    const auto cropped = CropStorage(*mask, TRect{0, 0, 5, 5});
    const TIconImage withAlpha[] = {{picture, cropped, true, 0, 0}};
    const TIconPicture icon = ReadIconPicture(WriteIcon(withAlpha, false));
    EXPECT_TRUE(SameStorage(*cropped, *icon.Frame.Mask));
    EXPECT_EQ(StoragePixel(*icon.Frame.Picture, 1, 1), StoragePixel(*picture, 1, 1));

    // An image stored as PNG, and a bitmap file under the icon's extension.
    auto png = EncodePngArgb(TPngPicture{1, 1, true, {0x80FF0000}});
    std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 1, 1, 0, 0, 1, 0, 32, 0};
    Le32(ico, uint32_t(png.size())), Le32(ico, 22);
    ico.insert(ico.end(), png.begin(), png.end());
    EXPECT_EQ(ReadIconPicture(ico).Frame.Mask->Row(0)[0], 0x80);
    EXPECT_EQ(ReadIconPicture(Bitmap32({0xFF000000})).Frame.Width(), 1);
}

// Each reader on every truncation of a good file, and a few damaged headers: clear errors only.
TEST(LooseFiles, DamagedFilesGiveClearErrors) {
    std::mt19937 rng(5);
    auto picture = test::RandomStorage(rng, 5, 3, 24);
    auto mask = test::RandomMaskStorage(rng, 5, 3);
    const TIconImage icon[] = {{picture, mask, true, 1, 1}};
    struct Reader {
        const char* name;
        std::vector<uint8_t> good;
        TZephFrame (*read)(std::span<const uint8_t>);
    } readers[] = {
        {"png", EncodePngArgb(TPngPicture{2, 2, true, {1, 2, 3, 4}}), ReadPngPicture},
        {"bmp", Bitmap32({0x80112233, 0x80445566}), ReadBitmapPicture},
        {"tga", WriteTga(*picture, mask.get(), TTgaWriteOptions{.RunLength = true, .KeyColour = 0x123456}), ReadTgaPicture},
        {"ico", WriteIcon(icon, true), [](std::span<const uint8_t> b) { return ReadIconPicture(b).Frame; }},
    };
    for (const Reader& r : readers) {
        ASSERT_NO_THROW(r.read(r.good)) << r.name;
        for (size_t cut = 0; cut < r.good.size(); ++cut) {
            // A TGA cut inside its extension area is a plain TGA, a PNG cut inside its end chunk has all its
            // pixels; every other cut loses some.
            if ((std::string(r.name) == "tga" && cut >= r.good.size() - 26 - 495) ||
                (std::string(r.name) == "png" && cut >= r.good.size() - 12))
                continue;
            EXPECT_THROW(r.read(std::span(r.good.data(), cut)), ERuvoError) << r.name << " cut at " << cut;
        }
        for (int round = 0; round < 300; ++round) {
            auto bytes = r.good;
            bytes[rng() % bytes.size()] = uint8_t(rng());
            try {
                r.read(bytes);
            } catch (const ERuvoError&) {
            }
        }
    }
    struct Patch {
        const char* what;
        size_t reader, at;
        std::vector<uint8_t> value;
    } patches[] = {{"bmp 20000 wide", 1, 18, {0x20, 0x4E, 0, 0}},
                   {"tga 0 wide", 2, 12, {0, 0}},
                   {"tga type 4", 2, 2, {4}},
                   {"tga 12-bit pixels", 2, 16, {12}},
                   {"ico without images", 3, 4, {0, 0}},
                   {"ico image beyond the end", 3, 18, {0xFF, 0xFF, 0, 0}},
                   {"ico 3-bit image", 3, 22 + 14, {3}}};
    for (const Patch& p : patches) {
        auto bytes = readers[p.reader].good;
        std::copy(p.value.begin(), p.value.end(), bytes.begin() + ptrdiff_t(p.at));
        EXPECT_THROW(readers[p.reader].read(bytes), ERuvoError) << p.what;
    }
}

} // namespace
} // namespace ruvo
