#include "tools/textsource.hpp"

#include <algorithm>
#include <set>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "params/exprbuild.hpp"
#include "text/gxword.hpp"
#include "text/markup.hpp"
#include "tools/buildcheck.hpp"
#include "tools/exprdiag.hpp"
#include "tools/markupwrite.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

constexpr std::string_view kBlockQuote = "\"\"\"";
// A one-line markup text up to this many columns (Shift-JIS bytes) stays on the command line.
constexpr size_t kArgumentColumns = 60;

// The builder's engines draw nothing and evaluate nothing; characters outside WAIT tags get the
// player's default message speed as their wait.
TTextServices& BuilderServices() {
    static TEmptyFontCatalog catalog;
    static TFontPixelManager fonts(catalog);
    static TTextServices services{fonts};
    return services;
}

std::string Compile(const std::vector<std::string>& lines, int version) {
    TGxWord engine(BuilderServices());
    engine.Parse(lines);
    TMemoryStream s;
    engine.WriteStored(s, version);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// Looks at the tags as the engine will read them, naming the source line of each finding.
class TMarkupCheck {
public:
    TMarkupCheck(const TTextSource& text, const std::string& file, std::vector<TBuildWarning>* warnings)
        : text_(text), file_(file), warnings_(warnings) {
        for (size_t i = 0; i < text.lines.size(); ++i) {
            if (i > 0) joined_ += '\r';
            lineStarts_.push_back(joined_.size());
            joined_ += text.lines[i];
        }
    }

    void Run() {
        TMarkupScan scan;
        const std::vector<std::string> tokens = TokenizeMarkup(joined_, &scan);
        for (size_t i = 0; i < tokens.size(); ++i)
            if (TTag::IsTag(tokens[i]) && !IsRawBlockToken(tokens[i])) Tag(tokens[i], scan.Starts[i]);
        if (scan.OpenTag)
            Warn(*scan.OpenTag, "a < is never closed by >: it and the text after it show as characters (\\< writes a <)");
        if (scan.OpenQuote && joined_.find('<', *scan.OpenQuote) != std::string::npos)
            Warn(*scan.OpenQuote, "a \" is never closed: the text after it shows as written, tags too");
    }

private:
    void Tag(const std::string& token, size_t at) {
        const TTag tag(token);
        const std::string shown = SjisToUtf8Lossy(token);
        if (!IsMarkupTagName(tag.Name())) {
            // Once per name: its closing tag says nothing new.
            std::string name = LowerSjis(tag.Name());
            if (!name.empty() && name.front() == '/') name.erase(0, 1);
            if (unknown_.insert(name).second) Warn(at, "unknown tag " + shown + " is ignored");
        } else if (SameTextSjis(tag.Name(), "A")) {
            const std::string* href = tag.Find("HREF");
            if (!href || href->empty())
                throw ESourceError(file_, LineOf(at), "<A>タグにHREF値がありません in " + shown + ": a link needs HREF=\"target\"");
        } else if (SameTextSjis(tag.Name(), "VAR")) {
            const std::string* name = tag.Find("NAME");
            if (!name || name->empty()) return;
            try {
                CompileExpression(std::string(Trim(*name)));
            } catch (const ERuvoError& e) {
                Warn(at, "the expression of " + shown + " does not compile, so it shows nothing: " +
                             DescribeCompileError(SjisToUtf8Lossy(e.Message()), SjisToUtf8Lossy(Trim(*name))));
            }
        }
    }

    int LineOf(size_t offset) const {
        const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
        return text_.sourceLines[static_cast<size_t>(after - lineStarts_.begin()) - 1];
    }

    void Warn(size_t offset, std::string message) {
        if (warnings_) warnings_->push_back({file_, LineOf(offset), std::move(message)});
    }

    const TTextSource& text_;
    const std::string& file_;
    std::vector<TBuildWarning>* warnings_;
    std::string joined_;  // as the engine joins the lines
    std::vector<size_t> lineStarts_;
    std::set<std::string> unknown_;  // names of unknown tags reported
};

// Lines a block carries back exactly: convertible, no control characters, nothing an editor trims at
// the end of a line, and none that would end the block.
bool BlockLines(const std::vector<std::string>& sjis, std::vector<std::string>& utf8) {
    for (const std::string& line : sjis) {
        std::string text;
        if (!SjisToUtf8Exact(line, text) || ClosesTextBlock(text)) return false;
        if (std::any_of(line.begin(), line.end(), [](char c) { return static_cast<uint8_t>(c) < 0x20 || c == 0x7F; }))
            return false;
        if (!text.empty() && text.back() == ' ') return false;
        utf8.push_back(std::move(text));
    }
    return true;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
    return text;
}

} // namespace

