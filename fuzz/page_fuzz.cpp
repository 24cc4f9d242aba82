// A script page (its masks and every command record) and the page written again from what was read.
#include "fuzz_support.hpp"
#include "script/page.hpp"

using namespace ruvo;

namespace {

std::string Rewritten(TStream& input) {
    TPage page;
    page.LoadFromStream("fuzz.rsb", input);
    TMemoryStream output;
    page.SaveToStream(output);
    return fuzz::Bytes(output);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    std::string first;
    if (fuzz::Refused([&] { first = Rewritten(input); })) return 0;
    TMemoryStream again(std::vector<uint8_t>(first.begin(), first.end()));
    fuzz::ExpectStable(first, Rewritten(again), "page");
    return 0;
}
