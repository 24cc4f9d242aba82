#include "platform/fontfaces.hpp"

#include <fontconfig/fontconfig.h>

#include <algorithm>

namespace ruvo::platform {

std::vector<std::string> InstalledFontFaces(bool fixedPitchOnly) {
    std::vector<std::string> names;
    if (!FcInit()) return names;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SPACING, nullptr);
    FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        int spacing = FC_PROPORTIONAL;
        FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
        if (fixedPitchOnly && spacing < FC_DUAL) continue;
        FcChar8* family = nullptr;
        if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch && family)
            names.emplace_back(reinterpret_cast<const char*>(family));
    }
    if (fonts) FcFontSetDestroy(fonts);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace ruvo::platform
