// ruvotool archive: list, extract, pack and verify game archives.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive/bigstreams.hpp"
#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfiles.hpp"
#include "archive/zcodec.hpp"
#include "tools/commands.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: ruvotool archive list ARCHIVE\n"
    "       ruvotool archive extract ARCHIVE [NAME...] -o DIR|-\n"
    "       ruvotool archive pack DIR -o ARCHIVE [--append-to PLAYER]\n"
    "       ruvotool archive verify ARCHIVE\n";

int UsageError(const std::string& why) {
    std::fprintf(stderr, "ruvotool archive: %s\n%s", why.c_str(), kUsage);
    return 2;
}

int Failure(const std::string& why) {
    std::fprintf(stderr, "ruvotool archive: %s\n", why.c_str());
    return 1;
}

// Positional arguments and the values of the options that take one.
struct ParsedArgs {
    std::vector<std::string> positional;
    std::string output, appendTo;
    bool hasOutput = false, hasAppendTo = false;
};

bool Parse(const Args& args, size_t from, ParsedArgs& out, std::string& error) {
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--append-to") {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            (a == "-o" ? out.output : out.appendTo) = args[++i];
            (a == "-o" ? out.hasOutput : out.hasAppendTo) = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            error = "unknown option " + a;
            return false;
        } else {
            out.positional.push_back(a);
        }
    }
    return true;
}

