#include "picture_helpers.hpp"

#include "archive/streams.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "surface_helpers.hpp"

namespace ruvo::test {

std::shared_ptr<TDIBSurface> RandomStorage(std::mt19937& rng, int32_t width, int32_t height, int bitCount, int few) {
    auto s = RandomSurface(rng, width, height, bitCount, few)->Storage();
    for (int i = 0; i < PaletteEntries(bitCount); ++i)
        s->Palette()[size_t(i)] = TRGBQuad{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    return s;
}

std::shared_ptr<TDIBSurface> RandomMaskStorage(std::mt19937& rng, int32_t width, int32_t height) {
    return RandomMask(rng, width, height)->Storage();
}

::testing::AssertionResult SameStorage(const TDIBSurface& e, const TDIBSurface& a) {
    if (e.Width() != a.Width() || e.Height() != a.Height() || e.BitCount() != a.BitCount())
        return ::testing::AssertionFailure() << "expected " << e.Width() << "x" << e.Height() << " at " << e.BitCount()
                                             << " bits, got " << a.Width() << "x" << a.Height() << " at " << a.BitCount();
    for (int i = 0; i < PaletteEntries(e.BitCount()); ++i)
        if (!(e.Palette()[size_t(i)] == a.Palette()[size_t(i)]))
            return ::testing::AssertionFailure() << "palette entry " << i << " differs";
    for (int32_t y = 0; y < e.Height(); ++y)
        for (int32_t x = 0; x < e.Width(); ++x)
            if (StoragePixel(e, x, y) != StoragePixel(a, x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << "): expected " << std::hex
                                                     << StoragePixel(e, x, y) << ", got " << StoragePixel(a, x, y);
    return ::testing::AssertionSuccess();
}

TZephLayer Layer(std::shared_ptr<TDIBSurface> colour, std::shared_ptr<TDIBSurface> mask, int opacity, int32_t transparent) {
    TZephLayer layer;
    layer.Colour = std::move(colour);
    layer.Mask = std::move(mask);
    layer.MaskUsed = layer.Mask != nullptr;
    layer.Opacity = opacity;
    layer.TransparentValue = transparent;
    return layer;
}

TZephFrame FrameOf(std::vector<TZephLayer> layers, int32_t delay, int32_t transparent) {
    TZephFrame frame;
    frame.Layers = std::move(layers);
    frame.Delay = delay;
    frame.TransparentValue = transparent;
    return frame;
}

std::vector<uint8_t> ZephBytes(std::span<const TZephFrame> frames, const TZephWriteOptions& options) {
    TMemoryStream out;
    WriteZeph(out, frames, options);
    return out.Bytes();
}

TZephFrameList ReadZeph(const std::vector<uint8_t>& bytes, uint32_t key) {
    TZephFrameList list(key);
    list.LoadFromBytes(bytes, false, false);
    return list;
}

} // namespace ruvo::test
