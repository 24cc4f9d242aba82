// Writing a page as builder source.
#include <algorithm>
#include <cstdint>
#include <optional>

#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/exprbuild.hpp"
#include "params/properties.hpp"
#include "tools/pagesource.hpp"
#include "tools/sourcetext.hpp"
#include "tools/textsource.hpp"

namespace ruvo::tools {

namespace {

constexpr int kMaxBlankRun = 20;
// Deeper commands carry their depth as a tag; their lines stay this far indented.
constexpr int32_t kMaxIndentDepth = 32;
constexpr size_t kIndentStep = 4;

std::string StoredBytes(const TExpression& e) {
    TMemoryStream s;
    e.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// Infix text when it compiles back into the same stored operations, else the stored bytes.
std::string ExpressionSource(const TExpression& e) {
    std::string stored = StoredBytes(e);
    std::string text = ExpressionText(e), utf8;
    if (text.find_first_of("\r\n") == std::string::npos && SjisToUtf8Exact(text, utf8) &&
        StripTrailingComment(utf8) == utf8) {
        try {
            if (StoredBytes(CompileExpression(text)) == stored) return utf8;
        } catch (const std::exception&) {
        }
    }
    return "hex\"" + ToHex(stored) + "\"";
}

struct FieldText {
    std::string name;
    std::string text;
    FieldHint hint = FieldHint::None;
    bool block = false;  // written in a text block after the command line
};

// Every field present at the page's version, as source text.
class FieldWriter final : public TRecordVisitor {
public:
    explicit FieldWriter(int32_t version) : version_(version) {}
    std::vector<FieldText> fields;
    std::vector<std::string> properties;
    std::vector<int> propertyIds;  // ids of the written (non-empty) property expressions
    TTextField text;               // of a TextIns

    void Expr(const char* name, TExpression& value, int32_t since) override {
        if (version_ >= since) fields.push_back({name, value.Empty() ? "" : ExpressionSource(value)});
    }
    void Str(const char* name, std::string& value) override {
        fields.push_back({name, std::string_view(name) == "page" ? FormatPageNameLiteral(value) : FormatStringLiteral(value)});
    }
    void Int(const char* name, int32_t& value, int32_t since, FieldHint hint) override {
        if (version_ >= since) fields.push_back({name, std::to_string(value), hint});
    }
    void Byte(const char* name, uint8_t& value, FieldHint hint) override {
        std::string text = std::to_string(value);
        if (hint == FieldHint::ValueType && ValueTypeSourceName(value)) text = ValueTypeSourceName(value);
        if (hint == FieldHint::Flag && value <= 1) text = value ? "true" : "false";
        fields.push_back({name, text, hint});
    }
    void ExprList(const char* name, TExprList& list) override {
        std::string text = "[";
        // An empty item has no infix text of its own: "[]" would be a list without items.
        for (size_t i = 0; i < list.size(); ++i)
            text += (i ? ", " : "") + (list[i]->Empty() ? std::string("hex\"00000000\"") : ExpressionSource(*list[i]));
        fields.push_back({name, text + "]"});
    }
    void Blob(const char* name, std::string& bytes) override {
        text = WriteTextField(bytes);
        fields.push_back({name, text.argument, FieldHint::None, !text.block.empty()});
    }
    void Properties(TPropertyExprs& slots) override {
        for (auto& slot : slots) {
            if (slot.expr->Empty()) continue;
            properties.push_back(std::string(PropertyName(slot.id)) + " = " + ExpressionSource(*slot.expr));
            propertyIds.push_back(slot.id);
        }
    }

private:
    int32_t version_;
};

// Text a person can write after "*" or "//": convertible, no control characters, no edge spaces.
bool PlainLineText(const std::string& sjis, std::string& utf8) {
    if (!SjisToUtf8Exact(sjis, utf8)) return false;
    for (char c : sjis)
        if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) return false;
    return utf8.empty() || (utf8.back() != ' ' && utf8.front() != ' ');
}

class PageWriter {
public:
    explicit PageWriter(TPage& page) : page_(page) {}

    std::string Write() {
        Line("# " + Utf8Name() + ", written by ruvotool dump --source");
        Line("%version " + std::to_string(page_.Version));
        const char* type = ValueTypeSourceName(page_.ReturnType);
        Line("%return " + (type ? std::string(type) : std::to_string(page_.ReturnType)));
        if (page_.StoredMaskCount != kMaskCount) Line("%masks " + std::to_string(page_.StoredMaskCount));
        std::array<TPropertyMask, kMaskCount> written{};
        for (int i = 0; i < page_.Count(); ++i) {
            TCommand& c = *page_.Items(i);
            FieldWriter fw(page_.Version);
            c.VisitRecord(fw);
            if (c.Code() < kMaskCount)
                for (int id : fw.propertyIds) MaskSet(written[c.Code()], id);
            commands_.push_back(std::move(fw));
        }
        for (int code = 0; code < kMaskCount; ++code) {
            std::string extra;
            for (int bit = 0; bit < kMaskBytes * 8; ++bit) {
                if (!MaskHas(page_.PropertyMasks[code], bit) || MaskHas(written[code], bit)) continue;
                const char* name = PropertyName(bit);
                extra += " " + (name ? std::string(name) : std::to_string(bit));
            }
            if (!extra.empty()) Line("%mask " + std::string(CommandName(code)) + extra);
        }
        Line("");
        for (int i = 0; i < page_.Count(); ++i) Command(i);
        return out_;
    }

private:
    std::string Utf8Name() const {
        std::string utf8;
        return SjisToUtf8Exact(page_.FileName, utf8) ? utf8 : SjisToUtf8Lossy(page_.FileName);
    }

