#include "objects/text/textservices.hpp"

#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "text/gxword.hpp"

namespace ruvo {

struct TTextObjectServices::TNoFonts {
    TEmptyFontCatalog catalog;
    TFontPixelManager fonts{catalog};
    TTextServices services{fonts};
};

TTextObjectServices::TTextObjectServices() = default;
TTextObjectServices::~TTextObjectServices() = default;

TTextServices& TTextObjectServices::Text() {
    if (text_) return *text_;
    if (!noFonts_) noFonts_ = std::make_unique<TNoFonts>();
    return noFonts_->services;
}

} // namespace ruvo
