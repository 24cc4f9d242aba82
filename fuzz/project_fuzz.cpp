// The project file "ruvo.rpb" (every version), the folder-to-disc map read from another project file,
// and the project written again from what was read.
#include "fuzz_support.hpp"
#include "script/project.hpp"

using namespace ruvo;

namespace {

// Empty when the version is one the reader leaves alone.
std::string Rewritten(TStream& input) {
    TProjectFile project;
    if (!project.LoadFromStream(input)) return {};
    TMemoryStream output;
    project.SaveToStream(output);
    return fuzz::Bytes(output);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream maps = fuzz::InputStream(data, size);
    TFolderDiskList folders;
    fuzz::Refused([&] { ReadFolderDisks(maps, folders); });

    TMemoryStream input = fuzz::InputStream(data, size);
    std::string first;
    if (fuzz::Refused([&] { first = Rewritten(input); }) || first.empty()) return 0;
    TMemoryStream again(std::vector<uint8_t>(first.begin(), first.end()));
    fuzz::ExpectStable(first, Rewritten(again), "project file");
    return 0;
}
