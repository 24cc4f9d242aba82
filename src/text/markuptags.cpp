// Turning markup tokens into glyphs: the style stacks and the table of tags.
#include <string_view>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "params/convert.hpp"
#include "text/gxword.hpp"
#include "text/markup.hpp"

namespace ruvo {

namespace {

// A stack that answers its default when empty; popping an empty one does nothing.
template <class T>
class TTagValStack {
public:
    explicit TTagValStack(T empty) : empty_(std::move(empty)) {}
    const T& Top() const noexcept { return items_.empty() ? empty_ : items_.back(); }
    void Push(T value) { items_.push_back(std::move(value)); }
    void Pop() noexcept {
        if (!items_.empty())
            items_.pop_back();
    }

private:
    T empty_;
    std::vector<T> items_;
};

class TMarkupParser {
public:
    explicit TMarkupParser(TGxWord& engine) : wait_(engine.DefaultWait()), engine_(engine) {}

    void Token(const std::string& token);

    // The tags' effects.
    void Link(const TTag& tag);
    void Font(const TTag& tag);
    void PopFont();
    void Div(const TTag& tag);
    void PopDiv();
    void Break(bool clear);
    void Event(const TTag& tag);
    void Wait(const TTag& tag);
    void Var(const TTag& tag);
    void Img(const TTag& tag);
    template <class T>
    void Append() {
        engine_.AppendGlyph(std::make_unique<T>(engine_));
    }

    uint8_t style = 0;
    bool noBreak = false;
    std::string ruby, link;
    TTagValStack<int> align_{taLeft};
    TTagValStack<int32_t> wait_;

private:
    TDecorateStyle Current() const;

    TGxWord& engine_;
    TTagValStack<int32_t> size_{0}, color_{-1}, borderColor_{-1}, shadowColor_{-1}, border_{-1}, shadow_{-1};
    TTagValStack<std::string> face_{std::string()};
};

using TTagAction = void (*)(TMarkupParser&, const TTag&);
struct TTagRow {
    std::string_view Name;
    TTagAction Apply;
};

const TTagRow kTags[] = {
    {"A", [](TMarkupParser& p, const TTag& t) { p.Link(t); }},
    {"/A", [](TMarkupParser& p, const TTag&) { p.link.clear(); }},
    {"B", [](TMarkupParser& p, const TTag&) { p.style |= 1; }},
    {"/B", [](TMarkupParser& p, const TTag&) { p.style &= ~1; }},
    {"I", [](TMarkupParser& p, const TTag&) { p.style |= 2; }},
    {"/I", [](TMarkupParser& p, const TTag&) { p.style &= ~2; }},
    {"U", [](TMarkupParser& p, const TTag&) { p.style |= 4; }},
    {"/U", [](TMarkupParser& p, const TTag&) { p.style &= ~4; }},
    {"S", [](TMarkupParser& p, const TTag&) { p.style |= 8; }},
    {"/S", [](TMarkupParser& p, const TTag&) { p.style &= ~8; }},
    {"FONT", [](TMarkupParser& p, const TTag& t) { p.Font(t); }},
    {"/FONT", [](TMarkupParser& p, const TTag&) { p.PopFont(); }},
    {"NOBR", [](TMarkupParser& p, const TTag&) { p.noBreak = true; }},
    {"/NOBR", [](TMarkupParser& p, const TTag&) { p.noBreak = false; }},
    {"RUBY", [](TMarkupParser& p, const TTag& t) { p.ruby = t.Find("VALUE") ? *t.Find("VALUE") : std::string(); }},
    {"/RUBY", [](TMarkupParser& p, const TTag&) { p.ruby.clear(); }},
    {"DIV", [](TMarkupParser& p, const TTag& t) { p.Div(t); }},
    {"/DIV", [](TMarkupParser& p, const TTag&) { p.PopDiv(); }},
    {"INDENT", [](TMarkupParser& p, const TTag&) { p.Append<TWdOpeIndent>(); }},
    {"UNDENT", [](TMarkupParser& p, const TTag&) { p.Append<TWdOpeUndent>(); }},
    {"BR", [](TMarkupParser& p, const TTag& t) { p.Break(t.Find("CLEAR") != nullptr); }},
    {"CLEAR", [](TMarkupParser& p, const TTag&) { p.Break(true); }},
    {"EVENT", [](TMarkupParser& p, const TTag& t) { p.Event(t); }},
    {"WAIT", [](TMarkupParser& p, const TTag& t) { p.Wait(t); }},
    {"/WAIT", [](TMarkupParser& p, const TTag&) { p.wait_.Pop(); }},
    {"VAR", [](TMarkupParser& p, const TTag& t) { p.Var(t); }},
    {"IMG", [](TMarkupParser& p, const TTag& t) { p.Img(t); }},
};

// "#RRGGBB" (up to six hexadecimal digits) as 0x00BBGGRR; anything else keeps the current colour.
int32_t ColorValue(const std::string* value, int32_t current) {
    if (!value || value->size() < 2 || (*value)[0] != '#')
        return current;
    const std::string_view digits = std::string_view(*value).substr(1, 6);
    uint32_t rgb = 0;
    for (char c : digits) {
        const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0)
            return current;
        rgb = rgb << 4 | uint32_t(d);
    }
    return int32_t((rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF));
}

// BORDER and SHADOW: present without a number means 1; negative widths are 0.
int32_t WidthValue(const std::string* value, int32_t current) {
    if (!value)
        return current;
    return std::max(0, TryTextToInt(*value).value_or(1));
}

int NamedValue(const std::string* value, std::initializer_list<std::pair<std::string_view, int>> names, int otherwise) {
    if (value)
        for (const auto& [name, code] : names)
            if (SameTextSjis(*value, name))
                return code;
    return otherwise;
}

} // namespace

