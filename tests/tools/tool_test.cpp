// Runs ruvotool as a person would: build the demo and the every-command game, dump, dump --source
// and build again.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <sys/wait.h>

#include "support/tempdir.hpp"

namespace {

namespace fs = std::filesystem;
using ruvo::testing::ReadFile;
using ruvo::testing::TempDir;
using ruvo::testing::WriteFile;

struct ToolRun {
    int code;
    std::string out;
};

// Runs the tool with the arguments (each quoted), standard error joined to standard output.
ToolRun Tool(const std::string& args) {
    std::string command = std::string("'") + RUVO_TOOL_PATH + "' " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

TEST(BuildTool, DemoBuildsAndDumpsFromTheArchive) {
    TempDir dir;
    fs::path src = fs::path(RUVO_SOURCE_DIR) / "examples" / "demo";
    ToolRun build = Tool("build --werror " + Q(src) + " -o " + Q(dir / "game"));  // the example is clean
    ASSERT_EQ(build.code, 0) << build.out;
    ASSERT_TRUE(fs::exists(dir / "game" / "game.dat"));
    ToolRun dump = Tool("dump " + Q(dir / "game" / "game.dat") + ":main.rsb");
    ASSERT_EQ(dump.code, 0) << dump.out;
    EXPECT_NE(dump.out.find("TextIns"), std::string::npos);
    EXPECT_NE(dump.out.find("Call"), std::string::npos);
    ToolRun project = Tool("dump " + Q(dir / "game" / "game.dat") + ":ruvo.rpb");
    ASSERT_EQ(project.code, 0) << project.out;
    EXPECT_NE(project.out.find("StartPage \"main.rsb\""), std::string::npos) << project.out;
}

TEST(BuildTool, EveryCodeGameRoundTripsThroughDumpSource) {
    TempDir dir;
    fs::path src = fs::path(RUVO_SOURCE_DIR) / "tests" / "tools" / "allcodes";
    ToolRun build = Tool("build " + Q(src) + " -o " + Q(dir / "one") + " --loose");
    ASSERT_EQ(build.code, 0) << build.out;

    ToolRun listing = Tool("dump " + Q(dir / "one" / "main.rsb"));
    ASSERT_EQ(listing.code, 0) << listing.out;
    for (const char* name : {"If ", "Elseif ", "SaveCabinet ", "LoadCabinet ", "PropMotion ", "DoEvent ", "Terminate "})
        EXPECT_NE(listing.out.find(std::string(name) + " (line"), std::string::npos) << name;

    // Source written from the built files builds the same bytes.
    fs::path again = dir / "again";
    for (const char* file : {"main.rsb", "sub/end.rsb", "ruvo.rpb"}) {
        ToolRun source = Tool("dump --source " + Q(dir / "one" / file));
        ASSERT_EQ(source.code, 0) << source.out;
        std::string target = file == std::string("ruvo.rpb") ? "project.rvp" : fs::path(file).replace_extension(".rvs").string();
        WriteFile(again / target, source.out);
    }
    WriteFile(again / "pic.png", ReadFile(src / "pic.png"));
    ToolRun rebuild = Tool("build " + Q(again) + " -o " + Q(dir / "two") + " --loose");
    ASSERT_EQ(rebuild.code, 0) << rebuild.out;
    for (const char* file : {"main.rsb", "sub/end.rsb", "ruvo.rpb", "pic.png"})
        EXPECT_EQ(ReadFile(dir / "two" / file), ReadFile(dir / "one" / file)) << file;

    // The packed game holds the same files as the loose one.
    ASSERT_EQ(Tool("build " + Q(src) + " -o " + Q(dir / "packed")).code, 0);
    EXPECT_EQ(Tool("dump " + Q(dir / "packed" / "game.dat") + ":main.rsb").out, listing.out);
}

TEST(BuildTool, ExecutableCarriesTheArchiveAndTrailer) {
    TempDir dir;
    WriteFile(dir / "player", "PLAYER-BYTES");
    WriteFile(dir / "src" / "project.rvp", "start = \"main.rsb\"\n");
    WriteFile(dir / "src" / "main.rvs", "Terminate\n");
    ToolRun build = Tool("build " + Q(dir / "src") + " -o " + Q(dir / "out") + " --exe " + Q(dir / "player"));
    ASSERT_EQ(build.code, 0) << build.out;
    std::string exe = ReadFile(dir / "out" / "player");
    ASSERT_GT(exe.size(), 18u);
    EXPECT_EQ(exe.substr(0, 12), "PLAYER-BYTES");
    EXPECT_EQ(exe.substr(exe.size() - 2), "rv");
    EXPECT_EQ(std::string(exe.data() + exe.size() - 6, 4), std::string("\x0c\x00\x00\x00", 4));
    EXPECT_TRUE((fs::status(dir / "out" / "player").permissions() & fs::perms::owner_exec) != fs::perms::none);
}

TEST(BuildTool, ASourceNameNeverLeadsOutsideTheOutputFolder) {
    // On Linux "\\" is an ordinary byte of a file name, but it separates the parts of a game name.
    TempDir dir;
    WriteFile(dir / "src" / "project.rvp", "start = \"main.rsb\"\n");
    WriteFile(dir / "src" / "main.rvs", "Calc a = 1\n");
    for (const char* name : {"x\\..\\..\\..\\evil.txt", "C:\\evil.txt", "bell\a.txt"}) {
        SCOPED_TRACE(name);
        WriteFile(dir / "src" / name, "payload");
        for (const char* mode : {" --loose", ""}) {
            ToolRun run = Tool("build " + Q(dir / "src") + " -o " + Q(dir / "a" / "b" / "out") + mode);
            EXPECT_EQ(run.code, 1) << run.out;
            EXPECT_NE(run.out.find("cannot be a game file"), std::string::npos) << run.out;
        }
        fs::remove(dir / "src" / name);
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
            if (entry.path().parent_path() != dir / "src")
                EXPECT_EQ(entry.path().filename().string().find("evil"), std::string::npos) << entry.path();
    }
}

TEST(BuildTool, MistakesAreReportedNotCrashedOn) {
    TempDir dir;
    WriteFile(dir / "src" / "project.rvp", "start = \"main.rsb\"\n");
    WriteFile(dir / "src" / "main.rvs", "Calc a = 1\n\nIf a ==\n");
    ToolRun bad = Tool("build " + Q(dir / "src") + " -o " + Q(dir / "out"));
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.out.find("main.rvs:3:"), std::string::npos) << bad.out;

    WriteFile(dir / "src" / "main.rvs", "Calc a = 1\n");
    WriteFile(dir / "src" / "project.rvp", "start = \"other.rsb\"\n");
    ToolRun missing = Tool("build " + Q(dir / "src") + " -o " + Q(dir / "out"));
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.out.find("start page"), std::string::npos) << missing.out;

