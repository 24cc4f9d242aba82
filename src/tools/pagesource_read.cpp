// Reading page source into a page.
#include <charconv>
#include <map>
#include <optional>
#include <set>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/exprbuild.hpp"
#include "params/properties.hpp"
#include "text/gxword.hpp"
#include "tools/buildcheck.hpp"
#include "tools/exprdiag.hpp"
#include "tools/pagesource.hpp"
#include "tools/sourcetext.hpp"
#include "tools/textsource.hpp"

namespace ruvo::tools {

namespace {

struct PendingCommand {
    int code = -1;
    int sourceLine = 0;
    std::optional<int32_t> depth;  // from a [depth=N] tag; else the indentation says
    std::optional<int32_t> line, cont, disabled;
    std::vector<std::string> args;
    bool openBlock = false;
    // TextIns: the stored form's version of its text, and the text block after the line.
    std::optional<int32_t> textVersion;
    bool textBlock = false;
    TTextSource text;
};

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

// "name: value" → name; else nullopt.
std::optional<std::string> NamedArgument(std::string_view arg, std::string_view& value) {
    size_t i = 0;
    if (arg.empty() || !IsIdentStart(arg[0])) return std::nullopt;
    while (i < arg.size() && IsIdentChar(arg[i])) ++i;
    size_t end = i;
    while (i < arg.size() && arg[i] == ' ') ++i;
    if (i >= arg.size() || arg[i] != ':') return std::nullopt;
    value = Trim(arg.substr(i + 1));
    return std::string(arg.substr(0, end));
}

// "PR_NAME = value" → the property id; else nullopt (throws for an unknown PR_ name).
std::optional<int> PropertyArgument(std::string_view arg, std::string_view& value) {
    if (arg.substr(0, 3) != "PR_") return std::nullopt;
    size_t i = 0;
    while (i < arg.size() && IsIdentChar(arg[i])) ++i;
    std::string_view name = arg.substr(0, i);
    while (i < arg.size() && arg[i] == ' ') ++i;
    if (i >= arg.size() || arg[i] != '=' || (i + 1 < arg.size() && arg[i + 1] == '=')) return std::nullopt;
    auto id = PropertyIdByName(name);
    if (!id) throw std::runtime_error("unknown property " + std::string(name));
    value = Trim(arg.substr(i + 1));
    return id;
}

int64_t ParseInteger(std::string_view text, int64_t low, int64_t high) {
    text = Trim(text);
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw std::runtime_error("an integer is expected, not \"" + std::string(text) + "\"");
    if (value < low || value > high)
        throw std::runtime_error(std::string(text) + " is outside " + std::to_string(low) + ".." + std::to_string(high));
    return value;
}

// hex"..." → the bytes; nullopt when the text is not of that form.
std::optional<std::string> HexLiteral(std::string_view text) {
    text = Trim(text);
    if (text.size() < 5 || text.substr(0, 4) != "hex\"" || text.back() != '"') return std::nullopt;
    return FromHex(text.substr(4, text.size() - 5));
}

std::unique_ptr<TExpression> ParseExpression(std::string_view text) {
    text = Trim(text);
    auto expr = std::make_unique<TExpression>();
    if (text.empty()) return expr;
    if (auto raw = HexLiteral(text)) {
        TReadOnlyMemoryStream s(reinterpret_cast<const uint8_t*>(raw->data()), static_cast<int64_t>(raw->size()));
        expr->LoadFromStream(s);
        if (s.Remaining() != 0) throw std::runtime_error("stored expression has bytes after its last operation");
        return expr;
    }
    const std::string sjis = SourceToSjis(text);
    try {
        *expr = CompileExpression(sjis);
    } catch (const ERuvoError& e) {
        throw std::runtime_error(DescribeCompileError(SjisToUtf8Lossy(e.Message()), text));
    }
    return expr;
}

uint8_t ParseByte(std::string_view text, FieldHint hint) {
    text = Trim(text);
    if (text == "true" || text == "TRUE") return 1;
    if (text == "false" || text == "FALSE") return 0;
    if (hint == FieldHint::ValueType) {
        if (auto type = ValueTypeFromSourceName(text)) return *type;
    }
    return static_cast<uint8_t>(ParseInteger(text, 0, 255));
}

struct AutoField {
    TCommand* command;
    int32_t* value;
    FieldHint hint;
    int sourceLine;
};

// Fills a new command's fields from the arguments of its source line.
class FieldAssigner final : public TRecordVisitor {
public:
    FieldAssigner(const PendingCommand& pc, int32_t version, bool component, const std::string& file,
                  std::vector<TBuildWarning>* warnings)
        : version_(version), pc_(pc), file_(file), warnings_(warnings) {
        for (const auto& arg : pc.args) {
            std::string_view value;
            if (component) {
                if (auto id = PropertyArgument(arg, value)) {
                    properties_[*id] = std::string(value);
                    continue;
                }
            }
            if (auto name = NamedArgument(arg, value)) {
                if (!named_.emplace(*name, std::string(value)).second) throw std::runtime_error(*name + " is given twice");
                continue;
            }
            positional_.push_back(arg);
        }
    }

