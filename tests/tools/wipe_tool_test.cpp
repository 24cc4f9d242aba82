// ruvotool wipe, run as an author would, against the transitions the player runs.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sys/wait.h>

#include "graphics/surface/dibx.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/wipes/wipes.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "support/tempdir.hpp"

namespace {

namespace fs = std::filesystem;
using namespace ruvo;
using ruvo::testing::TempDir;

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun Wipe(const std::string& args) {
    TempDir errors;
    const std::string command =
        std::string("'") + RUVO_TOOL_PATH + "' wipe " + args + " 2>'" + (errors / "err").string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ruvo::testing::ReadFile(errors / "err")};
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

TPngPicture Picture(int w, int h, std::function<uint32_t(int, int)> rgb) {
    TPngPicture p{w, h, false, std::vector<uint32_t>(size_t(w) * h)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.argb[size_t(y) * w + x] = 0xFF000000 | rgb(x, y);
    return p;
}

TPngPicture Noise(int w, int h, uint32_t seed) {
    std::mt19937 rng(seed);
    return Picture(w, h, [&](int, int) { return rng() & 0xFFFFFF; });
}

class WipeTool : public ::testing::Test {
protected:
    void SetUp() override {
        SavePngArgb(Picture(32, 24, [](int, int) { return 0xFF0000u; }), dir / "red.png");
        SavePngArgb(Picture(32, 24, [](int, int) { return 0x0000FFu; }), dir / "blue.png");
    }
    std::string Pair(const std::string& a = "red.png", const std::string& b = "blue.png") {
        return " --before " + Q(dir / a) + " --after " + Q(dir / b);
    }
    TPngPicture Out(const std::string& name = "out.png") { return LoadPngFile(dir / name); }
    TempDir dir;
};

TEST_F(WipeTool, FadeHalfwayIsTheBlendOf128) {
    ToolRun run = Wipe("1" + Pair() + " --duration 1000 --at 500 -o " + Q(dir / "out.png"));
    ASSERT_EQ(run.code, 0) << run.err;
    const TPngPicture out = Out();
    ASSERT_EQ(out.width, 32);
    // red (127 x 255) div 256 = 126, blue (128 x 255) div 256 = 127
    EXPECT_EQ(out.argb[0], 0xFF7E007Fu);
    EXPECT_EQ(out.argb[31 * 24 - 1 + 24], 0xFF7E007Fu);
}

TEST_F(WipeTool, NegativeParametersAreNumbersNotOptions) {
    ToolRun run = Wipe("1" + Pair() + " --duration 1000 --at 500 --param0 -40 -o " + Q(dir / "out.png"));
    ASSERT_EQ(run.code, 0) << run.err;
    const TPngPicture out = Out();  // After slides in from 20 pixels to the left
    EXPECT_EQ(out.argb[11], 0xFF7E007Fu);
    EXPECT_EQ(out.argb[12], 0xFFFF0000u);
}

TEST_F(WipeTool, DrawsWhatThePlayersTransitionDraws) {
    SavePngArgb(Noise(90, 70, 1), dir / "a.png");
    SavePngArgb(Noise(90, 70, 2), dir / "b.png");
    SavePngArgb(Picture(90, 70, [](int x, int) { return uint32_t(x * 2) * 0x010101u; }), dir / "rule.png");
    const TPngPicture before = LoadPngFile(dir / "a.png"), after = LoadPngFile(dir / "b.png");
    const TPngPicture rulePng = LoadPngFile(dir / "rule.png");
    auto surface = [](const TPngPicture& p) {
        auto s = std::make_unique<TDIBX>();
        s->SetSize(p.width, p.height, 32);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                s->SetPixel(x, y, p.argb[size_t(y) * p.width + x] & 0xFFFFFF);
        return s;
    };
    struct TCase {
        int Type;
        std::string Extra;
        bool Reverse;
        std::optional<int32_t> Param0;
    } cases[] = {{38, " --seed 77", false, {}}, {29, " --seed 5", false, {}},
                 {31, " --reverse --param0 200", true, 200}, {21, " --rule " + Q(dir / "rule.png"), false, {}},
                 {15, "", false, {}}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Type);
        ToolRun run = Wipe(std::to_string(c.Type) + Pair("a.png", "b.png") + " --duration 900 --at 610" + c.Extra +
                           " -o " + Q(dir / "out.png"));
        ASSERT_EQ(run.code, 0) << run.err;

        auto a = surface(before), b = surface(after), rule = surface(rulePng);
        TDIBX screen;
        screen.SetSize(90, 70, 32);
        TParamCollection vars;
        TSysFuncMan functions(vars);
        functions.SetRandSeed(c.Type == 38 ? 77 : c.Type == 29 ? 5 : 0);
        TWipeSettings settings{.Type = c.Type, .Duration = 900, .Reverse = c.Reverse, .Param0 = c.Param0,
                               .Rule = c.Type == 21 ? rule.get() : nullptr};
        TWipeStart start = StartWipe(settings, {screen, *a, *b}, [&](int32_t n) { return functions.Random(n); });
        ASSERT_FALSE(start.ChangesAtOnce());
        start.Wipe->Elapsed = 610;
        ASSERT_FALSE(start.Wipe->Step());
        const TPngPicture out = Out();
        int differences = 0;
        for (int y = 0; y < 70; ++y)
            for (int x = 0; x < 90; ++x)
                differences += (out.argb[size_t(y) * 90 + x] & 0xFFFFFF) != screen.GetPixel(x, y);
        EXPECT_EQ(differences, 0);
    }
}

TEST_F(WipeTool, AfterItsTimeOrWithoutATransitionTheNewPictureShows) {
    for (const std::string& args : {std::string("36 --duration 100 --at 100"), std::string("36 --duration 100 --at 5000"),
                                    std::string("39 --duration 100 --at 50"), std::string("2 --duration 0 --at 0")}) {
        ToolRun run = Wipe(args + Pair() + " -o " + Q(dir / "out.png"));
        ASSERT_EQ(run.code, 0) << args << ": " << run.err;
        EXPECT_EQ(Out().argb[100], 0xFF0000FFu) << args;
    }
    ToolRun unknown = Wipe("0" + Pair() + " --duration 100 --at 50 -o " + Q(dir / "out.png"));
    EXPECT_NE(unknown.err.find("changes at once"), std::string::npos) << unknown.err;
}

TEST_F(WipeTool, TheNewPictureIsPlacedOnAScreenOfTheOldOnesSize) {
    SavePngArgb(Picture(10, 40, [](int, int) { return 0x00FF00u; }), dir / "tall.png");
    ToolRun run = Wipe("1" + Pair("red.png", "tall.png") + " --duration 10 --at 10 -o " + Q(dir / "out.png"));
    ASSERT_EQ(run.code, 0) << run.err;
    const TPngPicture out = Out();
    EXPECT_EQ(out.width, 32);
    EXPECT_EQ(out.height, 24);
    EXPECT_EQ(out.argb[9], 0xFF00FF00u);
    EXPECT_EQ(out.argb[10], 0xFF000000u);
}

TEST_F(WipeTool, RulePictureAndReverse) {
    // Left half black, right half white: at a quarter of the time only white pixels have begun.
    SavePngArgb(Picture(32, 24, [](int x, int) { return x < 16 ? 0u : 0xFFFFFFu; }), dir / "rule.png");
    for (bool reverse : {false, true}) {
        ToolRun run = Wipe("19" + Pair() + " --duration 1000 --at 250 --rule " + Q(dir / "rule.png") +
                           (reverse ? " --reverse" : "") + " -o " + Q(dir / "out.png"));
        ASSERT_EQ(run.code, 0) << run.err;
        const TPngPicture out = Out();
        const uint32_t started = 0xFF7F007Eu;  // mask 127: red (128 x 255) div 256, blue (127 x 255) div 256
        EXPECT_EQ(out.argb[3], reverse ? started : 0xFFFF0000u);
        EXPECT_EQ(out.argb[28], reverse ? 0xFFFF0000u : started);
    }
}

TEST_F(WipeTool, FramesWritesTheWholeSequenceUpToTheNewPicture) {
    ToolRun run = Wipe("11" + Pair() + " --duration 100 --frames " + Q(dir / "seq") + " --step 30");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, (dir / "seq" / "frame0000.png").string() + "\n" + (dir / "seq" / "frame0001.png").string() +
                           "\n" + (dir / "seq" / "frame0002.png").string() + "\n" +
                           (dir / "seq" / "frame0003.png").string() + "\n" + (dir / "seq" / "frame0004.png").string() + "\n");
    EXPECT_EQ(Out("seq/frame0000.png").argb, LoadPngFile(dir / "red.png").argb);
    EXPECT_EQ(Out("seq/frame0004.png").argb, LoadPngFile(dir / "blue.png").argb);
    int blue = 0;
    for (uint32_t p : Out("seq/frame0002.png").argb)  // dither at 60 ms: 2457 of 4096 cells
        blue += p == 0xFF0000FFu;
    EXPECT_GT(blue, 32 * 24 / 3);
    EXPECT_LT(blue, 32 * 24 * 5 / 6);
}

