#include "objects/images/image.hpp"

#include <algorithm>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

void TRuvoImage::SetSource(std::string source) {
    if (source == Source) return;
    Source = std::move(source);
    Reload();
}

void TRuvoImage::SetBrightness(int32_t brightness) {
    Brightness = std::clamp(brightness, 0, 255);
    Reload();
}

void TRuvoImage::Reload() {
    Invalidate();
    TDIBX& own = OwnSurface();
    own.Release();
    SetOwnMask(nullptr);
    SetOwnRects({});
    std::shared_ptr<const TPicture> picture;
    if (TPictureCache* cache = Owner ? Owner->Pictures() : nullptr; cache && !Source.empty()) {
        try {
            picture = cache->Acquire(Source);
        } catch (const ERuvoError&) {
            picture.reset();  // a damaged picture shows nothing
        }
    }
    if (picture && !picture->Frames.empty()) {
        const TPictureFrame& first = picture->Frames.front();
        own.ShareStorage(*first.ColourSurface());
        own.TransparentColor = first.TransparentColor;
        SetOwnMask(first.MaskSurface());
        SetOwnRects(first.RectsA);
        if (Brightness < 255) {
            own.Unshare();  // the cached pixels stay as they are
            const uint8_t g = static_cast<uint8_t>(255 - Brightness);
            own.SubRect(TRect{0, 0, own.GetWidth(), own.GetHeight()},
                        static_cast<uint32_t>(own.ColorToPixel(static_cast<int32_t>(MakeColor(g, g, g)))));
        }
    }
    RecomputeSize();
    Invalidate();
}

const TPropertyMap& TRuvoImage::ClassProperties() {
    static const TPropertyMap map = [] {
        using I = TRuvoImage;
        TPropertyMap m(TRuvoCustomImage::ClassProperties());
        m.Str<I>(PR_SOURCE, [](I& i) { return i.Source; }, [](I& i, std::string v) { i.SetSource(std::move(v)); });
        m.Int<I>(PR_BRIGHTNESS, [](I& i) { return i.Brightness; }, [](I& i, int32_t v) { i.SetBrightness(v); });
        return m;
    }();
    return map;
}

void TRuvoImage::Sync(TSerializer& s) {
    TRuvoCustomImage::Sync(s);
    std::string source = Source;
    s.Str(source);
    int32_t brightness = Brightness;
    s.Int(brightness);
    if (!s.Loading()) return;
    Brightness = std::clamp(brightness, 0, 255);
    Source.clear();
    SetSource(std::move(source));
}

} // namespace ruvo
