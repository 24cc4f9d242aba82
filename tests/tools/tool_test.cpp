// Runs ruvotool as a person would: build the demo and the every-command game, dump, dump --source
// and build again.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
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
    ToolRun build = Tool("build " + Q(src) + " -o " + Q(dir / "game"));
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

} // namespace
