// ruvotool archive: list, extract, pack and verify game archives.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "archive/bigstreams.hpp"
#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfiles.hpp"
#include "archive/zcodec.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

int Failure(const std::string& why) {
    std::fprintf(stderr, "ruvotool archive: %s\n", why.c_str());
    return kExitFailure;
}

// An entry name given on the command line (UTF-8, "/" or "\\" between folders) as the archive holds it.
std::string NameFromCommandLine(std::string utf8) {
    std::replace(utf8.begin(), utf8.end(), '/', '\\');
    try {
        return Utf8ToSjis(utf8);
    } catch (const EConvertError&) {
        return utf8;  // not UTF-8: taken as Shift-JIS bytes already
    }
}

// The game name of a file name found on disk: UTF-8 converted to Shift-JIS, or Shift-JIS bytes kept as
// they are; nullopt for a name that is neither (it would be stored garbled).
std::optional<std::string> GameNameOfDiskName(const std::string& onDisk) {
    try {
        return Utf8ToSjis(onDisk);
    } catch (const EConvertError&) {
    }
    try {
        SjisToUtf8(onDisk);  // the bytes are stored as they are, so only their being text matters
        return onDisk;
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

void OpenArchive(TVrFileCollection& archive, const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        throw ERuvoError(SysMessage("%s:ファイルがありません", {Utf8ToSjisLossy(path)}));
    archive.Open(path);
}

std::vector<const TVrFile*> Entries(const TVrFileCollection& archive) {
    std::vector<const TVrFile*> entries;
    for (int i = 0; i < archive.Count(); ++i)
        if (!archive[i].IsEndMarker()) entries.push_back(&archive[i]);
    return entries;
}

int List(const std::string& path) {
    TVrFileCollection archive;
    OpenArchive(archive, path);
    for (const TVrFile* e : Entries(archive))
        std::printf("%s\t%lld\t%s\t%08x\n", SjisToUtf8Lossy(e->Name()).c_str(), static_cast<long long>(e->Size),
                    e->Raw ? "raw" : "deflate", e->Crc);
    return 0;
}

void WriteBytes(std::FILE* f, TMemoryStream& content, const std::string& where) {
    const size_t n = static_cast<size_t>(content.Size());
    if (n > 0 && std::fwrite(content.Memory(), 1, n, f) != n) throw std::runtime_error("cannot write " + where);
}

int Extract(const std::string& path, const std::vector<std::string>& names, const std::string& output) {
    if (TOutputFile::IsStandardOutput(output) && names.size() != 1)
        throw EUsageError("-o - writes exactly one named entry");
    TVrFileCollection archive;
    OpenArchive(archive, path);

    std::vector<const TVrFile*> chosen;
    if (names.empty()) {
        // Every entry the player can reach: an earlier entry shadowed by a later one of the same name is not.
        for (const TVrFile* e : Entries(archive))
            if (archive.Find(e->Name()) == e) chosen.push_back(e);
    } else {
        for (const std::string& utf8 : names) {
            const std::string name = NameFromCommandLine(utf8);
            const TVrFile* e = archive.Find(name);
            if (!e) throw std::move(ERuvoError(SysMessage("%s:ファイルがありません", {name})).AddContext(path));
            chosen.push_back(e);
        }
    }

    TMemoryStream content;
    if (TOutputFile::IsStandardOutput(output)) {
        archive.ReadEntry(*chosen[0], content);
        TOutputFile out(output);
        out.Write(std::string_view(reinterpret_cast<const char*>(content.Memory()), static_cast<size_t>(content.Size())));
        out.Close();
        return kExitOk;
    }
    const fs::path dir = output;
    int failures = 0;
    for (const TVrFile* e : chosen) {
        const std::string shown = SjisToUtf8Lossy(e->Name());
        try {
            const fs::path target = PathUnder(dir, e->Name());
            archive.ReadEntry(*e, content);
            fs::create_directories(target.parent_path());
            std::FILE* f = std::fopen(target.c_str(), "wb");
            if (!f) throw std::runtime_error("cannot create " + target.string());
            try {
                WriteBytes(f, content, target.string());
            } catch (...) {
                std::fclose(f);
                throw;
            }
            if (std::fclose(f) != 0) throw std::runtime_error("cannot write " + target.string());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "ruvotool archive: %s: %s\n", shown.c_str(), error.what());
            ++failures;
        }
    }
    return failures ? kExitFailure : kExitOk;
}

// The files under dir with their game names, sorted; names that cannot be stored, or that the archive
// could not tell apart, are refused all together with one message naming them.
std::vector<std::pair<std::string, fs::path>> PackedFiles(const fs::path& dir, const fs::path& output) {
    std::vector<std::pair<std::string, fs::path>> files;
    std::vector<std::string> problems;
    std::map<std::string, fs::path> byFolded;  // case-folded game name -> the first file that has it
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        if (!TOutputFile::IsStandardOutput(output.string()) && fs::exists(output, ec) && fs::equivalent(it->path(), output, ec))
            continue;
        const fs::path relative = fs::relative(it->path(), dir);
        std::string name;
        bool storable = true;
        for (const auto& part : relative) {
            const auto gameName = GameNameOfDiskName(part.string());
            if (!gameName) {
                problems.push_back(relative.string() + ": the name has no Shift-JIS form");
                storable = false;
                break;
            }
            if (!name.empty()) name += '\\';
            name += *gameName;
        }
        if (!storable) continue;
        auto [first, fresh] = byFolded.emplace(LowerSjis(name), relative);
        if (!fresh) {
            problems.push_back(relative.string() + " and " + first->second.string() +
                               ": the archive's names ignore case, so one would hide the other");
            continue;
        }
        // Names the extractor could not give back as a file of their own are refused, not stored.
        if (auto fault = NewGameNameFault(name)) {
            problems.push_back(relative.string() + ": cannot be an entry (" + *fault + ")");
            continue;
        }
        files.emplace_back(std::move(name), it->path());
    }
    if (ec) throw std::runtime_error("cannot read " + dir.string() + ": " + ec.message());
    if (!problems.empty()) {
        std::string message = "refused to pack " + std::to_string(problems.size()) + " file name(s):";
        for (const auto& p : problems) message += "\n  " + p;
        throw std::runtime_error(message);
    }
    std::sort(files.begin(), files.end());
    return files;
}

