// Layered images: what the writer writes the reader reads back, for every version, coding and layout;
// the keyed orders; hand-made files of the older versions.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "archive/zcodec.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephfile.hpp"
#include "picture_helpers.hpp"

namespace ruvo {
namespace {

using test::FrameOf;
using test::Layer;
using test::RandomMaskStorage;
using test::RandomStorage;
using test::SameStorage;

// Three frames sharing content the way animations do: frame 1 is frame 0 with a changed corner, frame 2
// repeats one small block all over.
std::vector<TZephFrame> Animation(std::mt19937& rng, int32_t w, int32_t h, int bits, bool masks) {
    auto first = RandomStorage(rng, w, h, bits, 3);
    auto second = std::make_shared<TDIBSurface>(*first);
    CopyArea(*second, 0, 0, *RandomStorage(rng, 5, 4, bits), TRect{0, 0, 5, 4});
    auto third = NewStorage(w, h, bits);
    third->Palette() = first->Palette();
    std::vector<TZephFrame> frames;
    for (auto& colour : {first, second, third}) {
        auto mask = masks ? RandomMaskStorage(rng, w, h) : nullptr;
        frames.push_back(FrameOf({Layer(colour, mask)}, int32_t(40 + frames.size()), masks ? -1 : int32_t(frames.size())));
        frames.back().RectsA = {TRect{1, 2, 3, 4}};
        frames.back().RectsB = {TRect{0, 0, w, h}, TRect{5, 5, 6, 7}};
    }
    // The second frame's mask equals the first's, so its tiles can refer to it.
    if (masks)
        frames[1].Layers[0].Mask = frames[0].Layers[0].Mask;
    return frames;
}

void ExpectSameFrames(const std::vector<TZephFrame>& written, const TZephFrameList& read, int version, const std::string& what) {
    ASSERT_EQ(read.Frames.size(), written.size()) << what;
    for (size_t i = 0; i < written.size(); ++i) {
        const TZephFrame& w = written[i];
        const TZephFrame& r = read.Frames[i];
        SCOPED_TRACE(what + ", frame " + std::to_string(i));
        EXPECT_EQ(r.Name, "Frame" + std::to_string(i + 1));
        EXPECT_EQ(r.Delay, w.Delay);
        EXPECT_EQ(r.TransparentValue, w.TransparentValue);
        ASSERT_EQ(r.Layers.size(), 1u);
        EXPECT_TRUE(SameStorage(*w.Layers[0].Colour, *r.Layers[0].Colour));
        EXPECT_TRUE(SameStorage(*w.Layers[0].Colour, *r.Picture));  // one opaque layer is the picture
        if (version >= 100 && w.Layers[0].Mask) {
            ASSERT_TRUE(r.Mask);
            EXPECT_TRUE(SameStorage(*w.Layers[0].Mask, *r.Mask));
        } else {
            EXPECT_FALSE(r.Mask);
        }
        if (version >= 104) {
            EXPECT_EQ(r.RectsA, w.RectsA);
            EXPECT_EQ(r.RectsB, w.RectsB);
        } else {
            EXPECT_TRUE(r.RectsA.empty() && r.RectsB.empty());
        }
    }
}

TEST(ZephFile, EveryVersionCodingAndLayoutReadsBackExactly) {
    struct Layout {
        TZephMode mode;
        int32_t tileW, tileH;
    };
    const Layout untiled[] = {{TZephMode::Deflate, 0, 0}, {TZephMode::Raw, 0, 0}};
    const Layout tiled[] = {{TZephMode::Deflate, 16, 16}, {TZephMode::Raw, 7, 5}, {TZephMode::Raw, 64, 64}};
    std::mt19937 rng(1);
    for (int version : {0, 100, 101, 102, 103, 104, 105, 106})
        for (uint32_t key : {0u, 0x2468ACE1u}) {
            std::vector<Layout> layouts = {untiled[0]};
            if (version >= 103) {
                layouts.push_back(untiled[1]);
                layouts.insert(layouts.end(), std::begin(tiled), std::end(tiled));
            }
            for (const Layout& l : layouts) {
                const std::string what = "version " + std::to_string(version) + ", key " + std::to_string(key) +
                                         ", mode " + std::to_string(int(l.mode)) + ", tiles " + std::to_string(l.tileW);
                const auto frames = Animation(rng, 37, 23, 32, version >= 100);
                TZephWriteOptions o;
                o.Version = version, o.Mode = l.mode, o.TileWidth = l.tileW, o.TileHeight = l.tileH, o.Key = key;
                const auto bytes = test::ZephBytes(frames, o);
                const TZephFrameList read = test::ReadZeph(bytes, key);
                EXPECT_EQ(read.Header.Version, version) << what;
                EXPECT_EQ(read.Header.Width, 37) << what;
                EXPECT_EQ(read.Header.BitCount, 32) << what;
                if (version >= 103) {
                    EXPECT_EQ(read.Header.Permuted, key != 0) << what;
                    EXPECT_EQ(read.Header.Mode, l.mode) << what;
                    EXPECT_EQ(read.Header.TileWidth, l.tileW) << what;
                }
                ExpectSameFrames(frames, read, version, what);
            }
        }
}

TEST(ZephFile, EveryBitCountWithItsPaletteReadsBack) {
    std::mt19937 rng(2);
    for (int bits : {1, 4, 8, 15, 16, 24, 32})
        for (int32_t tile : {0, 3, 8})
            for (uint32_t key : {0u, 77u}) {
                const auto frames = Animation(rng, 21, 9, bits, true);
                TZephWriteOptions o;
                o.TileWidth = o.TileHeight = tile, o.Key = key, o.Mode = tile == 3 ? TZephMode::Raw : TZephMode::Deflate;
                ExpectSameFrames(frames, test::ReadZeph(test::ZephBytes(frames, o), key), 106,
                                 std::to_string(bits) + " bits, tiles " + std::to_string(tile) + ", key " + std::to_string(key));
            }
}

// The stored sizes of the planes, read without decoding them.
std::vector<int64_t> ColourPlaneSizes(const std::vector<uint8_t>& bytes) {
    TZephFrameList list;
    list.LoadFromBytes(bytes, false, false, false);
    std::vector<int64_t> sizes;
    for (const TZephFrame& f : list.Frames)
        sizes.push_back(f.Layers.at(0).ColourBytes);
    return sizes;
}

TEST(ZephFile, TilesAreStoredOnceWithinAPictureAndAcrossFrames) {
    // 37 x 23 in 16 x 16 tiles: columns of 16, 16 and 5 pixels, rows of 16 and 7: six tiles.
    std::mt19937 rng(3);
    auto picture = RandomStorage(rng, 37, 23, 32);
    auto same = std::make_shared<TDIBSurface>(*picture);
    auto uniform = NewStorage(37, 23, 32);
    FillStorage(*uniform, 0x123456);
    const std::vector<TZephFrame> frames = {FrameOf({Layer(picture)}), FrameOf({Layer(same)}), FrameOf({Layer(uniform)})};
    TZephWriteOptions o;
    o.Mode = TZephMode::Raw, o.TileWidth = 16, o.TileHeight = 16;
    const auto sizes = ColourPlaneSizes(test::ZephBytes(frames, o));
    const int64_t table = 6 * 8;
    EXPECT_EQ(sizes[0], table + (16 + 16 + 5) * 4 * 23);  // every tile raw, the last column narrower
    EXPECT_EQ(sizes[1], table);                           // every tile from frame 0
    // Four distinct tile shapes (16x16, 5x16, 16x7, 5x7), one raw copy each.
    EXPECT_EQ(sizes[2], table + (16 * 16 + 5 * 16 + 16 * 7 + 5 * 7) * 4);
    ExpectSameFrames(frames, test::ReadZeph(test::ZephBytes(frames, o)), 106, "shared tiles");
}

TEST(ZephFile, KeyedRowsPutTheFirstStoredRowAtKeyModHeight) {
    // An 8-bit picture 4 wide whose row r holds the byte r: the stored rows show the order.
    const int32_t h = 13;
    auto picture = NewStorage(4, h, 8);
    for (int32_t y = 0; y < h; ++y)
        std::memset(picture->Row(y), y, 4);
    const std::vector<TZephFrame> frames = {FrameOf({Layer(picture)})};
    for (uint32_t key : {0u, 1u, 20u, 0x9E3779B9u}) {
        TZephWriteOptions o;
        o.Mode = TZephMode::Raw, o.Key = key;
        const auto bytes = test::ZephBytes(frames, o);
        // The plane is the last thing before the two empty rectangle lists and the empty mask size.
        const size_t plane = bytes.size() - 4 - 4 - 4 - size_t(4 * h);
        EXPECT_EQ(bytes[plane], key % h) << key;
        if (key == 0) {
            for (int32_t t = 0; t < h; ++t)
                EXPECT_EQ(bytes[plane + size_t(4 * t)], t);
        }
        // Read with the key the picture comes back; read with another key it does not.
        EXPECT_TRUE(SameStorage(*picture, *test::ReadZeph(bytes, key).Frames[0].Picture)) << key;
        if (key > 1) {
            EXPECT_FALSE(SameStorage(*picture, *test::ReadZeph(bytes, 0).Frames[0].Picture)) << key;
        }
    }
}

TEST(ZephFile, JpegColourStaysWithinItsQualityAndMasksStayExact) {
    std::mt19937 rng(4);
    for (int bits : {16, 24, 32}) {
        // A smooth picture, the kind JPEG is meant for.
        auto picture = NewStorage(40, 24, bits);
        for (int32_t y = 0; y < 24; ++y)
            for (int32_t x = 0; x < 40; ++x)
                SetStoragePixel(*picture, x, y, PixelOfColour(*picture, MakeColor(uint8_t(x * 6), uint8_t(y * 10), 128)));
        auto mask = RandomMaskStorage(rng, 40, 24);
        const std::vector<TZephFrame> frames = {FrameOf({Layer(picture, mask)})};
        TZephWriteOptions o;
        o.Mode = TZephMode::Jpeg, o.JpegQuality = 95, o.Key = 1234;
        const auto read = test::ReadZeph(test::ZephBytes(frames, o), 1234);
        EXPECT_EQ(read.Header.JpegQuality, 95);
        const TDIBSurface& back = *read.Frames[0].Picture;
        ASSERT_EQ(back.BitCount(), bits);
        int64_t error = 0;
        for (int32_t y = 0; y < 24; ++y)
            for (int32_t x = 0; x < 40; ++x) {
                const uint32_t a = ColourOfPixel(*picture, StoragePixel(*picture, x, y));
                const uint32_t b = ColourOfPixel(back, StoragePixel(back, x, y));
                for (int shift : {0, 8, 16})
                    error += std::abs(int((a >> shift) & 255) - int((b >> shift) & 255));
            }
        EXPECT_LT(double(error) / (40 * 24 * 3), 3.0) << bits;
        EXPECT_TRUE(SameStorage(*mask, *read.Frames[0].Mask)) << bits;
    }
}

TEST(ZephFile, FirstFrameOnlyAndStreamsStopAfterWhatTheyRead) {
    std::mt19937 rng(5);
    const auto frames = Animation(rng, 10, 10, 24, true);
    auto bytes = test::ZephBytes(frames, TZephWriteOptions{});
    const size_t size = bytes.size();
    bytes.insert(bytes.end(), {'t', 'a', 'i', 'l'});
    TMemoryStream stream(bytes);
    TZephFrameList all;
    all.LoadFromStream(stream, false, false);
    EXPECT_EQ(all.Frames.size(), 3u);
    EXPECT_EQ(stream.Position(), int64_t(size));
    stream.SetPosition(0);
    TZephFrameList first;
    first.LoadFromStream(stream, true, false);
    ASSERT_EQ(first.Frames.size(), 1u);
    EXPECT_TRUE(SameStorage(*frames[0].Layers[0].Colour, *first.Frames[0].Picture));
}

// Little-endian record bytes for hand-made files.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& Text(const char* s) { return b.insert(b.end(), s, s + std::strlen(s)), *this; }
    Bytes& Int(int32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
        return *this;
    }
    Bytes& Byte(uint8_t v) { return b.push_back(v), *this; }
    Bytes& Str(const char* s) { return Int(int32_t(std::strlen(s))).Text(s); }
    Bytes& Data(const std::vector<uint8_t>& d) { return b.insert(b.end(), d.begin(), d.end()), *this; }
};

std::vector<uint8_t> Deflated(const std::vector<uint8_t>& plain) {
    std::vector<uint8_t> out;
    TDeflater().Deflate(plain.data(), plain.size(), out);
    return out;
}

// A frame record of a 2 x 2 24-bit picture with one invisible layer whose colour is all 0x11; versions
// before 103 lay planes out as |stride| = 8 bytes a row.
void HiddenLayerFrame(Bytes& f, int version) {
    f.Str("F").Int(-1).Int(100).Byte(0).Int(0).Int(1).Int(2).Int(2).Int(24);
    f.Int(0).Int(0).Byte(0).Int(-1).Int(255);  // skipped, invisible, not keyed, opaque
    if (version > 100)
        f.Byte(0);
    f.Str("Layer");
    const auto plane = Deflated(std::vector<uint8_t>(16, 0x11));
    f.Int(int32_t(plane.size())).Data(plane);
    if (version > 99)
        f.Int(0);
}

TEST(ZephFile, HandMadeOldVersionsReadTheirHeaders) {
    struct Case {
        int version;
        uint32_t background;  // what the picture shows under its hidden layer
    } cases[] = {{0, 0}, {100, 0}, {101, 0}, {102, 0x00FF8040}};
    for (const Case& c : cases) {
        Bytes f;
        if (c.version != 0)
            f.Text(("Zeph" + std::to_string(c.version)).c_str());
        f.Int(1).Byte(0);
        if (c.version == 102)
            f.Int(0x00FF8040);
        HiddenLayerFrame(f, c.version);
        const auto list = test::ReadZeph(f.b);
        ASSERT_EQ(list.Frames.size(), 1u) << c.version;
        EXPECT_EQ(list.Header.Version, c.version);
        EXPECT_EQ(list.Header.Width, 2);
        const TDIBSurface& p = *list.Frames[0].Picture;
        EXPECT_EQ(ColourOfPixel(p, StoragePixel(p, 1, 1)), c.background) << c.version;
        EXPECT_EQ(StoragePixel(*list.Frames[0].Layers[0].Colour, 0, 0), 0x111111u);
    }
}

TEST(ZephFile, TheWriterRefusesWhatTheVersionCannotHold) {
    std::mt19937 rng(6);
    const auto frames = Animation(rng, 8, 8, 32, true);
    struct Case {
        const char* what;
        TZephWriteOptions o;
    } cases[] = {{"version 99", {.Version = 99}},
                 {"raw before 103", {.Version = 102, .Mode = TZephMode::Raw}},
                 {"tiles before 103", {.Version = 101, .TileWidth = 8, .TileHeight = 8}},
                 {"half a tile size", {.TileWidth = 8}},
                 {"tiled JPEG", {.Mode = TZephMode::Jpeg, .TileWidth = 8, .TileHeight = 8}}};
    for (const Case& c : cases) {
        TMemoryStream out;
        EXPECT_THROW(WriteZeph(out, frames, c.o), std::invalid_argument) << c.what;
    }
    TMemoryStream out;
    EXPECT_THROW(WriteZeph(out, frames, TZephWriteOptions{.Version = 0}), std::invalid_argument) << "masks in version 0";
}

} // namespace
} // namespace ruvo
