#include "params/exprbuild.hpp"

#include <array>
#include <unordered_map>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/constants.hpp"
#include "params/convert.hpp"
#include "params/functable.hpp"
#include "params/limits.hpp"
#include "params/varset.hpp"

namespace ruvo {

namespace {

// Working text: one unit per character, a double-byte character as (lead << 8) | trail, so that its
// trail byte never looks like an operator.
using Chars = std::vector<uint16_t>;

Chars ToChars(std::string_view s) {
    Chars out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (CharLength(s, i) == 2) {
            out.push_back(static_cast<uint16_t>((static_cast<uint8_t>(s[i]) << 8) | static_cast<uint8_t>(s[i + 1])));
            i += 2;
        } else {
            out.push_back(static_cast<uint8_t>(s[i++]));
        }
    }
    return out;
}

std::string ToBytes(const Chars& c, size_t from, size_t to) {
    std::string out;
    out.reserve(to - from);
    for (size_t i = from; i < to; ++i) {
        if (c[i] > 0xFF) out += static_cast<char>(c[i] >> 8);
        out += static_cast<char>(c[i] & 0xFF);
    }
    return out;
}

bool IsNameChar(uint16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsOperatorChar(uint16_t c) {
    switch (c) {
    case '%': case '&': case '*': case '+': case '-': case '/': case '<': case '=': case '>': case '^': case '|':
        return true;
    default: return false;
    }
}
bool IsSpace(uint16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// Characters that make a function argument or index an expression of its own.
bool IsExpressionChar(uint16_t c) {
    return IsOperatorChar(c) || c == '[' || c == ']' || c == '(' || c == ')' || c == ',';
}

[[noreturn]] void SyntaxError() { throw ERuvoError::FromUtf8("構文エラー"); }

void Trim(Chars& c) {
    size_t b = 0, e = c.size();
    while (b < e && IsSpace(c[b])) ++b;
    while (e > b && IsSpace(c[e - 1])) --e;
    c = Chars(c.begin() + static_cast<ptrdiff_t>(b), c.begin() + static_cast<ptrdiff_t>(e));
}

// Index of the ")" closing the "(" at open, or npos.
size_t MatchingParen(const Chars& c, size_t open) {
    int depth = 0;
    for (size_t i = open; i < c.size(); ++i) {
        if (c[i] == '(') ++depth;
        else if (c[i] == ')' && --depth == 0) return i;
    }
    return std::string::npos;
}

// Drops outer parentheses while the first "(" is closed by the last ")".
void StripParens(Chars& c) {
    while (c.size() >= 2 && c.front() == '(' && c.back() == ')' && MatchingParen(c, 0) == c.size() - 1) {
        c = Chars(c.begin() + 1, c.end() - 1);
        Trim(c);
    }
}

struct Token {
    std::string text;
    bool isOperator = false;
};

struct OperatorInfo {
    std::string_view text;
    int level;
    TOpeCode code;
};
constexpr std::array<OperatorInfo, 18> kOperators = {{
    {"*", 0, ocMul}, {"/", 0, ocDiv}, {"%", 0, ocMod},
    {"+", 1, ocPlus}, {"-", 1, ocMinus},
    {"<<", 2, ocShiftL}, {">>", 2, ocShiftR},
    {"==", 3, ocEqual}, {">=", 3, ocEBig}, {"<=", 3, ocESmall}, {">", 3, ocBig}, {"<", 3, ocSmall}, {"<>", 3, ocNEqual},
    {"++", 4, ocComboStr}, {"&", 5, ocAnd}, {"^", 6, ocXor}, {"|", 7, ocOr}, {"=", 8, ocTo},
}};

constexpr int kLoosestLevel = 8;

const OperatorInfo& FindOperator(std::string_view text) {
    for (const auto& op : kOperators)
        if (op.text == text) return op;
    SyntaxError();
}

// The compiler works inside out and recursively, so its time and stack grow with the nesting: deeper
// than kMaxExpressionNesting parentheses and brackets (outside string literals) is refused at once.
void CheckNesting(const Chars& text) {
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint16_t c = text[i];
        if (c == '"') {
            size_t k = i + 1;
            while (k < text.size() && text[k] != '"') k += (text[k] == '\\' && k + 1 < text.size()) ? 2 : 1;
            if (k >= text.size()) return;  // no partner: the rest stays as it is, and so does its nesting
            i = k;
        } else if (c == '(' || c == '[') {
            if (++depth > kMaxExpressionNesting)
                throw EScriptLimit(SysMessage("式の入れ子が深すぎます（%s段を超えました）", {std::to_string(kMaxExpressionNesting)}));
        } else if ((c == ')' || c == ']') && depth > 0) {
            --depth;
        }
    }
}

} // namespace

class TBuildRuvoParser::Rewriter {
public:
    Rewriter(std::vector<TBuildOpeData>& ops, int firstTemporary) : ops_(ops), counter_(firstTemporary) {}

