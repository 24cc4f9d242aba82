// ruvotool build: builds a game folder from builder source (docs/game-source.md): the project file,
// the pages, the frame lists and the source folder's other files, packed into "game.dat" (or left loose), optionally
// also appended to a copy of the player.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "archive/bigstreams.hpp"
#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/installset.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfiles.hpp"
#include "script/project.hpp"
#include "tools/buildcheck.hpp"
#include "graphics/film/filmmanager.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"
#include "tools/filmsource.hpp"
#include "tools/pagesource.hpp"
#include "tools/picturepack.hpp"
#include "tools/projectsource.hpp"
#include "tools/prevmenusource.hpp"
#include "tools/regionsource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProjectSource = "project.rvp";
constexpr const char* kPageSourceExt = ".rvs";
constexpr const char* kFilmSourceExt = ".rvm";
constexpr const char* kRegionSourceExt = ".rvr";
constexpr const char* kPrevMenuSourceExt = ".rvt";
constexpr const char* kInstallRecordName = "install.dat";
// Pictures of the source become layered images: NAME.png also gives the game's NAME.zph, and a folder
// NAME.zph of PNG pictures one animation, a frame per picture in name order ("02@250.png": 250 ms).
constexpr const char* kLayeredImageExt = ".zph";
constexpr int32_t kDefaultFrameDelay = 100;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": cannot be read");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool IsPng(const fs::path& p) { return LowerAscii(p.extension().string()) == ".png"; }

// A picture inside a folder named like a layered image is a frame of that animation.
bool IsAnimationFrame(const fs::path& relative) {
    return IsPng(relative) && relative.has_parent_path() &&
           LowerAscii(relative.parent_path().extension().string()) == kLayeredImageExt;
}

// "02@250.png" is shown 250 ms; names without "@" the default.
int32_t FrameDelayOf(const fs::path& picture) {
    const std::string stem = picture.stem().string();
    const size_t at = stem.rfind('@');
    if (at == std::string::npos) return kDefaultFrameDelay;
    const std::string digits = stem.substr(at + 1);
    if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
        throw std::runtime_error(picture.string() + ": \"@" + digits + "\" is not a frame time in ms");
    return std::max(1, std::stoi(digits));
}

