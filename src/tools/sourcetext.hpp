#pragma once
// Lexical pieces of the game source format shared by its reader and its writer: string literals,
// top-level argument splitting, and the error that names a source file and line.
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo::tools {

// A problem in builder source: "FILE:LINE: message" in what().
class ESourceError : public std::runtime_error {
public:
    ESourceError(const std::string& file, int line, const std::string& message)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + message), line_(line) {}
    int Line() const noexcept { return line_; }

private:
    int line_;
};

// Reads a double-quoted literal starting at text[pos] (UTF-8 source) into Shift-JIS bytes and moves
// pos past it. Escapes: \" \\ \n (LF) \r \t and \xHH (a raw byte). Throws std::runtime_error.
std::string ParseStringLiteral(std::string_view text, size_t& pos);
// A whole argument that must be exactly one literal.
std::string StringLiteralValue(std::string_view text);
// The literal (UTF-8) that ParseStringLiteral reads back as these Shift-JIS bytes.
std::string FormatStringLiteral(std::string_view sjis);

// The line without its trailing comment: a "#" at the start or after a space or tab, outside quotes.
std::string_view StripTrailingComment(std::string_view line);
// The source names of the value types: "int", "float", "flag", "str" for 1..4; nullptr / nullopt for others.
const char* ValueTypeSourceName(int type) noexcept;
std::optional<uint8_t> ValueTypeFromSourceName(std::string_view name) noexcept;

// The lines of a one-item-a-line source, each without its comment and trimmed, empty ones skipped:
// parse(line) is called for each, and what it throws is named with the file and the line number
// (ESourceError).
void ForEachSourceLine(std::string_view utf8Source, const std::string& file,
                       const std::function<void(std::string_view line)>& parse);
// A whole decimal int32; throws std::runtime_error "\"text\" is not a whole number".
int32_t WholeNumber(std::string_view text);

// Splits at commas outside quotes, parentheses and square brackets; pieces are trimmed.
std::vector<std::string> SplitTopLevel(std::string_view text);
std::string_view Trim(std::string_view text);

// Hexadecimal text of bytes and back (whitespace ignored when reading); throws on a bad digit.
std::string ToHex(std::string_view bytes);
std::string FromHex(std::string_view hex);

// UTF-8 → Shift-JIS that names the offending character in its message.
std::string SourceToSjis(std::string_view utf8);
// Shift-JIS → UTF-8 when every character converts and the UTF-8 converts back into the same bytes
// (the NEC and IBM characters that have two codes come back as only one of them).
bool SjisToUtf8Exact(std::string_view sjis, std::string& utf8);

// A page name written in source with "/" between folders, as the game stores it: with "\".
std::string PageNameFromSource(std::string_view literalSource);
// The literal for a page name; a "/" in a stored name is escaped so that it is not taken for a folder
// separator when read back.
std::string FormatPageNameLiteral(std::string_view sjis);

} // namespace ruvo::tools