    // Compiles text, appending its operations.
    void Run(Chars text) {
        StringLiterals(text);
        FunctionCalls(text);
        ArrayElements(text);
        Groups(text);
        for (uint16_t c : text)
            if (c == '(' || c == ')' || c == '[' || c == ']') SyntaxError();
        Operators(Tokenize(text));
    }

private:
    std::string NewTemp() { return std::string(kTempPrefix) + std::to_string(counter_++); }
    std::string NewElementTemp() { return std::string(kTempPrefix) + "d_" + std::to_string(counter_++); }

    void Emit(TOpeCode code, std::string dest, std::vector<std::string> operands) {
        ops_.push_back(TBuildOpeData{code, std::move(dest), std::move(operands)});
    }

    // A temporary's name between spaces, which keep it apart from its neighbours.
    static void AppendName(Chars& text, const std::string& name) {
        text.push_back(' ');
        for (char ch : name) text.push_back(static_cast<uint8_t>(ch));
        text.push_back(' ');
    }

    // Puts a temporary's name where [from, to) was.
    static void Replace(Chars& text, size_t from, size_t to, const std::string& name) {
        Chars repl;
        AppendName(repl, name);
        text.erase(text.begin() + static_cast<ptrdiff_t>(from), text.begin() + static_cast<ptrdiff_t>(to));
        text.insert(text.begin() + static_cast<ptrdiff_t>(from), repl.begin(), repl.end());
    }

    // Compiles "dest = text" into the same list.
    void CompileAssignment(const std::string& dest, const Chars& text) {
        Chars full;
        for (char ch : dest) full.push_back(static_cast<uint8_t>(ch));
        full.push_back('=');
        full.insert(full.end(), text.begin(), text.end());
        Run(std::move(full));
    }

    // A function argument or array index: plain text, or a temporary computed from it.
    std::string Argument(Chars arg) {
        Trim(arg);
        StripParens(arg);
        if (arg.empty()) return {};
        bool expression = false;
        for (uint16_t c : arg) expression = expression || IsExpressionChar(c);
        if (!expression) return ToBytes(arg, 0, arg.size());
        const std::string temp = NewTemp();
        CompileAssignment(temp, arg);
        return temp;
    }

    // One pass: each literal becomes a temporary, in order from the left.
    void StringLiterals(Chars& text) {
        Chars out;
        out.reserve(text.size());
        size_t i = 0;
        while (i < text.size()) {
            if (text[i] != '"') {
                out.push_back(text[i++]);
                continue;
            }
            std::string literal = "\"";
            size_t close = std::string::npos;
            for (size_t k = i + 1; k < text.size(); ++k) {
                const uint16_t c = text[k];
                if (c == '\\' && k + 1 < text.size() && (text[k + 1] == '"' || text[k + 1] == '\\')) {
                    literal += static_cast<char>(text[++k]);
                } else if (c == '\\' && k + 1 < text.size() && text[k + 1] == 'n') {
                    literal += "\r\n";
                    ++k;
                } else if (c == '"') {
                    close = k;
                    break;
                } else {
                    literal += ToBytes(text, k, k + 1);
                }
            }
            if (close == std::string::npos) break;  // a quote without a partner stays, with the rest
            literal += '"';
            const std::string temp = NewTemp();
            Emit(ocTo, temp, {std::move(literal)});
            AppendName(out, temp);
            i = close + 1;
        }
        out.insert(out.end(), text.begin() + static_cast<ptrdiff_t>(i), text.end());
        text = std::move(out);
    }

