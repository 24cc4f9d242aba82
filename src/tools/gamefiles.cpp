#include "tools/gamefiles.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfiles.hpp"
#include "script/project.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

class TNoDiscs : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override { return {}; }
};

std::vector<uint8_t> ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ERuvoError(SysMessage("%s:ファイルがありません", {Utf8ToSjisLossy(path.string())}));
    return std::vector<uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

std::string GameName(const std::string& typed) {
    std::string name = Utf8ToSjisLossy(typed);
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

TGameFiles::TGameFiles(const fs::path& folder) : files_(deletions_, std::make_unique<TNoDiscs>(), fs::temp_directory_path()) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw std::runtime_error(folder.string() + ": no such game folder");
    files_.SetBaseFolder(folder);
    if (fs::is_regular_file(folder / "game.dat", ec))
        files_.AddArchive(folder / "game.dat");
}

uint32_t TGameFiles::ImageKey() {
    TMemoryStream stream;
    files_.Load(stream, kProjectFileName);
    TProjectFile project;
    if (!project.LoadFromStream(stream))
        throw std::runtime_error("the game's project file has a version this tool does not read");
    return uint32_t(project.ImageKey);
}

TInput ReadInput(const std::string& arg, TGameFiles* game) {
    std::error_code ec;
    if (fs::is_regular_file(arg, ec))
        return {Utf8ToSjisLossy(fs::path(arg).filename().string()), ReadFileBytes(arg)};
    TMemoryStream content;
    const size_t colon = arg.rfind(':');
    if (colon != std::string::npos && colon > 0 && fs::is_regular_file(arg.substr(0, colon), ec)) {
        TInput in{GameName(arg.substr(colon + 1)), {}};
        TVrFileCollection archive;
        archive.Open(arg.substr(0, colon));
        if (!archive.HasContainer() || archive.IndexOf(in.Name) < 0)
            throw ERuvoError(SysMessage("%s:ファイルがありません", {Utf8ToSjisLossy(arg)}));
        archive.Extract(in.Name, content);
        in.Bytes = content.Bytes();
        return in;
    }
    const std::string name = GameName(arg);
    if (!game || !game->Files().Exists(name))
        throw ERuvoError(SysMessage("%s:ファイルがありません", {name}));
    game->Files().Load(content, name);
    return {name, content.Bytes()};
}

} // namespace ruvo::tools
