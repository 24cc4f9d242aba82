#include "params/sysfuncs.hpp"

#include <chrono>
#include <stdexcept>

#include "archive/errors.hpp"
#include "params/exprbuild.hpp"
#include "params/functable.hpp"
#include "params/funcs_impl.hpp"
#include "params/limits.hpp"
#include "params/properties.hpp"
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

} // namespace funcs

namespace {

// Calc (a0): compiles and evaluates a0 at run time; "TRUE" when it compiled. Its errors are swallowed.
const TBuiltInFunction kCalc = {sfCalc, [](const TFuncCall& c) {
                                    if (c.man.EvaluateText(c.Str(0))) c.dest.SetStr("TRUE");
                                }};

template <class Fn>
void ForEachBuiltIn(Fn&& fn) {
    for (const auto& f : funcs::TextFunctions()) fn(f);
    for (const auto& f : funcs::NumberFunctions()) fn(f);
    for (const auto& f : funcs::VariableFunctions()) fn(f);
    fn(kCalc);
}

} // namespace

TSysFuncMan::TSysFuncMan(TParamCollection& vars) : vars_(vars), seed_(MillisecondsSinceMidnightUtc()) {
    ForEachBuiltIn([&](const TBuiltInFunction& f) { builtIn_[f.number] = f.run; });
}

int32_t TSysFuncMan::Random(int32_t n) noexcept {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<int32_t>((static_cast<uint64_t>(static_cast<uint32_t>(n)) * seed_) >> 32);
}

bool TSysFuncMan::IsBuiltIn(int number) noexcept {
    static const std::array<bool, kSysFuncCount> builtIn = [] {
        std::array<bool, kSysFuncCount> table{};
        ForEachBuiltIn([&](const TBuiltInFunction& f) { table[f.number] = true; });
        return table;
    }();
    return number >= 0 && number < kSysFuncCount && builtIn[static_cast<size_t>(number)];
}

void TSysFuncMan::Register(TSysFuncNumber number, TSysFuncHandler handler) {
    if (IsBuiltIn(number)) throw std::logic_error("system function " + std::string(SysFuncInfo(number)->name) + " is built in");
    registered_[number] = std::move(handler);
}

int TSysFuncMan::ResultType(int number, TArgs args) const {
    const TSysFuncInfo* info = SysFuncInfo(number);
    if (!info) return 1;  // the call does nothing; the temporary only has to exist
    if (info->resultType != TValueType::None) return static_cast<int>(info->resultType);
    const TValueType type = PropertyType(args.size() > 1 ? args[1]->AsInt() : -1);
    if (type == TValueType::None) throw ERuvoError::FromUtf8("GetPropの引数が違います");
    return static_cast<int>(type);
}

bool TSysFuncMan::EvaluateText(const std::string& source) {
    const size_t b = source.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return false;
    const std::string text = source.substr(b, source.find_last_not_of(" \t\r\n") - b + 1);
    if (depth_ >= kMaxEvaluationDepth) throw ERuvoError("Calc: nested too deeply");
    TRuvoParser parser;
    try {
        parser = CompileExpression(text, depth_ * kNestedTemporaryBase);
    } catch (const EScriptLimit&) {
        throw;
    } catch (const std::exception&) {
        return false;  // compile and write errors are swallowed: the destination stays ""
    }
    parser.Evaluate(vars_, *this);
    return true;
}

void TSysFuncMan::Call(int number, TCustomParam& dest, TArgs args) {
    const TSysFuncInfo* info = SysFuncInfo(number);
    if (!info) return;
    // Stored expressions are not trusted to respect the argument bounds the compiler checks.
    const int n = static_cast<int>(args.size());
    if (n < info->minArgs || (info->maxArgs >= 0 && n > info->maxArgs))
        throw ERuvoError(SysMessage("%s 引数の数が不正です", {info->name}));
    const TFuncCall call{*this, dest, args};
    if (TBuiltInHandler run = builtIn_[static_cast<size_t>(number)]) run(call);
    else if (const TSysFuncHandler& handler = registered_[static_cast<size_t>(number)]) handler(call);
}

} // namespace ruvo