    // Nearest non-space character before pos, or npos.
    static size_t NonSpaceBefore(const Chars& text, size_t pos) {
        while (pos > 0) {
            --pos;
            if (!IsSpace(text[pos])) return pos;
        }
        return std::string::npos;
    }

    void FunctionCalls(Chars& text) {
        for (;;) {
            size_t open = std::string::npos, nameEnd = 0;
            for (size_t i = text.size(); i-- > 0;) {
                if (text[i] != '(') continue;
                const size_t before = NonSpaceBefore(text, i);
                if (before != std::string::npos && IsNameChar(text[before])) {
                    open = i;
                    nameEnd = before + 1;
                    break;
                }
            }
            if (open == std::string::npos) return;
            size_t nameStart = nameEnd;
            while (nameStart > 0 && IsNameChar(text[nameStart - 1])) --nameStart;
            const size_t close = MatchingParen(text, open);
            if (close == std::string::npos) SyntaxError();

            std::vector<Chars> args;
            Chars current;
            int brackets = 0;
            bool any = false;
            for (size_t i = open + 1; i < close; ++i) {
                const uint16_t c = text[i];
                if (c == '[') ++brackets;
                if (c == ']' && --brackets < 0) SyntaxError();
                if (c == ',' && brackets == 0) {
                    args.push_back(std::move(current));
                    current.clear();
                    any = true;
                    continue;
                }
                if (!IsSpace(c)) any = true;
                current.push_back(c);
            }
            if (brackets != 0) SyntaxError();
            if (any) args.push_back(std::move(current));  // "f()" has no argument

            const std::string dest = NewTemp();
            std::vector<std::string> operands{ToBytes(text, nameStart, nameEnd)};
            for (auto& arg : args) operands.push_back(Argument(std::move(arg)));
            Emit(ocFunc, dest, std::move(operands));
            Replace(text, nameStart, close + 1, dest);
        }
    }

    void ArrayElements(Chars& text) {
        for (;;) {
            size_t open = std::string::npos;
            for (size_t i = text.size(); i-- > 0;)
                if (text[i] == '[') {
                    open = i;
                    break;
                }
            if (open == std::string::npos) return;
            size_t close = open + 1;
            while (close < text.size() && text[close] != ']') ++close;
            if (close >= text.size()) SyntaxError();
            const size_t before = NonSpaceBefore(text, open);
            if (before == std::string::npos || IsExpressionChar(text[before])) SyntaxError();
            size_t nameStart = before + 1;
            while (nameStart > 0 && !IsSpace(text[nameStart - 1]) && !IsExpressionChar(text[nameStart - 1]))
                --nameStart;

            std::vector<Chars> indices(1);
            bool any = false;
            for (size_t i = open + 1; i < close; ++i) {
                if (text[i] == ',') {
                    indices.emplace_back();
                    any = true;
                    continue;
                }
                if (!IsSpace(text[i])) any = true;
                indices.back().push_back(text[i]);
            }
            if (!any) throw ERuvoError::FromUtf8("配列の添え字が不正です");

            const std::string dest = NewElementTemp();
            std::vector<std::string> operands{ToBytes(text, nameStart, before + 1)};
            for (auto& index : indices) operands.push_back(Argument(std::move(index)));
            Emit(ocDimTo, dest, std::move(operands));
            Replace(text, nameStart, close + 1, dest);
        }
    }

    void Groups(Chars& text) {
        for (;;) {
            size_t open = std::string::npos;
            for (size_t i = text.size(); i-- > 0;) {
                if (text[i] != '(') continue;
                const size_t before = NonSpaceBefore(text, i);
                if (before == std::string::npos || !IsNameChar(text[before])) {
                    open = i;
                    break;
                }
            }
            if (open == std::string::npos) return;
            const size_t close = MatchingParen(text, open);
            if (close == std::string::npos) SyntaxError();
            const std::string temp = NewTemp();
            CompileAssignment(temp, Chars(text.begin() + static_cast<ptrdiff_t>(open) + 1,
                                          text.begin() + static_cast<ptrdiff_t>(close)));
            Replace(text, open, close + 1, temp);
        }
    }

