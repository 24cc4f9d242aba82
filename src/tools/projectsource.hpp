#pragma once
// The builder's project source ("project.rvp"): one "key = value" line per project field, "var" lines
// for the project variables and "disc" lines for the folder-to-disc map (docs/game-source.md).
#include <string>
#include <string_view>

#include "script/project.hpp"

namespace ruvo::tools {

// Throws ESourceError naming file and line.
TProjectFile BuildProjectSource(std::string_view utf8Source, const std::string& file);
// Source that builds back into the same project file.
std::string WriteProjectSource(const TProjectFile& project);

} // namespace ruvo::tools
