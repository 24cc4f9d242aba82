// Variable glyphs: the value of an expression (or its frozen value) inserted as characters and line
// breaks after the glyph, with weight 0 so that text positions stay where they were.
#include <algorithm>

#include "archive/sjis.hpp"
#include "params/exprbuild.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "text/gxword.hpp"

namespace ruvo {

namespace {

// Nested evaluations number their temporaries apart, as Calc does.
constexpr int kNestedTemporaryBase = 1000000;
// A VAR whose evaluation shows text holding VARs again stops expanding at this depth.
constexpr int kMaxEvaluationDepth = 32;

std::string Trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && uint8_t(text[b]) <= ' ')
        ++b;
    while (e > b && uint8_t(text[e - 1]) <= ' ')
        --e;
    return std::string(text.substr(b, e - b));
}

// Runs an expression; its value as a string, or nothing on any failure.
std::string ValueOf(TRuvoParser& parser, TParamCollection& vars, TSysFuncMan& funcs) {
    parser.Evaluate(vars, funcs);
    if (parser.LastStop().operation >= 0 || !parser.Result())
        return {};
    return parser.Result()->AsStr();
}

} // namespace

std::string TWdOpeVar::TrimmedExpression() const { return Trim(expression_); }

TRuvoParser TWdOpeVar::CompiledExpression() const {
    try {
        return CompileExpression(TrimmedExpression());
    } catch (const std::exception&) {
        return TRuvoParser();
    }
}

std::string TWdOpeVar::Evaluate() const {
    const TGxWord& engine = Engine();
    if (!expression_.empty() && !engine.VarValues.empty()) {
        for (const std::string& line : engine.VarValues) {
            const size_t eq = line.find('=');
            if (eq == std::string::npos || !SameTextSjis(std::string_view(line).substr(0, eq), expression_))
                continue;
            std::string value = line.substr(eq + 1);
            std::replace(value.begin(), value.end(), '\x01', '\r');
            return value;
        }
        return {};
    }
    TTextServices& services = engine.Services();
    if (!services.Vars || !services.Funcs || services.Funcs->EvaluationDepth() >= kMaxEvaluationDepth)
        return {};
    try {
        if (!expression_.empty()) {
            const std::string text = TrimmedExpression();
            if (text.empty())
                return {};
            TRuvoParser parser = CompileExpression(text, services.Funcs->EvaluationDepth() * kNestedTemporaryBase);
            return ValueOf(parser, *services.Vars, *services.Funcs);
        }
        if (compiled_) {
            TRuvoParser parser;
            parser.CloneFrom(*compiled_);
            return ValueOf(parser, *services.Vars, *services.Funcs);
        }
    } catch (const std::exception&) {
        // A failing variable shows nothing.
    }
    return {};
}

void TWdOpeVar::Expand() {
    TGxWord& engine = Engine();
    const int at = engine.IndexOf(this);
    if (at < 0)
        return;
    const std::string value = Evaluate();
    std::vector<std::unique_ptr<TWdGlyph>> made;
    for (size_t i = 0; i < value.size() && made.size() < kMaxVarChars; i = NextCharPos(value, i)) {
        const size_t n = CharLength(value, i);
        const uint16_t code = n == 2 ? uint16_t(uint8_t(value[i]) << 8 | uint8_t(value[i + 1])) : uint8_t(value[i]);
        if (code == '\r') {
            made.push_back(std::make_unique<TWdVarReturn>(engine, *this));
        } else if (code >= 0x20) {
            auto c = std::make_unique<TWdVarChar>(engine, *this);
            c->SetCode(code);
            c->SetStyle(Style());
            c->SetLink(link_);
            c->SetWait(wait_);
            made.push_back(std::move(c));
        }
    }
    for (const auto& g : made)
        inserted_.push_back(g.get());
    engine.InsertGlyphs(at + 1, std::move(made));
}

void TWdOpeVar::Collapse() {
    const std::vector<TWdGlyph*> inserted = inserted_;
    Engine().DeleteGlyphs(inserted);
    inserted_.clear();
}

} // namespace ruvo
