// Composing the layers of a frame: which rule each layer follows and the arithmetic of the blends.
#include <gtest/gtest.h>

#include "graphics/draw/layercompose.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "picture_helpers.hpp"

namespace ruvo {
namespace {

using test::Layer;
using test::SameStorage;

std::shared_ptr<TDIBSurface> Filled(int bits, uint32_t pixel, int32_t w = 4, int32_t h = 4) {
    auto s = NewStorage(w, h, bits);
    FillStorage(*s, pixel);
    return s;
}

TZephFrame Compose(std::vector<TZephLayer> layers, int bits, int32_t background = 0, bool firstOpaque = false,
                   const std::array<TRGBQuad, 256>& palette = {}) {
    TZephFrame frame;
    frame.Layers = std::move(layers);
    const int32_t w = frame.Layers.empty() ? 4 : frame.Layers[0].Colour->Width();
    const int32_t h = frame.Layers.empty() ? 4 : frame.Layers[0].Colour->Height();
    ComposeFrame(frame, w, h, bits, palette, background, firstOpaque);
    return frame;
}

uint32_t Pixel(const TZephFrame& f, int32_t x = 0, int32_t y = 0) { return StoragePixel(*f.Picture, x, y); }

TEST(LayerCompose, OpacityBlendDividesBy255BelowThirtyTwoBitsAndBy256AtThirtyTwo) {
    struct Case {
        int bits;
        uint32_t below, above;
        int opacity;
        uint32_t expected;
    } cases[] = {
        // 24 bits: ((255 - 100) * 0x10 + 100 * 0xF0) / 255 = 103 = 0x67 per channel.
        {24, 0x101010, 0xF0F0F0, 100, 0x676767},
        // 32 bits: red ((255 - 100) * 0x10 + 100 * 0xF0) / 256 = 103; green 155 * 0xFF / 256 = 154; blue
        // 100 * 0xFF / 256 = 99.
        {32, 0x0010FF00, 0x00F000FF, 100, 0x67u << 16 | 0x9Au << 8 | 0x63u},
        // 16 bits (5-6-5): red 31 over 0 at 128: 31 * 128 / 255 = 15; green 63 -> 31; blue 0 over 31 -> 15.
        {16, 0x001F, 0xFFE0, 128, 15 << 11 | 31 << 5 | 15},
        // 15 bits: 31 over 0 at 255 - 1.
        {15, 0x0000, 0x7FFF, 254, 30 << 10 | 30 << 5 | 30},
    };
    for (const Case& c : cases) {
        TZephFrame f = Compose({Layer(Filled(c.bits, c.below)), Layer(Filled(c.bits, c.above), nullptr, c.opacity)}, c.bits);
        EXPECT_EQ(Pixel(f), c.expected) << c.bits;
    }
}

TEST(LayerCompose, CopiesKeysOpacityZeroAndTheFirstOpaqueLayer) {
    auto keyed = Filled(32, 0x00FF00);
    SetStoragePixel(*keyed, 1, 0, 0x0000FF);  // one pixel that is not the key
    struct Case {
        const char* what;
        std::vector<TZephLayer> layers;
        bool firstOpaque;
        uint32_t at0, at1;  // pixels (0, 0) and (1, 0)
    } cases[] = {
        {"opacity 255 without key copies", {Layer(Filled(32, 0x112233))}, false, 0x112233, 0x112233},
        {"opacity 0 draws nothing", {Layer(Filled(32, 0x112233), nullptr, 0)}, false, 0x445566, 0x445566},
        {"the key is left out", {Layer(keyed, nullptr, 255, 0x00FF00)}, false, 0x445566, 0x0000FF},
        {"the first opaque layer ignores its key", {Layer(keyed, nullptr, 255, 0x00FF00)}, true, 0x00FF00, 0x0000FF},
        {"only the first visible layer is opaque",
         {Layer(Filled(32, 1), nullptr, 255), Layer(keyed, nullptr, 255, 0x00FF00)}, true, 1, 0x0000FF},
    };
    for (Case& c : cases) {
        // The background comes through wherever nothing is drawn: 0x665544 as a colour value.
        TZephFrame f = Compose(std::move(c.layers), 32, 0x665544, c.firstOpaque);
        EXPECT_EQ(Pixel(f, 0, 0), c.at0) << c.what;
        EXPECT_EQ(Pixel(f, 1, 0), c.at1) << c.what;
    }
    auto hidden = Layer(Filled(32, 0x112233));
    hidden.Visible = false;
    EXPECT_EQ(Pixel(Compose({hidden}, 32, 0x665544)), 0x445566u) << "an invisible layer";
}

TEST(LayerCompose, MasksGiveTheFrameItsMaskOrBlendTheLayer) {
    std::mt19937 rng(1);
    auto mask = test::RandomMaskStorage(rng, 4, 4);
    auto colour = Filled(24, 0xF0F0F0);

    // Layer 0 with a used mask: copied, and its mask becomes the frame's (scaled by the opacity).
    TZephFrame own = Compose({Layer(colour, mask)}, 24);
    EXPECT_TRUE(SameStorage(*colour, *own.Picture));
    EXPECT_EQ(own.Mask, mask);
    TZephFrame half = Compose({Layer(colour, mask, 128)}, 24);
    EXPECT_EQ(half.Mask->Row(0)[0], mask->Row(0)[0] * 128 / 255);

    // A later layer is blended through its mask; mask 0 keeps what lies below, 255 copies.
    TZephFrame later = Compose({Layer(Filled(24, 0x101010)), Layer(colour, mask)}, 24);
    EXPECT_FALSE(later.Mask);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            const uint32_t m = mask->Row(y)[x];
            const uint32_t channel = ((255 - m) * 0x10 + m * 0xF0) / 255;
            EXPECT_EQ(Pixel(later, x, y), channel * 0x010101) << x << "," << y << " mask " << m;
        }

