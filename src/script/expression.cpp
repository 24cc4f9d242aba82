#include "script/expression.hpp"

#include <map>

#include "params/convert.hpp"
#include "params/functable.hpp"
#include "params/values.hpp"
#include "params/varset.hpp"

namespace ruvo {

namespace {

// Binding strength of each operation in source text; higher binds tighter.
int Precedence(TOpeCode code) {
    switch (code) {
    case ocMul: case ocDiv: case ocMod: return 9;
    case ocPlus: case ocMinus: return 8;
    case ocShiftL: case ocShiftR: return 7;
    case ocEqual: case ocBig: case ocSmall: case ocEBig: case ocESmall: case ocNEqual: return 6;
    case ocComboStr: return 5;
    case ocAnd: return 4;
    case ocXor: return 3;
    case ocOr: return 2;
    default: return 10;
    }
}

const char* OperatorText(TOpeCode code) {
    switch (code) {
    case ocPlus: return "+";
    case ocMinus: return "-";
    case ocMul: return "*";
    case ocDiv: return "/";
    case ocMod: return "%";
    case ocOr: return "|";
    case ocAnd: return "&";
    case ocXor: return "^";
    case ocEqual: return "==";
    case ocBig: return ">";
    case ocSmall: return "<";
    case ocEBig: return ">=";
    case ocESmall: return "<=";
    case ocShiftL: return "<<";
    case ocShiftR: return ">>";
    case ocComboStr: return "++";
    case ocNEqual: return "<>";
    default: return nullptr;
    }
}

struct Piece {
    std::string text;
    int precedence = 10;
};

std::string Quoted(const std::string& value) {
    std::string q = "\"";
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
            q += "\\n";
            ++i;
        } else if (c == '"' || c == '\\') {
            q += '\\';
            q += c;
        } else {
            q += c;
        }
    }
    return q + "\"";
}

class Renderer {
public:
    std::string Render(const TExpression& e) {
        std::string out;
        for (const auto& op : e.Operations()) {
            Piece value = Compute(op);
            if (op.dest == kResultTemp) Emit(out, value.text);
            else if (IsTemporaryName(op.dest)) temps_[op.dest] = value;
            else Emit(out, op.dest + " = " + value.text);
        }
        return out;
    }

private:
    static void Emit(std::string& out, const std::string& statement) {
        if (!out.empty()) out += "; ";
        out += statement;
    }

    Piece Operand(const TCustomParam& operand) const {
        if (auto* ref = dynamic_cast<const TParamVar*>(&operand)) {
            auto it = temps_.find(ref->ReferencedName());
            return it != temps_.end() ? it->second : Piece{ref->ReferencedName()};
        }
        switch (operand.TypeCode()) {
        case 1: return {IntToText(operand.AsInt())};
        case 2: return {RealToText(operand.AsFloat())};
        case 3: return {operand.AsFlag() ? "TRUE" : "FALSE"};
        default: return {Quoted(operand.AsStr())};
        }
    }

    std::string List(const TOpeData& op, size_t first) const {
        std::string text;
        for (size_t i = first; i < op.operands.size(); ++i) text += (i > first ? ", " : "") + Operand(*op.operands[i]).text;
        return text;
    }

    Piece Compute(const TOpeData& op) const {
        if (op.code == ocTo && op.operands.size() == 1) return Operand(*op.operands[0]);
        if (op.code == ocFunc) {
            const TSysFuncInfo* info = SysFuncInfo(op.func);
            return {(info ? std::string(info->name) : "#" + std::to_string(op.func)) + "(" + List(op, 0) + ")"};
        }
        if (op.code == ocDimTo && !op.operands.empty())
            return {Operand(*op.operands[0]).text + "[" + List(op, 1) + "]"};
        const char* symbol = OperatorText(op.code);
        if (symbol && op.operands.size() == 2) {
            int p = Precedence(op.code);
            Piece left = Operand(*op.operands[0]), right = Operand(*op.operands[1]);
            // Operators of one level group from the left, so only a right side of equal level needs brackets.
            if (left.precedence < p) left.text = "(" + left.text + ")";
            if (right.precedence <= p) right.text = "(" + right.text + ")";
            return {left.text + " " + symbol + " " + right.text, p};
        }
        return {"<" + std::string(OpeCodeName(op.code)) + " " + List(op, 0) + ">", 10};
    }

    std::map<std::string, Piece> temps_;
};

} // namespace

std::string ExpressionText(const TExpression& e) { return Renderer().Render(e); }

} // namespace ruvo