    void Finish() const {
        if (next_ < positional_.size())
            throw std::runtime_error("too many arguments: \"" + positional_[next_] + "\" has no field left to fill");
        for (const auto& [name, value] : named_)
            if (!used_.count(name)) throw std::runtime_error("no field named " + name);
    }
    std::vector<std::pair<int32_t*, FieldHint>> autoFields;
    std::vector<TLabelRef> labelRefs;

    void Expr(const char* name, TExpression& value, int32_t since) override {
        if (auto text = Take(name, since)) value = std::move(*ParseExpression(*text));
    }
    void Str(const char* name, std::string& value) override {
        const bool page = std::string_view(name) == "page";
        if (auto text = Take(name, 0)) value = page ? PageNameFromSource(*text) : StringLiteralValue(*text);
        if (page) lastPage_ = value;
    }
    void Int(const char* name, int32_t& value, int32_t since, FieldHint hint) override {
        auto text = Take(name, since);
        if (text && hint == FieldHint::CommandIndex && Trim(*text).substr(0, 1) == "*")
            labelRefs.push_back({&value, lastPage_, SourceToSjis(Trim(*text).substr(1)), {}, 0});
        else if (text) value = static_cast<int32_t>(ParseInteger(*text, INT32_MIN, INT32_MAX));
        else if (hint != FieldHint::None && hint != FieldHint::CommandIndex && version_ >= since)
            autoFields.emplace_back(&value, hint);
    }
    void Byte(const char* name, uint8_t& value, FieldHint hint) override {
        if (auto text = Take(name, 0)) value = ParseByte(*text, hint);
    }
    void ExprList(const char* name, TExprList& list) override {
        auto text = Take(name, 0);
        if (!text) return;
        std::string_view t = Trim(*text);
        if (t.size() < 2 || t.front() != '[' || t.back() != ']')
            throw std::runtime_error(std::string(name) + " is a list: write [expr, expr, ...]");
        list.clear();
        for (const auto& item : SplitTopLevel(t.substr(1, t.size() - 2))) list.push_back(ParseExpression(item));
    }
    // The message text: markup compiled into the stored glyph form, or the stored bytes themselves.
    void Blob(const char* name, std::string& bytes) override {
        TTextSource text = pc_.text;
        if (pc_.textBlock) {
            if (named_.count(name)) throw std::runtime_error(std::string(name) + " is given twice: on the line and in the block");
        } else {
            auto given = Take(name, 0);
            auto raw = given ? HexLiteral(*given) : std::nullopt;
            if (pc_.textVersion && (!given || raw))
                throw std::runtime_error("[textversion] is for a text written as markup");
            if (raw) bytes = *raw;
            if (!given || raw) return;
            text.lines = TextLiteralLines(StringLiteralValue(*given));
            text.sourceLines.assign(text.lines.size(), pc_.sourceLine);
        }
        text.version = pc_.textVersion.value_or(kStoredTextVersion);
        bytes = BuildText(text, file_, warnings_);
    }
    void Properties(TPropertyExprs& slots) override {
        for (auto& slot : slots) {
            auto it = properties_.find(slot.id);
            if (it != properties_.end()) slot.expr = ParseExpression(it->second);
        }
    }

private:
    std::optional<std::string> Take(const char* name, int32_t since) {
        auto it = named_.find(name);
        if (version_ < since) {
            if (it != named_.end())
                throw std::runtime_error(std::string(name) + " exists only in pages of version " + std::to_string(since) +
                                         " or later");
            return std::nullopt;
        }
        if (it != named_.end()) {
            used_.insert(name);
            return it->second;
        }
        if (next_ < positional_.size()) return positional_[next_++];
        return std::nullopt;
    }