    // A page cut short and a page with an unknown code.
    WriteFile(dir / "cut.rsb", std::string("\x6e\x00\x00\x00\x01\x3d\x00\x00\x00", 9));
    ToolRun cut = Tool("dump " + Q(dir / "cut.rsb"));
    EXPECT_EQ(cut.code, 1);
    EXPECT_NE(cut.out.find("cut.rsb"), std::string::npos) << cut.out;
    EXPECT_EQ(Tool("dump " + Q(dir / "nothing.rsb")).code, 1);
    EXPECT_EQ(Tool("dump").code, 2);
}

// Standard output and standard error apart.
struct SplitRun {
    int code;
    std::string out, err;
};

SplitRun ToolApart(const TempDir& dir, const std::string& args) {
    const std::string command = std::string("'") + RUVO_TOOL_PATH + "' " + args + " > " + Q(dir / "out.txt") + " 2> " +
                                Q(dir / "err.txt");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(dir / "out.txt"), ReadFile(dir / "err.txt")};
}

TEST(ToolCommandLine, HelpUsageAndOutputsFollowOneConvention) {
    TempDir dir;
    // Help on every verb and subcommand: standard output, exit 0.
    for (const char* args : {"--help", "-h", "build --help", "dump -h", "expr --help", "version --help", "archive --help",
                             "archive list --help", "archive extract -h", "archive pack --help", "archive verify --help"}) {
        const SplitRun run = ToolApart(dir, args);
        EXPECT_EQ(run.code, 0) << args << "\n" << run.err;
        EXPECT_NE(run.out.find("Usage: ruvotool"), std::string::npos) << args << "\n" << run.out;
        EXPECT_EQ(run.err, "") << args;
    }
    // Usage errors: standard error names the problem, exit 2, nothing on standard output.
    const struct {
        const char* args;
        const char* named;
    } usage[] = {
        {"", "Usage: ruvotool"},
        {"frobnicate", "unknown verb \"frobnicate\""},
        {"dump --bogus x.rsb", "--bogus"},
        {"build src", "--output is required"},
        {"expr", "EXPR is required"},
        {"archive", "subcommand"},
        {"archive list --nope x", "--nope"},
    };
    for (const auto& u : usage) {
        const SplitRun run = ToolApart(dir, u.args);
        EXPECT_EQ(run.code, 2) << u.args << "\n" << run.err;
        EXPECT_NE(run.err.find(u.named), std::string::npos) << u.args << "\n" << run.err;
        EXPECT_EQ(run.out, "") << u.args;
    }

    // --opt=value, and "-o -" as standard output or a file of the listing.
    const fs::path src = fs::path(RUVO_SOURCE_DIR) / "examples" / "demo";
    ASSERT_EQ(ToolApart(dir, "build " + Q(src) + " --output=" + Q(dir / "game")).code, 0);
    const std::string entry = Q(dir / "game" / "game.dat") + ":main.rsb";
    const SplitRun toStdout = ToolApart(dir, "dump --source -o - " + entry);
    ASSERT_EQ(toStdout.code, 0) << toStdout.err;
    EXPECT_NE(toStdout.out.find("TextIns"), std::string::npos);
    const SplitRun toFile = ToolApart(dir, "dump --source --output=" + Q(dir / "main.rvs") + " " + entry);
    ASSERT_EQ(toFile.code, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(ReadFile(dir / "main.rvs"), toStdout.out);
    const SplitRun unwritable = ToolApart(dir, "dump " + entry + " -o /no/such/folder/listing.txt");
    EXPECT_EQ(unwritable.code, 2);
    EXPECT_NE(unwritable.err.find("cannot write /no/such/folder/listing.txt"), std::string::npos) << unwritable.err;
    EXPECT_EQ(ToolApart(dir, "version").out, ToolApart(dir, "--version").out);
}

TEST(DumpTool, NamesArchivesAndTheirEntries) {
    TempDir dir;
    const fs::path src = fs::path(RUVO_SOURCE_DIR) / "examples" / "demo";
    ASSERT_EQ(Tool("build " + Q(src) + " -o " + Q(dir / "game")).code, 0);
    const ToolRun whole = Tool("dump " + Q(dir / "game" / "game.dat"));
    EXPECT_EQ(whole.code, 1);
    EXPECT_NE(whole.out.find("game.dat is an archive: name one of its entries as"), std::string::npos) << whole.out;
    EXPECT_NE(whole.out.find("ruvotool archive list"), std::string::npos) << whole.out;
    const ToolRun missing = Tool("dump " + Q(dir / "game" / "game.dat") + ":nothing.rsb");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.out.find("nothing.rsb: no such entry in"), std::string::npos) << missing.out;
    // A random file is not an archive, and says so.
    WriteFile(dir / "noise.dat", std::string("\x13\xe7\x8a\x91 not an archive at all", 26));
    const ToolRun noise = Tool("dump " + Q(dir / "noise.dat") + ":x.rsb");
    EXPECT_EQ(noise.code, 1);
    EXPECT_NE(noise.out.find("not an archive"), std::string::npos) << noise.out;
}

