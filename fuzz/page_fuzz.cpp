// A script page (its masks and every command record) and the page written again from what was read.
#include "fuzz_support.hpp"
#include "script/page.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    fuzz::CheckRewrite(input, [](TStream& s, bool) {
        TPage page;
        page.LoadFromStream("fuzz.rsb", s);
        TMemoryStream output;
        page.SaveToStream(output);
        return fuzz::Bytes(output);
    }, "page");
    return 0;
}
