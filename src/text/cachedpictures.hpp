#pragma once
// Inline text pictures taken from the picture cache: each IMG glyph holds the cached picture and shows
// its frames through surfaces over the shared pixels, so a picture in text costs no decoding when it is
// already shown elsewhere and no copy of its pixels at all.
#include <memory>
#include <string_view>

#include "text/inlinepicture.hpp"

namespace ruvo {

class TPictureCache;

class TCachedInlinePictures : public TInlinePictureSource {
public:
    explicit TCachedInlinePictures(TPictureCache& cache) noexcept : cache_(cache) {}

    // Null for a name the game does not have (the cache's placeholder) and for a damaged file: the
    // glyph then takes no room and shows nothing.
    std::unique_ptr<TInlinePicture> Load(std::string_view name) override;

private:
    TPictureCache& cache_;
};

} // namespace ruvo
