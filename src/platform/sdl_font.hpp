#pragma once
// The font the window's own words (tool bar, drawn message boxes) are set in: one that holds Japanese,
// found through fontconfig.
#include <string>

namespace ruvo::platform {

// The font file's path, or "" when fontconfig knows none.
std::string JapaneseFontPath();

} // namespace ruvo::platform
