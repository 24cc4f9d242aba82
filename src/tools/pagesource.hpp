#pragma once
// The builder's page source: readable UTF-8 text from which a script page is built, and the writer
// that turns any page back into such text. The format is described in docs/game-source.md.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/page.hpp"

namespace ruvo::tools {

struct TBuildWarning;

// A command index written as "*label": resolved once every page of the game is built.
struct TLabelRef {
    int32_t* index;
    std::string page;   // Shift-JIS name of the page the command goes to
    std::string label;  // Shift-JIS label text
    std::string file;
    int line;
};

// Builds a page from its source. file names the source in errors ("FILE:LINE: ..."); pageName is the
// page's FileName (Shift-JIS). Command indexes written as labels are appended to labelRefs (an error
// when it is null); sourceLines, when given, receives the source line of every command; warnings, when
// given, what builds but is likely a mistake in message text markup. Throws ESourceError.
std::unique_ptr<TPage> BuildPageSource(std::string_view utf8Source, const std::string& file,
                                       const std::string& pageName, std::vector<TLabelRef>* labelRefs = nullptr,
                                       std::vector<int>* sourceLines = nullptr,
                                       std::vector<TBuildWarning>* warnings = nullptr);

// Page source that builds back into the same bytes. Expressions are written as infix text when that
// text compiles into the stored operations again, otherwise as their stored bytes (hex"...").
std::string WritePageSource(TPage& page);

// Index targets the builder fills in when the source leaves them out; nullopt when there is none.
// While: the first command after its body; WhileLoop: its While; Break: the loop's exit;
// Continue: the loop's WhileLoop (or its While).
std::optional<int32_t> AutoIndex(const TPage& page, int commandIndex, FieldHint hint);

} // namespace ruvo::tools
