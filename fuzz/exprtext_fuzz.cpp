// Expression source text as the builder and Calc() compile it: compiling, the stored form, and the
// evaluation of what compiled.
#include "fuzz_support.hpp"
#include "params/exprbuild.hpp"
#include "params/sysfuncs.hpp"
#include "params/sysstate.hpp"
#include "params/varset.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TRuvoParser parser;
    if (fuzz::Refused([&] { parser = CompileExpression(text); })) return 0;
    TSystemState state;
    TParamCollection vars(state);
    TSysFuncHost host;
    TSysFuncMan funcs(vars, host);
    vars.Declare("a", 1, TVarScope::Global);
    vars.Declare("s", 4, TVarScope::Global);
    parser.Evaluate(vars, funcs);
    if (vars.TemporaryCount() != 0) std::abort();  // every temporary made by the evaluation is gone
    return 0;
}