void WriteTrailer(TGxBigStream& out, int64_t base) {
    const uint8_t trailer[6] = {static_cast<uint8_t>(base), static_cast<uint8_t>(base >> 8),
                                static_cast<uint8_t>(base >> 16), static_cast<uint8_t>(base >> 24), 'r', 'v'};
    if (out.Write(trailer, 6) != 6) throw std::runtime_error("cannot write the trailer");
}

int Pack(const fs::path& dir, const std::string& output, const std::string& appendTo) {
    const bool toStdout = TOutputFile::IsStandardOutput(output);
    const std::string ext = UpperAscii(fs::path(output).extension().string());
    const bool executable = ext == ".EXE" || ext == ".SCR";
    // The reader finds an appended archive by the extension, so the two must agree.
    if (!appendTo.empty() && !executable) throw EUsageError("--append-to needs an ARCHIVE ending in .exe or .scr");
    if (appendTo.empty() && executable) throw EUsageError("an ARCHIVE ending in .exe or .scr needs --append-to PLAYER");
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return Failure(dir.string() + " is not a folder");
    if (!appendTo.empty() && !fs::is_regular_file(appendTo, ec)) return Failure(appendTo + " is not a file");

    TVrFileCollection archive;
    archive.Open(dir);  // not a file: the folder serves the entries as loose files
    const auto files = PackedFiles(dir, output);
    for (const auto& [name, path] : files) archive.AddLooseFile(name);

    if (toStdout) {
        // The directory is written last over placeholders, so the archive is made in memory first.
        TGxBigMemoryStream memory;
        archive.WriteTo(memory);
        TOutputFile out(output);
        std::string bytes(static_cast<size_t>(memory.GetSize()), '\0');
        memory.SetPosition(0);
        memory.Read(bytes.data(), static_cast<int64_t>(bytes.size()));
        out.Write(bytes);
        out.Close();
    } else {
        try {
            TGxBigFileStream out(output, bigmode::Create);
            int64_t base = 0;
            if (!appendTo.empty()) {
                TFileStream player(appendTo, FileOpen::Read);
                const int64_t size = player.Size();
                if (out.CopyFrom(player, 0) != size) throw std::runtime_error("cannot copy " + appendTo);
                base = out.GetPosition();
                if (base > 0x7FFFFFFF) throw std::runtime_error("the player is too large to carry an archive");
            }
            archive.WriteTo(out);
            if (!appendTo.empty()) WriteTrailer(out, base);
        } catch (...) {
            fs::remove(output, ec);
            throw;
        }
    }
    std::fprintf(stderr, "packed %zu files into %s\n", files.size(), toStdout ? "standard output" : output.c_str());
    return kExitOk;
}

