#include "tools/exprdiag.hpp"

#include <cstring>
#include <vector>

namespace ruvo::tools {

namespace {

struct Token {
    enum Kind { Value, Operator, Open, Close, Comma } kind;
    std::string text;
    int column;
    bool call = false;  // "(" of a function call
};

bool IsOperatorChar(char c) { return c != '\0' && std::strchr("%&*+-/<=>^|", c) != nullptr; }
bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::string Where(const Token& t) { return "\"" + t.text + "\" at column " + std::to_string(t.column); }

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    // The tokens, or a problem found while cutting them (a string never closed).
    bool Run(std::vector<Token>& tokens, std::string& problem) {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            const int column = column_ + 1;
            if (c == ' ' || c == '\t') {
                Advance(1);
            } else if (c == '"') {
                size_t end = pos_ + 1;
                while (end < text_.size() && text_[end] != '"') end += text_[end] == '\\' && end + 1 < text_.size() ? 2 : 1;
                if (end >= text_.size()) {
                    problem = "the string starting at column " + std::to_string(column) + " is never closed";
                    return false;
                }
                tokens.push_back({Token::Value, std::string(text_.substr(pos_, end + 1 - pos_)), column});
                Advance(end + 1 - pos_);
            } else if (c == '(' || c == '[') {
                const bool call = c == '(' && !tokens.empty() && tokens.back().kind == Token::Value &&
                                  IsNameChar(tokens.back().text.back());
                tokens.push_back({Token::Open, std::string(1, c), column, call});
                Advance(1);
            } else if (c == ')' || c == ']') {
                tokens.push_back({Token::Close, std::string(1, c), column});
                Advance(1);
            } else if (c == ',') {
                tokens.push_back({Token::Comma, ",", column});
                Advance(1);
            } else if (IsOperatorChar(c)) {
                std::string op(1, c);
                if (pos_ + 1 < text_.size()) {
                    const std::string two = std::string(1, c) + text_[pos_ + 1];
                    for (const char* known : {"==", ">=", "<=", "++", "<>", "<<", ">>", "&&", "||"})
                        if (two == known) op = two;
                }
                if (op == "&&" || op == "||") {
                    problem = Where({Token::Operator, op, column}) + " is not an operator: write " + op.substr(1) +
                              " (bitwise, on flags and integers)";
                    return false;
                }
                tokens.push_back({Token::Operator, op, column});
                Advance(op.size());
            } else {
                size_t end = pos_;
                while (end < text_.size() && !std::strchr(" \t\"()[],", text_[end]) && !IsOperatorChar(text_[end])) ++end;
                if (text_.substr(pos_, end - pos_) == "!" && end < text_.size() && text_[end] == '=') {
                    problem = "\"!=\" at column " + std::to_string(column) + ": \"not equal\" is written <>";
                    return false;
                }
                tokens.push_back({Token::Value, std::string(text_.substr(pos_, end - pos_)), column});
                Advance(end - pos_);
            }
        }
        return true;
    }

private:
    void Advance(size_t bytes) {
        for (size_t i = 0; i < bytes && pos_ < text_.size(); ++i, ++pos_)
            if (!IsContinuationByte(text_[pos_])) ++column_;
    }

    std::string_view text_;
    size_t pos_ = 0;
    int column_ = 0;
};

// Walks the tokens as the compiler would nest them, naming the first token that cannot stand there.
std::string CheckTokens(const std::vector<Token>& tokens) {
    enum class Prev { Start, Value, Operator, Comma };
    std::vector<const Token*> open;  // the brackets still open, innermost last
    Prev prev = Prev::Start;
    const Token* lastOperator = nullptr;
    int assignments = 0;
    for (const Token& t : tokens) {
        switch (t.kind) {
        case Token::Value:
            if (prev == Prev::Value) return "two values with no operator between them: " + Where(t);
            prev = Prev::Value;
            break;
        case Token::Operator:
            if (prev != Prev::Value && t.text != "+" && t.text != "-") return Where(t) + " has no value on its left";
            if (t.text == "=") {
                if (!open.empty()) return Where(t) + ": an assignment cannot stand inside brackets or arguments";
                if (++assignments > 1) return Where(t) + ": an expression assigns only once";
            }
            lastOperator = &t;
            prev = Prev::Operator;
            break;
        case Token::Open:
            if (t.text == "[" && prev != Prev::Value) return Where(t) + " follows no array name";
            open.push_back(&t);
            prev = Prev::Start;
            break;
        case Token::Close: {
            if (open.empty()) return Where(t) + " closes nothing";
            const Token& o = *open.back();
            if ((o.text == "(") != (t.text == ")")) return Where(t) + " does not close " + Where(o);
            if (prev == Prev::Operator) return Where(*lastOperator) + " has no value on its right";
            if (prev == Prev::Start && !o.call) return Where(o) + " encloses nothing";
            open.pop_back();
            prev = Prev::Value;
            break;
        }
        case Token::Comma:
            if (open.empty() || (open.back()->text == "(" && !open.back()->call))
                return Where(t) + ": a comma separates only the arguments of a function or the indices of an array";
            if (prev == Prev::Operator) return Where(*lastOperator) + " has no value on its right";
            prev = Prev::Comma;
            break;
        }
    }
    if (!open.empty()) return Where(*open.back()) + " is never closed";
    if (prev == Prev::Operator) return Where(*lastOperator) + " has no value on its right";
    return {};
}

} // namespace

std::string DiagnoseExpression(std::string_view utf8) {
    std::vector<Token> tokens;
    std::string problem;
    if (!Tokenizer(utf8).Run(tokens, problem)) return problem;
    return CheckTokens(tokens);
}

std::string DescribeCompileError(std::string_view message, std::string_view utf8Expression) {
    std::string text = std::string(message) + " in \"" + std::string(utf8Expression) + "\"";
    const std::string diagnosis = DiagnoseExpression(utf8Expression);
    return diagnosis.empty() ? text : text + ": " + diagnosis;
}

} // namespace ruvo::tools