std::string BuildText(const TTextSource& text, const std::string& file, std::vector<TBuildWarning>* warnings) {
    TMarkupCheck(text, file, warnings).Run();
    try {
        return Compile(text.lines, text.version);
    } catch (const ERuvoError& e) {
        throw ESourceError(file, text.sourceLines.empty() ? 0 : text.sourceLines.front(), SjisToUtf8Lossy(e.Message()));
    }
}

bool TakeTextBlockOpener(std::string_view& args) {
    if (args.size() < kBlockQuote.size() || args.substr(args.size() - kBlockQuote.size()) != kBlockQuote) return false;
    const std::string_view before = args.substr(0, args.size() - kBlockQuote.size());
    if (!before.empty() && before.back() != ' ' && before.back() != '\t') return false;
    args = Trim(before);
    return true;
}

bool ClosesTextBlock(std::string_view line) { return Trim(line) == kBlockQuote; }

TTextSource ReadTextBlock(const std::vector<std::string>& raw, std::string_view indent, int firstLine,
                          const std::string& file) {
    TTextSource block;
    for (size_t i = 0; i < raw.size(); ++i) {
        const int line = firstLine + static_cast<int>(i);
        std::string_view text = raw[i];
        if (text.substr(0, indent.size()) == indent) text.remove_prefix(indent.size());
        else if (Trim(text).empty()) text = {};
        else throw ESourceError(file, line, "the line is indented less than the \"\"\" that closes its text");
        try {
            block.lines.push_back(SourceToSjis(text));
        } catch (const std::exception& e) {
            throw ESourceError(file, line, e.what());
        }
        block.sourceLines.push_back(line);
    }
    return block;
}

std::vector<std::string> TextLiteralLines(const std::string& value) {
    std::vector<std::string> lines(1);
    for (char c : value) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    return lines;
}

std::optional<TStoredMarkup> MarkupOfStoredText(const std::string& stored) {
    try {
        TGxWord engine(BuilderServices());
        TReadOnlyMemoryStream s(reinterpret_cast<const uint8_t*>(stored.data()), static_cast<int64_t>(stored.size()));
        const int version = engine.LoadStored(s);
        if (s.Remaining() != 0) return std::nullopt;
        auto lines = WriteMarkup(engine, version, engine.DefaultWait());
        // A line break byte inside a line would part it in source.
        if (!lines || std::any_of(lines->begin(), lines->end(), [](const auto& l) { return l.find('\n') != l.npos; }))
            return std::nullopt;
        if (Compile(*lines, version) == stored) return TStoredMarkup{std::move(*lines), version};
    } catch (const std::exception&) {
        // Not a text the engine reads (or not one markup gives back): it stays bytes.
    }
    return std::nullopt;
}

TTextField WriteTextField(const std::string& stored) {
    TTextField field;
    const auto markup = MarkupOfStoredText(stored);
    if (!markup) {
        field.argument = "hex\"" + ToHex(stored) + "\"";
        return field;
    }
    if (markup->version != kStoredTextVersion) field.version = markup->version;
    const std::string& first = markup->lines.front();
    const bool shortLine = markup->lines.size() == 1 && first.size() <= kArgumentColumns &&
                           first.find_first_of("\"\\") == std::string::npos;
    if (shortLine || !BlockLines(markup->lines, field.block)) {
        field.block.clear();
        field.argument = FormatStringLiteral(Joined(markup->lines));
    }
    return field;
}

std::string TextListing(const std::string& stored) {
    const auto markup = MarkupOfStoredText(stored);
    if (!markup) return std::to_string(stored.size()) + " bytes hex\"" + ToHex(stored) + "\"";
    const std::string version =
        markup->version == kStoredTextVersion ? "" : " (glyph form " + std::to_string(markup->version) + ")";
    return FormatStringLiteral(Joined(markup->lines)) + version;
}

} // namespace ruvo::tools