    void Line(const std::string& text) {
        out_ += text + "\n";
        ++lineNo_;
    }

    void Command(int index) {
        TCommand& c = *page_.Items(index);
        FieldWriter& fw = commands_[static_cast<size_t>(index)];
        const size_t indent = static_cast<size_t>(std::clamp(c.Depth, 0, kMaxIndentDepth)) * kIndentStep;
        std::string head(indent, ' ');
        // The reader learns the indentation step from the first indented line without a tag, so until a
        // line of depth 1 has fixed it, deeper lines say their depth; so do negative and very deep ones.
        if (c.Depth == 1) stepKnown_ = true;
        if (c.Depth < 0 || c.Depth > kMaxIndentDepth || (c.Depth > 1 && !stepKnown_))
            head += "[depth=" + std::to_string(c.Depth) + "] ";
        if (c.Disabled == 1) head += "[disabled] ";
        else if (c.Disabled != 0) head += "[disabled=" + std::to_string(c.Disabled) + "] ";
        if (c.Cont != (DefaultContinue(c.Code()) ? 1 : 0))
            head += c.Cont == 0 ? "[endframe] " : c.Cont == 1 ? "[cont] " : "[cont=" + std::to_string(c.Cont) + "] ";
        // Blank lines bring a command to its own line number where that is near; else a tag says it.
        if (c.Line > lineNo_ + 1 && c.Line - lineNo_ <= kMaxBlankRun)
            while (lineNo_ + 1 < c.Line) Line("");
        if (c.Line != lineNo_ + 1) head += "[line=" + std::to_string(c.Line) + "] ";
        if (fw.text.version) head += "[textversion=" + std::to_string(*fw.text.version) + "] ";

        std::string utf8;
        if (c.Code() == TComLabel::kCode && PlainLineText(static_cast<TComLabel&>(c).Text, utf8)) {
            Line(head + "*" + utf8);
            return;
        }
        if (c.Code() == TComComment::kCode && PlainLineText(static_cast<TComLabel&>(c).Text, utf8)) {
            Line(head + (utf8.empty() ? "//" : "// " + utf8));
            return;
        }

        // Fields equal to what the builder would give by itself are left out; after the first one left
        // out, the rest are written by name.
        auto fresh = page_.CreateCommand(c.Code());
        ApplySourceDefaults(*fresh);
        FieldWriter defaults(page_.Version);
        fresh->VisitRecord(defaults);
        std::vector<std::string> args;
        bool byName = false;
        for (size_t f = 0; f < fw.fields.size(); ++f) {
            const FieldText& field = fw.fields[f];
            if (field.block) continue;  // the arguments go on with the next field
            bool omit = field.text == defaults.fields[f].text && field.hint == FieldHint::None;
            if (field.hint != FieldHint::None && field.hint != FieldHint::CommandIndex &&
                field.hint != FieldHint::Flag && field.hint != FieldHint::ValueType) {
                auto automatic = AutoIndex(page_, index, field.hint);
                omit = automatic && std::to_string(*automatic) == field.text;
            } else if (field.hint != FieldHint::None) {
                omit = field.text == defaults.fields[f].text;
            }
            if (omit) {
                byName = true;
                continue;
            }
            // An empty value is written by name: an empty last argument would not be seen.
            if (field.text.empty()) byName = true;
            args.push_back(byName ? field.name + ":" + (field.text.empty() ? "" : " " + field.text) : field.text);
        }
        std::string line = head + c.Name();
        size_t width = 0;
        for (const auto& p : fw.properties) width += p.size() + 2;
        if (fw.properties.size() <= 3 && width < 80) {
            std::vector<std::string> all = fw.properties;
            all.insert(all.end(), args.begin(), args.end());
            args = std::move(all);
        }
        for (size_t i = 0; i < args.size(); ++i) line += (i ? ", " : " ") + args[i];
        if (!fw.text.block.empty()) {
            Line(line + " \"\"\"");
            const std::string inner(indent + kIndentStep, ' ');
            for (const auto& text : fw.text.block) Line(text.empty() ? text : inner + text);
            Line(inner + "\"\"\"");
            return;
        }
        if (fw.properties.size() <= 3 && width < 80) {
            Line(line);
            return;
        }
        Line(line + " {");
        const std::string inner(indent + kIndentStep, ' ');
        for (const auto& p : fw.properties) Line(inner + p);
        Line(head.substr(0, indent) + "}");
    }

    TPage& page_;
    std::vector<FieldWriter> commands_;
    std::string out_;
    int lineNo_ = 0;
    bool stepKnown_ = false;
};

} // namespace

std::string WritePageSource(TPage& page) { return PageWriter(page).Write(); }

} // namespace ruvo::tools
