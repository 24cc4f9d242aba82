// Expression source text as the builder and Calc() compile it: compiling, the stored form, and the
// evaluation of what compiled.
#include "fuzz_support.hpp"
#include "params/exprbuild.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TRuvoParser parser;
    if (fuzz::Refused([&] { parser = CompileExpression(std::string_view(reinterpret_cast<const char*>(data), size)); }))
        return 0;
    fuzz::TVariables().Evaluate(parser);
    return 0;
}
