#include "graphics/wipes/wipefades.hpp"

#include <vector>

#include "graphics/wipes/wipehelpers.hpp"

namespace ruvo {

using wipe::Progress;

// --- Fade ---

void TWipeFade::DrawFrame(int64_t t, int64_t T) {
    Target.Assign(Before);
    const double f = double(T - t - 1) / double(T);
    Target.DrawAlpha(wipe::Rnd(Params[0] * f), wipe::Rnd(Params[1] * f), After, TRect{0, 0, W, H}, false, false,
                     false, int(Progress(t, T, 256)));
}

// --- Through white or black, and the flash ---

void TWipeWhite::DrawFrame(int64_t t, int64_t T) {
    const int a = int(Progress(t, T, 511));
    Target.Assign(a < 256 ? Before : After);
    wipe::Shine(Target, a < 256 ? a : 511 - a, Darkens());
}

void TWipeFlash::DrawFrame(int64_t t, int64_t T) {
    Target.Assign(After);
    wipe::Shine(Target, 255 - int(Progress(t, T, 256)), false);
}

// --- Mosaic ---

void TWipeMosaic::Prepare() { buffer_.SetSize(W, H, Target.GetBitCount()); }

void TWipeMosaic::DrawFrame(int64_t t, int64_t T) {
    const int64_t a = Progress(t, T, 1023);
    // The block scale (1/256 of a quarter of the screen) falls while Before breaks up and rises while
    // After settles; After blends into the blocks over the middle half.
    const int64_t scale = a < 512 ? 263 - (a / 2) * 15 / 16 : ((a - 512) / 2) * 15 / 16 + 24;
    const int alpha = a < 256 ? 0 : a < 512 ? int(a - 256) / 4 : a < 768 ? int(a - 256) / 2 : 0;
    const TRect whole{0, 0, W, H};
    const TRect reduced{0, 0, int32_t(std::max<int64_t>(1, W / 4 * scale / 256)),
                        int32_t(std::max<int64_t>(1, H / 4 * scale / 256))};
    buffer_.StretchDraw(reduced, a < 768 ? Before : After, whole, false, false, false, 255);
    if (alpha > 0)
        buffer_.StretchDraw(reduced, After, whole, false, false, false, alpha);
    Target.StretchDraw(whole, buffer_, reduced, false, false, false, 255);
}

// --- Blur ---

namespace {
// A box blur of radius r, across and then down, each channel on its own; the picture's edge pixels
// stand for what lies beyond. Indexed pictures have no channels to blur.
void BoxBlur(TCustomDIBX& surface, int32_t r) {
    const TPixelFormat f = surface.Format();
    TPixelLock lock(surface, true);
    const TPixelView& v = lock.View();
    if (r <= 0 || f.Indexed() || !v.Valid())
        return;
    const int32_t w = v.Width, h = v.Height, bits = f.StorageBits();
    std::vector<uint32_t> pixels(size_t(w) * size_t(h)), across(pixels.size()), out(pixels.size(), 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels[size_t(y) * w + x] = ReadPixel(v.Row(y), x, bits);
    // Averages n values read through at(i) over windows of 2r + 1 and stores them through put(i, value).
    auto blurLine = [r](int32_t n, auto&& at, auto&& put) {
        auto clamped = [&](int64_t i) { return int64_t(at(int32_t(std::clamp<int64_t>(i, 0, n - 1)))); };
        int64_t sum = 0;
        for (int64_t i = -r; i <= r; ++i)
            sum += clamped(i);
        for (int32_t i = 0; i < n; ++i) {
            put(i, uint32_t(sum / (2 * r + 1)));
            sum += clamped(int64_t(i) + r + 1) - clamped(int64_t(i) - r);
        }
    };
    const std::pair<uint32_t, int> channels[] = {{f.RMask, f.RShift}, {f.GMask, f.GShift}, {f.BMask, f.BShift}};
    for (const auto& channel : channels) {
        const uint32_t mask = channel.first;
        const int shift = channel.second;
        for (int32_t y = 0; y < h; ++y) {
            uint32_t* row = &pixels[size_t(y) * w];
            uint32_t* to = &across[size_t(y) * w];
            blurLine(w, [&](int32_t x) { return (row[x] & mask) >> shift; }, [&](int32_t x, uint32_t c) { to[x] = c; });
        }
        for (int32_t x = 0; x < w; ++x)
            blurLine(h, [&](int32_t y) { return across[size_t(y) * w + x]; },
                     [&](int32_t y, uint32_t c) { out[size_t(y) * w + x] |= (c << shift) & mask; });
    }
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            WritePixel(v.Row(y), x, bits, out[size_t(y) * w + x]);
}
} // namespace

void TWipeBlurWhite::Prepare() {
    const int32_t radius = std::min(W, H) / 20;
    for (auto [blurred, picture] : {std::pair{&blurredBefore_, &Before}, std::pair{&blurredAfter_, &After}}) {
        blurred->SetSize(W, H, Target.GetBitCount());
        blurred->Assign(*picture);
        BoxBlur(*blurred, radius);
    }
}

void TWipeBlurWhite::DrawFrame(int64_t t, int64_t T) {
    const int b = int(Progress(t, T, 639));
    const TRect whole{0, 0, W, H};
    if (b < 256) {  // Before blurs
        Target.Assign(Before);
        Target.DrawAlpha(0, 0, blurredBefore_, whole, false, false, false, b);
    } else if (b < 320) {  // the blurred Before flashes
        Target.Assign(blurredBefore_);
        wipe::Shine(Target, (b - 256) * 4, Darkens());
    } else if (b < 384) {  // the flash settles on the blurred After
        Target.Assign(blurredAfter_);
        wipe::Shine(Target, (383 - b) * 4, Darkens());
    } else {  // After sharpens
        Target.Assign(After);
        Target.DrawAlpha(0, 0, blurredAfter_, whole, false, false, false, 639 - b);
    }
}

} // namespace ruvo