    int32_t version_;
    const PendingCommand& pc_;
    const std::string& file_;
    std::vector<TBuildWarning>* warnings_;
    std::vector<std::string> positional_;
    size_t next_ = 0;
    std::map<std::string, std::string> named_;
    std::set<std::string> used_;
    std::map<int, std::string> properties_;
    std::string lastPage_;
};

// "[line=12]" and friends at the start of a command line.
void ParseTags(std::string_view& rest, PendingCommand& pc) {
    while (!rest.empty() && rest.front() == '[') {
        size_t close = rest.find(']');
        if (close == std::string_view::npos) throw std::runtime_error("a tag has no closing ]");
        std::string_view tag = Trim(rest.substr(1, close - 1));
        rest = Trim(rest.substr(close + 1));
        std::string_view key = tag, value;
        if (size_t eq = tag.find('='); eq != std::string_view::npos) {
            key = Trim(tag.substr(0, eq));
            value = Trim(tag.substr(eq + 1));
        }
        if (key == "disabled") pc.disabled = value.empty() ? 1 : static_cast<int32_t>(ParseInteger(value, 0, 255));
        else if (key == "cont") pc.cont = value.empty() ? 1 : static_cast<int32_t>(ParseInteger(value, 0, 255));
        else if (key == "endframe" && value.empty()) pc.cont = 0;
        else if (key == "line") pc.line = static_cast<int32_t>(ParseInteger(value, INT32_MIN, INT32_MAX));
        else if (key == "depth") pc.depth = static_cast<int32_t>(ParseInteger(value, INT32_MIN, INT32_MAX));
        else if (key == "textversion") pc.textVersion = static_cast<int32_t>(ParseInteger(value, 0, 999));
        else throw std::runtime_error("unknown tag [" + std::string(tag) + "]");
    }
}

class PageSourceReader {
public:
    PageSourceReader(const std::string& file, std::vector<TLabelRef>* labelRefs, std::vector<TBuildWarning>* warnings)
        : file_(file), labelRefs_(labelRefs), warnings_(warnings) {}

    std::unique_ptr<TPage> Build(std::string_view source, const std::string& pageName, std::vector<int>* sourceLines) {
        ReadLines(source);
        auto page = std::make_unique<TPage>();
        page->FileName = pageName;
        page->Version = version_;
        page->ReturnType = returnType_;
        page->StoredMaskCount = maskCount_;
        page->PropertyMasks = extraMasks_;
        for (const auto& pc : pending_) {
            At(pc.sourceLine, [&] {
                std::string_view value;
                for (const auto& arg : pc.args)
                    if (IsComponentCode(pc.code))
                        if (auto id = PropertyArgument(arg, value)) MaskSet(page->PropertyMasks[pc.code], *id);
            });
        }
        std::vector<AutoField> autos;
        for (const auto& pc : pending_) {
            At(pc.sourceLine, [&] {
                auto command = page->CreateCommand(pc.code);
                command->Depth = pc.depth.value_or(0);
                command->Line = pc.line.value_or(pc.sourceLine);
                command->Cont = static_cast<uint8_t>(pc.cont.value_or(DefaultContinue(pc.code) ? 1 : 0));
                command->Disabled = static_cast<uint8_t>(pc.disabled.value_or(0));
                ApplySourceDefaults(*command);
                if (pc.textVersion && pc.code != TComTextIns::kCode) throw std::runtime_error("only TextIns has a [textversion]");
                FieldAssigner assigner(pc, version_, IsComponentCode(pc.code), file_, warnings_);
                command->VisitRecord(assigner);
                assigner.Finish();
                for (auto [value, hint] : assigner.autoFields) autos.push_back({command.get(), value, hint, pc.sourceLine});
                for (auto& ref : assigner.labelRefs) {
                    if (!labelRefs_) throw std::runtime_error("a command index given as a label needs the whole game to resolve");
                    ref.file = file_;
                    ref.line = pc.sourceLine;
                    labelRefs_->push_back(std::move(ref));
                }
                page->Commands.push_back(std::move(command));
            });
        }
        for (const auto& a : autos) {
            auto index = AutoIndex(*page, page->IndexOf(a.command), a.hint);
            if (!index) {
                const char* what = a.hint == FieldHint::WhileLoopBack ? "a WhileLoop must end the body of a While"
                                                                     : "no enclosing While loop to find the target";
                throw ESourceError(file_, a.sourceLine, std::string(what) + "; give the index explicitly (-1 ends the page)");
            }
            *a.value = *index;
        }
        if (sourceLines)
            for (const auto& pc : pending_) sourceLines->push_back(pc.sourceLine);
        return page;
    }

private:
    template <class Fn>
    void At(int line, Fn&& fn) {
        try {
            fn();
        } catch (const ESourceError&) {
            throw;
        } catch (const std::exception& e) {
            throw ESourceError(file_, line, e.what());
        }
    }

