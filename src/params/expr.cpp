#include "params/expr.hpp"

#include <array>
#include <cmath>
#include <exception>
#include <limits>
#include <new>
#include <stdexcept>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/convert.hpp"
#include "params/functable.hpp"
#include "params/limits.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"

namespace ruvo {

namespace {

constexpr std::array<std::string_view, kLastOpeCode + 1> kOpeNames = {
    "ocNone", "ocTo", "ocPlus", "ocMinus", "ocMul", "ocDiv", "ocMod", "ocOr", "ocAnd", "ocXor", "ocDimTo",
    "ocFunc", "ocEqual", "ocBig", "ocSmall", "ocEBig", "ocESmall", "ocShiftL", "ocShiftR", "ocComboStr",
    "ocNEqual",
};

// Smallest stored operation: code, empty destination, operand count; smallest operand: type and an int.
constexpr int64_t kMinOperationSize = 1 + 4 + 4;
constexpr int64_t kMinOperandSize = 1 + 1;

[[noreturn]] void MissingVariable(std::string_view name) {
    throw ERuvoError(SysMessage("\"%s\" 変数がありません", {name}));
}

std::string OperandText(const TCustomParam& operand) {
    if (auto* ref = dynamic_cast<const TParamVar*>(&operand)) return ref->ReferencedName() + ":var";
    switch (operand.TypeCode()) {
    case 1: return operand.AsStr() + ":int";
    case 2: return operand.AsStr() + ":float";
    case 3: return operand.AsStr() + ":flag";
    default: {
        std::string quoted = "\"";
        for (char c : operand.AsStr()) {
            if (c == '"' || c == '\\') quoted += '\\', quoted += c;
            else if (c == '\r') quoted += "\\r";
            else if (c == '\n') quoted += "\\n";
            else quoted += c;
        }
        return quoted + "\":str";
    }
    }
}

std::unique_ptr<TCustomParam> ReadOperand(TStream& s) {
    const uint8_t type = ReadByte(s);
    switch (type) {
    case 1: return std::make_unique<TParamInt>(ReadInt(s));
    case 2: return std::make_unique<TParamFloat>(ReadReal(s));
    case 3: return std::make_unique<TParamFlag>(static_cast<uint8_t>(ReadByte(s) != 0));
    case 4: return std::make_unique<TParamStr>(ReadStr(s));
    default: return std::make_unique<TParamVar>(ReadStr(s));  // 0 and any other value: a variable name
    }
}

void WriteOperand(TStream& s, const TCustomParam& operand) {
    if (auto* ref = dynamic_cast<const TParamVar*>(&operand)) {
        WriteByte(s, 0);
        WriteStr(s, ref->ReferencedName());
        return;
    }
    WriteByte(s, static_cast<uint8_t>(operand.TypeCode()));
    switch (operand.TypeCode()) {
    case 1: WriteInt(s, operand.AsInt()); break;
    case 2: WriteReal(s, operand.AsFloat()); break;
    case 3: WriteByte(s, operand.AsFlag()); break;
    default: WriteStr(s, operand.AsStr()); break;
    }
}

[[noreturn]] void InvalidOperation(const TOpeData& op) {
    std::string text = SysMessage("不正な式") + "\r\n\r\n" + SysMessage("代入先:") + op.dest + SysMessage("演算タイプ:") +
                       std::string(OpeCodeName(op.code));
    for (const auto& operand : op.operands) text += "\r\n" + operand->AsStr();
    throw ERuvoError(std::move(text));
}

// Type of a new temporary receiving op's result.
int TempType(const TOpeData& op, const TSysFuncMan& funcs, TArgs args) {
    const auto left = [&] { return op.operands.empty() ? 1 : op.operands[0]->TypeCode(); };
    switch (op.code) {
    case ocTo: return left();
    case ocPlus: return left() == 4 ? 4 : left() == 2 ? 2 : 1;
    case ocMinus:
    case ocMul:
    case ocDiv: return left() == 2 ? 2 : 1;
    case ocFunc: return funcs.ResultType(op.func, args);
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual: return 3;
    case ocComboStr: return 4;
    case ocMod:
    case ocOr:
    case ocAnd:
    case ocXor:
    case ocShiftL:
    case ocShiftR: return 1;
    case ocDimTo: return 0;
    default: InvalidOperation(op);
    }
}

int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

void Arithmetic(const TOpeData& op, TCustomParam& dest, const TCustomParam& a, const TCustomParam& b) {
    if (dest.TypeCode() == 2) {
        const Real x = a.AsFloat(), y = b.AsFloat();
        Real r = 0;
        switch (op.code) {
        case ocPlus: r = x + y; break;
        case ocMinus: r = x - y; break;
        case ocMul: r = x * y; break;
        default:
            if (y == 0) throw ERuvoError("Floating point division by zero");
            r = x / y;
            break;
        }
        if (!std::isfinite(r)) throw ERuvoError("Floating point overflow");
        dest.SetFloat(r);
        return;
    }
    const int64_t x = a.AsInt(), y = b.AsInt();
    int64_t r = 0;
    switch (op.code) {
    case ocPlus: r = x + y; break;
    case ocMinus: r = x - y; break;
    case ocMul: r = x * y; break;
    default:
        if (y == 0) throw ERuvoError("Division by zero");
        r = x / y;
        break;
    }
    dest.SetInt(Wrap(r));
}

int32_t IntegerOperation(const TOpeData& op, int32_t x, int32_t y) {
    const uint32_t ux = static_cast<uint32_t>(x);
    switch (op.code) {
    case ocMod:
        if (y == 0) throw ERuvoError("Division by zero");
        return y == -1 ? 0 : x % y;
    case ocOr: return x | y;
    case ocAnd: return x & y;
    case ocXor: return x ^ y;
    case ocShiftL: return static_cast<int32_t>(ux << (y & 31));
    default: return static_cast<int32_t>(ux >> (y & 31));
    }
}

bool Compare(TOpeCode code, const TCustomParam& a, const TCustomParam& b) {
    int c;
    switch (a.TypeCode()) {
    case 4: {
        const std::string x = a.AsStr(), y = b.AsStr();
        c = x.compare(y);
        break;
    }
    case 2: {
        const Real x = a.AsFloat(), y = b.AsFloat();
        c = x < y ? -1 : x > y ? 1 : 0;
        break;
    }
    case 3: c = int(a.AsFlag()) - int(b.AsFlag()); break;
    default: {
        const int32_t x = a.AsInt(), y = b.AsInt();
        c = x < y ? -1 : x > y ? 1 : 0;
        break;
    }
    }
    switch (code) {
    case ocEqual: return c == 0;
    case ocBig: return c > 0;
    case ocSmall: return c < 0;
    case ocEBig: return c >= 0;
    case ocESmall: return c <= 0;
    default: return c != 0;
    }
}

// Binds the element reference dest to array[indices].
void BindElement(const TOpeData& op, TCustomParam& dest) {
    auto* ref = dynamic_cast<TParamVar*>(&dest);
    auto* array = op.operands.empty() ? nullptr : dynamic_cast<TParamVar*>(op.operands[0].get());
    if (!array) InvalidOperation(op);
    if (!ref || !array->Target()) MissingVariable(array->ReferencedName());
    const TCustomParam& value = array->Target()->Value();
    const int n = static_cast<int>(op.operands.size()) - 1;
    auto fail = [&](std::string_view why) {
        std::string text = array->ReferencedName() + "[";
        for (int i = 1; i <= n; ++i) text.append(i > 1 ? "," : "").append(op.operands[static_cast<size_t>(i)]->AsStr());
        throw ERuvoError(text + "]\r\n" + SysMessage(why));
    };
    if (n != value.DimCount()) fail("添え字が不正です");
    int64_t flat = 0;
    for (int i = 0; i < n; ++i) {
        flat = flat * value.DimSize(i) + op.operands[static_cast<size_t>(i) + 1]->AsInt();
        if (flat > std::numeric_limits<int32_t>::max() || flat < std::numeric_limits<int32_t>::min())
            fail("要素数を超えています");
    }
    if (flat >= value.Count()) fail("要素数を超えています");
    ref->Bind(array->Target(), static_cast<int>(flat));  // a negative position fails on access
}

} // namespace

std::string_view OpeCodeName(int code) noexcept {
    if (code < 0 || code > kLastOpeCode) return "ocUnknown";
    return kOpeNames[static_cast<size_t>(code)];
}

void TOpeData::Prepare() {
    references.clear();
    args.clear();
    for (auto& operand : operands) args.push_back(operand.get());
    for (auto& operand : operands)
        if (auto* ref = dynamic_cast<TParamVar*>(operand.get())) references.push_back(ref);
    destIsTemp = IsTemporaryName(dest);
    destIsResult = SameTextSjis(dest, kResultTemp);
}

void TRuvoParser::LoadFromStream(TStream& s) {
    std::vector<TOpeData> ops;
    const int32_t count = ReadInt(s);
    if (count < 0 || count > s.Remaining() / kMinOperationSize)
        throw ERuvoError(SysMessage("式の演算数[%s]が不正です", {std::to_string(count)}));
    ops.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        WithContext([&] { return "expression operation " + std::to_string(i); }, [&] {
            TOpeData op;
            const uint8_t code = ReadByte(s);
            if (code > kLastOpeCode) throw ERuvoError(SysMessage("式の演算コード[%s]が不正です", {std::to_string(code)}));
            op.code = static_cast<TOpeCode>(code);
            op.dest = ReadStr(s);
            const int32_t n = ReadInt(s);
            if (op.code == ocFunc) op.func = ReadByte(s);
            if (n < 0 || n > s.Remaining() / kMinOperandSize)
                throw ERuvoError(SysMessage("式の引数の数[%s]が不正です", {std::to_string(n)}));
            op.operands.reserve(static_cast<size_t>(n));
            for (int32_t k = 0; k < n; ++k) op.operands.push_back(ReadOperand(s));
            op.Prepare();
            ops.push_back(std::move(op));
        });
    }
    ops_ = std::move(ops);
    result_.reset();
}

