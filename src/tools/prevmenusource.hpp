#pragma once
// The builder's preview menu source (".rvt"): one button a line, in menu order, built into the menu
// template (".rmt") that a preview menu names by PR_SOURCE:
//   "caption" X, Y, "normal", "hover", "pressed", "clicked", "disabled", mask, cursor "file"
// After the place come up to five pictures in that order (later ones may be left out; "" skips one),
// the word mask (only the pictures' opaque pixels take the mouse) and the cursor, in any order.
// "#" starts a comment. The format is described in docs/game-source.md.
#include <string>
#include <string_view>

#include "objects/choices/prevmenutemplate.hpp"

namespace ruvo::tools {

// Throws ESourceError naming file and line.
TPrevMenuTemplate BuildPrevMenuSource(std::string_view utf8Source, const std::string& file);
// The source line of a button (without a line break), which builds the same button again.
std::string WritePrevMenuButton(const TPrevMenuButton& button);
// The whole source: a line for each button.
std::string WritePrevMenuSource(const TPrevMenuTemplate& menu);

} // namespace ruvo::tools
