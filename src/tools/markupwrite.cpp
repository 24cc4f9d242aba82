// Glyphs back to markup. Styles are tag pairs opened in one nesting order and closed innermost first, so
// the markup nests as a person would write it. FONT and WAIT are never open twice, so closing one goes
// back to the defaults.
#include "tools/markupwrite.hpp"

#include <array>
#include <cstdio>

#include "archive/sjis.hpp"
#include "script/expression.hpp"
#include "text/gxword.hpp"

namespace ruvo::tools {

namespace {

// What a tag pair sets, outermost first.
enum TElement : size_t { elLink, elWait, elFont, elNoBreak, elBold, elItalic, elUnderline, elStrike, elRuby, elCount };
constexpr const char* kClosing[elCount] = {"</A>", "</WAIT>", "</FONT>", "</NOBR>", "</B>",
                                           "</I>", "</U>",    "</S>",    "</RUBY>"};
constexpr const char* kStyleTags[] = {"<B>", "<I>", "<U>", "<S>"};  // style bits 1, 2, 4, 8
constexpr uint8_t kStyleBits = 0x0F;

// The opening tag of each element; empty where the default holds.
using TOpenings = std::array<std::string, elCount>;

// A value that needs no quotes: letters, digits, double-byte characters and marks that neither the
// tokenizer nor the tag reader treat specially.
bool Bare(std::string_view value) {
    constexpr std::string_view kMarks = "._-#:/@+*";
    for (size_t i = 0; i < value.size(); i = NextCharPos(value, i)) {
        const uint8_t c = uint8_t(value[i]);
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= 0xA1 && c <= 0xDF) || kMarks.find(char(c)) != std::string_view::npos;
        if (CharLength(value, i) == 1 && !plain)
            return false;
    }
    return !value.empty();
}

// Attribute values the tag reader takes as they are: the tokenizer keeps what stands between double
// quotes, and a value holding double quotes can only stand between single ones.
std::string Quoted(const std::string& value) {
    if (Bare(value))
        return value;
    return value.find('"') == std::string::npos ? '"' + value + '"' : '\'' + value + '\'';
}

// HREF and EVENT values go through the escapes \\ and \n (CR LF) when read.
std::string Escaped(std::string_view value) {
    if (Bare(value))
        return std::string(value);
    std::string out = "\"";
    for (size_t i = 0; i < value.size(); i = NextCharPos(value, i)) {
        const size_t n = CharLength(value, i);
        if (n == 1 && value[i] == '\\') {
            out += "\\\\";
        } else if (value.substr(i, 2) == "\r\n") {
            out += "\\n";
            ++i;
        } else {
            out.append(value.substr(i, n));
        }
    }
    return out + '"';
}

// "#RRGGBB" of a colour 0x00BBGGRR; nothing for values the markup cannot write.
std::optional<std::string> ColourText(int32_t bgr) {
    if (bgr < 0 || bgr > 0xFFFFFF)
        return std::nullopt;
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", bgr & 0xFF, bgr >> 8 & 0xFF, bgr >> 16 & 0xFF);
    return text;
}

// The FONT tag of a style's seven font values; "" when all are the defaults.
std::optional<std::string> FontTag(const TDecorateStyle& s) {
    std::string attributes;
    if (s.Size != 0)
        attributes += " SIZE=" + std::to_string(s.Size);
    for (const auto& [name, colour] : {std::pair{"COLOR", s.Color}, {"BCOLOR", s.BorderColor}, {"SCOLOR", s.ShadowColor}}) {
        if (colour == -1)
            continue;
        const auto text = ColourText(colour);
        if (!text)
            return std::nullopt;
        attributes += std::string(" ") + name + "=" + *text;
    }
    if (!s.FontName.empty())
        attributes += " NAME=" + Quoted(s.FontName);
    for (const auto& [name, width] : {std::pair{"BORDER", s.BorderWidth}, {"SHADOW", s.ShadowWidth}}) {
        if (width < -1)
            return std::nullopt;  // a width tags give is 0 or more, or the default
        if (width >= 0)
            attributes += std::string(" ") + name + "=" + std::to_string(width);
    }
    return attributes.empty() ? attributes : "<FONT" + attributes + ">";
}

// Characters, variables and pictures take what the open tags say (style, link, wait); the others not.
bool HasStyle(const TWdGlyph& g) { return g.Kind() == gkChar || g.Kind() == gkVar || g.Kind() == gkImg; }

class TMarkupWriter {
public:
    TMarkupWriter(int version, int32_t defaultWait) : version_(version), defaultWait_(defaultWait) {}