void TRuvoParser::SaveToStream(TStream& s) const {
    WriteInt(s, static_cast<int32_t>(ops_.size()));
    for (const auto& op : ops_) {
        WriteByte(s, op.code);
        WriteStr(s, op.dest);
        WriteInt(s, static_cast<int32_t>(op.operands.size()));
        if (op.code == ocFunc) WriteByte(s, static_cast<uint8_t>(op.func));
        for (const auto& operand : op.operands) WriteOperand(s, *operand);
    }
}

void TRuvoParser::CloneFrom(const TRuvoParser& other) {
    std::vector<TOpeData> ops;
    ops.reserve(other.ops_.size());
    for (const auto& source : other.ops_) {
        TOpeData op;
        op.code = source.code;
        op.dest = source.dest;
        op.func = source.func;
        for (const auto& operand : source.operands) {
            if (auto* ref = dynamic_cast<const TParamVar*>(operand.get()))
                op.operands.push_back(std::make_unique<TParamVar>(ref->ReferencedName()));
            else
                op.operands.push_back(operand->Clone());
        }
        op.Prepare();
        ops.push_back(std::move(op));
    }
    ops_ = std::move(ops);
    result_.reset();
}

std::string TRuvoParser::DescribeOperation(const TOpeData& op) {
    std::string line = std::string(OpeCodeName(op.code)) + " " + op.dest + " <- ";
    if (op.code == ocFunc) {
        const TSysFuncInfo* info = SysFuncInfo(op.func);
        if (info) line.append(info->name);
        else line.append("#").append(std::to_string(op.func));
        line.append("(");
    }
    for (size_t i = 0; i < op.operands.size(); ++i) line.append(i ? ", " : "").append(OperandText(*op.operands[i]));
    if (op.code == ocFunc) line += ")";
    return line;
}

