// End-to-end runs of `ruvotool archive`.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "archive/bigstreams.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfiles.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct ToolRun {
    int code;
    std::string out, err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

ToolRun Tool(const TempDir& dir, const std::vector<std::string>& args) {
    std::string command = Quote(RUVO_TOOL_PATH);
    for (const auto& a : args) command += " " + Quote(a);
    command += " >" + Quote((dir / "stdout").string()) + " 2>" + Quote((dir / "stderr").string());
    const int status = std::system(command.c_str());
    // A crash is a signal, never an exit code.
    EXPECT_TRUE(WIFEXITED(status)) << command;
    return ToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir / "stdout"), ReadFile(dir / "stderr")};
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

std::string Compressible(size_t n) {
    std::string s;
    while (s.size() < n) s += "some text that repeats, ";
    s.resize(n);
    return s;
}

std::string Crc(const std::string& bytes) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x",
                  static_cast<unsigned>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()),
                                              static_cast<uInt>(bytes.size()))));
    return buf;
}

// The source folder every test packs: a subfolder, a Japanese name, a streamed medium and text.
void MakeSource(const fs::path& src) {
    WriteFile(src / "bg" / "title.txt", Compressible(4000));
    WriteFile(src / "se" / "click.wav", "RIFF....WAVE");
    WriteFile(src / "画像.txt", "japanese name");
    WriteFile(src / "empty.txt", "");
}

TEST(ArchiveTool, PackListExtractVerify) {
    TempDir dir;
    MakeSource(dir / "src");
    ASSERT_EQ(Tool(dir, {"archive", "pack", (dir / "src").string(), "-o", (dir / "game.dat").string()}).code, 0);

    TVrFileCollection back;
    back.Open(dir / "game.dat");
    TMemoryStream stored;
    back.ReadStored(*back.Find("bg\\title.txt"), stored);
    const std::string deflated(reinterpret_cast<const char*>(stored.Memory()), static_cast<size_t>(stored.Size()));

    const ToolRun list = Tool(dir, {"archive", "list", (dir / "game.dat").string()});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out, Lines({"bg\\title.txt\t" + std::to_string(deflated.size()) + "\tdeflate\t" + Crc(deflated),
                               "empty.txt\t0\traw\t00000000", "se\\click.wav\t12\traw\t" + Crc("RIFF....WAVE"),
                               "画像.txt\t13\traw\t" + Crc("japanese name")}));
    EXPECT_NE(back.Find(Utf8ToSjis("画像.txt")), nullptr);  // stored in Shift-JIS

    const ToolRun extract = Tool(dir, {"archive", "extract", (dir / "game.dat").string(), "-o", (dir / "out").string()});
    EXPECT_EQ(extract.code, 0) << extract.err;
    for (const char* name : {"bg/title.txt", "se/click.wav", "画像.txt", "empty.txt"})
        EXPECT_EQ(ReadFile(dir / "out" / name), ReadFile(dir / "src" / name)) << name;

    const ToolRun one = Tool(dir, {"archive", "extract", (dir / "game.dat").string(), "BG\\TITLE.TXT", "-o", "-"});
    EXPECT_EQ(one.code, 0);
    EXPECT_EQ(one.out, Compressible(4000));

    const ToolRun verify = Tool(dir, {"archive", "verify", (dir / "game.dat").string()});
    EXPECT_EQ(verify.code, 0) << verify.out << verify.err;
}

TEST(ArchiveTool, AppendedToAPlayerAndWithASeparateDirectory) {
    TempDir dir;
    MakeSource(dir / "src");
    WriteFile(dir / "player", "\x7f" "ELF player bytes");
    ASSERT_EQ(Tool(dir, {"archive", "pack", (dir / "src").string(), "-o", (dir / "game.exe").string(), "--append-to",
                         (dir / "player").string()})
                  .code,
              0);
    const std::string exe = ReadFile(dir / "game.exe");
    const std::string player = ReadFile(dir / "player");
    EXPECT_EQ(exe.substr(0, player.size()), player);
    EXPECT_EQ(exe.substr(exe.size() - 6), std::string("\x11\0\0\0rv", 6));  // archive start 17, then "rv"
    const ToolRun fromExe = Tool(dir, {"archive", "list", (dir / "game.exe").string()});
    EXPECT_EQ(fromExe.code, 0);

    // The same archive as a data file whose directory lies in a ".ext" file beside it.
    ASSERT_EQ(Tool(dir, {"archive", "pack", (dir / "src").string(), "-o", (dir / "game.dat").string()}).code, 0);
    std::string data = ReadFile(dir / "game.dat");
    TVrFileCollection c;
    c.Open(dir / "game.dat");
    const size_t directorySize = static_cast<size_t>(c[0].Offset);
    c.Close();
    WriteFile(dir / "split" / "game.ext", data.substr(0, directorySize));
    WriteFile(dir / "split" / "game.bin", std::string(directorySize, '\0') + data.substr(directorySize));
    const ToolRun fromExt = Tool(dir, {"archive", "list", (dir / "split" / "game.bin").string()});
    EXPECT_EQ(fromExt.code, 0);
    EXPECT_EQ(fromExt.out, fromExe.out);
    EXPECT_EQ(Tool(dir, {"archive", "verify", (dir / "split" / "game.bin").string()}).code, 0);
}

