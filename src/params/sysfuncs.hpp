#pragma once
// The system-function manager: carries out function number n of the table (functable.hpp) with the
// destination (a temporary of the function's result type) and the argument holders. Every row has one
// handler: the built-in families (text, numbers and dates, variables, Calc) are bound when the manager
// is made; the subsystem that owns a function (the player's services, the display world, the data
// tables, the saved games) registers its handler while it exists. A function nobody handles leaves the
// destination at its initial value, as the functions do when their object or file is missing.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "params/functable.hpp"
#include "params/values.hpp"

namespace ruvo {

class TParamCollection;
class TSysFuncMan;

using TArgs = std::span<TCustomParam* const>;

// One call as a handler sees it.
struct TFuncCall {
    TSysFuncMan& man;
    TCustomParam& dest;
    TArgs args;

    bool Has(size_t i) const noexcept { return i < args.size(); }
    std::string Str(size_t i) const { return args[i]->AsStr(); }
    int32_t Int(size_t i) const { return args[i]->AsInt(); }
    Real Float(size_t i) const { return args[i]->AsFloat(); }
    // Optional arguments.
    int32_t IntOr(size_t i, int32_t fallback) const { return Has(i) ? Int(i) : fallback; }
    bool FlagOr(size_t i, bool fallback) const { return Has(i) ? args[i]->AsFlag() : fallback; }
};

using TBuiltInHandler = void (*)(const TFuncCall&);
using TSysFuncHandler = std::function<void(const TFuncCall&)>;

// A built-in function of one family: its number and what it does.
struct TBuiltInFunction {
    TSysFuncNumber number;
    TBuiltInHandler run;
};

class TSysFuncMan {
public:
    explicit TSysFuncMan(TParamCollection& vars);

    TParamCollection& Vars() const noexcept { return vars_; }

    // Whether function n is carried out by the manager itself (the built-in families); the others
    // belong to subsystems. Derived from the families' bindings.
    static bool IsBuiltIn(int number) noexcept;
    // The owner of a function that is not built in hands over its handler, or takes it back (an empty
    // handler). Registering a built-in function throws std::logic_error.
    void Register(TSysFuncNumber number, TSysFuncHandler handler);
    void Unregister(TSysFuncNumber number) { Register(number, {}); }

    // Carries out function n; numbers outside the table do nothing.
    void Call(int number, TCustomParam& dest, TArgs args);
    // Type of the temporary that receives function n's result (GetProp: the type of the property asked
    // for; a property number outside 0..161 raises "GetPropの引数が違います").
    int ResultType(int number, TArgs args) const;

    // The generator: seed <- seed * 134775813 + 1, result the high half of n * seed.
    uint32_t RandSeed() const noexcept { return seed_; }
    void SetRandSeed(uint32_t seed) noexcept { seed_ = seed; }
    int32_t Random(int32_t n) noexcept;

    // Compiles and evaluates text at run time (the Calc function): true when it compiled.
    bool EvaluateText(const std::string& text);

    // Evaluations in progress (nesting through Calc); run-time compilations number their temporaries
    // from a base that depends on it, and the depth is bounded.
    int EvaluationDepth() const noexcept { return depth_; }
    class TEvaluationScope {
    public:
        explicit TEvaluationScope(TSysFuncMan& m) : m_(m) { ++m_.depth_; }
        ~TEvaluationScope() { --m_.depth_; }
        TEvaluationScope(const TEvaluationScope&) = delete;
        TEvaluationScope& operator=(const TEvaluationScope&) = delete;

    private:
        TSysFuncMan& m_;
    };

private:
    TParamCollection& vars_;
    std::array<TBuiltInHandler, kSysFuncCount> builtIn_{};
    std::array<TSysFuncHandler, kSysFuncCount> registered_{};
    uint32_t seed_;
    int depth_ = 0;
};

} // namespace ruvo