// Game names are Shift-JIS; command lines and terminals are UTF-8.
std::string NameFromUtf8(const std::string& utf8) {
    try {
        return Utf8ToSjis(utf8);
    } catch (const EConvertError&) {
        return utf8;  // not UTF-8: taken as Shift-JIS bytes already
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

int List(const std::vector<std::string>& rest) {
    if (rest.size() != 1) return UsageError("list takes one ARCHIVE");
    TVrFileCollection archive;
    OpenArchive(archive, rest[0]);
    for (const TVrFile* e : Entries(archive))
        std::printf("%s\t%lld\t%s\t%08x\n", SjisToUtf8Lossy(e->Name()).c_str(), static_cast<long long>(e->Size),
                    e->Raw ? "raw" : "deflate", e->Crc);
    return 0;
}

void WriteBytes(std::FILE* f, TMemoryStream& content, const std::string& where) {
    const size_t n = static_cast<size_t>(content.Size());
    if (n > 0 && std::fwrite(content.Memory(), 1, n, f) != n) throw std::runtime_error("cannot write " + where);
}

int Extract(const ParsedArgs& a) {
    if (a.positional.empty()) return UsageError("extract needs an ARCHIVE");
    if (!a.hasOutput) return UsageError("extract needs -o DIR (or -o - for standard output)");
    const std::vector<std::string> names(a.positional.begin() + 1, a.positional.end());
    if (a.output == "-" && names.size() != 1) return UsageError("-o - writes exactly one named entry");
    TVrFileCollection archive;
    OpenArchive(archive, a.positional[0]);

    std::vector<const TVrFile*> chosen;
    if (names.empty()) {
        // Every entry the player can reach: an earlier entry shadowed by a later one of the same name is not.
        for (const TVrFile* e : Entries(archive))
            if (archive.Find(e->Name()) == e) chosen.push_back(e);
    } else {
        for (const std::string& utf8 : names) {
            const TVrFile* e = archive.Find(NameFromUtf8(utf8));
            if (!e) throw ERuvoError(SysMessage("%s:ファイルがありません", {NameFromUtf8(utf8)}));
            chosen.push_back(e);
        }
    }

    TMemoryStream content;
    if (a.output == "-") {
        archive.ReadEntry(*chosen[0], content);
        WriteBytes(stdout, content, "standard output");
        return std::fflush(stdout) == 0 ? 0 : Failure("cannot write standard output");
    }
    const fs::path dir = a.output;
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
    return failures ? 1 : 0;
}

std::string UpperExtension(const fs::path& path) {
    std::string ext = path.extension().string();
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

int Pack(const ParsedArgs& a) {
    if (a.positional.size() != 1) return UsageError("pack takes one DIR");
    if (!a.hasOutput || a.output == "-") return UsageError("pack needs -o ARCHIVE");
    const fs::path dir = a.positional[0], output = a.output;
    const std::string ext = UpperExtension(output);
    const bool executable = ext == ".EXE" || ext == ".SCR";
    // The reader finds an appended archive by the extension, so the two must agree.
    if (a.hasAppendTo && !executable) return UsageError("--append-to needs an ARCHIVE ending in .exe or .scr");
    if (!a.hasAppendTo && executable) return UsageError("an ARCHIVE ending in .exe or .scr needs --append-to PLAYER");
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return Failure(dir.string() + " is not a folder");
    if (a.hasAppendTo && !fs::is_regular_file(a.appendTo, ec)) return Failure(a.appendTo + " is not a file");

    TVrFileCollection archive;
    archive.Open(dir);  // not a file: the folder serves the entries as loose files
    std::vector<std::pair<std::string, fs::path>> files;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        if (fs::exists(output, ec) && fs::equivalent(it->path(), output, ec)) continue;
        std::string name;
        for (const auto& part : fs::relative(it->path(), dir)) {
            if (!name.empty()) name += '\\';
            name += NameFromUtf8(part.string());
        }
        // Names the extractor could not give back as a file of their own are refused, not stored.
        if (auto fault = NewGameNameFault(name))
            return Failure(it->path().string() + ": cannot be an entry (" + *fault + ")");
        files.emplace_back(std::move(name), it->path());
    }
    if (ec) return Failure("cannot read " + dir.string() + ": " + ec.message());
    std::sort(files.begin(), files.end());
    for (auto& [name, path] : files) archive.AddLooseFile(name);

    try {
        TGxBigFileStream out(output, bigmode::Create);
        int64_t base = 0;
        if (a.hasAppendTo) {
            TFileStream player(a.appendTo, FileOpen::Read);
            const int64_t size = player.Size();
            if (out.CopyFrom(player, 0) != size) throw std::runtime_error("cannot copy " + a.appendTo);
            base = out.GetPosition();
            if (base > 0x7FFFFFFF) throw std::runtime_error("the player is too large to carry an archive");
        }
        archive.WriteTo(out);
        if (a.hasAppendTo) {
            const uint8_t trailer[6] = {static_cast<uint8_t>(base), static_cast<uint8_t>(base >> 8),
                                        static_cast<uint8_t>(base >> 16), static_cast<uint8_t>(base >> 24), 'r', 'v'};
            if (out.Write(trailer, 6) != 6) throw std::runtime_error("cannot write the trailer");
        }
    } catch (...) {
        fs::remove(output, ec);
        throw;
    }
    std::fprintf(stderr, "packed %zu files into %s\n", files.size(), output.string().c_str());
    return 0;
}

int Verify(const std::vector<std::string>& rest) {
    if (rest.size() != 1) return UsageError("verify takes one ARCHIVE");
    TVrFileCollection archive;
    OpenArchive(archive, rest[0]);
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
    if (args.empty()) return UsageError("a verb is needed");
    const std::string& verb = args[0];
    ParsedArgs parsed;
    std::string error;
    if (!Parse(args, 1, parsed, error)) return UsageError(error);
    if (verb == "list" || verb == "verify") {
        if (parsed.hasOutput || parsed.hasAppendTo) return UsageError(verb + " takes no options");
        return verb == "list" ? List(parsed.positional) : Verify(parsed.positional);
    }
    if (verb == "extract") {
        if (parsed.hasAppendTo) return UsageError("extract takes no --append-to");
        return Extract(parsed);
    }
    if (verb == "pack") return Pack(parsed);
    return UsageError("unknown verb " + verb);
}

} // namespace ruvo::tools
