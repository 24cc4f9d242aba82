// Whole games: written in the builder's source format, built with ruvotool, run headless by ruvoplay,
// and checked through the variable dump, the trace and what the player printed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>
#include <map>
#include <sstream>
#include <string>

#include "app/instance.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

using ruvo::testing::ReadFile;
using ruvo::testing::TempDir;
using ruvo::testing::WriteFile;

struct RunResult {
    int exitCode = -1;
    std::map<std::string, std::string> vars;
    std::string trace;
    std::string errors;
};

class Games : public ::testing::Test {
protected:
    void Source(const std::string& name, const std::string& text) { WriteFile(dir / "src" / name, text); }

    void Project(const std::string& extra = "") {
        Source("project.rvp", "title = \"テスト\"\nscreen = 320, 240\nstart = \"main.rsb\"\n" + extra);
    }

    static int Shell(const std::string& command) {
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    RunResult Play(const std::string& options = "", const std::string& input = "", const std::string& environment = "") {
        const std::string game = (dir / "game").string();
        EXPECT_EQ(Shell(std::string(RUVO_TOOL_PATH) + " build " + (dir / "src").string() + " -o " + game +
                        " > " + (dir / "build.log").string() + " 2>&1"),
                    0)
            << ReadFile(dir / "build.log");
        std::string command = environment + " " + std::string(RUVO_PLAYER_PATH) + " --headless --frames 2000 --trace " +
                              (dir / "trace.txt").string() + " --dump-vars " + (dir / "vars.txt").string() + " " +
                              options;
        if (!input.empty()) {
            WriteFile(dir / "input.txt", input);
            command += " --input " + (dir / "input.txt").string();
        }
        RunResult r;
        r.exitCode = Shell(command + " " + game + " 2> " + (dir / "stderr.txt").string());
        std::istringstream lines(ReadFile(dir / "vars.txt"));
        for (std::string line; std::getline(lines, line);)
            if (auto eq = line.find('='); eq != std::string::npos) r.vars[line.substr(0, eq)] = line.substr(eq + 1);
        r.trace = ReadFile(dir / "trace.txt");
        r.errors = ReadFile(dir / "stderr.txt");
        return r;
    }

    TempDir dir;
};

TEST_F(Games, TheScriptRunsToItsEndThenTheExitPage) {
    Project("exit = \"bye.rsb\"\nvar int total = 0\n");
    Source("main.rvs",
           "VarNew \"i\", int, 0, 0\n"
           "WhileInit i = 1\n"
           "While i <= 4\n"
           "    Call \"add.rsb\", 0, \"total\", TRUE, [total, i]\n"
           "    WhileLoop i = i + 1\n");
    Source("add.rvs",
           "%return int\n"
           "Calc @Result = Int(@ParamStr[0]) + Int(@ParamStr[1])\n");
    Source("bye.rvs", "VarNew \"farewell\", str, \"さようなら\", 0\n");
    const RunResult r = Play();
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("total"), "10");
    EXPECT_EQ(r.vars.at("farewell"), "さようなら");
    EXPECT_NE(r.trace.find("00000000 : main.rsb(1)"), std::string::npos) << r.trace;
    EXPECT_NE(r.trace.find(": add.rsb(2)"), std::string::npos);
    EXPECT_NE(r.trace.find(": bye.rsb(1)"), std::string::npos);
}

TEST_F(Games, WaitsCountGameTimeInFramesOf16Ms) {
    Project("var int t0 = 0\nvar int t1 = 0\nvar int frames = 0\n");
    Source("main.rvs",
           "Calc t0 = @TickCount\n"
           "[cont] Wait time: 100\n"
           "Calc t1 = @TickCount\n"
           "Calc frames = @UpdateCount\n"
           "Terminate\n");
    const RunResult r = Play();
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(std::stoi(r.vars.at("t1")) - std::stoi(r.vars.at("t0")), 7 * 16);
    EXPECT_EQ(r.vars.at("frames"), "7");
}

TEST_F(Games, ScriptedClicksAndKeysReachTheScript) {
    Project("var int clickFrame = 0\nvar int mx = 0\nvar int my = 0\n");
    Source("main.rvs",
           "[cont] Wait @LClick == FALSE\n"
           "Calc clickFrame = @UpdateCount\n"
           "Calc mx = @MouseX\n"
           "Calc my = @MouseY\n"
           "Terminate\n");
    const RunResult r = Play("", "5 click 30 40\n");
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("mx"), "30");
    EXPECT_EQ(r.vars.at("my"), "40");
    EXPECT_EQ(r.vars.at("clickFrame"), "5");
}

TEST_F(Games, TheFrameLimitStopsAGameThatWaitsForEver) {
    Project("var int ran = 0\n");
    Source("main.rvs", "Calc ran = 1\nWait\n");
    const RunResult r = Play("--frames 30");
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("ran"), "1");
}

