// The installation record "install.dat" (every version) and the record written again from what was read.
#include "archive/installset.hpp"
#include "fuzz_support.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    fuzz::CheckRewrite(input, [](TStream& s, bool) {
        TRuvoInstallSet record;
        record.LoadFromStream(s);
        TMemoryStream output;
        record.SaveToStream(output);
        return fuzz::Bytes(output);
    }, "install.dat");
    return 0;
}