    int32_t DepthOf(std::string_view indent, int line) {
        if (indent.empty()) return 0;
        if (unit_.empty()) unit_ = std::string(indent);
        if (indent.size() % unit_.size() != 0)
            throw ESourceError(file_, line, "indentation is not a whole number of steps of the first indented line");
        for (size_t i = 0; i < indent.size(); i += unit_.size())
            if (indent.substr(i, unit_.size()) != unit_)
                throw ESourceError(file_, line, "indentation mixes tabs and spaces differently from the first indented line");
        return static_cast<int32_t>(indent.size() / unit_.size());
    }

    void Directive(std::string_view text) {
        size_t space = text.find(' ');
        std::string_view key = text.substr(0, space);
        std::string_view rest = space == std::string_view::npos ? std::string_view() : Trim(text.substr(space));
        if (key == "version") {
            version_ = static_cast<int32_t>(ParseInteger(rest, kPageMinVersion, kPageMaxVersion));
        } else if (key == "return") {
            returnType_ = ParseByte(rest, FieldHint::ValueType);
        } else if (key == "masks") {
            maskCount_ = static_cast<int32_t>(ParseInteger(rest, 0, kMaskCount));
        } else if (key == "mask") {
            size_t sp = rest.find(' ');
            std::string_view name = rest.substr(0, sp);
            int code = CommandCodeByName(name);
            if (code < 0) code = static_cast<int>(ParseInteger(name, 0, kMaskCount - 1));
            std::string_view bits = sp == std::string_view::npos ? std::string_view() : rest.substr(sp + 1);
            size_t i = 0;
            while (i < bits.size()) {
                while (i < bits.size() && (bits[i] == ' ' || bits[i] == ',')) ++i;
                size_t j = i;
                while (j < bits.size() && bits[j] != ' ' && bits[j] != ',') ++j;
                if (j == i) break;
                std::string_view word = bits.substr(i, j - i);
                auto id = PropertyIdByName(word);
                MaskSet(extraMasks_[code], id ? *id : static_cast<int>(ParseInteger(word, 0, kMaskBytes * 8 - 1)));
                i = j;
            }
        } else {
            throw std::runtime_error("unknown directive %" + std::string(key));
        }
    }

