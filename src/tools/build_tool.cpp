// ruvotool build: builds a game folder from builder source (docs/game-source.md): the project file,
// the pages and the source folder's other files, packed into "game.dat" (or left loose), optionally
// also appended to a copy of the player.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "archive/bigstreams.hpp"
#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfiles.hpp"
#include "script/project.hpp"
#include "tools/commands.hpp"
#include "tools/pagesource.hpp"
#include "tools/projectsource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProjectSource = "project.rvp";
constexpr const char* kPageSourceExt = ".rvs";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": cannot be read");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Bytes(TMemoryStream& s) { return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size())); }

struct GameFiles {
    // Entry name (Shift-JIS, "\" separators) → content; ordered so archives come out the same every time.
    std::map<std::string, std::string> entries;
    std::map<std::string, std::string> lowerNames;  // lower-case name → the source it came from

    void Add(const std::string& name, std::string content, const std::string& from) {
        // A source file's name can hold "\" on Linux, so "x\..\..\evil" would name a file outside
        // the game: every name is checked before it goes anywhere.
        if (auto fault = NewGameNameFault(name))
            throw std::runtime_error(from + ": cannot be a game file (" + *fault + ")");
        auto [it, fresh] = lowerNames.emplace(LowerSjis(name), from);
        if (!fresh) throw std::runtime_error(from + " and " + it->second + " give the same game file " + SjisToUtf8Lossy(name));
        entries.emplace(name, std::move(content));
    }
    bool Has(const std::string& name) const { return lowerNames.count(LowerSjis(name)) != 0; }
};

// "sub/x.rvs" → "sub\x" in Shift-JIS (no extension).
std::string EntryStem(const fs::path& relative) {
    std::string name;
    for (const auto& part : relative) {
        if (!name.empty()) name += '\\';
        name += part.string();
    }
    return SourceToSjis(name);
}

// Command indexes written as "*label" become the label's index in the page they name.
void ResolveLabels(const std::vector<std::unique_ptr<TPage>>& pages, const std::vector<TLabelRef>& refs) {
    for (const auto& ref : refs) {
        auto page = std::find_if(pages.begin(), pages.end(), [&](const auto& p) { return p->FileName == ref.page; });
        if (page == pages.end())
            throw ESourceError(ref.file, ref.line, "the page " + SjisToUtf8Lossy(ref.page) + " is not built from this source");
        int index = (*page)->FindLabel(ref.label);
        if (index < 0)
            throw ESourceError(ref.file, ref.line, "the page " + SjisToUtf8Lossy(ref.page) + " has no label " +
                                                       SjisToUtf8Lossy(ref.label));
        *ref.index = index;
    }
}

GameFiles Collect(const fs::path& src, TProjectFile& project) {
    GameFiles files;
    fs::path projectPath = src / kProjectSource;
    if (!fs::is_regular_file(projectPath)) throw std::runtime_error(projectPath.string() + ": no project source here");
    project = BuildProjectSource(ReadText(projectPath), projectPath.string());
    TMemoryStream projectBytes;
    project.SaveToStream(projectBytes);
    files.Add(kProjectFileName, Bytes(projectBytes), projectPath.string());

    std::vector<fs::path> paths;
    for (auto it = fs::recursive_directory_iterator(src); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path().filename().string().front() == '.') {
            if (it->is_directory()) it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file()) paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::unique_ptr<TPage>> pages;
    std::vector<TLabelRef> labelRefs;
    for (const auto& path : paths) {
        fs::path relative = fs::relative(path, src);
        if (relative == kProjectSource) continue;
        if (path.extension() == kPageSourceExt) {
            std::string name = EntryStem(relative.parent_path() / relative.stem()) + ".rsb";
            pages.push_back(BuildPageSource(ReadText(path), path.string(), name, &labelRefs));
            files.Add(name, {}, path.string());
        } else {
            files.Add(EntryStem(relative), ReadText(path), path.string());
        }
    }
    ResolveLabels(pages, labelRefs);
    for (auto& page : pages) {
        TMemoryStream bytes;
        page->SaveToStream(bytes);
        files.entries[page->FileName] = Bytes(bytes);
    }
    if (!files.Has(project.StartPage))
        throw std::runtime_error(projectPath.string() + ": the start page " + SjisToUtf8Lossy(project.StartPage) +
                                 " is not in the game");
    if (!project.ExitPage.empty() && !files.Has(project.ExitPage))
        throw std::runtime_error(projectPath.string() + ": the exit page " + SjisToUtf8Lossy(project.ExitPage) +
                                 " is not in the game");
    return files;
}

void WriteLoose(const GameFiles& files, const fs::path& out) {
    for (const auto& [name, content] : files.entries) {
        const fs::path path = PathUnder(out, name);
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    }
}

void WriteArchive(const GameFiles& files, TGxBigStream& output) {
    TVrFileCollection collection;
    for (const auto& [name, content] : files.entries)
        collection.AddMemoryFile(name).Data->WriteBuffer(content.data(), static_cast<int64_t>(content.size()));
    collection.WriteTo(output);
}

// A copy of the player with the archive appended and the 6-byte trailer (archive position, "rv").
void WriteExecutable(const GameFiles& files, const fs::path& player, const fs::path& out) {
    std::string playerBytes = ReadText(player);
    fs::path exe = out / player.filename();
    {
        TGxBigFileStream stream(exe, bigmode::Create);
        stream.Write(playerBytes.data(), static_cast<int64_t>(playerBytes.size()));
        int64_t start = stream.GetPosition();
        if (start > INT32_MAX) throw std::runtime_error(player.string() + ": too large to carry an archive");
        WriteArchive(files, stream);
        uint8_t trailer[6] = {uint8_t(start), uint8_t(start >> 8), uint8_t(start >> 16), uint8_t(start >> 24), 'r', 'v'};
        stream.Write(trailer, 6);
    }
    fs::permissions(exe, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add);
}

int Usage() {
    std::fprintf(stderr, "usage: ruvotool build SRC -o OUT [--loose] [--exe PLAYER]\n");
    return 2;
}

} // namespace

int RunBuild(const Args& args) {
    std::string src, out, player;
    bool loose = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) out = args[++i];
        else if (args[i] == "--exe" && i + 1 < args.size()) player = args[++i];
        else if (args[i] == "--loose") loose = true;
        else if (src.empty() && !args[i].empty() && args[i][0] != '-') src = args[i];
        else return Usage();
    }
    if (src.empty() || out.empty()) return Usage();
    try {
        TProjectFile project;
        GameFiles files = Collect(src, project);
        fs::create_directories(out);
        if (loose) {
            WriteLoose(files, out);
        } else {
            TGxBigFileStream stream(fs::path(out) / "game.dat", bigmode::Create);
            WriteArchive(files, stream);
        }
        if (!player.empty()) WriteExecutable(files, player, out);
        std::printf("built %zu files into %s\n", files.entries.size(), out.c_str());
        return 0;
    } catch (const ESourceError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

} // namespace ruvo::tools
