// Commands per second of the interpreter on a tight loop (While, Calc, WhileLoop, all continuing).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "archive/sjis.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/runcontext.hpp"
#include "script/quietservices.hpp"
#include "tools/pagesource.hpp"

namespace {

using namespace ruvo;

void BM_TightLoop(benchmark::State& state) {
    const int iterations = static_cast<int>(state.range(0));
    const std::string source = "WhileInit i = 0\n"
                               "While i < " + std::to_string(iterations) + "\n"
                               "    Calc total = total + i * 2\n"
                               "    WhileLoop i = i + 1\n";
    TParamCollection vars;
    TSysFuncMan funcs(vars);
    TQuietServices services;
    TRunContext context{services, vars, funcs};
    vars.Declare("i", 1, TVarScope::Global);
    vars.Declare("total", 1, TVarScope::Global);
    TCallMan cm(context, [&](const std::string& name) {
        auto page = tools::BuildPageSource(source, "bench.rvs", name);
        auto stream = std::make_unique<TMemoryStream>();
        page->SaveToStream(*stream);
        stream->SetPosition(0);
        return std::unique_ptr<TStream>(std::move(stream));
    });
    for (auto _ : state) {
        cm.ResetTo("bench.rsb");
        cm.RunFrame();  // the whole loop runs within one frame
    }
    // Per loop turn: While, Calc and WhileLoop; plus WhileInit and the final While.
    state.counters["commands/s"] =
        benchmark::Counter(static_cast<double>(3 * iterations + 2), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_TightLoop)->Arg(100000);

} // namespace
