#pragma once
// Reading the tag markup: the tokenizer (text, tags, PRE and TEXTAREA blocks, comment, script and style
// blocks, escapes, space collapsing) and the tag reader (name, attributes with quotes).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ruvo {

// Where the tokenizer found things, for tools that point authors at a place in their markup.
struct TMarkupScan {
    std::vector<size_t> Starts;        // offset of each token's first character in the text
    std::optional<size_t> OpenTag;     // a "<" never closed by ">": its token shows as characters
    std::optional<size_t> OpenQuote;   // a '"' never closed: everything after it was taken as it is
};

// Splits markup (Shift-JIS, lines joined with CR) into tokens: texts and whole tags.
std::vector<std::string> TokenizeMarkup(std::string_view text, TMarkupScan* scan = nullptr);
// A comment, script or style block: one token that matches no tag.
bool IsRawBlockToken(std::string_view token) noexcept;
// A name of the tag table (any case); tags of other names are ignored.
bool IsMarkupTagName(std::string_view name) noexcept;

class TTag {
public:
    // At least three characters, "<" first and ">" last; anything else is text.
    static bool IsTag(std::string_view token) noexcept;
    // Reads a tag token. Comment, script and style blocks get no name and match nothing.
    explicit TTag(std::string_view token);

    const std::string& Name() const noexcept { return name_; }
    // The first attribute of that name (any case); null when there is none. An attribute written
    // without "=" is present with an empty value.
    const std::string* Find(std::string_view attribute) const noexcept;
    const std::vector<std::pair<std::string, std::string>>& Attributes() const noexcept { return attributes_; }

private:
    std::string name_;
    std::vector<std::pair<std::string, std::string>> attributes_;
};

// Escapes in link targets and event values: \" a quote, \\ a backslash, \n CR LF; other backslashes stay.
std::string UnescapeValue(std::string_view value);

} // namespace ruvo
