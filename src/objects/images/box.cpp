#include "objects/images/box.hpp"

#include <algorithm>

#include "archive/serializer.hpp"
#include "graphics/surface/customdibx.hpp"
#include "objects/motion/filmmotion.hpp"
#include "objects/motion/motion.hpp"
#include "objects/base/propaccess.hpp"

namespace ruvo {

namespace {

// One fill or frame by the alpha rule: opaque, blended, or added with the colour scaled by the
// intensity.
struct TBoxInk {
    TCustomDIBX& surface;
    int32_t alpha;

    uint32_t Pixel(int32_t colour) const {
        if (alpha <= 255) return static_cast<uint32_t>(surface.ColorToPixel(colour));
        const uint32_t k = static_cast<uint32_t>(alpha - 256);
        const uint32_t c = static_cast<uint32_t>(colour);
        return static_cast<uint32_t>(surface.ColorToPixel(static_cast<int32_t>(
            MakeColor(static_cast<uint8_t>((ColorRed(c) * k) >> 8), static_cast<uint8_t>((ColorGreen(c) * k) >> 8),
                      static_cast<uint8_t>((ColorBlue(c) * k) >> 8)))));
    }
    void Fill(const TRect& r, int32_t colour) const {
        if (alpha == 255) surface.FillRect(r, Pixel(colour));
        else if (alpha < 255) surface.BlendRect(r, Pixel(colour), alpha);
        else surface.AddRect(r, Pixel(colour));
    }
    void Frame(const TRect& r, int width, int32_t colour) const {
        if (alpha == 255) surface.FrameRect(r, width, Pixel(colour));
        else if (alpha < 255) surface.BlendFrameRect(r, width, Pixel(colour), alpha);
        else surface.AddFrameRect(r, width, Pixel(colour));
    }
};

// Far beyond any surface, yet far enough from the 32-bit limits that the frame's strips can be
// worked out without overflow; the drawn pixels are the same.
constexpr int32_t kFarAway = 1 << 24;

TRect Tame(const TRect& r) {
    auto c = [](int32_t v) { return std::clamp(v, -kFarAway, kFarAway); };
    return TRect{c(r.Left), c(r.Top), c(r.Right), c(r.Bottom)};
}

} // namespace

void TRuvoBox::Paint() {
    TCustomDIBX* surface = GetSurface();
    if (surface && Alpha > 0 && Alpha < 512) {
        const TBoxInk ink{*surface, Alpha};
        const TRect r = Tame(ScreenRect());
        if (BorderWidth > 0) {
            const int32_t w = std::min(BorderWidth, 2 * kFarAway);
            if (BorderColor >= 0) ink.Frame(r, w, BorderColor);
            if (Color >= 0) ink.Fill(TRect{r.Left + w, r.Top + w, r.Right - w, r.Bottom - w}, Color);
        } else if (Color >= 0) {
            ink.Fill(r, Color);
        }
    }
    // With a frame list the box is its stage: the tracks draw over the fill.
    if (surface && GetMotion()) GetMotion()->Paint(*surface);
    PaintChildren();
}

void TRuvoBox::SetSource(std::string source) {
    if (source == Source) return;
    Source = std::move(source);
    LoadMotion(*this, Source);
}

void TRuvoBox::SetRepeat(bool on) {
    Repeat = on;
    if (on && GetMotion() && GetMotion()->Finished()) GetMotion()->Restart();
}

const TPropertyMap& TRuvoBox::ClassProperties() {
    static const TPropertyMap map = [] {
        using B = TRuvoBox;
        TPropertyMap m(TRuvoControl::ClassProperties());
        m.Str<B>(PR_SOURCE, [](B& b) { return b.Source; }, [](B& b, std::string v) { b.SetSource(std::move(v)); });
        m.Int<B>(PR_BORDERWIDTH, [](B& b) { return b.BorderWidth; }, [](B& b, int32_t v) {
            b.Invalidate();
            b.BorderWidth = v;
            b.Invalidate();
        });
        m.Int<B>(PR_BORDERCOLOR, [](B& b) { return b.BorderColor; }, [](B& b, int32_t v) {
            b.BorderColor = v;
            b.Invalidate();
        });
        m.Int<B>(PR_ALPHA, [](B& b) { return b.Alpha; }, [](B& b, int32_t v) {
            b.Alpha = v;
            b.Invalidate();
        });
        m.Flag<B>(PR_PAUSED, [](B& b) { return b.Paused; }, [](B& b, bool v) { b.Paused = v; });
        m.Flag<B>(PR_REPEAT, [](B& b) { return b.Repeat; }, [](B& b, bool v) { b.SetRepeat(v); });
        m.Str<B>(PR_ONPLAYEND, [](B& b) { return b.OnPlayEnd; }, [](B& b, std::string v) { b.OnPlayEnd = std::move(v); });
        m.Flag<B>(PR_AUTOSCRAP, [](B& b) { return b.AutoScrap; }, [](B& b, bool v) { b.AutoScrap = v; });
        m.Str<B>(PR_ONIDLE, [](B& b) { return b.OnIdle; }, [](B& b, std::string v) { b.OnIdle = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoBox::Sync(TSerializer& s) {
    TRuvoControl::Sync(s);
    s.Int(BorderWidth);
    s.Int(BorderColor);
    s.Int(Alpha);
    s.Str(OnIdle, 104);
    std::string source = Source;
    s.Str(source, 104);
    if (s.Loading()) SetSource(std::move(source));
    s.Bool(Repeat, 104);
    s.Bool(AutoScrap, 104);
    s.Str(OnPlayEnd, 104);
    s.Bool(Paused, 104);
    s.Bool(AniPaused, 104);
}

} // namespace ruvo
