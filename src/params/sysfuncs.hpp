#pragma once
// The system-function manager: carries out function number n of the table with the destination (a
// temporary of the function's result type) and the argument holders. Functions that need display
// objects, files, data tables or platform services go to the TSysFuncHost, which those subsystems
// implement; the bare host leaves the destination at its initial value.
#include <cstdint>
#include <span>

#include "params/values.hpp"

namespace ruvo {

class TParamCollection;

using TArgs = std::span<TCustomParam* const>;

class TSysFuncHost {
public:
    virtual ~TSysFuncHost() = default;
    // Functions of the table that this subsystem does not carry out itself.
    virtual void Call(int /*number*/, TCustomParam& /*dest*/, TArgs /*args*/) {}
    // Type code (1..4) of display-object property 0..161, for GetProp's result.
    virtual int PropertyType(int /*property*/) { return 1; }
};

class TSysFuncMan {
public:
    TSysFuncMan(TParamCollection& vars, TSysFuncHost& host);

    TParamCollection& Vars() const noexcept { return vars_; }
    TSysFuncHost& Host() const noexcept { return host_; }

    // Whether function n is carried out here (true) or handed to the host.
    static bool IsBuiltIn(int number) noexcept;
    // Carries out function n; numbers outside the table do nothing.
    void Call(int number, TCustomParam& dest, TArgs args);
    // Type of the temporary that receives function n's result (GetProp: the property's type; a property
    // number outside 0..161 raises "GetPropの引数が違います").
    int ResultType(int number, TArgs args) const;

    // The generator: seed <- seed * 134775813 + 1, result the high half of n * seed.
    uint32_t RandSeed() const noexcept { return seed_; }
    void SetRandSeed(uint32_t seed) noexcept { seed_ = seed; }
    int32_t Random(int32_t n) noexcept;

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
    void Calc(TCustomParam& dest, const TCustomParam& text);

    TParamCollection& vars_;
    TSysFuncHost& host_;
    uint32_t seed_;
    int depth_ = 0;
};

} // namespace ruvo
