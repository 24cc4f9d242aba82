// Whole games: written in the builder's source format, built with ruvotool, run headless by ruvoplay,
// and checked through the variable dump, the trace and what the player printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/instance.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/images/regionmap.hpp"
#include "script/savefile.hpp"
#include "support/tempdir.hpp"

extern char** environ;

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
    const int code = Shell("ASAN_OPTIONS=detect_leaks=0 " + std::string(RUVO_PLAYER_PATH) + " --window --no-logo --frames 3 --screenshot " + shot + " " +
                           (dir / "game").string() + " 2> /dev/null");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(PngSize(ReadFile(shot)), (std::pair<uint32_t, uint32_t>{320, 240 + 22}));
}

TEST_F(Games, APlayerBuiltWithItsGameRunsItWhateverItsName) {
    Project("var int total = 0\n");
    Source("main.rvs", "Calc total = 42\nTerminate\n");
    const std::filesystem::path out = dir / "out";
    ASSERT_EQ(Shell(std::string(RUVO_TOOL_PATH) + " build " + (dir / "src").string() + " -o " + out.string() + " --exe " +
                    RUVO_PLAYER_PATH + " > /dev/null"),
              0);
    const std::string built = (out / std::filesystem::path(RUVO_PLAYER_PATH).filename()).string();
    std::filesystem::remove(out / "game.dat");  // the executable alone carries the installed game
    std::filesystem::copy_file(built, out / "mygame");
    std::filesystem::copy_file(built, out / "game.exe");
    std::filesystem::permissions(out / "mygame", std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    std::filesystem::permissions(out / "game.exe", std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    for (const std::string& name : {built, (out / "mygame").string(), (out / "game.exe").string()}) {
        SCOPED_TRACE(name);
        std::filesystem::remove(dir / "vars.txt");
        const int code = Shell(name + " --headless --frames 10 --dump-vars " + (dir / "vars.txt").string() + " 2> " +
                               (dir / "err.txt").string());
        EXPECT_EQ(code, 0) << ReadFile(dir / "err.txt");
        EXPECT_EQ(ReadFile(dir / "vars.txt"), "total=42\n");
    }
}

TEST_F(Games, EveryFailureToStartSaysWhereAndWhat) {
    Project();
    Source("main.rvs", "Wait\n");
    Play("--frames 1");
    const std::filesystem::path game = dir / "game";
    WriteFile(dir / "empty" / ".keep", "");
    WriteFile(dir / "random" / "game.dat", "\x12\x34\x56\x78 not an archive at all");
    WriteFile(dir / "damaged" / "ruvo.rpb", std::string("\x6e\0\0\0\x05\0\0\0", 8));
    WriteFile(dir / "newer" / "ruvo.rpb", std::string("\x6f\0\0\0\x05\0\0\0", 8));
    const struct {
        std::string folder;
        std::string fault;
    } cases[] = {
        {(dir / "missing").string(), "フォルダがありません"},
        {(dir / "empty").string(), "ruvo.rpb:ファイルがありません"},
        {(dir / "random").string(), "game.dat"},
        {(dir / "damaged").string(), "読み込みエラー"},
        {(dir / "newer").string(), "version 111"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const int code = Shell(std::string(RUVO_PLAYER_PATH) + " --headless --dump-vars " + (dir / "v.txt").string() + " " +
                               c.folder + " 2> " + (dir / "err.txt").string());
        EXPECT_EQ(code, 1);
        const std::string err = ReadFile(dir / "err.txt");
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(err.rfind("ruvoplay: ", 0), 0u) << err;
        EXPECT_NE(err.find(c.folder), std::string::npos) << err;
        EXPECT_NE(err.find(c.fault), std::string::npos) << err;
    }
}

TEST_F(Games, AHeadlessRunWithoutAFrameLimitStopsAtTheDefaultOne) {
    Project("var int n = 0\n");
    Source("main.rvs",
           "While TRUE\n"
           "    Calc n = n + 1\n"
           "    DoEvent\n"
           "    WhileLoop\n");
    Play("--frames 1");  // builds the game
    // That run kept the project's variables in the status data; this one starts afresh.
    std::filesystem::remove(dir / "game" / "save.dat");
    const int code = Shell(std::string(RUVO_PLAYER_PATH) + " --headless --dump-vars " + (dir / "vars.txt").string() + " " +
                           (dir / "game").string() + " 2> " + (dir / "err.txt").string());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadFile(dir / "vars.txt"), "n=100000\n");
    EXPECT_NE(ReadFile(dir / "err.txt").find("stopped after 100000 frames"), std::string::npos) << ReadFile(dir / "err.txt");
}

TEST_F(Games, StopSignalsEndTheRunWithItsOutputsWritten) {
    Project("var int n = 0\n");
    Source("main.rvs", "Calc n = 7\nWait\n");
    Play("--frames 1");
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove(dir / "vars.txt");
        std::filesystem::remove(dir / "trace.txt");
        const std::string vars = (dir / "vars.txt").string(), trace = (dir / "trace.txt").string(),
                          shot = (dir / "shot.png").string(), game = (dir / "game").string();
        const char* argv[] = {RUVO_PLAYER_PATH, "--headless", "--frames", "100000000", "--trace", trace.c_str(),
                              "--dump-vars", vars.c_str(), "--screenshot", shot.c_str(), game.c_str(), nullptr};
        const std::string err = (dir / "err.txt").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid;
        ASSERT_EQ(posix_spawn(&pid, RUVO_PLAYER_PATH, &actions, nullptr, const_cast<char**>(argv), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        // Once the script has run its first line, the player is in its frame loop.
        for (int i = 0; i < 1000 && ReadFile(dir / "trace.txt").find("main.rsb(2)") == std::string::npos; ++i)
            usleep(10000);
        kill(pid, signal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        EXPECT_EQ(ReadFile(dir / "vars.txt"), "n=7\n");
        EXPECT_NE(ReadFile(dir / "trace.txt").find("main.rsb(2)"), std::string::npos);
        EXPECT_FALSE(ReadFile(dir / "shot.png").empty());
        EXPECT_NE(ReadFile(dir / "err.txt").find(signal == SIGTERM ? "stopped by SIGTERM" : "stopped by SIGINT"),
                  std::string::npos);
    }
}

TEST_F(Games, ARunawayScriptEndsTheRunNamingThePageAndLine) {
    Project("var int depth = 0\n");
    Source("main.rvs", "Call \"deep.rsb\"\n");
    Source("deep.rvs", "Calc depth = depth + 1\nCall \"deep.rsb\"\n");
    const RunResult r = Play();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.errors.find("ruvoplay: deep.rsb(2): 呼び出しが深すぎます（10000段を超えました）"), std::string::npos) << r.errors;
    EXPECT_EQ(r.vars.at("depth"), "10000");  // the variables are still written
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

TEST_F(Games, CommandLineConventions) {
    const std::string player = RUVO_PLAYER_PATH;
    const std::string out = (dir / "out.txt").string(), err = (dir / "err.txt").string();
    for (const char* help : {" --help", " -h"}) {
        EXPECT_EQ(Shell(player + help + " > " + out + " 2> " + err), 0) << help;
        EXPECT_NE(ReadFile(out).find("Usage: ruvoplay"), std::string::npos) << help;
        EXPECT_NE(ReadFile(out).find("--dump-vars"), std::string::npos) << help;
        EXPECT_EQ(ReadFile(err), "") << help;
    }
    EXPECT_EQ(Shell(player + " --bogus 2> " + err), 2);
    EXPECT_NE(ReadFile(err).find("--bogus"), std::string::npos) << ReadFile(err);

    // "--opt=value", and "-" for standard output: the trace and the variables both come out there.
    Project("var int n = 0\n");
    Source("main.rvs", "Calc n = n + 41\nCalc n = n + 1\n");
    Play();
    const std::string game = (dir / "game").string();
    std::filesystem::remove(dir / "game" / "save.dat");  // the project's variables as the project sets them
    ASSERT_EQ(Shell(player + " --headless --frames=10 --trace - --dump-vars=- " + game + " > " + out + " 2> " + err), 0)
        << ReadFile(err);
    const std::string shown = ReadFile(out);
    EXPECT_NE(shown.find("00000000 : main.rsb(1)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("n=42\n"), std::string::npos) << shown;

    // An output that cannot be written is a usage error, found before the game runs.
    for (const char* option : {" --dump-vars ", " --trace ", " --screenshot "}) {
        const std::string target = (dir / "missing-folder" / "file").string();
        EXPECT_EQ(Shell(player + " --headless" + option + target + " " + game + " 2> " + err), 2) << option;
        EXPECT_NE(ReadFile(err).find("cannot write " + target), std::string::npos) << ReadFile(err);
    }
    EXPECT_EQ(Shell(player + " --headless --dump-vars " + dir.Path().string() + " " + game + " 2> " + err), 2);
    EXPECT_NE(ReadFile(err).find("it is a folder"), std::string::npos) << ReadFile(err);
}

// ---- display objects

// The objects dump as lines.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A picture made by plain rules: fills, blends (((255 − a) × d + a × s) div 256, equal pixels left) and
// adds, on 0x00RRGGBB pixels from colours 0x00BBGGRR.
struct TPlainPicture {
    int width, height;
    std::vector<uint32_t> px;
    TPlainPicture(int w, int h) : width(w), height(h), px(static_cast<size_t>(w) * h, 0) {}
    static uint32_t Px(uint32_t c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }
    template <class Op>
    void Each(int l, int t, int r, int b, Op op) {
        for (int y = std::max(t, 0); y < std::min(b, height); ++y)
            for (int x = std::max(l, 0); x < std::min(r, width); ++x) px[static_cast<size_t>(y) * width + x] = op(px[static_cast<size_t>(y) * width + x]);
    }
    void Fill(int l, int t, int r, int b, uint32_t c) { Each(l, t, r, b, [&](uint32_t) { return Px(c); }); }
    void Blend(int l, int t, int r, int b, uint32_t c, int a) {
        Each(l, t, r, b, [&](uint32_t d) {
            const uint32_t s = Px(c);
            if (s == d) return d;
            uint32_t out = 0;
            for (int k : {0, 8, 16}) out |= (((255 - a) * (d >> k & 0xFF) + a * (s >> k & 0xFF)) / 256) << k;
            return out;
        });
    }
};

// Compares a screenshot with the plain picture; on a difference the expected, actual and difference
// pictures are left in objects-failures/ of the working folder.
::testing::AssertionResult SameAs(const std::filesystem::path& shot, const TPlainPicture& want, const std::string& name) {
    const TPngPicture got = LoadPngFile(shot);
    if (got.width != want.width || got.height != want.height)
        return ::testing::AssertionFailure() << "size " << got.width << "x" << got.height;
    int wrong = 0;
    TPngPicture expected{want.width, want.height, false, {}, -1}, diff = expected;
    for (size_t i = 0; i < want.px.size(); ++i) {
        const uint32_t g = got.argb[i] & 0xFFFFFF;
        expected.argb.push_back(0xFF000000 | want.px[i]);
        diff.argb.push_back(g == want.px[i] ? 0xFF000000 : 0xFFFF00FF);
        wrong += g != want.px[i];
    }
    if (wrong == 0) return ::testing::AssertionSuccess();
    std::filesystem::create_directories("objects-failures");
    SavePngArgb(expected, "objects-failures/" + name + "-expected.png");
    SavePngArgb(got, "objects-failures/" + name + "-actual.png");
    SavePngArgb(diff, "objects-failures/" + name + "-diff.png");
    return ::testing::AssertionFailure() << wrong << " pixels differ; see objects-failures/" << name << "-*.png";
}

constexpr const char* kBoxScene =
    "BoxNew PR_NAME = \"bg\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $402010\n"
    "BoxNew {\n"
    "    PR_NAME = \"panel\", PR_LEFT = 20, PR_TOP = 30, PR_WIDTH = 100, PR_HEIGHT = 60\n"
    "    PR_COLOR = $0000FF, PR_BORDERWIDTH = 2, PR_BORDERCOLOR = $FFFFFF, PR_PRIORITY = 1\n"
    "}\n"
    "BoxNew PR_NAME = \"glass\", PR_PARENT = \"panel\", PR_LEFT = 50, PR_TOP = 20, PR_WIDTH = 200, PR_HEIGHT = 30, "
    "PR_COLOR = $00FF00, PR_ALPHA = 128\n";

TPlainPicture BoxScene() {
    TPlainPicture p(320, 240);
    p.Fill(0, 0, 320, 240, 0x402010);
    p.Fill(20, 30, 120, 90, 0xFFFFFF);
    p.Fill(22, 32, 118, 88, 0x0000FF);
    p.Blend(70, 50, 120, 80, 0x00FF00, 128);  // cut to its parent
    return p;
}

TEST_F(Games, BoxesArePaintedAsTheirRulesSay) {
    Project();
    Source("main.rvs", std::string(kBoxScene) + "Wait\n");
    const RunResult r = Play("--frames 3 --screenshot-at 0=" + (dir / "first.png").string() + " --screenshot-at 2=" +
                             (dir / "third.png").string());
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(SameAs(dir / "first.png", BoxScene(), "first-frame"));
    EXPECT_TRUE(SameAs(dir / "third.png", BoxScene(), "third-frame"));
}

TEST_F(Games, TheWindowShowsTheSamePictureAsAHeadlessRun) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no display (make test runs this under Xvfb)";
    Project();
    Source("main.rvs", std::string(kBoxScene) + "Wait\n");
    Play("--frames 1");  // builds the game
    const std::string shot = (dir / "window.png").string();
    const int code = Shell("ASAN_OPTIONS=detect_leaks=0 " + std::string(RUVO_PLAYER_PATH) + " --window --no-logo --frames 3 --screenshot-at 2=" +
                           shot + " " + (dir / "game").string() + " 2> /dev/null");
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(SameAs(shot, BoxScene(), "window"));
}

// ---- flipping scenes

// The old scene: a red background, a caption strip and a portrait; the new background, blue, is composed
// on the back screen (named by the byte 0x01).
constexpr const char* kTwoScenes =
    "BoxNew PR_NAME = \"bg\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $0000FF\n"
    "BoxNew PR_NAME = \"mes\", PR_LEFT = 10, PR_TOP = 180, PR_WIDTH = 300, PR_HEIGHT = 50, PR_COLOR = $FFFFFF, PR_PRIORITY = 1\n"
    "BoxNew PR_NAME = \"chara\", PR_LEFT = 200, PR_TOP = 20, PR_WIDTH = 60, PR_HEIGHT = 100, PR_COLOR = $00FF00, PR_PRIORITY = 1\n"
    "BoxNew PR_NAME = \"newbg\", PR_PARENT = \"\x01\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $FF0000\n";

// What the screen shows of the scenes: the old one whole, or the new background with the carried boxes.
TPlainPicture Scene(bool old, bool mes = true, bool chara = true) {
    TPlainPicture p(320, 240);
    p.Fill(0, 0, 320, 240, old ? 0x0000FF : 0xFF0000);
    if (old || mes) p.Fill(10, 180, 310, 230, 0xFFFFFF);
    if (old || chara) p.Fill(200, 20, 260, 120, 0x00FF00);
    return p;
}

// The fade between two pictures at alpha a: each pixel blended by the plain rule.
TPlainPicture Faded(const TPlainPicture& from, const TPlainPicture& to, int a) {
    TPlainPicture p = from;
    for (size_t i = 0; i < p.px.size(); ++i) {
        const uint32_t d = from.px[i], s = to.px[i];
        if (d == s) continue;
        uint32_t out = 0;
        for (int k : {0, 8, 16}) out |= (((255 - a) * (d >> k & 0xFF) + a * (s >> k & 0xFF)) / 256) << k;
        p.px[i] = out;
    }
    return p;
}

std::string ObjectLines(const std::string& dump, const std::string& name) {
    std::string out;
    for (const std::string& line : Lines(dump))
        if (line.find("\"" + name + "\"") != std::string::npos) out += line + "\n";
    return out;
}

TEST_F(Games, AFlipFadesToTheNewSceneWithTheCarriedObjects) {
    Project();
    Source("main.rvs", std::string(kTwoScenes) + "Flip 1, 320, carry: 1, names: [\"mes\"], clear: TRUE\nWait\n");
    // Frame 0 begins the flip, frame 1 starts its clock: frame k shows 16 × (k − 1) ms of 320.
    const RunResult r = Play("--frames 30 --dump-objects " + (dir / "objects.txt").string() + " --screenshot-at 0=" +
                             (dir / "begin.png").string() + " --screenshot-at 6=" + (dir / "quarter.png").string() +
                             " --screenshot-at 11=" + (dir / "half.png").string() + " --screenshot-at 21=" +
                             (dir / "end.png").string());
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(SameAs(dir / "begin.png", Scene(true), "flip-begin"));  // mes has left, the snapshot stays
    EXPECT_TRUE(SameAs(dir / "quarter.png", Faded(Scene(true), Scene(false, true, false), 80 * 256 / 320), "flip-quarter"));
    EXPECT_TRUE(SameAs(dir / "half.png", Faded(Scene(true), Scene(false, true, false), 128), "flip-half"));
    EXPECT_TRUE(SameAs(dir / "end.png", Scene(false, true, false), "flip-end"));
    const std::string objects = ReadFile(dir / "objects.txt");
    EXPECT_NE(objects.find("screen 1 front"), std::string::npos) << objects;
    EXPECT_EQ(ObjectLines(objects, "bg") + ObjectLines(objects, "chara"), "") << objects;  // the old screen cleared
    EXPECT_NE(ObjectLines(objects, "mes"), "");
}

TEST_F(Games, AFlipWithoutTimeCarriesTheListsAtOnce) {
    Project();
    // Two lists of lines; "bg chara" is no line of them, so bg stays behind.
    Source("main.rvs", std::string(kTwoScenes) + "Flip 1, 0, carry: 1, names: [\"mes\\nnobody\", \"bg chara\\nchara\"]\nWait\n");
    const RunResult r = Play("--frames 3 --dump-objects " + (dir / "objects.txt").string() + " --screenshot-at 0=" +
                             (dir / "first.png").string());
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(SameAs(dir / "first.png", Scene(false), "flip-at-once"));
    const std::string objects = ReadFile(dir / "objects.txt");
    EXPECT_EQ(ObjectLines(objects, "bg").substr(0, 6), "  \"bg\"") << objects;  // still on the old screen
    EXPECT_LT(objects.find("screen 1 front"), objects.find("\"chara\"")) << objects;
}

TEST_F(Games, AResetDuringAFlipShowsTheNewSceneAtOnce) {
    Project();
    Source("main.rvs", std::string(kTwoScenes) +
                           "BoxNew PR_NAME = \"ticker\", PR_PARENT = \"\x01\", PR_WIDTH = 0, PR_ONIDLE = \"reset.rsb\"\n"
                           "Flip 1, 5000, carry: 1, names: [\"mes\"], clear: TRUE\nWait\n");
    Source("reset.rvs", "ObjDel \"ticker\"\nPCReset \"after.rsb\", 0, 1\n");
    Source("after.rvs", "Wait\n");
    const RunResult r = Play("--frames 6 --dump-objects " + (dir / "objects.txt").string() + " --screenshot-at 0=" +
                             (dir / "begin.png").string() + " --screenshot-at 5=" + (dir / "after.png").string());
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(SameAs(dir / "begin.png", Scene(true), "reset-begin"));
    EXPECT_TRUE(SameAs(dir / "after.png", Scene(false, true, false), "reset-after"));
    const std::string objects = ReadFile(dir / "objects.txt");
    EXPECT_EQ(ObjectLines(objects, "bg"), "") << objects;
}

TEST_F(Games, AFlipFollowsTheRulePictureItNames) {
    // The rule's left half is white, its right half black: halfway through, the halves differ.
    TPngPicture rule{320, 240, false, {}, -1};
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) rule.argb.push_back(x < 160 ? 0xFFFFFFFF : 0xFF000000);
    std::filesystem::create_directories(dir / "src");
    SavePngArgb(rule, (dir / "src" / "rule.png").string());
    Source("broken.png", "\x89PNG not really");
    Project();
    for (const char* name : {"rule.png", "broken.png", "missing.png"}) {
        SCOPED_TRACE(name);
        Source("main.rvs", std::string("BoxNew PR_NAME = \"bg\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $0000FF\n"
                                       "BoxNew PR_NAME = \"newbg\", PR_PARENT = \"\x01\", PR_WIDTH = 320, PR_HEIGHT = 240, "
                                       "PR_COLOR = $FF0000\n"
                                       "Flip 19, 320, text: \"") + name + "\"\nWait\n");
        const RunResult r = Play("--frames 25 --screenshot-at 11=" + (dir / "half.png").string() + " --screenshot-at 24=" +
                                 (dir / "end.png").string());
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        const TPngPicture half = LoadPngFile(dir / "half.png");
        const uint32_t left = half.argb[120 * 320 + 10], right = half.argb[120 * 320 + 300];
        int uniform = 0;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) uniform += half.argb[size_t(y) * 320 + x] == (x < 160 ? left : right);
        EXPECT_EQ(uniform, 320 * 240);
        EXPECT_EQ(left != right, std::string(name) == "rule.png");  // without a usable rule it is all white
        TPlainPicture blue(320, 240);
        blue.Fill(0, 0, 320, 240, 0xFF0000);
        EXPECT_TRUE(SameAs(dir / "end.png", blue, std::string("rule-end-") + name));
    }
}

// Pictures of a game's source: PNG files the builder turns into layered images.
struct TSourcePicture {
    int width, height;
    std::function<uint32_t(int x, int y)> argb;  // 0xAARRGGBB
    void Write(const std::filesystem::path& path) const {
        TPngPicture png{width, height, true, {}, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) png.argb.push_back(argb(x, y));
        const std::vector<uint8_t> bytes = EncodePngArgb(png);
        WriteFile(path, std::string(bytes.begin(), bytes.end()));
    }
    // Drawn at (left, top) through its alpha: opaque pixels copy, clear ones leave what is beneath,
    // the others mix ((255 − a) × d + a × s) div 256.
    void DrawOn(TPlainPicture& p, int left, int top) const {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if (left + x < 0 || top + y < 0 || left + x >= p.width || top + y >= p.height) continue;
                uint32_t& d = p.px[static_cast<size_t>(top + y) * p.width + left + x];
                const uint32_t s = argb(x, y) & 0xFFFFFF, a = argb(x, y) >> 24;
                if (a == 255) d = s;
                else if (a != 0) {
                    uint32_t out = 0;
                    for (int k : {0, 8, 16}) out |= (((255 - a) * (d >> k & 0xFF) + a * (s >> k & 0xFF)) >> 8) << k;
                    d = out;
                }
            }
    }
};

const TSourcePicture kBackground{320, 240, [](int x, int y) { return 0xFF000000u | uint32_t(x * 255 / 319) << 16 | uint32_t(y) << 8 | 0x40u; }};
const TSourcePicture kSprite{64, 48, [](int x, int y) {
    const double d = std::hypot(x - 31.5, y - 23.5);
    const uint32_t a = d < 16 ? 255 : d < 23 ? uint32_t(255 - (d - 16) * 36) : 0;
    return a << 24 | 0xFFE020u;
}};
TSourcePicture Flat(uint32_t rgb) { return {24, 16, [rgb](int, int) { return 0xFF000000u | rgb; }}; }

TEST_F(Games, PicturesOfTheSourceAreShownExactly) {
    // With a key, so that the pictures are stored in its order and read back by it.
    Project("image_key = 12345\n");
    kBackground.Write(dir / "src" / "pictures" / "bg.png");
    kSprite.Write(dir / "src" / "pictures" / "sprite.PNG");
    Flat(0xFF0000).Write(dir / "src" / "spin.zph" / "0@1000.png");
    Flat(0x00FF00).Write(dir / "src" / "spin.zph" / "1@1000.png");
    Flat(0x0000FF).Write(dir / "src" / "spin.zph" / "2@1000.png");
    Source("main.rvs",
           "ImgNew PR_NAME = \"bg\", PR_SOURCE = \"pictures\\bg.zph\"\n"
           "ImgNew PR_NAME = \"sprite\", PR_SOURCE = \"pictures\\sprite.zph\", PR_LEFT = 100, PR_TOP = 80, PR_PRIORITY = 2\n"
           "ImgNew PR_NAME = \"spin\", PR_SOURCE = \"spin.zph\", PR_LEFT = 280, PR_TOP = 10, PR_PRIORITY = 1, PR_REPEAT = TRUE\n"
           "ImgNew PR_NAME = \"half\", PR_SOURCE = \"pictures\\sprite.zph\", PR_LEFT = 150, PR_TOP = 190, PR_PRIORITY = 3, "
           "PR_ALPHA = 128\n"
           "Wait\n");
    const RunResult r = Play("--frames 100 --screenshot-at 2=" + (dir / "early.png").string() + " --screenshot-at 90=" +
                             (dir / "later.png").string());
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    for (const auto& [shot, spin] : {std::pair{"early", 0xFF0000u}, std::pair{"later", 0x00FF00u}}) {
        TPlainPicture want(320, 240);
        kBackground.DrawOn(want, 0, 0);
        Flat(spin).DrawOn(want, 280, 10);
        kSprite.DrawOn(want, 100, 80);
        // Half opaque: where the sprite is opaque the alpha weighs alone, elsewhere alpha × mask / 256.
        for (int y = 0; y < kSprite.height; ++y)
            for (int x = 0; x < kSprite.width; ++x) {
                if (190 + y >= 240) continue;
                uint32_t& d = want.px[static_cast<size_t>(190 + y) * 320 + 150 + x];
                const uint32_t m = kSprite.argb(x, y) >> 24, w = m == 255 ? 128 : (128 * m) >> 8, s = 0xFFE020;
                if (w == 0) continue;
                uint32_t out = 0;
                for (int k : {0, 8, 16}) out |= (((255 - w) * (d >> k & 0xFF) + w * (s >> k & 0xFF)) >> 8) << k;
                d = out;
            }
        EXPECT_TRUE(SameAs(dir / (std::string(shot) + ".png"), want, std::string("pictures-") + shot));
        // A window shows the same picture (where there is a display to open one on).
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display || std::string(shot) != "later") continue;
        const std::string window = (dir / "window.png").string();
        EXPECT_EQ(Shell("ASAN_OPTIONS=detect_leaks=0 " + std::string(RUVO_PLAYER_PATH) + " --window --no-logo --frames 100 --screenshot-at 90=" +
                        window + " " + (dir / "game").string() + " 2> /dev/null"),
                  0);
        EXPECT_TRUE(SameAs(window, want, "pictures-window"));
    }
}

TEST_F(Games, BrokenPicturesOfTheSourceAreNamed) {
    Project();
    Source("main.rvs", "Wait\n");
    const std::string build = std::string(RUVO_TOOL_PATH) + " build " + (dir / "src").string() + " -o " + (dir / "game").string() +
                              " --loose > " + (dir / "build.log").string() + " 2>&1";
    // A PNG that is no picture is kept as it is, with a warning that no layered image was made of it.
    WriteFile(dir / "src" / "bad.png", "\x89PNG but not really");
    EXPECT_EQ(Shell(build), 0);
    EXPECT_NE(ReadFile(dir / "build.log").find("bad.png:0: warning: no layered image made of it"), std::string::npos)
        << ReadFile(dir / "build.log");
    EXPECT_TRUE(std::filesystem::exists(dir / "game" / "bad.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "game" / "bad.zph"));
    // A broken frame of an animation stops the build, and so does a frame time that is no number.
    for (const char* frame : {"0.png", "1@soon.png"}) {
        std::filesystem::remove_all(dir / "src" / "anim.zph");
        WriteFile(dir / "src" / "anim.zph" / frame, "not a picture");
        EXPECT_EQ(Shell(build), 1) << frame;
        EXPECT_NE(ReadFile(dir / "build.log").find(frame), std::string::npos) << ReadFile(dir / "build.log");
    }
}

TEST_F(Games, BoxesReactToClicksHoverAndKeysThroughTheirHandlers) {
    Project("var int clicks = 0\nvar int ins = 0\nvar int outs = 0\nvar int keys = 0\nvar str where = \"\"\n"
            "var int wheel = 0\n");
    Source("main.rvs",
           "BoxNew {\n"
           "    PR_NAME = \"button\", PR_LEFT = 100, PR_TOP = 100, PR_WIDTH = 80, PR_HEIGHT = 40\n"
           "    PR_COLOR = $808080, PR_HANDLEKEY = 1\n"
           "    PR_ONLBTNUP = \"events.rsb:click\", PR_ONMOUSEIN = \"events.rsb:in\"\n"
           "    PR_ONMOUSEOUT = \"events.rsb:out\", PR_ONKEYDOWN = \"events.rsb:key\"\n"
           "    PR_ONWHEELUP = \"events.rsb:wheel\"\n"
           "}\n"
           "Wait\n");
    Source("events.rvs",
           "*click\n"
           "Calc clicks = clicks + 1\n"
           "Calc where = @ParamStr[0] ++ \",\" ++ @ParamStr[1] ++ \" \" ++ @Sender\n"
           "Exit\n"
           "*in\n"
           "Calc ins = ins + 1\n"
           "SetProp @Sender, PR_COLOR, $00FFFF\n"
           "Exit\n"
           "*out\n"
           "Calc outs = outs + 1\n"
           "SetProp @Sender, PR_COLOR, $808080\n"
           "Exit\n"
           "*key\n"
           "Calc keys = keys + 1\n"
           "Exit\n"
           "*wheel\n"
           "Calc wheel = wheel + 1\n");
    const std::string objects = (dir / "objects.txt").string();
    const RunResult r = Play("--frames 40 --dump-objects " + objects,
                             "5 move 110 110\n"
                             "8 click 130 125\n"
                             "12 click 5 5\n"      // on nothing
                             "14 key 65\n"
                             "20 move 120 120\n"
                             "21 wheel up\n"
                             "25 move 300 10\n");
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("clicks"), "1");
    EXPECT_EQ(r.vars.at("where"), "30,25 button");
    EXPECT_EQ(r.vars.at("keys"), "1");
    EXPECT_EQ(r.vars.at("ins"), "2");  // in at 5, out for the click at 12, in at 20, out at 25
    EXPECT_EQ(r.vars.at("outs"), "2");
    EXPECT_EQ(r.vars.at("wheel"), "1");
    const std::vector<std::string> lines = Lines(ReadFile(objects));
    ASSERT_GE(lines.size(), 2u) << ReadFile(objects);
    EXPECT_EQ(lines[1], "  \"button\" type=2 left=100 top=100 width=80 height=40 priority=0 visible=1 color=0x808080 alpha=255");
}

TEST_F(Games, APropertyMotionMovesABoxAndATimerFiresOnGameTime) {
    Project("var int ticks = 0\nvar int arrived = 0\n");
    Source("main.rvs",
           "BoxNew PR_NAME = \"ball\", PR_WIDTH = 10, PR_HEIGHT = 10, PR_COLOR = $FFFFFF\n"
           "PropMotion \"roll\", \"ball\", PR_LEFT, 200, 320, MT_NORMAL\n"
           "Timer PR_NAME = \"clock\", PR_DELAY = 160, PR_ONNOTIFY = \"tick.rsb\"\n"
           "While Exists(\"roll\")\n"
           "    DoEvent\n"
           "    WhileLoop\n"
           "GetProp \"ball\", PR_LEFT, \"arrived\"\n"
           "Wait\n");
    Source("tick.rvs", "Calc ticks = ticks + 1\n");
    const std::string objects = (dir / "objects.txt").string();
    const RunResult r = Play("--frames 51 --dump-objects " + objects);  // 50 frames of 16 ms after the first
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("arrived"), "200");
    // 800 ms of game time: the fifth tick is queued in the last frame and would run in the next.
    EXPECT_EQ(r.vars.at("ticks"), "4");
    const std::string dump = ReadFile(objects);
    EXPECT_NE(dump.find("\"ball\" type=2 left=200 top=0"), std::string::npos) << dump;
    EXPECT_NE(dump.find("components\n  \"clock\" type=15 priority=0\n"), std::string::npos) << dump;
}

TEST_F(Games, TheObjectsDumpShowsTheTreeThenTheRest) {
    Project();
    Source("main.rvs",
           "BoxNew PR_NAME = \"a\", PR_LEFT = 1, PR_TOP = 2, PR_WIDTH = 3, PR_HEIGHT = 4, PR_COLOR = $0A0B0C\n"
           "BoxNew PR_NAME = \"b\", PR_PARENT = \"a\", PR_VISIBLE = FALSE, PR_ALPHA = 300, PR_PRIORITY = -2\n"
           "ImgNew PR_NAME = \"pic\"\n"
           "Timer PR_NAME = \"t\"\n"
           "Calc x = SetProp(\"b\", PR_PARENT, \"nowhere\")\n"
           "Wait\n");
    const std::string objects = (dir / "o.txt").string();
    EXPECT_EQ(Play("--frames 2 --dump-objects " + objects).exitCode, 0);
    EXPECT_EQ(ReadFile(objects),
              "screen 0 front width=320 height=240 color=0x000000 visible=1\n"
              "  \"a\" type=2 left=1 top=2 width=3 height=4 priority=0 visible=1 color=0x0A0B0C alpha=255\n"
              "    \"b\" type=2 left=0 top=0 width=0 height=0 priority=-2 visible=0 color=-1 alpha=300\n"
              "  \"pic\" type=8 left=0 top=0 width=0 height=0 priority=0 visible=1\n"
              "screen 1 back width=320 height=240 color=0x000000 visible=1\n"
              "without parent\n"
              "components\n"
              "  \"t\" type=15 priority=0\n");
}

TEST_F(Games, ScreenshotAtNeedsAFrameAndAFile) {
    Project();
    Source("main.rvs", "Wait\n");
    Play("--frames 1");
    const std::string player = RUVO_PLAYER_PATH, game = (dir / "game").string(), err = (dir / "err.txt").string();
    for (const char* bad : {"x.png", "=x.png", "3=", "-1=x.png", "a=x.png"}) {
        EXPECT_EQ(Shell(player + " --headless --screenshot-at " + bad + " " + game + " 2> " + err), 2) << bad;
        EXPECT_NE(ReadFile(err).find("--screenshot-at"), std::string::npos) << ReadFile(err);
    }
    EXPECT_EQ(Shell(player + " --headless --screenshot-at 0=" + (dir / "no" / "x.png").string() + " " + game + " 2> " + err), 2);
}

TEST_F(Games, AMenuChoiceByMouseOrKeysOrACancelBranchesTheScript) {
    struct Case {
        const char* what;
        const char* input;
        const char* picked;
        const char* index;
        const char* branch;
    } cases[] = {
        {"a click on the first item", "10 move 25 25\n12 click 25 25\n", "はい", "0", "yes"},
        {"down, down, enter", "10 key 40\n12 key 40\n14 key 13\n", "いいえ", "1", "no"},
        {"end then space", "10 key 35\n12 key 32\n", "わからない", "2", "maybe"},
        {"a right click elsewhere cancels", "10 rclick 300 230\n", "", "-1", "cancelled"},
        {"Esc cancels", "10 key 27\n", "", "-1", "cancelled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Project("var str picked = \"?\"\nvar int index = -9\nvar str branch = \"\"\n");
        Source("main.rvs",
               "Calc @SelIndex = -2\n"
               "Menu {\n"
               "    PR_NAME = \"question\"\n"
               "    PR_LEFT = 20, PR_TOP = 20\n"
               "    PR_TEXT = \"はい\\nいいえ\\nわからない\"\n"
               "    PR_FONTHEIGHT = 20, PR_HANDLEKEY = 1\n"
               "    PR_AUTOSCRAP = TRUE, PR_RCLICKSCRAP = TRUE\n"
               "}\n"
               "Wait @SelIndex == -2\n"
               "Calc picked = @SelStr\n"
               "Calc index = @SelIndex\n"
               "If index == 0\n"
               "    Calc branch = \"yes\"\n"
               "Elseif index == 1\n"
               "    Calc branch = \"no\"\n"
               "Elseif index == 2\n"
               "    Calc branch = \"maybe\"\n"
               "Else\n"
               "    Calc branch = \"cancelled\"\n"
               "Terminate\n");
        const RunResult r = Play("", c.input);
        EXPECT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_EQ(r.vars.at("picked"), c.picked);
        EXPECT_EQ(r.vars.at("index"), c.index);
        EXPECT_EQ(r.vars.at("branch"), c.branch);
    }
}

// ---- message text

// Pixels of a screenshot in a rectangle with exactly this colour (0x00RRGGBB).
int CountPixels(const std::filesystem::path& shot, uint32_t rgb, int l, int t, int r, int b) {
    const TPngPicture p = LoadPngFile(shot);
    int n = 0;
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) n += (p.argb[static_cast<size_t>(y) * p.width + x] & 0xFFFFFF) == rgb;
    return n;
}

