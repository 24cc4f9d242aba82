#pragma once
// The builder's region map source (".rvr"): one region a line, first match first, built into the
// game's region map file (".rgn") that map images name by PR_MAPSOURCE:
//   "name" rect L, T, R, B        right and bottom included
//   "name" ellipse L, T, R, B     the ellipse inside that rectangle
//   "name" polygon X1, Y1, X2, Y2, X3, Y3 ...
// "#" starts a comment. The format is described in docs/game-source.md.
#include <string>
#include <string_view>

#include "graphics/images/regionmap.hpp"

namespace ruvo::tools {

// Throws ESourceError naming file and line.
TRegionMap BuildRegionSource(std::string_view utf8Source, const std::string& file);

} // namespace ruvo::tools
