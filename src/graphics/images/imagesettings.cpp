#include "graphics/images/imagesettings.hpp"

#include "archive/serializer.hpp"

namespace ruvo {

void TLayeredImageSettings::Sync(TSerializer& s) { s.Bool(Dither); }

} // namespace ruvo
