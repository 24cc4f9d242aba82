#pragma once
// The fonts installed on the machine, as fontconfig knows them.
#include <string>
#include <vector>

namespace ruvo::platform {

// Family names (UTF-8), sorted, each once; with fixedPitchOnly the fonts whose glyphs share one width
// (or two, as Japanese fixed-pitch fonts do for half- and full-width characters).
std::vector<std::string> InstalledFontFaces(bool fixedPitchOnly);

} // namespace ruvo::platform
