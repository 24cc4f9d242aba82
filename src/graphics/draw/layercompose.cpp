#include "graphics/draw/layercompose.hpp"

#include <algorithm>
#include <cstring>

#include "graphics/surface/pixelview.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo {

namespace {

// Ordered dither at 8 bits and less: the source wins where the threshold lies below the level
// (opacity / 16), so level n takes n of every 16 pixels, spread evenly.
constexpr uint8_t kThreshold[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

bool DitherTakesSource(int alpha, int32_t x, int32_t y) noexcept {
    const int level = alpha / 16;
    return level > 14 || kThreshold[y & 3][x & 3] < level;
}

// ((255 - a) d + a s) / 255 per channel at 15, 16 and 24 bits; at 32 bits / 256, on the red and blue
// pair and on green at once.
uint32_t BlendChannels(const TPixelFormat& f, uint32_t d, uint32_t s, uint32_t a) noexcept {
    if (f.BitCount == 32) {
        const uint32_t rb = (((d & 0xFF00FF) * (255 - a) + (s & 0xFF00FF) * a) >> 8) & 0xFF00FF;
        const uint32_t g = (((d & 0xFF00) * (255 - a) + (s & 0xFF00) * a) >> 8) & 0xFF00;
        return rb | g;
    }
    auto channel = [&](uint32_t mask, int shift) {
        const uint32_t dc = (d & mask) >> shift, sc = (s & mask) >> shift;
        return (((255 - a) * dc + a * sc) / 255) << shift;
    };
    return channel(f.RMask, f.RShift) | channel(f.GMask, f.GShift) | channel(f.BMask, f.BShift);
}

// One layer onto the picture. opacity 1..255; key: the source value left out, -1 none; mask: per-pixel
// opacity (scaled by opacity), or null.
void BlendLayer(TDIBSurface& dst, const TDIBSurface& src, const TDIBSurface* mask, int opacity, int32_t key) {
    const TPixelFormat f = dst.Format();
    const int bits = f.StorageBits();
    for (int32_t y = 0; y < dst.Height(); ++y) {
        uint8_t* d = dst.Row(y);
        const uint8_t* s = src.Row(y);
        const uint8_t* m = mask ? mask->Row(y) : nullptr;
        for (int32_t x = 0; x < dst.Width(); ++x) {
            const uint32_t sp = ReadPixel(s, x, bits);
            if (key >= 0 && sp == uint32_t(key))
                continue;
            int a = opacity;
            if (m)
                a = opacity == 255 ? m[x] : m[x] * opacity / 255;
            if (a <= 0)
                continue;
            if (f.Indexed()) {
                if (DitherTakesSource(a, x, y))
                    WritePixel(d, x, bits, sp);
            } else {
                WritePixel(d, x, bits, a >= 255 ? sp : BlendChannels(f, ReadPixel(d, x, bits), sp, uint32_t(a)));
            }
        }
    }
}

void CopyLayer(TDIBSurface& dst, const TDIBSurface& src) { std::memcpy(dst.Bits(), src.Bits(), dst.ImageSize()); }

std::shared_ptr<TDIBSurface> ScaledMask(const TDIBSurface& mask, int opacity) {
    auto out = NewStorage(mask.Width(), mask.Height(), 8);
    for (int32_t y = 0; y < mask.Height(); ++y) {
        const uint8_t* in = mask.Row(y);
        uint8_t* row = out->Row(y);
        for (int32_t x = 0; x < mask.Width(); ++x)
            row[x] = uint8_t(in[x] * opacity / 255);
    }
    return out;
}

enum class TLayerRule { Nothing, MaskOfFrame, ThroughMask, Copy, Blend };

TLayerRule RuleOf(const TZephLayer& layer, size_t index, bool firstVisibleOpaque, int opacity) {
    if (!layer.Visible || opacity <= 0)
        return TLayerRule::Nothing;
    if (layer.Mask && layer.MaskUsed)
        return index == 0 ? TLayerRule::MaskOfFrame : TLayerRule::ThroughMask;
    if ((layer.TransparentValue == -1 || firstVisibleOpaque) && opacity >= 255)
        return TLayerRule::Copy;
    return TLayerRule::Blend;
}

} // namespace

void ComposeFrame(TZephFrame& frame, int32_t width, int32_t height, int bitCount,
                  const std::array<TRGBQuad, 256>& palette, int32_t backgroundColour, bool firstLayerOpaque) {
    const size_t firstVisible = size_t(std::find_if(frame.Layers.begin(), frame.Layers.end(),
                                                    [](const TZephLayer& l) { return l.Visible; }) -
                                       frame.Layers.begin());
    auto ruleAt = [&](size_t i, int opacity) {
        return RuleOf(frame.Layers[i], i, firstLayerOpaque && i == firstVisible, opacity);
    };
    auto opacityOf = [](const TZephLayer& layer) { return std::clamp(layer.Opacity, 0, 255); };

    // A lone layer that covers the picture outright is the picture.
    if (frame.Layers.size() == 1) {
        const TZephLayer& layer = frame.Layers[0];
        const int opacity = opacityOf(layer);
        const TLayerRule rule = ruleAt(0, opacity);
        if (rule == TLayerRule::Copy || rule == TLayerRule::MaskOfFrame) {
            frame.Picture = layer.Colour;
            if (rule == TLayerRule::MaskOfFrame)
                frame.Mask = opacity >= 255 ? layer.Mask : ScaledMask(*layer.Mask, opacity);
            return;
        }
    }

    frame.Picture = NewStorage(width, height, bitCount);
    TDIBSurface& picture = *frame.Picture;
    picture.Palette() = palette;
    FillStorage(picture, PixelOfColour(picture, uint32_t(backgroundColour)));
    for (size_t i = 0; i < frame.Layers.size(); ++i) {
        const TZephLayer& layer = frame.Layers[i];
        const int opacity = opacityOf(layer);
        switch (ruleAt(i, opacity)) {
        case TLayerRule::Nothing: break;
        case TLayerRule::MaskOfFrame:
            CopyLayer(picture, *layer.Colour);
            frame.Mask = opacity >= 255 ? layer.Mask : ScaledMask(*layer.Mask, opacity);
            break;
        case TLayerRule::ThroughMask: BlendLayer(picture, *layer.Colour, layer.Mask.get(), opacity, -1); break;
        case TLayerRule::Copy: CopyLayer(picture, *layer.Colour); break;
        case TLayerRule::Blend: BlendLayer(picture, *layer.Colour, nullptr, opacity, layer.TransparentValue); break;
        }
    }
}

} // namespace ruvo