TEST(ArchiveTool, ExtractNeverWritesOutsideItsFolder) {
    TempDir dir;
    {
        TVrFileCollection c;
        for (const char* name : {"..\\evil.txt", "a\\..\\..\\evil2.txt", "C:\\evil3.txt", "\\rooted.txt", "ok\\fine.txt",
                                 "same.txt", "SAME.TXT"})
            c.AddMemoryFile(name).Data->Write(name, static_cast<int64_t>(std::strlen(name)));
        TGxBigFileStream out(dir / "hostile.dat", bigmode::Create);
        ASSERT_TRUE(c.WriteTo(out));
    }
    fs::create_directories(dir / "x" / "out");
    const ToolRun run = Tool(dir, {"archive", "extract", (dir / "hostile.dat").string(), "-o", (dir / "x" / "out").string()});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("..\\evil.txt"), std::string::npos) << run.err;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename().string().find("evil"), std::string::npos) << entry.path();
    EXPECT_EQ(ReadFile(dir / "x" / "out" / "rooted.txt"), "\\rooted.txt");
    EXPECT_EQ(ReadFile(dir / "x" / "out" / "ok" / "fine.txt"), "ok\\fine.txt");
    // Of equal names the later entry is the one the player reads, and the only one written.
    EXPECT_EQ(ReadFile(dir / "x" / "out" / "SAME.TXT"), "SAME.TXT");
    EXPECT_FALSE(fs::exists(dir / "x" / "out" / "same.txt"));
    const ToolRun one = Tool(dir, {"archive", "extract", (dir / "hostile.dat").string(), "same.txt", "-o", "-"});
    EXPECT_EQ(one.out, "SAME.TXT");
}

