#include "graphics/wipes/wipehelpers.hpp"

#include <cmath>
#include <limits>

namespace ruvo::wipe {

int32_t Rnd(double x) noexcept {
    if (std::isnan(x))
        return 0;
    constexpr double lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
    return int32_t(std::clamp(std::round(x), lo, hi));
}

std::array<uint32_t, 256> GreyPixels(const TPixelFormat& format) {
    std::array<uint32_t, 256> grey{};
    for (uint32_t i = 0; i < 256; ++i)
        grey[i] = format.Indexed() ? i : ColorToChannels(format, MakeColor(uint8_t(i), uint8_t(i), uint8_t(i)));
    return grey;
}

void Shine(TCustomDIBX& surface, int level, bool darken) {
    const uint8_t l = uint8_t(std::clamp(level, 0, 255));
    if (l == 0)
        return;
    const uint32_t grey = uint32_t(surface.ColorToPixel(int32_t(MakeColor(l, l, l))));
    const TRect whole{0, 0, surface.GetWidth(), surface.GetHeight()};
    if (darken)
        surface.SubRect(whole, grey);
    else
        surface.AddRect(whole, grey);
}

std::vector<uint8_t> RuleGreys(const TCustomDIBX* rule, int32_t w, int32_t h, bool invert) {
    std::vector<uint8_t> out(size_t(std::max(w, 0)) * size_t(std::max(h, 0)), 255);
    if (!rule || rule->IsEmpty() || w <= 0 || h <= 0)
        return out;
    // GetPixel is not const; the picture is only read.
    TCustomDIBX& picture = const_cast<TCustomDIBX&>(*rule);
    const TPixelFormat format = picture.Format();
    std::array<TRGBQuad, 256> palette{};
    if (format.Indexed())
        picture.GetPalette(palette);
    // Only the part of the picture that lands on the buffer before it repeats is read.
    const int32_t rw = std::min(picture.GetWidth(), w), rh = std::min(picture.GetHeight(), h);
    std::vector<uint8_t> tile(size_t(rw) * size_t(rh));
    for (int32_t y = 0; y < rh; ++y)
        for (int32_t x = 0; x < rw; ++x) {
            const uint32_t p = picture.GetPixel(x, y);
            const uint32_t c = format.Indexed()
                                   ? MakeColor(palette[p & 255].Red, palette[p & 255].Green, palette[p & 255].Blue)
                                   : ChannelsToColor(format, p);
            // Weights summing to 256 keep a grey pixel's level exactly.
            const uint32_t g = (77 * ColorRed(c) + 150 * ColorGreen(c) + 29 * ColorBlue(c)) >> 8;
            tile[size_t(y) * rw + x] = uint8_t(invert ? 255 - g : g);
        }
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* from = &tile[size_t(y % rh) * rw];
        uint8_t* to = &out[size_t(y) * w];
        for (int32_t x = 0; x < w; x += rw)
            std::copy_n(from, std::min(rw, w - x), to + x);
    }
    return out;
}

int32_t Draw(const TRandomFunction& random, int32_t n) {
    const int32_t r = random ? random(n) : 0;
    return r >= 0 && r < n ? r : int32_t(((int64_t(r) % n) + n) % n);
}

std::vector<int32_t> RandomOrder(int32_t n, const TRandomFunction& random) {
    std::vector<int32_t> left(size_t(std::max(n, 0)));
    for (int32_t i = 0; i < n; ++i)
        left[size_t(i)] = i;
    std::vector<int32_t> order;
    order.reserve(left.size());
    // The drawn item's place is taken by the last one, so each draw costs the same.
    while (!left.empty()) {
        const size_t i = size_t(Draw(random, int32_t(left.size())));
        order.push_back(left[i]);
        left[i] = left.back();
        left.pop_back();
    }
    return order;
}

} // namespace ruvo::wipe