TDecorateStyle TMarkupParser::Current() const {
    TDecorateStyle s;
    s.Color = color_.Top();
    s.BorderColor = borderColor_.Top();
    s.ShadowColor = shadowColor_.Top();
    s.Size = size_.Top();
    s.Style = style;
    s.FontName = face_.Top();
    s.NoBreak = noBreak;
    s.Ruby = ruby;
    s.BorderWidth = border_.Top();
    s.ShadowWidth = shadow_.Top();
    return s;
}

void TMarkupParser::Token(const std::string& token) {
    if (TTag::IsTag(token)) {
        const TTag tag(token);
        for (const TTagRow& row : kTags)
            if (SameTextSjis(tag.Name(), row.Name)) {
                row.Apply(*this, tag);
                return;
            }
        return;
    }
    const TDecorateStyle current = Current();
    for (size_t i = 0; i < token.size(); i = NextCharPos(token, i)) {
        auto c = std::make_unique<TWdChar>(engine_);
        c->SetCode(CharLength(token, i) == 2 ? uint16_t(uint8_t(token[i]) << 8 | uint8_t(token[i + 1]))
                                             : uint8_t(token[i]));
        c->SetStyle(current);
        c->SetLink(link);
        c->SetWait(wait_.Top());
        engine_.AppendGlyph(std::move(c));
    }
}

void TMarkupParser::Link(const TTag& tag) {
    const std::string* href = tag.Find("HREF");
    if (!href || href->empty())
        throw ERuvoError::FromUtf8("<A>タグにHREF値がありません");
    link = UnescapeValue(*href);
}

void TMarkupParser::Font(const TTag& tag) {
    const std::string* size = tag.Find("SIZE");
    size_.Push(size ? TryTextToInt(*size).value_or(size_.Top()) : size_.Top());
    color_.Push(ColorValue(tag.Find("COLOR"), color_.Top()));
    borderColor_.Push(ColorValue(tag.Find("BCOLOR"), borderColor_.Top()));
    shadowColor_.Push(ColorValue(tag.Find("SCOLOR"), shadowColor_.Top()));
    const std::string* name = tag.Find("NAME");
    face_.Push(name ? *name : face_.Top());
    border_.Push(WidthValue(tag.Find("BORDER"), border_.Top()));
    shadow_.Push(WidthValue(tag.Find("SHADOW"), shadow_.Top()));
}

void TMarkupParser::PopFont() {
    size_.Pop();
    color_.Pop();
    borderColor_.Pop();
    shadowColor_.Pop();
    face_.Pop();
    border_.Pop();
    shadow_.Pop();
}

void TMarkupParser::Div(const TTag& tag) {
    align_.Push(NamedValue(tag.Find("ALIGN"), {{"LEFT", taLeft}, {"RIGHT", taRight}, {"CENTER", taCenter}}, taLeft));
    auto& g = static_cast<TWdOpeAlign&>(engine_.AppendGlyph(std::make_unique<TWdOpeAlign>(engine_)));
    g.SetAlign(align_.Top());
}

void TMarkupParser::PopDiv() {
    align_.Pop();
    auto& g = static_cast<TWdOpeAlign&>(engine_.AppendGlyph(std::make_unique<TWdOpeAlign>(engine_)));
    g.SetAlign(align_.Top());
}

void TMarkupParser::Break(bool clear) {
    auto& g = static_cast<TWdOpeReturn&>(engine_.AppendGlyph(std::make_unique<TWdOpeReturn>(engine_)));
    g.SetClear(clear);
}

void TMarkupParser::Event(const TTag& tag) {
    const std::string* value = tag.Find("VALUE");
    std::string text = value ? UnescapeValue(*value) : std::string();
    if (tag.Find("END"))
        text.insert(0, 1, '\x01');
    auto& g = static_cast<TWdOpeEvent&>(engine_.AppendGlyph(std::make_unique<TWdOpeEvent>(engine_)));
    g.SetValue(std::move(text));
}

void TMarkupParser::Wait(const TTag& tag) {
    const std::string* value = tag.Find("VALUE");
    wait_.Push(value ? TryTextToInt(*value).value_or(wait_.Top()) : wait_.Top());
}

void TMarkupParser::Var(const TTag& tag) {
    const std::string* name = tag.Find("NAME");
    if (!name || name->empty())
        return;
    auto& g = static_cast<TWdOpeVar&>(engine_.AppendGlyph(std::make_unique<TWdOpeVar>(engine_)));
    g.SetExpression(*name);
    g.SetStyle(Current());
    g.SetLink(link);
    g.SetWait(wait_.Top());
}

void TMarkupParser::Img(const TTag& tag) {
    const std::string* src = tag.Find("SRC");
    if (!src || src->empty())
        return;
    auto& g = static_cast<TWdImg&>(engine_.AppendGlyph(std::make_unique<TWdImg>(engine_)));
    g.SetName(*src);
    g.SetAlign(NamedValue(tag.Find("ALIGN"), {{"CENTER", taCenter}, {"TOP", taTop}, {"BOTTOM", taBottom}}, taBottom));
    g.SetLink(link);
    g.SetWait(wait_.Top());
}

bool IsMarkupTagName(std::string_view name) noexcept {
    for (const TTagRow& row : kTags)
        if (SameTextSjis(name, row.Name))
            return true;
    return false;
}

void TGxWord::Parse(const std::vector<std::string>& lines) {
    Clear();
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\r';
        text += lines[i];
    }
    TMarkupParser parser(*this);
    for (const std::string& token : TokenizeMarkup(text))
        parser.Token(token);
}

} // namespace ruvo