    static std::vector<Token> Tokenize(const Chars& text) {
        std::vector<Token> tokens;
        Chars operand;
        auto flushOperand = [&] {
            Trim(operand);
            if (!operand.empty()) {
                // Two operands with no operator between them, or a stray comma.
                for (uint16_t c : operand)
                    if (IsSpace(c) || c == ',') SyntaxError();
                tokens.push_back(Token{ToBytes(operand, 0, operand.size()), false});
            }
            operand.clear();
        };
        for (size_t i = 0; i < text.size(); ++i) {
            const uint16_t c = text[i];
            if (!IsOperatorChar(c)) {
                operand.push_back(c);
                continue;
            }
            flushOperand();
            std::string op(1, static_cast<char>(c));
            if (i + 1 < text.size()) {
                const std::string two{static_cast<char>(c), static_cast<char>(text[i + 1] & 0xFF)};
                if (text[i + 1] <= 0xFF &&
                    (two == "==" || two == ">=" || two == "<=" || two == "++" || two == "<>" || two == "<<" || two == ">>")) {
                    op = two;
                    ++i;
                }
            }
            tokens.push_back(Token{std::move(op), true});
        }
        flushOperand();
        return tokens;
    }

    // Unary signs, from the second-to-last token down to the second: a "+" or "-" after an operator.
    // One pass from the right; `out` holds the tokens to the right, reversed.
    std::vector<Token> UnarySigns(const std::vector<Token>& tokens) {
        std::vector<Token> out;
        out.reserve(tokens.size());
        for (size_t i = tokens.size(); i-- > 0;) {
            const Token& t = tokens[i];
            const bool unary = i >= 1 && i + 1 < tokens.size() && t.isOperator && (t.text == "+" || t.text == "-") &&
                               tokens[i - 1].isOperator;
            if (!unary) {
                out.push_back(t);
                continue;
            }
            if (out.back().isOperator) SyntaxError();
            if (t.text == "-") {
                const std::string temp = NewTemp();
                Emit(ocMinus, temp, {"0", out.back().text});
                out.back() = Token{temp, false};
            }
        }
        return std::vector<Token>(out.rbegin(), out.rend());
    }

    // Binary operators by precedence, tightest first, each level from the left: one pass per level.
    void Operators(const std::vector<Token>& source) {
        std::vector<Token> tokens = UnarySigns(source);
        unsigned levels = 0;  // the levels that have an operator
        for (const Token& t : tokens)
            if (t.isOperator) levels |= 1u << FindOperator(t.text).level;
        bool assigned = false;
        std::vector<Token> out;
        for (int level = 0; level <= kLoosestLevel; ++level) {
            if (!(levels & (1u << level))) continue;
            out.clear();
            out.reserve(tokens.size());
            for (size_t i = 0; i < tokens.size(); ++i) {
                const Token& t = tokens[i];
                if (!t.isOperator || FindOperator(t.text).level != level) {
                    out.push_back(t);
                    continue;
                }
                const OperatorInfo& op = FindOperator(t.text);
                const bool hasRight = i + 1 < tokens.size() && !tokens[i + 1].isOperator;
                if (!hasRight) SyntaxError();
                const std::string& right = tokens[++i].text;
                if (op.code == ocTo) {
                    if (out.empty() || out.back().isOperator) SyntaxError();
                    Emit(ocTo, out.back().text, {right});
                    out.pop_back();
                    assigned = true;
                } else if (!out.empty()) {
                    if (out.back().isOperator) SyntaxError();
                    const std::string temp = NewTemp();
                    Emit(op.code, temp, {out.back().text, right});
                    out.back() = Token{temp, false};
                } else {
                    // An operator at the start: only a sign, applied to zero.
                    if (op.code != ocPlus && op.code != ocMinus) SyntaxError();
                    const std::string temp = NewTemp();
                    Emit(op.code, temp, {"0", right});
                    out.push_back(Token{temp, false});
                }
            }
            tokens.swap(out);
        }
        if (tokens.empty()) return;
        if (tokens.size() == 1 && !assigned) {
            Emit(ocTo, std::string(kResultTemp), {tokens[0].text});
            return;
        }
        SyntaxError();
    }