    // next: the next glyph that has a style, or none. A style that ends is closed before the glyphs
    // between, one that starts opens at its first glyph.
    bool Glyph(const TWdGlyph& g, const TWdGlyph* next) {
        if (HasStyle(g) && !Restyle(g, true))
            return false;
        if (!HasStyle(g) && !quoted_) {
            if (next)
                Restyle(*next, false);  // a style no tag can say fails at its own glyph
            else
                CloseFrom(0);
        }
        switch (g.Kind()) {
        case gkChar: return Char(g.Code());
        case gkVar: return Var(static_cast<const TWdOpeVar&>(g));
        case gkImg: return Img(g);
        case gkReturn:
            if (!Tag(g.Clear() ? "<CLEAR>" : "<BR>"))
                return false;
            lines_.push_back(std::move(line_));
            line_.clear();
            return true;
        case gkAlign: return Div(g.Align());
        case gkIndent: return Tag("<INDENT>");
        case gkUndent: return Tag("<UNDENT>");
        case gkEvent: return Event(static_cast<const TWdOpeEvent&>(g));
        default: return false;
        }
    }

    std::vector<std::string> Finish() {
        if (!quoted_)
            CloseFrom(0);
        lines_.push_back(std::move(line_));
        return std::move(lines_);
    }

private:
    // Old stored forms keep no shadow, and the edge only as a flag.
    TDecorateStyle Kept(TDecorateStyle s) const {
        if (version_ < 100) {
            s.ShadowWidth = s.ShadowColor = -1;
            s.BorderWidth = s.BorderWidth > 0 ? 1 : -1;
        }
        return s;
    }

    // Brings the open tags to a glyph's style, link and wait: characters have all three; a variable has
    // no link and wait of its own before version 101; a picture has no style.
    bool Restyle(const TWdGlyph& g, bool open) {
        const int32_t wait = g.Wait();
        const bool linked = g.Kind() != gkVar || version_ > 100;
        const TDecorateStyle* style = g.Kind() == gkChar  ? &static_cast<const TWdChar&>(g).Style()
                                      : g.Kind() == gkVar ? &static_cast<const TWdOpeVar&>(g).Style()
                                                          : nullptr;
        return Restyle(style, linked ? &g.Link() : nullptr, linked ? &wait : nullptr, open);
    }

    // What is not given stays as it is; without open, only what ends is closed.
    bool Restyle(const TDecorateStyle* style, const std::string* link, const int32_t* wait, bool open) {
        TOpenings wanted = openings_;
        if (link)
            wanted[elLink] = link->empty() ? "" : "<A HREF=" + Escaped(*link) + ">";
        if (wait)
            wanted[elWait] = *wait == defaultWait_ ? "" : "<WAIT VALUE=" + std::to_string(*wait) + ">";
        if (style) {
            const auto font = FontTag(Kept(*style));
            if (!font || (style->Style & ~kStyleBits) != 0)
                return false;
            wanted[elFont] = *font;
            wanted[elNoBreak] = style->NoBreak ? "<NOBR>" : "";
            for (size_t bit = 0; bit < 4; ++bit)
                wanted[elBold + bit] = style->Style & (1 << bit) ? kStyleTags[bit] : "";
            wanted[elRuby] = style->Ruby.empty() ? "" : "<RUBY VALUE=" + Quoted(style->Ruby) + ">";
        }
        if (wanted == openings_)
            return true;
        if (quoted_)
            return false;
        size_t keep = 0;
        while (keep < open_.size() && openings_[open_[keep]] == wanted[open_[keep]])
            ++keep;
        CloseFrom(keep);
        for (size_t e = 0; open && e < elCount; ++e)
            if (!wanted[e].empty() && openings_[e].empty()) {
                line_ += wanted[e];
                openings_[e] = wanted[e];
                open_.push_back(TElement(e));
            }
        return true;
    }