// The pictures as one layered image; frames of an animation take their times from their names.
std::string Packed(const std::vector<fs::path>& pictures, uint32_t key, bool animation) {
    std::vector<TPackInput> inputs;
    for (const fs::path& p : pictures) {
        const std::string bytes = ReadText(p);
        inputs.push_back(TPackInput{p.string(), std::vector<uint8_t>(bytes.begin(), bytes.end()),
                                    animation ? FrameDelayOf(p) : kDefaultFrameDelay});
    }
    TZephWriteOptions options;
    options.Key = key;
    const std::vector<uint8_t> bytes = PackPictures(inputs, options);
    return std::string(bytes.begin(), bytes.end());
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
void ResolveLabels(const std::vector<TBuiltPage>& pages, const std::vector<TLabelRef>& refs) {
    for (const auto& ref : refs) {
        // Game names ignore case, as the player's file lookup does.
        auto page = std::find_if(pages.begin(), pages.end(),
                                 [&](const auto& p) { return SameTextSjis(p.page->FileName, ref.page); });
        if (page == pages.end())
            throw ESourceError(ref.file, ref.line, "the page " + SjisToUtf8Lossy(ref.page) + " is not built from this source");
        int index = page->page->FindLabel(ref.label);
        if (index < 0)
            throw ESourceError(ref.file, ref.line, "the page " + SjisToUtf8Lossy(ref.page) + " has no label " +
                                                       SjisToUtf8Lossy(ref.label));
        *ref.index = index;
    }
}

// Reads the source folder into the game's files; warnings about likely mistakes are appended.
GameFiles Collect(const fs::path& src, TProjectFile& project, std::vector<TBuildWarning>& warnings) {
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
    std::vector<TBuiltPage> pages;
    std::vector<TLabelRef> labelRefs;
    std::map<fs::path, std::vector<fs::path>> animations;  // folder (relative) → its pictures, in name order
    std::vector<TBuildWarning> pictureWarnings;
    const uint32_t key = static_cast<uint32_t>(project.ImageKey);
    for (const auto& path : paths) {
        fs::path relative = fs::relative(path, src);
        if (relative == kProjectSource) continue;
        if (IsAnimationFrame(relative)) {
            animations[relative.parent_path()].push_back(path);
        } else if (IsPng(relative)) {
            // Kept as it is too: frame lists and cursors may name the PNG itself.
            files.Add(EntryStem(relative), ReadText(path), path.string());
            try {
                files.Add(EntryStem(relative.parent_path() / relative.stem()) + kLayeredImageExt, Packed({path}, key, false),
                          path.string());
            } catch (const ERuvoError& e) {
                pictureWarnings.push_back({path.string(), 0, std::string("no layered image made of it: ") + e.what()});
            }
        } else if (path.extension() == kPageSourceExt) {
            std::string name = EntryStem(relative.parent_path() / relative.stem()) + ".rsb";
            TBuiltPage built;
            built.file = path.string();
            built.page = BuildPageSource(ReadText(path), built.file, name, &labelRefs, &built.sourceLines, &built.warnings);
            pages.push_back(std::move(built));
            files.Add(name, {}, path.string());
        } else if (path.extension() == kFilmSourceExt) {
            TFilmManager film;
            BuildFilmSource(ReadText(path), path.string(), film);
            TMemoryStream bytes;
            film.SaveToStream(bytes);
            files.Add(EntryStem(relative.parent_path() / relative.stem()) + ".rmt", Bytes(bytes), path.string());
        } else if (path.extension() == kRegionSourceExt) {
            TMemoryStream bytes;
            BuildRegionSource(ReadText(path), path.string()).SaveToStream(bytes);
            files.Add(EntryStem(relative.parent_path() / relative.stem()) + ".rgn", Bytes(bytes), path.string());
        } else if (path.extension() == kPrevMenuSourceExt) {
            TMemoryStream bytes;
            BuildPrevMenuSource(ReadText(path), path.string()).SaveToStream(bytes);
            files.Add(EntryStem(relative.parent_path() / relative.stem()) + ".rmt", Bytes(bytes), path.string());
        } else {
            files.Add(EntryStem(relative), ReadText(path), path.string());
        }
    }
    for (const auto& [folder, pictures] : animations)
        files.Add(EntryStem(folder), Packed(pictures, key, true), (src / folder).string());
    ResolveLabels(pages, labelRefs);
    for (auto& built : pages) {
        TMemoryStream bytes;
        built.page->SaveToStream(bytes);
        files.entries[built.page->FileName] = Bytes(bytes);
    }
    if (!files.Has(project.StartPage))
        throw std::runtime_error(projectPath.string() + ": the start page " + SjisToUtf8Lossy(project.StartPage) +
                                 " is not in the game");
    if (!project.ExitPage.empty() && !files.Has(project.ExitPage))
        throw std::runtime_error(projectPath.string() + ": the exit page " + SjisToUtf8Lossy(project.ExitPage) +
                                 " is not in the game");
    warnings = CheckGame(pages, project, [&](const std::string& name) { return files.Has(name); });
    warnings.insert(warnings.end(), pictureWarnings.begin(), pictureWarnings.end());
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

// The record that makes the data appended to a player a complete installed game: the game's title and
// the installed-whole flag, so that the player needs no disc. A source folder may bring its own.
std::string InstallRecord(const TProjectFile& project) {
    TRuvoInstallSet record;
    record.Title = project.Title;
    record.InstalledWhole = true;
    TMemoryStream bytes;
    record.SaveToStream(bytes);
    return Bytes(bytes);
}

// A copy of the player with the archive appended and the 6-byte trailer (archive position, "rv"); the
// appended archive is an installed game on its own.
void WriteExecutable(GameFiles files, const TProjectFile& project, const fs::path& player, const fs::path& out) {
    if (!files.Has(kInstallRecordName)) files.Add(kInstallRecordName, InstallRecord(project), "the builder");
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

} // namespace

int RunBuild(const Args& args) {
    TVerbCommandLine line("ruvotool build",
                          "Builds a game folder from builder source (docs/game-source.md): OUT/game.dat holding the "
                          "project file, the pages and every other file of SRC.");
    CLI::App& app = line.App();
    std::string src, out, player;
    bool loose = false, werror = false;
    app.add_option("SRC", src, "the source folder, holding project.rvp")->required();
    app.add_option("-o,--output", out, "the game folder to write")->type_name("OUT")->required();
    app.add_flag("--loose", loose, "write the game's files unpacked into OUT instead of OUT/game.dat");
    app.add_option("--exe", player, "also write OUT/<player name>: a copy of PLAYER with the archive appended")
        ->type_name("PLAYER");
    app.add_flag("--werror", werror, "treat warnings as errors: report them and write nothing");
    if (auto exit = line.Parse(args)) return *exit;
    if (TOutputFile::IsStandardOutput(out)) throw EUsageError("OUT is a folder; standard output cannot hold a game");
    try {
        TProjectFile project;
        std::vector<TBuildWarning> warnings;
        GameFiles files = Collect(src, project, warnings);
        for (const auto& w : warnings) std::fprintf(stderr, "%s\n", w.Text().c_str());
        if (werror && !warnings.empty()) {
            std::fprintf(stderr, "ruvotool build: %zu warning(s), and --werror makes them errors; nothing written\n",
                         warnings.size());
            return kExitFailure;
        }
        fs::create_directories(out);
        if (loose) {
            WriteLoose(files, out);
        } else {
            TGxBigFileStream stream(fs::path(out) / "game.dat", bigmode::Create);
            WriteArchive(files, stream);
        }
        if (!player.empty()) WriteExecutable(files, project, player, out);
        // A status line, as pack and verify give theirs: standard output stays for results.
        std::fprintf(stderr, "built %zu files into %s\n", files.entries.size(), out.c_str());
        return kExitOk;
    } catch (const ESourceError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return kExitFailure;
    }
}

} // namespace ruvo::tools
