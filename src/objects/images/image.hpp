#pragma once
// The still image: the first frame of a named picture as the object's own picture, darkened by
// PR_BRIGHTNESS below 255. Frame-list tracks show their pictures with it; it is never saved on its own
// type code.
#include <string>

#include "objects/images/customimage.hpp"

namespace ruvo {

class TRuvoImage : public TRuvoCustomImage {
public:
    using TRuvoCustomImage::TRuvoCustomImage;

    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the image part: the source (loaded again) and the brightness.
    void Sync(TSerializer& s) override;

    // Takes the first frame of the named picture (shared with the cache until it is darkened) and the
    // size it gives; a name the cache cannot read leaves nothing to draw.
    void SetSource(std::string source);
    // 0..255; the picture is taken again.
    void SetBrightness(int32_t brightness);

    std::string Source;
    int32_t Brightness = 255;

private:
    void Reload();
};

} // namespace ruvo
