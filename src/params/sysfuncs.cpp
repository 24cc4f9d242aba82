#include "params/sysfuncs.hpp"

#include <chrono>

#include "archive/errors.hpp"
#include "params/exprbuild.hpp"
#include "params/functable.hpp"
#include "params/funcs_impl.hpp"
#include "params/varset.hpp"

namespace ruvo {

namespace {

// Run-time compilations nested inside an evaluation number their temporaries from depth x this, so a
// nested Calc never takes over the enclosing expression's temporaries.
constexpr int kNestedTemporaryBase = 1000000;
// Calc evaluating Calc: bounded so that a self-referring expression cannot exhaust the stack.
constexpr int kMaxEvaluationDepth = 32;

uint32_t MillisecondsSinceMidnightUtc() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<uint32_t>(ms % 86400000);
}

} // namespace

namespace funcs {

bool IsVariable(const TCustomParam& arg) noexcept {
    auto* ref = dynamic_cast<const TParamVar*>(&arg);
    return ref && ref->Target();
}

const TCustomParam& Whole(const TCustomParam& arg) noexcept {
    auto* ref = dynamic_cast<const TParamVar*>(&arg);
    return ref && ref->Target() ? *ref->TargetValue() : arg;
}

TCustomParam& VariableArg(TArgs args, size_t i, const char* function) {
    auto* ref = i < args.size() ? dynamic_cast<TParamVar*>(args[i]) : nullptr;
    if (!ref || !ref->Target()) throw ERuvoError(SysMessage("%s:変数が見つかりません", {function}));
    return *ref->TargetValue();
}

void WriteStr(TCustomParam& arg, std::string value) {
    if (IsVariable(arg)) arg.SetStr(std::move(value));
}

void WriteInt(TCustomParam& arg, int32_t value) {
    if (IsVariable(arg)) arg.SetInt(value);
}

int32_t IntArg(TArgs args, size_t i, int32_t fallback) { return i < args.size() ? args[i]->AsInt() : fallback; }
bool FlagArg(TArgs args, size_t i, bool fallback) { return i < args.size() ? args[i]->AsFlag() : fallback; }

} // namespace funcs

TSysFuncMan::TSysFuncMan(TParamCollection& vars, TSysFuncHost& host)
    : vars_(vars), host_(host), seed_(MillisecondsSinceMidnightUtc()) {}

int32_t TSysFuncMan::Random(int32_t n) noexcept {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<int32_t>((static_cast<uint64_t>(static_cast<uint32_t>(n)) * seed_) >> 32);
}

bool TSysFuncMan::IsBuiltIn(int number) noexcept {
    switch (number) {
    case 2: case 3: case 19: case 24: case 25: case 27: case 32: case 33: case 34: case 35: case 36: case 47:
    case 65: case 69: case 71: case 72: case 125: case 131: case 132: case 134: case 135: case 137: case 140:
    case 141:
        return false;
    default: return number >= 0 && number < kSysFuncCount && !(number >= 87 && number <= 124);
    }
}

int TSysFuncMan::ResultType(int number, TArgs args) const {
    const TSysFuncInfo* info = SysFuncInfo(number);
    if (!info) return 1;  // the call does nothing; the temporary only has to exist
    if (number != sfGetProp) return info->resultType;
    const int32_t property = args.size() > 1 ? args[1]->AsInt() : -1;
    if (property < 0 || property > 161) throw ERuvoError::FromUtf8("GetPropの引数が違います");
    return host_.PropertyType(property);
}

void TSysFuncMan::Calc(TCustomParam& dest, const TCustomParam& textArg) {
    std::string text = textArg.AsStr();
    const size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return;
    text = text.substr(b, text.find_last_not_of(" \t\r\n") - b + 1);
    if (depth_ >= kMaxEvaluationDepth) throw ERuvoError("Calc: nested too deeply");
    TRuvoParser parser;
    try {
        parser = CompileExpression(text, depth_ * kNestedTemporaryBase);
    } catch (const std::exception&) {
        return;  // compile and write errors are swallowed: the destination stays ""
    }
    parser.Evaluate(vars_, *this);
    dest.SetStr("TRUE");
}

void TSysFuncMan::Call(int number, TCustomParam& dest, TArgs args) {
    const TSysFuncInfo* info = SysFuncInfo(number);
    if (!info) return;
    // Stored expressions are not trusted to respect the argument bounds the compiler checks.
    const int n = static_cast<int>(args.size());
    if (n < info->minArgs || (info->maxArgs >= 0 && n > info->maxArgs))
        throw ERuvoError(SysMessage("%s 引数の数が不正です", {info->name}));
    if (!IsBuiltIn(number)) {
        host_.Call(number, dest, args);
        return;
    }
    if (number == sfCalc) {
        Calc(dest, *args[0]);
        return;
    }
    if (funcs::CallTextFunction(number, dest, args)) return;
    if (funcs::CallNumberFunction(*this, number, dest, args)) return;
    funcs::CallVariableFunction(*this, number, dest, args);
}

} // namespace ruvo