// A click shows the next page, or clears the text after the last one.
constexpr const char* kNextPageOnClick =
    "*click\n"
    "If GetProp(\"mes\", PR_INDEX) + 1 < GetProp(\"mes\", PR_COUNT)\n"
    "    SetProp \"mes\", PR_INDEX, GetProp(\"mes\", PR_INDEX) + 1\n"
    "Else\n"
    "    TextClr \"mes\"\n"
    "Exit\n";

const std::string kStoryEvents = std::string(
    "*start\n"
    "Calc log = log ++ \"start\" ++ GetProp(\"mes\", PR_INDEX) ++ \"/\" ++ @ParamStr[0] ++ \";\"\n"
    "Exit\n"
    "*end\n"
    "Calc log = log ++ \"end\" ++ GetProp(\"mes\", PR_INDEX) ++ \";\"\n"
    "Exit\n") + kNextPageOnClick;

// A story told in a message window: each page is typed out, waits for a click, and the text-insert
// command goes on once the last page was clicked away.
// A map of three regions at (20, 20): the north strip, a lake (an ellipse) and a hill (a triangle).
// Pressing a region chooses it; the hover picture shows inside the hovered region only.
TEST_F(Games, AClickOnAMapRegionBranchesTheScript) {
    struct Case {
        const char* what;
        const char* input;
        const char* picked;
        const char* index;
        const char* log;
    } cases[] = {
        {"a click in the north strip", "10 move 60 25\n12 click 60 25\n", "north", "0", "in north;sel north/0;"},
        {"the lake's middle", "10 click 50 65\n", "lake", "1", "in lake;sel lake/1;"},
        {"the hill's corner", "10 click 118 78\n", "hill", "2", "in hill;sel hill/2;"},
        // The lake's box corner lies outside the ellipse and outside the hill: nothing is chosen, and
        // a right click then cancels.
        {"outside every region, then a right click", "10 click 21 79\n20 rclick 300 230\n", "", "-1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Project("var str picked = \"?\"\nvar int index = -9\nvar str log = \"\"\nvar int gone = -1\n");
        TSourcePicture{100, 60, [](int, int) { return 0xFF0000FFu; }}.Write(dir / "src" / "map.png");
        TSourcePicture{100, 60, [](int, int) { return 0xFFFFFF00u; }}.Write(dir / "src" / "hover.png");
        Source("map.rvr",
               "\"north\" rect 0, 0, 99, 29\n"
               "\"lake\" ellipse 0, 30, 59, 59\n"
               "\"hill\" polygon 60,30, 100,30, 100,60\n");
        Source("main.rvs",
               "Calc @SelIndex = -2\n"
               "Calc log = \"\"\n"
               "MapImgNew {\n"
               "    PR_NAME = \"map\", PR_LEFT = 20, PR_TOP = 20\n"
               "    PR_SOURCE = \"map.zph\", PR_HOVERSOURCE = \"hover.zph\", PR_MAPSOURCE = \"map.rgn\"\n"
               "    PR_AUTOSCRAP = TRUE, PR_RCLICKSCRAP = TRUE\n"
               "    PR_ONMAPIN = \"main.rsb:in\", PR_ONSELECT = \"main.rsb:sel\"\n"
               "}\n"
               "Wait @SelIndex == -2\n"
               "Calc picked = @SelStr\n"
               "Calc index = @SelIndex\n"
               "Wait Exists(\"map\")\n"
               "Calc gone = 1\n"
               "Terminate\n"
               "*in\n"
               "Calc log = log ++ \"in \" ++ @ParamStr[0] ++ \";\"\n"
               "Exit\n"
               "*sel\n"
               "Calc log = log ++ \"sel \" ++ @ParamStr[0] ++ \"/\" ++ @ParamStr[1] ++ \";\"\n"
               "Exit\n");
        const RunResult r = Play("", c.input);
        EXPECT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_EQ(r.vars.at("picked"), c.picked);
        EXPECT_EQ(r.vars.at("index"), c.index);
        EXPECT_EQ(r.vars.at("log"), c.log);
        EXPECT_EQ(r.vars.at("gone"), "1") << "the map goes after a choice with PR_AUTOSCRAP or a cancel";
    }
}