int Verify(const std::string& path) {
    TVrFileCollection archive;
    OpenArchive(archive, path);
    const bool hasCrcs = archive.Version() >= 101;
    int failures = 0, checked = 0;
    TMemoryStream content;
    for (const TVrFile* e : Entries(archive)) {
        const std::string shown = SjisToUtf8Lossy(e->Name());
        try {
            ++checked;
            // Decoding catches damaged zlib data; the CRC then checks the bytes on its basis.
            archive.ReadEntry(*e, content);
            if (!hasCrcs) continue;
            uint32_t crc;
            if (e->CrcOfContent || e->Raw) {
                crc = Crc32(content.Memory(), static_cast<size_t>(content.Size()));
            } else {
                archive.ReadStored(*e, content);
                crc = Crc32(content.Memory(), static_cast<size_t>(content.Size()));
            }
            if (crc != e->Crc) {
                std::printf("%s\tCRC mismatch: stored %08x, computed %08x\n", shown.c_str(), e->Crc, crc);
                ++failures;
            }
        } catch (const std::exception& error) {
            std::printf("%s\t%s\n", shown.c_str(), error.what());
            ++failures;
        }
    }
    if (failures) return 1;
    std::fprintf(stderr, "%d entries verified%s\n", checked, hasCrcs ? "" : " (archive without CRCs: decoding only)");
    return 0;
}

} // namespace

int RunArchive(const Args& args) {
    TVerbCommandLine line("ruvotool archive", "Lists, extracts, packs and verifies game archives.");
    CLI::App& app = line.App();
    app.require_subcommand(1);
    std::string path, output, appendTo, folder;
    std::vector<std::string> names;

    CLI::App* list = app.add_subcommand("list", "list the entries: NAME, stored size, raw or deflate, CRC");
    list->add_option("ARCHIVE", path, "the archive")->required();

    CLI::App* extract = app.add_subcommand("extract", "write entries into a folder, or one entry to standard output");
    extract->add_option("ARCHIVE", path, "the archive")->required();
    extract->add_option("NAME", names, "entries to extract (\"/\" or \"\\\" between folders); all when none is named");
    extract->add_option("-o,--output", output, "the folder to write into, or - for standard output")
        ->type_name("DIR|-")
        ->required();

    CLI::App* pack = app.add_subcommand("pack", "pack every file of a folder into an archive");
    pack->add_option("DIR", folder, "the folder")->required();
    pack->add_option("-o,--output", output, "the archive to write, or - for standard output")
        ->type_name("ARCHIVE|-")
        ->required();
    pack->add_option("--append-to", appendTo, "write a copy of PLAYER with the archive appended (ARCHIVE ends in .exe)")
        ->type_name("PLAYER");

    CLI::App* verify = app.add_subcommand("verify", "decode every entry and check its CRC");
    verify->add_option("ARCHIVE", path, "the archive")->required();

    if (auto exit = line.Parse(args)) return *exit;
    if (list->parsed()) return List(path);
    if (extract->parsed()) return Extract(path, names, output);
    if (pack->parsed()) return Pack(folder, output, appendTo);
    return Verify(path);
}

} // namespace ruvo::tools