    // A mask that is not used leaves the layer an ordinary opaque copy.
    auto unused = Layer(colour, mask);
    unused.MaskUsed = false;
    TZephFrame plain = Compose({Layer(Filled(24, 0x101010)), unused}, 24);
    EXPECT_TRUE(SameStorage(*colour, *plain.Picture));
}

TEST(LayerCompose, IndexedLayersDitherByOpacitySixteenths) {
    std::array<TRGBQuad, 256> palette{};
    palette[1] = TRGBQuad{0, 0, 255, 0};
    palette[2] = TRGBQuad{255, 0, 0, 0};
    for (int opacity : {1, 15, 16, 100, 128, 200, 239, 240, 255}) {
        TZephFrame f = Compose({Layer(Filled(8, 1, 16, 16)), Layer(Filled(8, 2, 16, 16), nullptr, opacity)}, 8, 0, false, palette);
        int taken = 0;
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x)
                taken += Pixel(f, x, y) == 2;
        const int level = opacity / 16;
        // Level n takes n of every 16 pixels in each 4 x 4 block; levels above 14 copy.
        EXPECT_EQ(taken, level > 14 ? 256 : level * 16) << opacity;
    }
    // The background is the nearest palette entry to its colour.
    EXPECT_EQ(Pixel(Compose({}, 8, 0x0000F0, false, palette)), 1u);
}

TEST(LayerCompose, ALoneCoveringLayerIsSharedNotCopied) {
    auto colour = Filled(32, 0x123456);
    TZephFrame f = Compose({Layer(colour)}, 32);
    EXPECT_EQ(f.Picture, colour);
    TZephFrame two = Compose({Layer(colour), Layer(Filled(32, 0), nullptr, 0)}, 32);
    EXPECT_NE(two.Picture, colour);
    EXPECT_EQ(StoragePixel(*colour, 0, 0), 0x123456u);
}

} // namespace
} // namespace ruvo