// Image buttons in a radio group: a click selects one and lets the others up, the selected one shows
// its pressed picture, and the script reads the choice when the OK button is clicked.
TEST_F(Games, ARadioGroupOfImageButtonsCarriesTheChoiceToTheScript) {
    struct Case {
        const char* what;
        const char* input;
        const char* chosen;
        int pressedLeft;  // where the pressed picture shows
    } cases[] = {
        {"the first selected by the group itself", "20 click 105 105\n", "a", 10},
        {"a click on the third", "10 click 85 15\n20 click 105 105\n", "c", 80},
        {"the second, then the third, then the second again", "10 click 50 15\n12 click 85 15\n14 click 50 15\n20 click 105 105\n",
         "b", 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Project variables last beyond a run (in the status data): the script starts them afresh.
        Project("var str chosen = \"?\"\nvar flag done = FALSE\n");
        Flat(0x404040).Write(dir / "src" / "up.png");
        Flat(0x00FF00).Write(dir / "src" / "down.png");
        std::string buttons;
        const char* names[] = {"a", "b", "c"};
        for (int i = 0; i < 3; ++i)
            buttons += std::string("Button PR_NAME = \"") + names[i] + "\", PR_LEFT = " + std::to_string(10 + 35 * i) +
                       ", PR_TOP = 10, PR_SOURCE = \"up.zph\", PR_PRESSEDSOURCE = \"down.zph\", PR_GROUPINDEX = 1\n";
        Source("main.rvs", "Calc chosen = \"?\"\nCalc done = FALSE\n" + buttons +
                               "Button PR_NAME = \"ok\", PR_LEFT = 100, PR_TOP = 100, PR_SOURCE = \"up.zph\", "
                               "PR_ONNOTIFY = \"main.rsb:ok\"\n"
                               "Wait done == FALSE\n"
                               "If GetProp(\"a\", PR_SELECTED)\n    Calc chosen = \"a\"\n"
                               "Elseif GetProp(\"b\", PR_SELECTED)\n    Calc chosen = \"b\"\n"
                               "Elseif GetProp(\"c\", PR_SELECTED)\n    Calc chosen = \"c\"\n"
                               "Wait time: 100000\n"
                               "*ok\nCalc done = TRUE\nExit\n");
        const RunResult r = Play("--frames 40 --screenshot-at 30=" + (dir / "shot.png").string(), c.input);
        EXPECT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_EQ(r.vars.at("chosen"), c.chosen);
        const TPngPicture shot = LoadPngFile(dir / "shot.png");
        for (int i = 0; i < 3; ++i) {
            const int left = 10 + 35 * i;
            const uint32_t pixel = shot.argb[static_cast<size_t>(18 * shot.width + left + 12)] & 0xFFFFFF;
            EXPECT_EQ(pixel, left == c.pressedLeft ? 0x00FF00u : 0x404040u) << "button " << i;
        }
    }
}

TEST_F(Games, AMapShowsItsHoverPictureInsideTheHoveredRegionOnly) {
    Project();
    TSourcePicture{100, 60, [](int, int) { return 0xFF0000FFu; }}.Write(dir / "src" / "map.png");
    TSourcePicture{100, 60, [](int, int) { return 0xFFFFFF00u; }}.Write(dir / "src" / "hover.png");
    Source("map.rvr", "\"north\" rect 0, 0, 99, 29\n\"lake\" ellipse 0, 30, 59, 59\n");
    Source("main.rvs",
           "MapImgNew PR_NAME = \"map\", PR_LEFT = 20, PR_TOP = 20, PR_SOURCE = \"map.zph\", PR_HOVERSOURCE = \"hover.zph\", "
           "PR_MAPSOURCE = \"map.rgn\"\n"
           "Wait\n");
    const auto before = dir / "before.png", lake = dir / "lake.png";
    const RunResult r = Play("--frames 30 --screenshot-at 5=" + before.string() + " --screenshot-at 20=" + lake.string(),
                             "10 move 50 65\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(CountPixels(before, 0x0000FF, 20, 20, 120, 80), 100 * 60);
    // The lake's ellipse in yellow, its box corners and the rest of the map still blue.
    TRegionMap regions;
    regions.Regions.resize(1);
    regions.Regions[0].Kind = TMapRegion::kEllipse;
    regions.Regions[0].Left = 0, regions.Regions[0].Top = 30, regions.Regions[0].Right = 59, regions.Regions[0].Bottom = 59;
    int inside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) inside += regions.RegionAt(x, y) == 0;
    EXPECT_EQ(CountPixels(lake, 0xFFFF00, 20, 20, 120, 80), inside);
    EXPECT_EQ(CountPixels(lake, 0xFFFF00, 20, 50, 22, 52), 0);
    EXPECT_EQ(CountPixels(lake, 0xFFFF00, 45, 60, 55, 70), 100);
    EXPECT_EQ(CountPixels(lake, 0x0000FF, 20, 20, 120, 50), 100 * 30);
}

TEST_F(Games, AStoryIsTypedPageByPageAndWaitsForClicks) {
    Project("var str log = \"\"\n");
    Source("main.rvs",
           "BoxNew PR_NAME = \"bg\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $000000\n"
           "MesNew {\n"
           "    PR_NAME = \"mes\"\n"
           "    PR_LEFT = 10, PR_TOP = 10, PR_WIDTH = 300, PR_HEIGHT = 100\n"
           "    PR_FONTHEIGHT = 24, PR_FONTCOLOR = $20C0F0, PR_TEXTDELAY = 256\n"
           "    PR_ONPLAYSTART = \"events.rsb:start\", PR_ONPLAYEND = \"events.rsb:end\"\n"
           "    PR_ONLBTNDOWN = \"events.rsb:click\"\n"
           "}\n"
           "TextIns \"mes\", TRUE, TRUE \"\"\"\n"
           "    一枚目の話<BR CLEAR>\n"
           "    二枚目\n"
           "    \"\"\"\n"
           "Calc log = log ++ \"done;\"\n"
           "Wait\n");
    Source("events.rvs", kStoryEvents);
    const auto typing = dir / "typing.png", typed = dir / "typed.png", cleared = dir / "cleared.png";
    const RunResult r = Play("--frames 200 --screenshot-at 3=" + typing.string() + " --screenshot-at 50=" + typed.string() +
                                 " --screenshot-at 150=" + cleared.string() + " --dump-objects " + (dir / "objects.txt").string(),
                             "60 click 50 30\n120 click 50 30\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("log"), "start0/0;end0;start1/0;end1;done;");
    // The text's colour where the strokes are fully covered; more of it once the page is typed out;
    // nothing once the text was cleared.
    const int early = CountPixels(typing, 0xF0C020, 10, 10, 310, 110);
    const int full = CountPixels(typed, 0xF0C020, 10, 10, 310, 110);
    EXPECT_GT(full, early);
    EXPECT_GT(full, 100);
    EXPECT_EQ(CountPixels(typed, 0xF0C020, 0, 120, 320, 240), 0);
    EXPECT_EQ(CountPixels(cleared, 0xF0C020, 0, 0, 320, 240), 0);
    EXPECT_NE(ReadFile(dir / "objects.txt").find("\"mes\" type=13 left=10 top=10 width=300 height=100 priority=0 visible=1 index=0 pages=0 text=\"\""),
              std::string::npos)
        << ReadFile(dir / "objects.txt");
}

// The same text told twice: the second time its pages were read, the page-start handler skips the
// typing; then the history is shown again in a second window (a start below 0 and a count far past
// the end show every entry).
TEST_F(Games, ReadTextIsSkippedAndTheHistoryShowsItAgain) {
    Project("var str log = \"\"\nvar str took = \"\"\nvar int t0 = 0\nvar int count = 0\n");
    Source("main.rvs",
           "BoxNew PR_NAME = \"bg\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $000000\n"
           "MesNew {\n"
           "    PR_NAME = \"mes\", PR_LEFT = 10, PR_TOP = 10, PR_WIDTH = 300, PR_HEIGHT = 60\n"
           "    PR_FONTHEIGHT = 24, PR_FONTCOLOR = $20C0F0, PR_TEXTDELAY = 256\n"
           "    PR_ONPLAYSTART = \"events.rsb:start\", PR_ONPLAYEND = \"events.rsb:end\"\n"
           "    PR_ONLBTNDOWN = \"events.rsb:click\"\n"
           "}\n"
           "MesNew {\n"
           "    PR_NAME = \"log\", PR_LEFT = 10, PR_TOP = 100, PR_WIDTH = 300, PR_HEIGHT = 130\n"
           "    PR_FONTHEIGHT = 24, PR_FONTCOLOR = $F0F0F0, PR_TEXTDELAY = 0\n"
           "}\n"
           "Call \"tell.rsb\"\n"
           "Call \"tell.rsb\"\n"
           "Calc count = @HistoryCount\n"
           "CallHist \"log\", -5, 2000000000\n"
           "Wait\n");
    Source("tell.rvs",
           "TextIns \"mes\", TRUE, TRUE \"\"\"\n"
           "    一枚目の話<BR CLEAR>\n"
           "    二枚目\n"
           "    \"\"\"\n");
    Source("events.rvs",
           "*start\n"
           "Calc log = log ++ \"start\" ++ GetProp(\"mes\", PR_INDEX) ++ \"/\" ++ @ParamStr[0] ++ \";\"\n"
           "Calc t0 = @TickCount\n"
           "If @ParamStr[0] == \"1\"\n"
           "    SetProp \"mes\", PR_TEXTDELAY, 0\n"
           "Else\n"
           "    SetProp \"mes\", PR_TEXTDELAY, 256\n"
           "Exit\n"
           "*end\n"
           "Calc log = log ++ \"end\" ++ GetProp(\"mes\", PR_INDEX) ++ \";\"\n"
           "Calc took = took ++ (@TickCount - t0) ++ \",\"\n"
           "Exit\n" + std::string(kNextPageOnClick));
    const auto shot = dir / "history.png";
    const RunResult r = Play("--frames 200 --screenshot-at 190=" + shot.string() + " --dump-objects " + (dir / "objects.txt").string(),
                             "40 click 50 30\n80 click 50 30\n100 click 50 30\n110 click 50 30\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    // Read twice: "0" the first time, "1" the second; the read pages end sooner after their start
    // than the same pages did when they were typed.
    EXPECT_EQ(r.vars.at("log"), "start0/0;end0;start1/0;end1;start0/1;end0;start1/1;end1;");
    std::vector<int> took;
    std::istringstream times(r.vars.at("took"));
    for (std::string t; std::getline(times, t, ',');) took.push_back(std::stoi(t));
    ASSERT_EQ(took.size(), 4u) << r.vars.at("took");
    EXPECT_LT(took[2], took[0]);
    EXPECT_LT(took[3], took[1]);
    EXPECT_EQ(r.vars.at("count"), "4");  // every page of both tellings
    const std::string objects = ReadFile(dir / "objects.txt");
    EXPECT_NE(objects.find("\"log\" type=13 left=10 top=100 width=300 height=130 priority=0 visible=1 index=0 pages=1 "
                           "text=\"一枚目の話二枚目一枚目の話二枚目\""),
              std::string::npos)
        << objects;
    // The history screen: the text in the history window's colour inside it, the story window empty.
    EXPECT_GT(CountPixels(shot, 0xF0F0F0, 10, 100, 310, 230), 100);
    EXPECT_EQ(CountPixels(shot, 0xF0F0F0, 0, 0, 320, 100), 0);
    EXPECT_EQ(CountPixels(shot, 0xF0C020, 0, 0, 320, 240), 0);
}

// FormatHist puts the history in page mode: it counts the recorded lines in pixels; ClrHist empties
// it and ClrRead forgets what was read.
TEST_F(Games, TheHistoryFormatClearingTheHistoryAndTheReadMarks) {
    Project("var str log = \"\"\nvar int lines = 0\nvar int cleared = -1\n");
    Source("main.rvs",
           "MesNew {\n"
           "    PR_NAME = \"mes\", PR_LEFT = 10, PR_TOP = 10, PR_WIDTH = 300, PR_HEIGHT = 60\n"
           "    PR_FONTHEIGHT = 24, PR_TEXTDELAY = 0\n"
           "    PR_ONPLAYSTART = \"events.rsb:start\", PR_ONLBTNDOWN = \"events.rsb:click\"\n"
           "}\n"
           "MesNew PR_NAME = \"log\", PR_LEFT = 10, PR_TOP = 100, PR_WIDTH = 300, PR_HEIGHT = 130, PR_FONTHEIGHT = 20, PR_LINESPACE = 2\n"
           "FormatHist \"log\"\n"
           "Call \"tell.rsb\"\n"
           "Calc lines = @HistoryCount\n"
           "CallHist \"log\", 0, @HistoryCount\n"
           "ClrHist\n"
           "Calc cleared = @HistoryCount\n"
           "ClrRead\n"
           "Call \"tell.rsb\"\n"
           "Wait\n");
    Source("tell.rvs",
           "TextIns \"mes\", TRUE, TRUE \"\"\"\n"
           "    一行目<BR>二行目<BR CLEAR>\n"
           "    三行目\n"
           "    \"\"\"\n");
    Source("events.rvs",
           "*start\n"
           "Calc log = log ++ GetProp(\"mes\", PR_INDEX) ++ \"/\" ++ @ParamStr[0] ++ \";\"\n"
           "Exit\n" + std::string(kNextPageOnClick));
    const RunResult r = Play("--frames 120 --dump-objects " + (dir / "objects.txt").string(),
                             "20 click 50 30\n40 click 50 30\n60 click 50 30\n80 click 50 30\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    // Three lines of at least the format's font height and line spacing each.
    EXPECT_GE(std::stoi(r.vars.at("lines")), 3 * 22) << r.vars.at("lines");
    EXPECT_LT(std::stoi(r.vars.at("lines")), 3 * 40) << r.vars.at("lines");
    EXPECT_EQ(r.vars.at("cleared"), "0");
    EXPECT_EQ(r.vars.at("log"), "0/0;1/0;0/0;1/0;");  // nothing read any more after ClrRead
    const std::string objects = ReadFile(dir / "objects.txt");
    EXPECT_NE(objects.find("\"log\" type=13 left=10 top=100 width=300 height=130 priority=0 visible=1 index=0 pages=1 "
                           "text=\"一行目二行目三行目\""),
              std::string::npos)
        << objects;
}

// ---- saved games with display objects

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
    const size_t start = text.find(from);
    if (start == std::string::npos) return "(no " + from + ")";
    const size_t end = text.find(to, start + from.size());
    return text.substr(start + from.size(), end == std::string::npos ? std::string::npos : end - start - from.size());
}

// Saved after frame 0, changed and painted in frame 1, loaded in frame 2 (a frame that is not drawn),
// painted as saved from frame 3 on.
TEST_F(Games, ALoadedGameShowsTheObjectsAsTheyWereSaved) {
    Project("var int loads = 0\n");
    Source("main.rvs", std::string(kBoxScene) +
                           "Timer PR_NAME = \"clock\", PR_DELAY = 100000, PR_ONNOTIFY = \"tick.rsb\"\n"
                           "GameSave 1, \"\", 0, \"boxes\"\n"
                           "If loads == 0\n"
                           "    Calc loads = 1\n"
                           "    SetProp \"panel\", PR_LEFT, 150\n"
                           "    SetProp \"bg\", PR_COLOR, $FFFFFF\n"
                           "    ObjDel \"glass\"\n"
                           "    ObjDel \"clock\"\n"
                           "    BoxNew PR_NAME = \"extra\", PR_WIDTH = 10, PR_HEIGHT = 10\n"
                           "    DoEvent\n"
                           "    GameLoad 1\n"
                           "VarNew \"after\", int, loads, 0\n"
                           "Wait\n");
    Source("tick.rvs", "Exit\n");
    const std::string objects = (dir / "objects.txt").string();
    std::string shots;
    for (int frame = 0; frame < 4; ++frame)
        shots += " --screenshot-at " + std::to_string(frame) + "=" + (dir / ("f" + std::to_string(frame) + ".png")).string();
    const RunResult r = Play("--frames 6 --dump-objects " + objects + shots);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("after"), "1");
    EXPECT_TRUE(SameAs(dir / "f0.png", BoxScene(), "saved"));
    EXPECT_FALSE(SameAs(dir / "f1.png", BoxScene(), "changed"));
    EXPECT_EQ(ReadFile(dir / "f2.png"), ReadFile(dir / "f1.png"));  // the frame of the load is not drawn
    EXPECT_TRUE(SameAs(dir / "f3.png", BoxScene(), "loaded"));
    // The objects at the end are those the slot holds, as the tool lists them.
    const std::string dump = ReadFile(objects);
    EXPECT_NE(dump.find("\"glass\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("\"clock\" type=15"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("\"extra\""), std::string::npos) << dump;
    ASSERT_EQ(Shell(std::string(RUVO_TOOL_PATH) + " save dump " + (dir / "game" / "save.dat").string() + " 1 > " +
                    (dir / "slot.txt").string()),
              0);
    EXPECT_EQ(Between(ReadFile(dir / "slot.txt"), "[world]\n", "[events]\n"), dump);
}

TEST_F(Games, ObjectsSavedInOneRunComeBackInTheNext) {
    Project("var int runs = 0\n");
    Source("main.rvs", "Calc runs = runs + 1\n"
                       "If runs > 1\n"
                       "    GameLoad 1\n" +
                           std::string(kBoxScene) +
                           "Timer PR_NAME = \"clock\", PR_DELAY = 100000\n"
                           "GameSave 1, \"\", 0, \"boxes\"\n"
                           "VarNew \"resumed\", int, runs, 0\n"
                           "Wait\n");
    const std::string objects = (dir / "objects.txt").string(), shot = (dir / "shot.png").string();
    const RunResult first = Play("--frames 3 --dump-objects " + objects);
    EXPECT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_EQ(first.vars.at("resumed"), "1");
    const std::string saved = ReadFile(objects);
    const RunResult second = Play("--frames 3 --dump-objects " + objects + " --screenshot-at 2=" + shot);
    EXPECT_EQ(second.exitCode, 0) << second.errors;
    EXPECT_EQ(second.vars.at("resumed"), "2");
    EXPECT_EQ(ReadFile(objects), saved);
    EXPECT_TRUE(SameAs(shot, BoxScene(), "next-run"));
}

TEST_F(Games, ADamagedWorldSectionLeavesTheRunningGameAsItWas) {
    Project();
    Source("main.rvs", std::string(kBoxScene) + "GameLoad 1\nVarNew \"after\", int, 1, 0\nWait\n");
    const std::string objects = (dir / "objects.txt").string();
    const RunResult clean = Play("--frames 3 --dump-objects " + objects);  // no slot 1 yet: nothing happens
    EXPECT_EQ(clean.vars.at("after"), "1");
    const std::string running = ReadFile(objects);
    // A slot whose world asks for screens of no width.
    TMemoryStream entry;
    WriteInt(entry, 134);
    WriteStr(entry, "broken");
    WriteStr(entry, "");
    WriteInt(entry, 0);
    for (int32_t field : {0, 240, 0}) WriteInt(entry, field);
    TSaveArchive archive(dir / "game" / "save.dat");
    archive.Replace("GAMESAVEDATA1", entry);
    archive.Store(dir / "game" / "save.dat");
    const RunResult r = Play("--frames 3 --dump-objects " + objects);
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_NE(r.errors.find("このセーブデータは使用できません"), std::string::npos) << r.errors;
    EXPECT_EQ(r.vars.count("after"), 0u);  // the player stopped in the frame of the load
    EXPECT_EQ(ReadFile(objects), running);
}

} // namespace
} // namespace ruvo

namespace ruvo {
namespace {

// A sprite along a frame list: linear in x, decelerating in y, over 61 frames of 1/60 s. The motion is
// made in frame 0, placed in it and frame 1, and from then on counts 16 ms a frame.
TEST_F(Games, ASpriteMovesWhereItsFrameListPutsItAndTheEndIsHandled) {
    Project("var int ended = 0\nvar int count = 0\n");
    kBackground.Write(dir / "src" / "pictures" / "bg.png");
    Flat(0xFF4000).Write(dir / "src" / "pictures" / "dot.png");
    Source("anim/walk.rvm",
           "motion 108\n"
           "track image\n"
           "    length = 61\n"
           "    start_x = 20\n"
           "    end_x = 260\n"
           "    start_y = 200\n"
           "    end_y = 20\n"
           "    ease_y = decelerate\n"
           "    anchor_x = 12\n"
           "    anchor_y = 8\n"
           "    name = \"..\\\\pictures\\\\dot.zph\"\n");
    Source("main.rvs",
           "ImgNew PR_NAME = \"bg\", PR_SOURCE = \"pictures\\bg.zph\"\n"
           "ImgNew PR_NAME = \"walker\", PR_SOURCE = \"anim\\walk.rmt\", PR_PRIORITY = 1, PR_ONPLAYEND = \"end.rsb\"\n"
           "GetProp \"walker\", PR_COUNT, \"count\"\n"
           "Wait\n");
    Source("end.rvs", "Calc ended = ended + 1\n");
    const std::vector<int> shots = {1, 20, 45, 90};
    std::string options = "--frames 100";
    for (int s : shots) options += " --screenshot-at " + std::to_string(s) + "=" + (dir / (std::to_string(s) + ".png")).string();
    const RunResult r = Play(options);
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("count"), "61");
    EXPECT_EQ(r.vars.at("ended"), "1");  // once, though the motion stays at its end
    for (int s : shots) {
        const int d = std::min(60, static_cast<int>(std::lround(std::max(0, s - 1) * 16 / (1000.0 / 60))));
        const int x = 20 + d * (260 - 20) / 60;
        const int y = d == 60 ? 20 : 200 + static_cast<int>(std::lround(std::sin(d * M_PI / 2 / 61) * (20 - 200)));
        TPlainPicture want(320, 240);
        kBackground.DrawOn(want, 0, 0);
        Flat(0xFF4000).DrawOn(want, x - 12, y - 8);
        EXPECT_TRUE(SameAs(dir / (std::to_string(s) + ".png"), want, "motion-" + std::to_string(s))) << "frame " << d;
    }
}

} // namespace
} // namespace ruvo

