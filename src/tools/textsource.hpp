#pragma once
// Message text in the game source (docs/game-source.md, "TextIns text"): the text of a TextIns is
// written as markup, which the builder compiles into the stored glyph form the message windows read;
// dump writes a stored text back as markup that compiles into the same bytes, or as the bytes
// themselves where markup cannot say them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo::tools {

struct TBuildWarning;

// A TextIns text as the source gives it.
struct TTextSource {
    std::vector<std::string> lines;  // Shift-JIS markup
    std::vector<int> sourceLines;    // the source line of each
    int version = 0;                 // of the stored form to write
};

// The stored form of a text. A link without target is an error (ESourceError at its line); an unknown
// tag, a "<" never closed, a '"' that turns the tags after it into text and a VAR whose expression does
// not compile build with a warning.
std::string BuildText(const TTextSource& text, const std::string& file, std::vector<TBuildWarning>* warnings);

// A "\"\"\"" that ends the arguments of a TextIns line opens a text block: it is taken off args.
bool TakeTextBlockOpener(std::string_view& args);
// The line that ends a text block.
bool ClosesTextBlock(std::string_view line);
// The markup of a block: its lines (UTF-8) without the indentation of the closing line, in Shift-JIS.
// firstLine is the source line of the first. Throws ESourceError.
TTextSource ReadTextBlock(const std::vector<std::string>& raw, std::string_view indent, int firstLine,
                          const std::string& file);
// The markup lines of a one-line text: the literal's value split at its \n.
std::vector<std::string> TextLiteralLines(const std::string& value);

// Markup lines (Shift-JIS) and the stored form's version that give back exactly these bytes.
struct TStoredMarkup {
    std::vector<std::string> lines;
    int version = 0;
};
std::optional<TStoredMarkup> MarkupOfStoredText(const std::string& stored);

// How dump --source writes a text.
struct TTextField {
    std::string argument;             // "markup" or hex"..." on the command line; empty for a block
    std::vector<std::string> block;   // UTF-8 lines of a block after the command line
    std::optional<int> version;       // [textversion=N] when not the builder's version
};
TTextField WriteTextField(const std::string& stored);
// The text in a listing: the markup, or the bytes.
std::string TextListing(const std::string& stored);

} // namespace ruvo::tools