    void CloseFrom(size_t keep) {
        for (; open_.size() > keep; open_.pop_back()) {
            line_ += kClosing[open_.back()];
            openings_[open_.back()].clear();
        }
    }

    // A tag cannot stand after a '"' that opened a quoted run: there it would be characters.
    bool Tag(const std::string& tag) {
        if (quoted_)
            return false;
        line_ += tag;
        return true;
    }

    bool Char(uint16_t code) {
        std::string bytes(1, char(code & 0xFF));
        if (code > 0xFF)
            bytes.insert(bytes.begin(), char(code >> 8));
        if (quoted_) {
            quoted_ = code != '"';
            line_ += bytes;
            return true;
        }
        if (code == '<' || code == '\\')
            line_ += '\\';
        quoted_ = code == '"';
        line_ += bytes;
        return true;
    }

    bool Var(const TWdOpeVar& v) {
        std::string expression = v.Value();
        if (expression.empty() && v.Compiled())
            expression = ExpressionText(*v.Compiled());
        return !expression.empty() && Tag("<VAR NAME=" + Quoted(expression) + ">");
    }

    bool Img(const TWdGlyph& g) {
        const char* align = g.Align() == taBottom ? ""
                            : g.Align() == taCenter ? " ALIGN=CENTER"
                            : g.Align() == taTop    ? " ALIGN=TOP"
                                                    : nullptr;
        return align && !g.Value().empty() && Tag("<IMG SRC=" + Quoted(g.Value()) + align + ">");
    }

    bool Event(const TWdOpeEvent& e) {
        // Parsed, END is a 0x01 before the value; read from a stored text, it is the stop flag.
        std::string value = e.Value();
        bool stop = e.Stop();
        if (!value.empty() && value[0] == '\x01') {
            stop = true;
            value.erase(0, 1);
        }
        return Tag("<EVENT" + (value.empty() ? "" : " VALUE=" + Escaped(value)) + (stop ? " END" : "") + ">");
    }

    // DIV pushes an alignment and /DIV pops one, each making an alignment glyph with the new top.
    bool Div(int align) {
        static constexpr const char* kNames[] = {nullptr, "LEFT", "RIGHT", "CENTER"};
        if (align < taLeft || align > taCenter)
            return false;
        const int below = divs_.size() >= 2 ? divs_[divs_.size() - 2] : taLeft;
        if (!divs_.empty() && below == align) {
            divs_.pop_back();
            return Tag("</DIV>");
        }
        divs_.push_back(align);
        return Tag(std::string("<DIV ALIGN=") + kNames[align] + ">");
    }

    int version_;
    int32_t defaultWait_;
    std::vector<std::string> lines_;
    std::string line_;
    bool quoted_ = false;  // after a '"' the tokenizer takes everything as it is up to the next one
    std::vector<TElement> open_;  // in the order opened
    TOpenings openings_;
    std::vector<int> divs_;  // the alignment stack
};

} // namespace

std::optional<std::vector<std::string>> WriteMarkup(const TGxWord& engine, int version, int32_t defaultWait) {
    // What a variable inserted comes back from the variable.
    std::vector<const TWdGlyph*> glyphs;
    for (int i = 0; i < engine.GlyphCount(); ++i)
        if (engine.Glyph(i)->Weight() > 0)
            glyphs.push_back(engine.Glyph(i));
    std::vector<const TWdGlyph*> nextStyled(glyphs.size() + 1, nullptr);
    for (size_t i = glyphs.size(); i-- > 0;)
        nextStyled[i] = HasStyle(*glyphs[i]) ? glyphs[i] : nextStyled[i + 1];
    TMarkupWriter writer(version, defaultWait);
    for (size_t i = 0; i < glyphs.size(); ++i)
        if (!writer.Glyph(*glyphs[i], nextStyled[i + 1]))
            return std::nullopt;
    return writer.Finish();
}

} // namespace ruvo::tools