namespace ruvo {
namespace {

// The start-up logo plays before the script's first frame when asked for (a window always plays it):
// the game's scene is not there while it plays, and space skips it.
TEST_F(Games, TheStartLogoPlaysFirstAndSpaceSkipsIt) {
    Project("var int started = 0\n");
    Source("main.rvs",
           "BoxNew PR_NAME = \"bg\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $0000FF\n"
           "Calc started = @UpdateCount\n"
           "Wait\n");
    const auto redAt = [&](const std::string& shot) {
        const TPngPicture p = LoadPngFile(dir / shot);
        return p.argb.at(5 * 320 + 5) == 0xFFFF0000u;
    };
    const auto shots = [&](int early, int late) {
        return "--screenshot-at " + std::to_string(early) + "=" + (dir / "early.png").string() + " --screenshot-at " +
               std::to_string(late) + "=" + (dir / "late.png").string();
    };
    RunResult r = Play("--frames 20 " + shots(0, 19));
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(redAt("early.png"));
    EXPECT_EQ(r.vars.at("started"), "0");

    r = Play("--frames 120 --logo " + shots(30, 119));
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_FALSE(redAt("early.png"));
    // The logo shows on its black stage in the middle, its bars already in.
    const TPngPicture logo = LoadPngFile(dir / "early.png");
    EXPECT_NE(logo.argb.at(120 * 320 + 160) & 0xFFFFFF, 0u);
    EXPECT_TRUE(redAt("late.png"));
    const int started = std::stoi(r.vars.at("started"));
    EXPECT_GT(started, 90);  // 1.5 s of logo first

    r = Play("--frames 40 --logo " + shots(3, 39), "5 key 32\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_FALSE(redAt("early.png"));
    EXPECT_TRUE(redAt("late.png"));
    EXPECT_LE(std::stoi(r.vars.at("started")), 10);

    // A window plays it unasked.
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return;
    EXPECT_EQ(Shell("ASAN_OPTIONS=detect_leaks=0 " + std::string(RUVO_PLAYER_PATH) + " --window --frames 3 --screenshot-at 2=" +
                    (dir / "window.png").string() + " " + (dir / "game").string() + " 2> /dev/null"),
              0);
    EXPECT_FALSE(redAt("window.png"));
}

} // namespace
} // namespace ruvo

namespace ruvo {
namespace {

// A cinema's tracks are objects of their own: a click on a track that takes the mouse reaches the
// cinema's handler (the pointer relative to the cinema), a click on a track transparent to the mouse or
// on the stage between them (the cinema itself transparent) does not.
TEST_F(Games, ClicksOnACinemasTracksReachTheScript) {
    Project("var int clicks = 0\nvar str where = \"\"\n");
    // A 50 × 40 box at stage (left, 20) for the whole film.
    const auto box = [](int left, int colour, int mouse) {
        std::string t = "track box\n    length = 600\n    mouse = " + std::to_string(mouse) + "\n";
        for (const auto& [field, value] : {std::pair{"left", left}, {"top", 20}, {"width", 50}, {"height", 40}, {"color", colour}})
            for (const char* end : {"start_", "end_"}) t += std::string("    ") + end + field + " = " + std::to_string(value) + "\n";
        return t;
    };
    Source("anim/scene.rvm", "cinema 108\nstage_width = 200\nstage_height = 100\ncolor = 0\n" + box(10, 255, 0) +
                                 box(100, 65280, 1));
    Source("main.rvs",
           "Cinema PR_NAME = \"c\", PR_LEFT = 50, PR_TOP = 50, PR_IGNOREMOUSE = 1, PR_SOURCE = \"anim\\scene.rmt\", "
           "PR_ONLBTNDOWN = \"events.rsb:click\"\n"
           "Wait\n");
    Source("events.rvs",
           "*click\n"
           "Calc clicks = clicks + 1\n"
           "Calc where = @ParamStr[0] ++ \",\" ++ @ParamStr[1] ++ \" \" ++ @Sender\n");
    const std::string shot = (dir / "cinema.png").string();
    const std::string objects = (dir / "objects.txt").string();
    const RunResult r = Play("--frames 30 --dump-objects " + objects + " --screenshot-at 4=" + shot,
                             "5 click 80 90\n"     // the red track: stage (30, 40)
                             "10 click 180 90\n"   // the green one, transparent to the mouse
                             "15 click 130 130\n"  // the stage between them
                             "20 click 5 5\n");    // beside the cinema
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.vars.at("clicks"), "1");
    EXPECT_EQ(r.vars.at("where"), "30,40 c");
    const TPngPicture p = LoadPngFile(shot);
    EXPECT_EQ(p.argb.at(90 * 320 + 80) & 0xFFFFFF, 0xFF0000u);   // the tracks where the film puts them
    EXPECT_EQ(p.argb.at(90 * 320 + 180) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(p.argb.at(130 * 320 + 130) & 0xFFFFFF, 0u);        // the stage's colour
    // The object dump lists the cinema's track objects under it.
    const std::string dump = ReadFile(objects);
    EXPECT_NE(dump.find("\"c\" type=4 left=50 top=50 width=200 height=100"), std::string::npos) << dump;
    EXPECT_NE(dump.find("    track base=0 \"\\x01track00000000\" type=0 left=10 top=20 width=50 height=40"),
              std::string::npos) << dump;
}

// A game keeps a table loaded from a TSV file of its archive: it searches and sorts it, saves it with a
// saved game and finds it again after loading, while a status table outlives the run. Headless, there
// is no display mode and no wallpaper.
TEST_F(Games, ATableFromATsvFileIsSearchedSortedSavedAndLoaded) {
    Project("var int phase = 0\n");
    WriteFile(dir / "src" / "data" / "items.tsv",
              Utf8ToSjis("id int\tname\tprice int\tstock bool\r\n1\tりんご\t120\tTRUE\r\n2\tみかん\t80\tFALSE\r\n"
                         "3\tぶどう\t300\tTRUE"));
    Source("main.rvs",
           "Calc phase = phase + 1\n"
           "VarNew \"visitsAtStart\", int, DBRecordCount(\"visits\"), 0\n"
           "VarNew \"made\", flag, FALSE, 0\n"
           "VarNew \"loaded\", flag, FALSE, 0\n"
           "VarNew \"count\", int, 0, 0\n"
           "VarNew \"found\", flag, FALSE, 0\n"
           "VarNew \"mikan\", int, 0, 0\n"
           "VarNew \"sorted\", flag, FALSE, 0\n"
           "VarNew \"current\", str, \"\", 0\n"
           "VarNew \"lines\", str, \"\", 0\n"
           "VarNew \"lineCount\", int, 0, 0\n"
           "VarNew \"system\", str, \"\", 0\n"
           "VarNew \"ignored\", int, 0, 0\n"
           "If phase == 1\n"
           "    Calc made = DBCreateTable(\"items\", FALSE)\n"
           "    Calc loaded = DBLoadTsvFile(\"DATA\\\\Items.tsv\")\n"
           "    Calc count = DBRecordCount()\n"
           "    Calc found = DBLocate(\"name\", \"みかん\")\n"
           "    Calc mikan = DBGetInt(\"price\")\n"
           "    Calc sorted = DBSort(\"price\", TRUE)\n"
           "    Calc current = DBGetStr(\"name\")\n"
           "    Calc ignored = LoadTextFile(lines, \"data\\\\items.tsv\")\n"
           "    Calc lineCount = GetArraySize(lines)\n"
           "    Calc system = FileExists(\"data\\\\items.tsv\") ++ \" \" ++ @DisplayModeCount\n"
           "    Calc system = system ++ \" \" ++ GetDisplayMode(0, ignored, ignored, ignored, ignored)\n"
           "    Calc system = system ++ \" \" ++ SetWallPaper(\"\", 0)\n"
           "    Calc ignored = DBCreateTable(\"visits\", TRUE)\n"
           "    Calc ignored = DBAddField(\"run\", 1)\n"
           "    Calc ignored = DBInsert(phase)\n"
           "    Calc ignored = DBSetActive(\"items\")\n"
           "    GameSave 1, \"\", 0, \"表\"\n"
           "If phase == 1\n"
           "    Calc phase = 10\n"
           "    Calc ignored = DBDeleteTable(\"items\")\n"
           "    GameLoad 1\n"
           "VarNew \"afterLoad\", str, DBRecordCount(\"items\"), 0\n"
           "Calc afterLoad = afterLoad ++ \" \" ++ DBGetActive()\n"
           "Calc afterLoad = afterLoad ++ \" \" ++ DBGetStr(\"name\")\n"
           "VarNew \"direct\", str, DBDirectGetStr(\"items\", \"id\", 3, FALSE, FALSE, \"name\", \"none\"), 0\n"
           "VarNew \"visits\", int, DBRecordCount(\"visits\"), 0\n"
           "Terminate\n");
    const RunResult first = Play("--frames 20");
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_EQ(first.vars.at("visitsAtStart"), "-1");
    EXPECT_EQ(first.vars.at("made"), "TRUE");
    EXPECT_EQ(first.vars.at("loaded"), "TRUE");
    EXPECT_EQ(first.vars.at("count"), "3");
    EXPECT_EQ(first.vars.at("found"), "TRUE");
    EXPECT_EQ(first.vars.at("mikan"), "80");
    EXPECT_EQ(first.vars.at("sorted"), "TRUE");
    EXPECT_EQ(first.vars.at("current"), "りんご");  // record 1 after the sort by price, highest first
    EXPECT_EQ(first.vars.at("lineCount"), "4");
    EXPECT_EQ(first.vars.at("system"), "TRUE 0 FALSE FALSE");
    // Loaded back: the saved table, active again with its current record; the status table stays.
    EXPECT_EQ(first.vars.at("afterLoad"), "3 items りんご");
    EXPECT_EQ(first.vars.at("direct"), "ぶどう");
    EXPECT_EQ(first.vars.at("visits"), "1");

    // The next run finds the status table in the status data, and no game table.
    const RunResult second = Play("--frames 20");
    ASSERT_EQ(second.exitCode, 0) << second.errors;
    EXPECT_EQ(second.vars.at("visitsAtStart"), "1");
    EXPECT_EQ(second.vars.at("afterLoad"), "-1 visits ");
    EXPECT_EQ(second.vars.at("direct"), "none");
}

} // namespace
} // namespace ruvo
