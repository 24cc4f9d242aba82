// Evaluation speed of loaded expressions against a variable set, and the cost of their temporaries.
#include <benchmark/benchmark.h>

#include "params/exprbuild.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"

namespace {

struct Env {
    ruvo::TParamCollection vars;
    ruvo::TSysFuncMan funcs{vars};
    Env() {
        for (const char* name : {"a", "b", "c"}) vars.Declare(name, 1, ruvo::TVarScope::Global).Value().SetInt(1);
        // A game has more than three variables: spread some over the buckets.
        for (int i = 0; i < 200; ++i) vars.Declare("v" + std::to_string(i), 1, ruvo::TVarScope::Global);
    }
};

void Evaluate(benchmark::State& st, const char* source) {
    Env env;
    ruvo::TRuvoParser parser = ruvo::CompileExpression(source);
    for (auto _ : st) {
        parser.Evaluate(env.vars, env.funcs);
        benchmark::DoNotOptimize(env.vars.Count());
    }
    st.SetItemsProcessed(st.iterations());
}

// Four operations, three temporaries made and deleted per evaluation.
void BM_FourOperations(benchmark::State& st) { Evaluate(st, "a = a + b * 2 - c"); }
BENCHMARK(BM_FourOperations);

// One operation, no temporary: the floor set by binding, lookup and assignment.
void BM_PlainAssignment(benchmark::State& st) { Evaluate(st, "a = b"); }
BENCHMARK(BM_PlainAssignment);

// The temporaries' part alone: one made and dropped (recycled), against an indexed record.
void BM_TemporaryCreateDelete(benchmark::State& st) {
    Env env;
    for (auto _ : st) {
        auto& item = env.vars.AddTemporary("____0", 1);
        env.vars.DeleteTemporary(item);
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_TemporaryCreateDelete);

void BM_IndexedRecordCreateDelete(benchmark::State& st) {
    Env env;
    for (auto _ : st) {
        auto& item = env.vars.AddNamed("____0", 1);
        env.vars.DeleteItem(item);
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_IndexedRecordCreateDelete);

void BM_Compile(benchmark::State& st) {
    for (auto _ : st) benchmark::DoNotOptimize(ruvo::CompileExpression("a = a + b * 2 - c"));
}
BENCHMARK(BM_Compile);

} // namespace