TEST_F(WipeTool, DashWritesThePictureToStandardOutput) {
    ToolRun run = Wipe("1" + Pair() + " --duration 10 --at 3 -o -");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
}

TEST_F(WipeTool, UsageHelpAndFailures) {
    ToolRun help = Wipe("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--frames"), std::string::npos);
    EXPECT_TRUE(help.err.empty());

    const std::string out = " -o " + Q(dir / "out.png");
    for (const std::string& args : {std::string(""), "1 --after x.png --duration 5 --at 1" + out,
                                    "one" + Pair() + " --duration 5 --at 1" + out, "1" + Pair() + " --duration 5" + out,
                                    "1" + Pair() + " --duration 5 --at 1", "1" + Pair() + " --duration 5 --frames d --step 0",
                                    "1" + Pair() + " --duration 5000000 --frames d --step 1", "1" + Pair() + " --bogus"}) {
        ToolRun run = Wipe(args);
        EXPECT_EQ(run.code, 2) << args;
        EXPECT_FALSE(run.err.empty()) << args;
    }
    ToolRun unknown = Wipe("1" + Pair() + " --duration 5 --at 1 -o - --bogus");
    EXPECT_NE(unknown.err.find("--bogus"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("Run \"ruvotool wipe --help\""), std::string::npos) << unknown.err;
    EXPECT_TRUE(unknown.out.empty());
    ToolRun nothing = Wipe("");
    EXPECT_NE(nothing.err.find("Usage: ruvotool wipe"), std::string::npos) << nothing.err;
    for (const std::string& args : {std::string(" --at 1 -o /no/such/folder/out.png"),
                                    std::string(" --frames /proc/no-frames-here --step 1")}) {
        ToolRun unwritable = Wipe("1" + Pair() + " --duration 5" + args);
        EXPECT_EQ(unwritable.code, 2) << args;
        EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos) << unwritable.err;
    }

    ruvo::testing::WriteFile(dir / "broken.png", "not a picture");
    ToolRun broken = Wipe("1" + Pair("red.png", "broken.png") + " --duration 5 --at 1" + out);
    EXPECT_EQ(broken.code, 1);
    EXPECT_NE(broken.err.find("broken.png"), std::string::npos) << broken.err;
    ToolRun missing = Wipe("1" + Pair("nothing.png") + " --duration 5 --at 1" + out);
    EXPECT_EQ(missing.code, 1);
}

} // namespace
