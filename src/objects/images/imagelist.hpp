#pragma once
// The frames of one picture as an animated image shows them: the picture stays in the picture cache,
// shared; each frame is a surface over its pixels, made when first shown. A brightness other than 0
// gives the frames derived copies, lightened (adding the grey |b|) or darkened (subtracting it), with
// their transparent colour passed through the same change.
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "graphics/images/picture.hpp"

namespace ruvo {

class TPictureCache;

class TRuvoImageList {
public:
    struct TShown {
        TDIBX* surface = nullptr;
        TDIBX* mask = nullptr;
        const std::vector<TRect>* rects = nullptr;
        int32_t delay = 1;
    };

    // The picture's frames from the cache. Without a cache, or when the picture cannot be read, the
    // list is empty (the object shows nothing).
    void Load(TPictureCache* cache, const std::string& name);
    void Clear();
    int Count() const noexcept { return picture_ ? static_cast<int>(picture_->Frames.size()) : 0; }
    const TPicture* Picture() const noexcept { return picture_.get(); }
    // Frame i (0 <= i < Count()) at the brightness, -255..255.
    TShown Frame(int i, int32_t brightness);

private:
    struct TItem {
        std::unique_ptr<TDIBX> surface, mask;
        int32_t brightness = 0;
    };
    std::shared_ptr<const TPicture> picture_;
    std::vector<TItem> items_;
};

} // namespace ruvo
