#include "objects/images/imagelist.hpp"

#include <cstdlib>

#include "archive/errors.hpp"
#include "graphics/images/picturecache.hpp"

namespace ruvo {

void TRuvoImageList::Load(TPictureCache* cache, const std::string& name) {
    Clear();
    if (!cache) return;
    try {
        picture_ = cache->Acquire(name);
    } catch (const ERuvoError&) {
        // A damaged picture shows nothing; the object goes on without frames.
        picture_.reset();
    }
    items_.resize(static_cast<size_t>(Count()));
}

void TRuvoImageList::Clear() {
    items_.clear();
    picture_.reset();
}

TRuvoImageList::TShown TRuvoImageList::Frame(int i, int32_t brightness) {
    const TPictureFrame& frame = picture_->Frames.at(static_cast<size_t>(i));
    TItem& item = items_.at(static_cast<size_t>(i));
    if (!item.surface || item.brightness != brightness) {
        item.surface = frame.ColourSurface();
        item.brightness = brightness;
        if (brightness != 0) {
            TDIBX& s = *item.surface;
            s.Unshare();  // the cached pixels stay as they are
            const uint8_t g = static_cast<uint8_t>(std::min(std::abs(brightness), 255));
            const uint32_t grey = static_cast<uint32_t>(s.ColorToPixel(static_cast<int32_t>(MakeColor(g, g, g))));
            const TRect all{0, 0, s.GetWidth(), s.GetHeight()};
            // The transparent colour changes as its pixels do: one pixel set to it, changed, read back.
            TDIBX key;
            if (s.TransparentColor != -1) {
                key.SetSize(1, 1, s.GetBitCount());
                key.SetPixel(0, 0, static_cast<uint32_t>(s.TransparentColor));
            }
            if (brightness > 0) {
                s.AddRect(all, grey);
                if (!key.IsEmpty()) key.AddRect(TRect{0, 0, 1, 1}, grey);
            } else {
                s.SubRect(all, grey);
                if (!key.IsEmpty()) key.SubRect(TRect{0, 0, 1, 1}, grey);
            }
            if (!key.IsEmpty()) s.TransparentColor = static_cast<int32_t>(key.GetPixel(0, 0));
        }
    }
    if (!item.mask && frame.Mask) item.mask = frame.MaskSurface();
    return TShown{item.surface.get(), item.mask.get(), &frame.RectsA, frame.Delay};
}

} // namespace ruvo
