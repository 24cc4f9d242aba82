// Compiled expressions as pages store them: the operation list, its listing and readable text, the list
// written again, and its evaluation over a variable set (pages from elsewhere can hold any list).
#include "fuzz_support.hpp"
#include "params/expr.hpp"
#include "params/sysfuncs.hpp"
#include "params/sysstate.hpp"
#include "params/varset.hpp"
#include "script/expression.hpp"

using namespace ruvo;

namespace {

std::string Written(const TRuvoParser& parser) {
    TMemoryStream output;
    parser.SaveToStream(output);
    return fuzz::Bytes(output);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    TRuvoParser parser;
    if (fuzz::Refused([&] { parser.LoadFromStream(input); })) return 0;
    parser.Listing();
    ExpressionText(parser);

    const std::string first = Written(parser);
    TMemoryStream again(std::vector<uint8_t>(first.begin(), first.end()));
    TRuvoParser reloaded;
    reloaded.LoadFromStream(again);
    fuzz::ExpectStable(first, Written(reloaded), "compiled expression");

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
