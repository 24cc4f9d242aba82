#include "objects/textservices.hpp"

#include "graphics/fontcatalog.hpp"
#include "graphics/fontpixels.hpp"
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
