// Damaged layered images: each kind of fault in a small file gives a clear error; truncations and
// random corruption never crash, hang or allocate without bound (the sanitizers watch).
#include <gtest/gtest.h>

#include <cstring>

#include "archive/errors.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "picture_helpers.hpp"

namespace ruvo {
namespace {

using test::FrameOf;
using test::Layer;

// Field offsets of a version 106 file of 4 x 2 frames with one layer and a 40-byte header.
constexpr size_t kHeaderSizeAt = 7, kModeAt = 33, kTileWidthAt = 39, kFrameCountAt = 27;
constexpr size_t kLayerCountAt = 74, kWidthAt = 78, kHeightAt = 82, kBitsAt = 86;
constexpr size_t kColourSizeAt = 117, kColourAt = 121;

void Put(std::vector<uint8_t>& b, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i)
        b.at(at + size_t(i)) = uint8_t(uint32_t(v) >> (8 * i));
}

std::vector<TZephFrame> TwoFrames(int bits, bool masks) {
    std::mt19937 rng(11);
    std::vector<TZephFrame> frames;
    for (int i = 0; i < 2; ++i)
        frames.push_back(FrameOf({Layer(test::RandomStorage(rng, 4, 2, bits), masks ? test::RandomMaskStorage(rng, 4, 2) : nullptr)}));
    return frames;
}

std::vector<uint8_t> File(TZephWriteOptions o, int bits = 32, bool masks = false) {
    return test::ZephBytes(TwoFrames(bits, masks), o);
}

// The error a file gives, or "" when it loads.
std::string ErrorOf(const std::vector<uint8_t>& bytes) {
    try {
        test::ReadZeph(bytes, 0x51);
        return "";
    } catch (const ERuvoError& e) {
        return e.what();
    }
}

TEST(ZephDamage, EachKindOfFaultIsNamed) {
    const auto raw = File({.Mode = TZephMode::Raw});
    const auto tiled = File({.Mode = TZephMode::Raw, .TileWidth = 2, .TileHeight = 2});
    const auto deflated = File({});
    const auto jpeg = File({.Mode = TZephMode::Jpeg}, 24, true);
    ASSERT_EQ(ErrorOf(raw), "");
    ASSERT_EQ(ErrorOf(tiled), "");
    // In the tiled file the colour plane of frame 0 starts with its table: tile 0 at kColourAt, tile 1
    // eight bytes on.
    struct Case {
        const char* what;
        const std::vector<uint8_t>& base;
        std::vector<std::pair<size_t, int32_t>> patches;
        const char* expected;  // part of the message
    } cases[] = {
        {"width above 16384", raw, {{kWidthAt, 16385}}, "16385 x 2"},
        {"height 0", raw, {{kHeightAt, 0}}, "4 x 0"},
        {"picture above 256 MiB", raw, {{kWidthAt, 16384}, {kHeightAt, 16384}}, "MiB"},
        {"bit count 2", raw, {{kBitsAt, 2}}, "bit count 2"},
        {"plane shorter than the picture", raw, {{kColourSizeAt, 31}}, "cannot hold the picture's 32"},
        {"plane beyond the end", raw, {{kColourSizeAt, 0x7FFFFFFF}}, "plane of 2147483647 bytes"},
        {"compression mode 3", raw, {{kModeAt, 3}}, "compression mode 3"},
        {"huge frame count", raw, {{kFrameCountAt, 1000000}}, "frame count 1000000"},
        {"negative layer count", raw, {{kLayerCountAt, -1}}, "layer count -1"},
        {"short header record", raw, {{kHeaderSizeAt, 10}}, "header record of 10 bytes"},
        {"negative tile size", raw, {{kTileWidthAt, -4}}, "tile size -4"},
        {"tile of a frame not read yet", tiled, {{kColourAt, 1}, {kColourAt + 4, 0}}, "frame 1, which has not been read"},
        {"tile of this frame's own layer", tiled, {{kColourAt, 0}, {kColourAt + 4, 0}}, "frame 0, which has not been read"},
        {"forward tile reference", tiled, {{kColourAt, -2}, {kColourAt + 4, 1}}, "refers to tile 1 not read yet"},
        {"unknown tile reference", tiled, {{kColourAt, -7}}, "reference -7"},
        {"inflated size differs", deflated, {{kWidthAt, 3}}, "inflated plane's size differs"},
        {"JPEG of another size", jpeg, {{kWidthAt, 3}}, "differs from the frame's 3 x 2"},
    };
    for (const Case& c : cases) {
        auto bytes = c.base;
        for (auto [at, value] : c.patches)
            Put(bytes, at, value);
        const std::string error = ErrorOf(bytes);
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.what << ": " << error;
    }
    auto version = raw;
    version[6] = '7';
    EXPECT_NE(ErrorOf(version).find("version 107"), std::string::npos) << ErrorOf(version);
    version[5] = 'x';
    EXPECT_NE(ErrorOf(version).find("not a number"), std::string::npos);
    // Frame 1 may take a tile from frame 0: the same table entry there is fine.
    auto second = tiled;
    const size_t frameSize = (tiled.size() - 51) / 2;
    Put(second, kColourAt + frameSize, 0);
    Put(second, kColourAt + frameSize + 4, 0);
    EXPECT_NE(ErrorOf(second).find("bytes after its last tile"), std::string::npos) << ErrorOf(second);
}

// Every fixture: each coding and layout, masks, an old version.
std::vector<std::vector<uint8_t>> Fixtures() {
    return {File({.Mode = TZephMode::Raw, .TileWidth = 3, .TileHeight = 1, .Key = 9}, 32, true),
            File({.Key = 3}, 8, true),
            File({.Mode = TZephMode::Jpeg}, 32, true),
            File({.Mode = TZephMode::Deflate, .TileWidth = 2, .TileHeight = 2}, 4, true),
            File({.Version = 102}, 16, true),
            File({.Version = 0}, 24, false)};
}

TEST(ZephDamage, EveryTruncationIsAnError) {
    for (const auto& file : Fixtures()) {
        ASSERT_EQ(ErrorOf(file), "");
        for (size_t cut = 0; cut < file.size(); ++cut)
            EXPECT_NE(ErrorOf(std::vector<uint8_t>(file.begin(), file.begin() + ptrdiff_t(cut))), "") << "cut at " << cut;
    }
}

TEST(ZephDamage, RandomCorruptionLoadsOrFailsCleanly) {
    std::mt19937 rng(12);
    for (const auto& file : Fixtures())
        for (int round = 0; round < 1500; ++round) {
            auto bytes = file;
            for (int n = 1 + int(rng() % 4); n > 0; --n)
                bytes[rng() % bytes.size()] = uint8_t(rng());
            try {
                test::ReadZeph(bytes, 0x51);
            } catch (const ERuvoError&) {
            }
        }
}

} // namespace
} // namespace ruvo