TEST(ArchiveTool, PackRefusesNamesThatWouldNotExtractToTheirOwnFile) {
    for (const char* name : {"a\x01" "b.txt", "..\\evil.txt", "x\\..\\..\\evil.txt"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        WriteFile(dir / "src" / "fine.txt", "fine");
        WriteFile(dir / "src" / name, "bad");
        const ToolRun run = Tool(dir, {"archive", "pack", (dir / "src").string(), "-o", (dir / "out.dat").string()});
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find("cannot be an entry"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(dir / "out.dat"));
    }
}

TEST(ArchiveTool, VerifyReportsDamage) {
    TempDir dir;
    MakeSource(dir / "src");
    ASSERT_EQ(Tool(dir, {"archive", "pack", (dir / "src").string(), "-o", (dir / "game.dat").string()}).code, 0);
    TVrFileCollection c;
    c.Open(dir / "game.dat");
    const int64_t wave = c.Find("se\\click.wav")->Offset;
    const int64_t text = c.Find("bg\\title.txt")->Offset;
    c.Close();
    std::string bytes = ReadFile(dir / "game.dat");
    bytes[static_cast<size_t>(wave) + 2] ^= 0x20;
    bytes[static_cast<size_t>(text) + 10] ^= 0x5A;
    WriteFile(dir / "game.dat", bytes);
    const ToolRun run = Tool(dir, {"archive", "verify", (dir / "game.dat").string()});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("se\\click.wav\tCRC mismatch"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("bg\\title.txt\t"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("画像.txt"), std::string::npos) << run.out;
}

TEST(ArchiveTool, ErrorsAndUsage) {
    TempDir dir;
    WriteFile(dir / "bad.dat", std::string("vf\x66\0\0\0\xff\xff\xff\x0f", 10));
    WriteFile(dir / "src" / "a.txt", "a");
    const struct {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{"archive"}, 2},
        {{"archive", "shuffle", "x"}, 2},
        {{"archive", "list"}, 2},
        {{"archive", "list", "a", "b"}, 2},
        {{"archive", "extract", (dir / "bad.dat").string()}, 2},
        {{"archive", "extract", (dir / "bad.dat").string(), "a", "b", "-o", "-"}, 2},
        {{"archive", "pack", (dir / "src").string(), "-o", (dir / "x.exe").string()}, 2},
        {{"archive", "pack", (dir / "src").string(), "-o", (dir / "x.dat").string(), "--append-to", "p"}, 2},
        {{"archive", "list", "-z", "x"}, 2},
        {{"archive", "list", (dir / "missing.dat").string()}, 1},
        {{"archive", "list", (dir / "bad.dat").string()}, 1},
        {{"archive", "verify", (dir / "bad.dat").string()}, 1},
        {{"archive", "extract", (dir / "bad.dat").string(), "-o", (dir / "out").string()}, 1},
        {{"archive", "pack", (dir / "nofolder").string(), "-o", (dir / "x.dat").string()}, 1},
    };
    for (const auto& k : cases) {
        std::string shown;
        for (const auto& a : k.args) shown += a + " ";
        const ToolRun run = Tool(dir, k.args);
        EXPECT_EQ(run.code, k.code) << shown << "\n" << run.err;
        EXPECT_FALSE(run.err.empty()) << shown;
    }
    EXPECT_NE(Tool(dir, {"archive", "list", (dir / "bad.dat").string()}).err.find("bad.dat"), std::string::npos);
}

TEST(ArchiveTool, PackRefusesNamesItCannotStoreOrTellApart) {
    TempDir dir;
    WriteFile(dir / "emoji" / "ok.txt", "ok");
    WriteFile(dir / "emoji" / "smile\xF0\x9F\x98\x80.txt", "no Shift-JIS form");
    const ToolRun emoji = Tool(dir, {"archive", "pack", (dir / "emoji").string(), "-o", (dir / "e.dat").string()});
    EXPECT_EQ(emoji.code, 1);
    EXPECT_NE(emoji.err.find("smile\xF0\x9F\x98\x80.txt: the name has no Shift-JIS form"), std::string::npos) << emoji.err;
    EXPECT_FALSE(fs::exists(dir / "e.dat"));

    WriteFile(dir / "cases" / "sub" / "A.txt", "upper");
    WriteFile(dir / "cases" / "SUB" / "a.txt", "lower");
    const ToolRun cases = Tool(dir, {"archive", "pack", (dir / "cases").string(), "-o", (dir / "c.dat").string()});
    EXPECT_EQ(cases.code, 1);
    EXPECT_NE(cases.err.find("ignore case"), std::string::npos) << cases.err;
    EXPECT_NE(cases.err.find("sub/A.txt"), std::string::npos) << cases.err;
    EXPECT_NE(cases.err.find("SUB/a.txt"), std::string::npos) << cases.err;
    EXPECT_FALSE(fs::exists(dir / "c.dat"));

    // A name on disk in Shift-JIS bytes (not UTF-8) is stored as it is.
    WriteFile(dir / "sjis" / "\x89\xe6\x91\x9c.txt", "picture");  // 画像 in Shift-JIS
    ASSERT_EQ(Tool(dir, {"archive", "pack", (dir / "sjis").string(), "-o", (dir / "s.dat").string()}).code, 0);
    TVrFileCollection back;
    back.Open(dir / "s.dat");
    EXPECT_NE(back.Find("\x89\xe6\x91\x9c.txt"), nullptr);
}

TEST(ArchiveTool, NamesTakeEitherSlashAndArchivesGoToStandardOutput) {
    TempDir dir;
    MakeSource(dir / "src");
    const ToolRun packed = Tool(dir, {"archive", "pack", (dir / "src").string(), "--output=-"});
    ASSERT_EQ(packed.code, 0) << packed.err;
    WriteFile(dir / "piped.dat", packed.out);
    const ToolRun viaSlash = Tool(dir, {"archive", "extract", (dir / "piped.dat").string(), "bg/title.txt", "-o", "-"});
    EXPECT_EQ(viaSlash.code, 0) << viaSlash.err;
    EXPECT_EQ(viaSlash.out, Compressible(4000));
    const ToolRun missing = Tool(dir, {"archive", "extract", (dir / "piped.dat").string(), "bg/none.txt", "-o", "-"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("piped.dat"), std::string::npos) << missing.err;  // the archive looked in
    EXPECT_NE(missing.err.find("bg\\none.txt"), std::string::npos) << missing.err;
}

} // namespace
} // namespace ruvo
