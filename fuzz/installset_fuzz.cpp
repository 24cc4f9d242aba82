// The installation record "install.dat" (every version) and the record written again from what was read.
#include "archive/installset.hpp"
#include "fuzz_support.hpp"

using namespace ruvo;

namespace {

std::string Rewritten(TStream& input) {
    TRuvoInstallSet record;
    record.LoadFromStream(input);
    TMemoryStream output;
    record.SaveToStream(output);
    return fuzz::Bytes(output);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    std::string first;
    if (fuzz::Refused([&] { first = Rewritten(input); })) return 0;
    TMemoryStream again(std::vector<uint8_t>(first.begin(), first.end()));
    fuzz::ExpectStable(first, Rewritten(again), "install.dat");
    return 0;
}
