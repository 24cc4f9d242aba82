// The project file "ruvo.rpb" (every version), the folder-to-disc map read from another project file,
// and the project written again from what was read.
#include "fuzz_support.hpp"
#include "script/project.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream maps = fuzz::InputStream(data, size);
    TFolderDiskList folders;
    fuzz::Refused([&] { ReadFolderDisks(maps, folders); });

    TMemoryStream input = fuzz::InputStream(data, size);
    fuzz::CheckRewrite(input, [](TStream& s, bool) {
        TProjectFile project;
        if (!project.LoadFromStream(s)) return std::string();  // a newer version, left alone
        TMemoryStream output;
        project.SaveToStream(output);
        return fuzz::Bytes(output);
    }, "project file");
    return 0;
}