    void ReadLines(std::string_view source) {
        int lineNo = 0;
        PendingCommand* block = nullptr;
        PendingCommand* textBlock = nullptr;  // a TextIns whose text block is being read
        std::vector<std::string> textLines;
        size_t pos = 0;
        if (source.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
        while (pos <= source.size()) {
            size_t end = source.find('\n', pos);
            if (end == std::string_view::npos) end = source.size();
            std::string_view raw = source.substr(pos, end - pos);
            pos = end + 1;
            ++lineNo;
            if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
            if (textBlock) {
                if (ClosesTextBlock(raw)) {
                    const std::string_view indent = raw.substr(0, raw.find('"'));
                    textBlock->text = ReadTextBlock(textLines, indent, textBlock->sourceLine + 1, file_);
                    textBlock = nullptr;
                    textLines.clear();
                } else {
                    textLines.emplace_back(raw);
                }
                continue;
            }
            size_t indentEnd = raw.find_first_not_of(" \t");
            if (indentEnd == std::string_view::npos) continue;
            std::string_view indent = raw.substr(0, indentEnd);
            std::string_view content = raw.substr(indentEnd);
            if (content.front() == '#') continue;
            if (block) {
                const std::string_view text = StripTrailingComment(content);
                if (Trim(text) == "}") {
                    block = nullptr;
                } else {
                    At(lineNo, [&] {
                        for (auto& arg : SplitTopLevel(Trim(text))) block->args.push_back(std::move(arg));
                    });
                }
                continue;
            }
            if (content.front() == '%') {
                At(lineNo, [&] { Directive(Trim(StripTrailingComment(content.substr(1)))); });
                continue;
            }
            PendingCommand pc;
            pc.sourceLine = lineNo;
            At(lineNo, [&] { ParseCommandLine(content, pc); });
            // A [depth=N] tag says what indentation cannot (negative or very deep depths, jumps before
            // the step is known), so the indentation of such a line means nothing.
            if (!pc.depth) pc.depth = DepthOf(indent, lineNo);
            pending_.push_back(std::move(pc));
            if (pending_.back().openBlock) block = &pending_.back();
            if (pending_.back().textBlock) textBlock = &pending_.back();
        }
        if (block) throw ESourceError(file_, block->sourceLine, "the { of this command is never closed by a line holding }");
        if (textBlock)
            throw ESourceError(file_, textBlock->sourceLine, "the \"\"\" text of this command is never closed by a line holding \"\"\"");
    }

    void ParseCommandLine(std::string_view content, PendingCommand& pc) {
        std::string_view rest = content;
        ParseTags(rest, pc);
        // Labels and comments run to the end of the line; other lines may end in a "# comment".
        if (rest.substr(0, 1) != "*" && rest.substr(0, 2) != "//") rest = StripTrailingComment(rest);
        if (rest.substr(0, 1) == "*") {
            pc.code = TComLabel::kCode;
            pc.args.push_back(FormatStringLiteral(SourceToSjis(rest.substr(1))));
            return;
        }
        if (rest.substr(0, 2) == "//") {
            std::string_view text = rest.substr(2);
            if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
            pc.code = TComComment::kCode;
            pc.args.push_back(FormatStringLiteral(SourceToSjis(text)));
            return;
        }
        size_t nameEnd = 0;
        while (nameEnd < rest.size() && IsIdentChar(rest[nameEnd])) ++nameEnd;
        std::string_view name = rest.substr(0, nameEnd);
        pc.code = CommandCodeByName(name);
        if (pc.code < 0) throw std::runtime_error("unknown command \"" + std::string(name.empty() ? rest : name) + "\"");
        std::string_view args = Trim(rest.substr(nameEnd));
        if (pc.code == TComTextIns::kCode) pc.textBlock = TakeTextBlockOpener(args);
        if (!args.empty() && args.back() == '{') {
            pc.openBlock = true;
            args = Trim(args.substr(0, args.size() - 1));
        }
        pc.args = SplitTopLevel(args);
    }

    std::string file_;
    std::vector<TLabelRef>* labelRefs_;
    std::vector<TBuildWarning>* warnings_;
    std::string unit_;
    int32_t version_ = kPageMaxVersion;
    uint8_t returnType_ = 1;
    int32_t maskCount_ = kMaskCount;
    std::array<TPropertyMask, kMaskCount> extraMasks_{};
    std::vector<PendingCommand> pending_;
};

} // namespace

std::unique_ptr<TPage> BuildPageSource(std::string_view utf8Source, const std::string& file, const std::string& pageName,
                                       std::vector<TLabelRef>* labelRefs, std::vector<int>* sourceLines,
                                       std::vector<TBuildWarning>* warnings) {
    return PageSourceReader(file, labelRefs, warnings).Build(utf8Source, pageName, sourceLines);
}

namespace {

// The end of the body of the command at index: the first later command at its depth or shallower.
int BodyEnd(const TPage& page, int index) {
    int depth = page.Items(index)->Depth;
    int i = index + 1;
    while (i < page.Count() && page.Items(i)->Depth > depth) ++i;
    return i;
}

// The nearest While whose body holds the command at index.
std::optional<int> EnclosingWhile(const TPage& page, int index) {
    int32_t threshold = page.Items(index)->Depth;
    for (int i = index - 1; i >= 0; --i) {
        const TCommand* c = page.Items(i);
        if (c->Depth >= threshold) continue;
        if (c->Code() == TComWhile::kCode) return i;
        threshold = c->Depth;
    }
    return std::nullopt;
}

} // namespace

std::optional<int32_t> AutoIndex(const TPage& page, int index, FieldHint hint) {
    if (index < 0 || index >= page.Count()) return std::nullopt;
    switch (hint) {
    case FieldHint::WhileExit: return BodyEnd(page, index);
    case FieldHint::WhileLoopBack: {
        auto loop = EnclosingWhile(page, index);
        if (!loop || page.Items(*loop)->Depth != page.Items(index)->Depth - 1) return std::nullopt;
        return *loop;
    }
    case FieldHint::BreakTarget: {
        auto loop = EnclosingWhile(page, index);
        if (!loop) return std::nullopt;
        return BodyEnd(page, *loop);
    }
    case FieldHint::ContinueTarget: {
        auto loop = EnclosingWhile(page, index);
        if (!loop) return std::nullopt;
        int end = BodyEnd(page, *loop);
        int32_t bodyDepth = page.Items(*loop)->Depth + 1;
        for (int i = end - 1; i > *loop; --i)
            if (page.Items(i)->Code() == TComWhileLoop::kCode && page.Items(i)->Depth == bodyDepth) return i;
        return *loop;
    }
    default: return std::nullopt;
    }
}

} // namespace ruvo::tools
