#pragma once
// Reading the tag markup: the tokenizer (text, tags, PRE and TEXTAREA blocks, comment, script and style
// blocks, escapes, space collapsing) and the tag reader (name, attributes with quotes).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ruvo {

// Splits markup (Shift-JIS, lines joined with CR) into tokens: texts and whole tags.
std::vector<std::string> TokenizeMarkup(std::string_view text);

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
