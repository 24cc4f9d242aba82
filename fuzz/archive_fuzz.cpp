// An archive directory at the start of the input (every version), the entries it names (inflating
// them), and the archive written again from what was read.
#include "archive/bigstreams.hpp"
#include "archive/vrfiles.hpp"
#include "fuzz_support.hpp"

using namespace ruvo;

namespace {

std::string Rewritten(TGxBigMemoryStream& input) {
    TVrFileCollection archive;
    input.SetPosition(0);
    archive.ReadDirectory(input);
    TGxBigMemoryStream output;
    archive.WriteTo(output);
    return fuzz::Bytes(output.Memory());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TGxBigMemoryStream input;
    input.Write(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    TVrFileCollection archive;
    if (fuzz::Refused([&] { archive.ReadDirectory(input); })) return 0;
    TMemoryStream content;
    for (int i = 0; i < archive.Count(); ++i)
        if (!archive[i].IsEndMarker()) fuzz::Refused([&] { archive.ReadEntry(archive[i], content); });

    // What was read is written again without complaint, and that archive reads back to the same bytes.
    const std::string first = Rewritten(input);
    TGxBigMemoryStream again;
    again.Write(first.data(), static_cast<int64_t>(first.size()));
    fuzz::ExpectStable(first, Rewritten(again), "archive");
    return 0;
}
