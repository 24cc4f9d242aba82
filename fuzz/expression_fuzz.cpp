// Compiled expressions as pages store them: the operation list, its listing and readable text, the list
// written again, and its evaluation over a variable set (pages from elsewhere can hold any list).
#include "fuzz_support.hpp"
#include "script/expression.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    TRuvoParser parser;
    if (fuzz::Refused([&] { parser.LoadFromStream(input); })) return 0;
    parser.Listing();
    ExpressionText(parser);
    TMemoryStream stored = fuzz::InputStream(data, size);
    fuzz::CheckRewrite(stored, [](TStream& s, bool) {
        TRuvoParser loaded;
        loaded.LoadFromStream(s);
        TMemoryStream output;
        loaded.SaveToStream(output);
        return fuzz::Bytes(output);
    }, "compiled expression");
    fuzz::TVariables().Evaluate(parser);
    return 0;
}