    std::vector<TBuildOpeData>& ops_;
    int counter_;
};

void TBuildRuvoParser::Compile(std::string_view text, int firstTemporary) {
    ops_.clear();
    std::vector<TBuildOpeData> ops;
    Chars chars = ToChars(text);
    CheckNesting(chars);
    Rewriter(ops, firstTemporary).Run(std::move(chars));

    // Copy elimination: "____n = ____m" goes, later uses of ____n become ____m.
    std::unordered_map<std::string, std::string> renamed;
    auto rename = [&](std::string& name) {
        auto it = renamed.find(name);
        if (it != renamed.end()) name = it->second;
    };
    for (auto& op : ops) {
        rename(op.dest);
        for (size_t i = op.code == ocFunc ? 1 : 0; i < op.operands.size(); ++i) rename(op.operands[i]);
        if (op.code == ocTo && op.operands.size() == 1 && IsValueTemporaryName(op.dest) && IsValueTemporaryName(op.operands[0])) {
            renamed[op.dest] = op.operands[0];
            continue;
        }
        ops_.push_back(std::move(op));
    }
}

namespace {

// Integers (but not names such as "x1", which the integer conversion would read as hexadecimal),
// reals, flags, quoted strings, named constants (PR_LEFT); anything else names a variable.
void WriteOperand(TStream& s, const std::string& text) {
    const bool looksLikeName = !text.empty() && (text[0] == 'x' || text[0] == 'X');
    if (auto v = looksLikeName ? std::nullopt : TryTextToInt(text)) {
        WriteByte(s, 1);
        WriteInt(s, *v);
    } else if (auto r = TryTextToReal(text)) {
        WriteByte(s, 2);
        WriteReal(s, *r);
    } else if (text == "TRUE" || text == "FALSE") {
        WriteByte(s, 3);
        WriteByte(s, text == "TRUE");
    } else if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        WriteByte(s, 4);
        WriteStr(s, std::string_view(text).substr(1, text.size() - 2));
    } else if (auto constant = NamedConstant(text)) {
        WriteByte(s, 1);
        WriteInt(s, *constant);
    } else {
        WriteByte(s, 0);
        WriteStr(s, text);
    }
}

} // namespace

void TBuildRuvoParser::WriteTo(TStream& s) const {
    WriteInt(s, static_cast<int32_t>(ops_.size()));
    for (const auto& op : ops_) {
        WriteByte(s, op.code);
        WriteStr(s, op.dest);
        if (op.code == ocFunc) {
            const std::string& name = op.operands.at(0);
            const int number = FindSysFunc(name);
            if (number < 0) throw ERuvoError(SysMessage("\"%s\" 関数名がありません", {name}));
            const TSysFuncInfo& info = *SysFuncInfo(number);
            const int n = static_cast<int>(op.operands.size()) - 1;
            if ((info.minArgs >= 0 && n < info.minArgs) || (info.maxArgs >= 0 && n > info.maxArgs))
                throw ERuvoError(SysMessage("%s 引数の数が不正です", {name}));
            WriteInt(s, n);
            WriteByte(s, static_cast<uint8_t>(number));
            for (size_t i = 1; i < op.operands.size(); ++i) WriteOperand(s, op.operands[i]);
        } else {
            WriteInt(s, static_cast<int32_t>(op.operands.size()));
            for (const auto& operand : op.operands) WriteOperand(s, operand);
        }
    }
}

TRuvoParser TBuildRuvoParser::Build() const {
    TMemoryStream stream;
    WriteTo(stream);
    stream.SetPosition(0);
    TRuvoParser parser;
    parser.LoadFromStream(stream);
    return parser;
}

TRuvoParser CompileExpression(std::string_view text, int firstTemporary) {
    TBuildRuvoParser builder;
    builder.Compile(text, firstTemporary);
    return builder.Build();
}

} // namespace ruvo