TEST(DumpTool, HugeDepthsAreWrittenAsTagsNotIndentation) {
    TempDir dir;
    // One Calc at depth 2^31 - 1: its indentation alone would take 8 GiB.
    // Version 110, return type 1, no masks (of 21 bytes), one command: Calc, depth, not disabled,
    // continue, line 7, an empty expression.
    const std::string page = std::string("\x6e\0\0\0\x01", 5) + std::string("\0\0\0\0\x15\0\0\0", 8) +
                             std::string("\x01\0\0\0", 4) + "\x0e" + std::string("\xff\xff\xff\x7f", 4) +
                             std::string("\0\x01", 2) + std::string("\x07\0\0\0", 4) + std::string("\0\0\0\0", 4);
    WriteFile(dir / "deep.rsb", page);
    const ToolRun source = Tool("dump --source " + Q(dir / "deep.rsb"));
    ASSERT_EQ(source.code, 0) << source.out;
    EXPECT_LT(source.out.size(), 1000u);
    EXPECT_NE(source.out.find("[depth=2147483647] "), std::string::npos) << source.out;
    WriteFile(dir / "src" / "deep.rvs", source.out);
    WriteFile(dir / "src" / "project.rvp", "start = \"deep.rsb\"\n");
    ASSERT_EQ(Tool("build " + Q(dir / "src") + " -o " + Q(dir / "out") + " --loose").code, 0);
    EXPECT_EQ(ReadFile(dir / "out" / "deep.rsb"), page);
}

TEST(BuildTool, WarningsGoToStandardErrorAndWerrorStopsTheBuild) {
    TempDir dir;
    WriteFile(dir / "src" / "project.rvp", "start = \"main.rsb\"   # the first page\n");
    WriteFile(dir / "src" / "main.rvs", "Calc count = 1\nCall \"sub/missing.rsb\"\n");
    const SplitRun warned = ToolApart(dir, "build " + Q(dir / "src") + " -o " + Q(dir / "out"));
    EXPECT_EQ(warned.code, 0) << warned.err;
    EXPECT_NE(warned.err.find("main.rvs:1: warning: the variable count is assigned but never declared"), std::string::npos)
        << warned.err;
    EXPECT_NE(warned.err.find("main.rvs:2: warning: Call goes to the page sub\\missing.rsb"), std::string::npos) << warned.err;
    EXPECT_NE(warned.err.find("built 2 files"), std::string::npos);
    EXPECT_EQ(warned.out, "");
    EXPECT_TRUE(fs::exists(dir / "out" / "game.dat"));

    const SplitRun strict = ToolApart(dir, "build --werror " + Q(dir / "src") + " -o " + Q(dir / "strict"));
    EXPECT_EQ(strict.code, 1);
    EXPECT_NE(strict.err.find("--werror"), std::string::npos) << strict.err;
    EXPECT_FALSE(fs::exists(dir / "strict"));

    // A syntax error names the token and its column.
    WriteFile(dir / "src" / "main.rvs", "VarNew \"a\", int, 0, 0\nIf a = = 1\n");
    const SplitRun bad = ToolApart(dir, "build " + Q(dir / "src") + " -o " + Q(dir / "bad"));
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("main.rvs:2: 構文エラー in \"a = = 1\": \"=\" at column 5 has no value on its left"),
              std::string::npos)
        << bad.err;
}

} // namespace
