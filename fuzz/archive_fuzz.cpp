// An archive directory at the start of the input (every version), the entries it names (inflating
// them), and the archive written again from what was read.
#include "archive/bigstreams.hpp"
#include "archive/vrfiles.hpp"
#include "fuzz_support.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TGxBigMemoryStream input;
    input.Write(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    TVrFileCollection archive;
    if (fuzz::Refused([&] { archive.ReadDirectory(input); })) return 0;
    TMemoryStream content;
    for (int i = 0; i < archive.Count(); ++i)
        if (!archive[i].IsEndMarker()) fuzz::Refused([&] { archive.ReadEntry(archive[i], content); });

    TMemoryStream stored = fuzz::InputStream(data, size);
    fuzz::CheckRewrite(stored, [](TStream& s, bool) {
        TGxBigMemoryStream container;
        container.CopyFrom(s, 0);
        container.SetPosition(0);
        TVrFileCollection read;
        read.ReadDirectory(container);
        TGxBigMemoryStream output;
        read.WriteTo(output);
        return fuzz::Bytes(output.Memory());
    }, "archive");
    return 0;
}
