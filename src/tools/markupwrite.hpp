#pragma once
// Markup written from glyphs: the way back from a parsed or stored text to tags and characters, for
// tools that show stored texts to people and let them build the same text again.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ruvo {
class TGxWord;
}

namespace ruvo::tools {

// Markup lines (Shift-JIS) that Parse turns back into the engine's glyphs with their styles: tags in
// capitals, each style opened where it starts and closed where it ends, a new line after each line break
// glyph. Fields the stored form of version does not keep are left to the markup's defaults; defaultWait
// is the wait of characters outside WAIT tags. Nothing when a glyph holds what the tags cannot say (a
// colour above #FFFFFF, an alignment no DIV makes, a variable without text, a tag needed after a '"' that
// is never closed); other differences, such as two spaces in a row, show when the markup is parsed again.
std::optional<std::vector<std::string>> WriteMarkup(const TGxWord& engine, int version, int32_t defaultWait);

} // namespace ruvo::tools