std::string TRuvoParser::Listing() const {
    std::string text;
    for (const auto& op : ops_) text += DescribeOperation(op) + "\n";
    return text;
}

void TRuvoParser::Execute(TOpeData& op, TParamCollection& vars, TSysFuncMan& funcs,
                          std::vector<TParamCollectionItem*>& temps) {
    // 1. Bind the reference operands; one naming an element reference takes over its position.
    for (TParamVar* ref : op.references) {
        TParamCollectionItem* item = vars.Find(ref->ReferencedName(), ref->lookup);
        if (!item) MissingVariable(ref->ReferencedName());
        if (item->IsReference()) {
            const auto& inner = static_cast<const TParamVar&>(item->Value());
            ref->Bind(inner.Target(), inner.Position());
        } else {
            ref->Bind(item, 0);
        }
    }
    const TArgs args(op.args);

    // 2., 3. The destination, made when it is a temporary that does not exist yet.
    TParamCollectionItem* destItem = vars.Find(op.dest, op.destLookup);
    if (!destItem) {
        if (!op.destIsTemp) MissingVariable(op.dest);
        destItem = &vars.AddTemporary(op.dest, TempType(op, funcs, args));
        temps.push_back(destItem);
    }
    TCustomParam& dest = destItem->Value();

    // 4. The operation.
    const auto operand = [&](size_t i) -> const TCustomParam& {
        if (i >= op.operands.size()) InvalidOperation(op);
        return *op.operands[i];
    };
    switch (op.code) {
    case ocTo: {
        const TCustomParam& v = operand(0);
        switch (dest.TypeCode()) {
        case 1: dest.SetInt(v.AsInt()); break;
        case 2: dest.SetFloat(v.AsFloat()); break;
        case 3: dest.SetFlag(v.AsFlag()); break;
        case 4: dest.SetStr(v.AsStr()); break;
        default: break;  // an unbound reference takes nothing
        }
        break;
    }
    case ocPlus:
    case ocMinus:
    case ocMul:
    case ocDiv: Arithmetic(op, dest, operand(0), operand(1)); break;
    case ocMod:
    case ocOr:
    case ocAnd:
    case ocXor:
    case ocShiftL:
    case ocShiftR: dest.SetInt(IntegerOperation(op, operand(0).AsInt(), operand(1).AsInt())); break;
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual: dest.SetFlag(Compare(op.code, operand(0), operand(1))); break;
    case ocComboStr: {
        std::string joined = operand(0).AsStr();
        const std::string right = operand(1).AsStr();
        CheckStringLength(joined.size() + right.size());  // before the join allocates
        dest.SetStr(joined.append(right));
        break;
    }
    case ocFunc: funcs.Call(op.func, dest, args); break;
    case ocDimTo: BindElement(op, dest); break;
    default: InvalidOperation(op);
    }
}

