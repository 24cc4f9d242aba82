// Archives in the containers the player opens by name: the first byte chooses an executable with the
// trailer ("p.exe"), a data file with its directory in a ".ext" file beside it (the next two bytes give
// the directory's length), a file split into parts of 64 bytes, or a resource of the player. Every
// entry is read, inflated and opened as a range.
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "archive/bigstreams.hpp"
#include "archive/resources.hpp"
#include "archive/vrfiles.hpp"
#include "fuzz_support.hpp"

using namespace ruvo;
namespace fs = std::filesystem;

namespace {

constexpr int64_t kTinyPart = 64;

// Where this process writes its containers; removed at exit.
struct ScratchFolder {
    ScratchFolder() {
        // The containers are written on every run: a folder in memory when there is one.
        const bool shm = ::access("/dev/shm", W_OK) == 0;
        std::string pattern = ((shm ? fs::path("/dev/shm") : fs::temp_directory_path()) / "ruvofuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

const fs::path& Scratch() {
    static ScratchFolder folder;
    return folder.path;
}

void WriteFile(const fs::path& path, const uint8_t* data, size_t size, int64_t partSize = kBigPartSize) {
    TGxBigFileStream file(path, bigmode::Create, partSize);
    if (file.Write(data, static_cast<int64_t>(size)) != static_cast<int64_t>(size)) std::abort();
}

void ReadEverything(TVrFileCollection& archive) {
    TMemoryStream content;
    for (int i = 0; i < archive.Count(); ++i) {
        const TVrFile& entry = archive[i];
        if (entry.IsEndMarker()) continue;
        fuzz::Refused([&] { archive.ReadEntry(entry, content); });
        if (auto range = archive.OpenRange(entry.Name())) {
            // A name held twice opens the entry found first.
            const int64_t size = range->Size();
            std::vector<uint8_t> bytes(static_cast<size_t>(size));
            if (size != archive.Find(entry.Name())->Size || range->Read(bytes.data(), size) != size) std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t kind = data[0] % 4;
    const size_t directorySize = (data[1] | data[2] << 8) % (size - 2);
    data += 3;
    size -= 3;
    TResourceRegistry resources;
    TVrFileCollection archive(kind == 2 ? kTinyPart : kBigPartSize);
    const bool refused = fuzz::Refused([&] {
        switch (kind) {
        case 0:
            WriteFile(Scratch() / "p.exe", data, size);
            archive.Open(Scratch() / "p.exe");
            break;
        case 1:
            WriteFile(Scratch() / "e.ext", data, directorySize);
            WriteFile(Scratch() / "e.dat", data + directorySize, size - directorySize);
            archive.Open(Scratch() / "e.dat");
            break;
        case 2:
            WriteFile(Scratch() / "s.dat", data, size, kTinyPart);
            archive.Open(Scratch() / "s.dat");
            break;
        default:
            resources.AddCopy("DUMMY", "BINTYPE", std::vector<uint8_t>(data, data + size));
            archive.OpenResource(resources, "DUMMY", "BINTYPE");
            break;
        }
    });
    if (!refused) ReadEverything(archive);
    return 0;
}