TEST_F(Games, AMissingStartPageIsReportedAndEndsTheStart) {
    Project();
    Source("other.rvs", "Calc x = 1\n");
    WriteFile(dir / "src" / "project.rvp", "title = \"テスト\"\nstart = \"main.rsb\"\n");
    const std::string game = (dir / "game").string();
    // The builder refuses a game without its start page, so the page goes away after building.
    Source("main.rvs", "Calc x = 1\n");
    ASSERT_EQ(Shell(std::string(RUVO_TOOL_PATH) + " build " + (dir / "src").string() + " -o " + game + " --loose > /dev/null"), 0);
    std::filesystem::remove(dir / "game" / "main.rsb");
    const int code = Shell(std::string(RUVO_PLAYER_PATH) + " --headless " + game + " 2> " + (dir / "err.txt").string());
    EXPECT_EQ(code, 1);
    EXPECT_NE(ReadFile(dir / "err.txt").find("[警告] スタートページがありません"), std::string::npos)
        << ReadFile(dir / "err.txt");
}

// The size of a PNG file from its header (big-endian width and height after the signature and IHDR tag).
std::pair<uint32_t, uint32_t> PngSize(const std::string& png) {
    auto be = [&](size_t at) {
        return (uint32_t(uint8_t(png.at(at))) << 24) | (uint32_t(uint8_t(png.at(at + 1))) << 16) |
               (uint32_t(uint8_t(png.at(at + 2))) << 8) | uint32_t(uint8_t(png.at(at + 3)));
    };
    return {be(16), be(20)};
}

TEST_F(Games, HeadlessScreenshotsHaveTheGameSize) {
    Project();
    Source("main.rvs", "Wait\n");
    const RunResult r = Play("--frames 3 --screenshot " + (dir / "shot.png").string());
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(PngSize(ReadFile(dir / "shot.png")), (std::pair<uint32_t, uint32_t>{320, 240}));
}

TEST_F(Games, InAWindowTheToolBarSitsAboveTheGame) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no display (make test runs this under Xvfb)";
    Project();
    Source("main.rvs", "Wait\n");
    Play("--frames 1");  // builds the game
    const std::string shot = (dir / "window.png").string();
    // The display stack (X11, GL drivers, fontconfig) keeps allocations until exit by design.
    const int code = Shell("ASAN_OPTIONS=detect_leaks=0 " + std::string(RUVO_PLAYER_PATH) + " --window --frames 3 --screenshot " + shot + " " +
                           (dir / "game").string() + " 2> /dev/null");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(PngSize(ReadFile(shot)), (std::pair<uint32_t, uint32_t>{320, 240 + 22}));
}

TEST_F(Games, AHeadlessRunOnAGameAlreadyPlayingSaysSoAndFails) {
    Project();
    Source("main.rvs", "VarNew \"ran\", int, 1, 0\n");
    const std::filesystem::path locks = dir / "locks";
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", locks.c_str(), 1);

    const RunResult alone = Play("--frames 1");
    EXPECT_EQ(alone.exitCode, 0) << alone.errors;
    EXPECT_EQ(alone.vars.count("ran"), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(locks)) << "the lock file stays after the run";
    {
        const TInstanceLock playing(InstanceName(std::filesystem::weakly_canonical(dir / "game").string()), locks);
        ASSERT_TRUE(playing.Held()) << playing.Problem();
        std::filesystem::remove(dir / "vars.txt");
        const RunResult second = Play("--frames 1");
        EXPECT_EQ(second.exitCode, 1);
        EXPECT_NE(second.errors.find("another player is running"), std::string::npos) << second.errors;
        EXPECT_TRUE(second.vars.empty());
    }
    if (saved) ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
    else ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(Games, ThePlayersTemporaryFolderGoesWithItAndTakesLeftoversOfCrashedRuns) {
    Project();
    Source("main.rvs", "Wait\n");
    const std::filesystem::path tmp = dir / "tmp";
    const std::filesystem::path crashed = tmp / ("ruvoplay-" + std::to_string(::geteuid()) + "-run-dead00");
    WriteFile(crashed / "run.lock", "");
    WriteFile(crashed / "~rv00000000.wmv", "left by a crash");
    std::filesystem::permissions(crashed, std::filesystem::perms::owner_all);
    const RunResult r = Play("--frames 2", "", "TMPDIR=" + tmp.string());
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    // What may stay is the folder of instance locks, when there is no runtime folder.
    for (const auto& entry : std::filesystem::directory_iterator(tmp))
        EXPECT_EQ(entry.path().filename().string().find("-run-"), std::string::npos) << entry.path();
}

TEST_F(Games, BadCommandLinesAreUsageErrors) {
    EXPECT_EQ(Shell(std::string(RUVO_PLAYER_PATH) + " --frames x somewhere 2> /dev/null"), 2);
    EXPECT_EQ(Shell(std::string(RUVO_PLAYER_PATH) + " --bogus 2> /dev/null"), 2);
    EXPECT_EQ(Shell(std::string(RUVO_PLAYER_PATH) + " --version > /dev/null"), 0);
}

} // namespace
} // namespace ruvo