void TRuvoParser::Evaluate(TParamCollection& vars, TSysFuncMan& funcs) {
    TSysFuncMan::TEvaluationScope scope(funcs);
    result_.reset();
    stop_ = TStop{};
    std::vector<TParamCollectionItem*> temps;
    temps.swap(spareTemps_);  // a nested evaluation of this same parser would find it empty
    for (size_t i = 0; i < ops_.size(); ++i) {
        TOpeData& op = ops_[i];
        std::exception_ptr fatal;
        try {
            Execute(op, vars, funcs, temps);
        } catch (const EScriptLimit&) {
            fatal = std::current_exception();  // a runaway script ends the run, not just this evaluation
        } catch (const std::bad_alloc&) {
            fatal = std::make_exception_ptr(EScriptLimit::OutOfMemory());
        } catch (const std::length_error&) {
            fatal = std::make_exception_ptr(EScriptLimit::OutOfMemory());
        } catch (const ERuvoError& e) {
            stop_ = TStop{static_cast<int>(i), e.Message()};
        } catch (const std::exception& e) {
            stop_ = TStop{static_cast<int>(i), e.what()};
        }
        // 5. Unbind the operands so that no reference outlives the operation.
        for (TParamVar* ref : op.references) ref->Unbind();
        if (fatal) {
            ReleaseTemporaries(vars, temps);
            std::rethrow_exception(fatal);
        }
        if (stop_.operation >= 0) break;
    }
    if (!ops_.empty() && ops_.back().code == ocTo && ops_.back().destIsResult) {
        try {
            result_ = vars.Snapshot(kResultTemp);
        } catch (const std::exception&) {
            result_.reset();
        }
    }
    ReleaseTemporaries(vars, temps);
}

void TRuvoParser::ReleaseTemporaries(TParamCollection& vars, std::vector<TParamCollectionItem*>& temps) {
    for (auto it = temps.rbegin(); it != temps.rend(); ++it) vars.DeleteTemporary(**it);
    temps.clear();
    spareTemps_.swap(temps);
}

} // namespace ruvo
