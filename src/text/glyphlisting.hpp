#pragma once
// The glyph list of an engine as lines for people and tests: POSITION, KIND, TEXT and STYLE separated by
// tabs (UTF-8), as "ruvotool text glyphs" prints it.
#include <string>

namespace ruvo {

class TGxWord;

// One line per glyph. TEXT is the character, the alignment name, "clear" for a clearing break, the event
// value, the variable's expression or the picture name; STYLE the attributes that differ from the
// defaults as key=value. Control bytes, and spaces inside values, are written as \xHH.
std::string GlyphListing(const TGxWord& engine);

} // namespace ruvo
