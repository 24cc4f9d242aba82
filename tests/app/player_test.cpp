// The player run in-process over a recording platform: what the game's scripts reach of the machine
// through it (the pointer, the installed fonts, the browser, the clock, the wheel).
#include <gtest/gtest.h>

#include <map>
#include <span>
#include <sstream>
#include <utility>

#include "app/player.hpp"
#include "app/startlogo.hpp"
#include "archive/installset.hpp"
#include "graphics/images/iconfile.hpp"
#include "graphics/images/zephframes.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "platform/headless.hpp"
#include "support/tempdir.hpp"
#include "tools/commands.hpp"

namespace ruvo {
namespace {

using ruvo::testing::ReadFile;
using ruvo::testing::TempDir;
using ruvo::testing::WriteFile;

class RecordingPlatform : public platform::THeadlessPlatform {
public:
    explicit RecordingPlatform(std::string input)
        : THeadlessPlatform(platform::ParseInputScript(input), nullptr) {}
    void WarpPointer(int x, int y) override {
        warps.emplace_back(x, y);
        THeadlessPlatform::WarpPointer(x, y);
    }
    std::vector<std::string> FontFaces(bool fixed) override {
        ++fontQueries;
        return fixed ? std::vector<std::string>{"IPAGothic"} : std::vector<std::string>{"IPAGothic", "Noto Sans"};
    }
    void OpenUrl(std::string_view url) override { urls.emplace_back(url); }
    void SetCursorPicture(const platform::PictureView* picture, int hotX, int hotY) override {
        cursors.push_back(picture == nullptr);
        THeadlessPlatform::SetCursorPicture(picture, hotX, hotY);
    }
    void Present(const platform::PictureView& picture, std::span<const platform::Rect> changed) override {
        presented.emplace_back(changed.begin(), changed.end());
        THeadlessPlatform::Present(picture, changed);
    }

    std::vector<std::vector<platform::Rect>> presented;
    std::vector<bool> cursors;  // true: the standard arrow
    std::vector<std::pair<int, int>> warps;
    std::vector<std::string> urls;
    int fontQueries = 0;
};

class Player : public ::testing::Test {
protected:
    // Builds a game whose start page is main (builder source) and runs it headless for frames frames.
    std::map<std::string, std::string> Play(const std::string& main, const std::string& input = "", int frames = 200,
                                            bool logo = false) {
        WriteFile(dir / "src" / "project.rvp", "title = \"テスト\"\nscreen = 320, 240\nstart = \"main.rsb\"\n");
        WriteFile(dir / "src" / "main.rvs", main);
        const std::string game = (dir / "game").string();
        EXPECT_EQ(tools::RunBuild({(dir / "src").string(), "-o", game}), 0);
        platform = std::make_unique<RecordingPlatform>(input);
        TPlayerOptions options;
        options.gameFolders = {game};
        options.frames = frames;
        options.logo = logo;
        options.dumpVarsFile = dir / "vars.txt";
        TPlayer player(options, *platform, dir / "ruvoplay");
        EXPECT_EQ(player.Run(), 0);
        std::map<std::string, std::string> vars;
        std::istringstream lines(ReadFile(dir / "vars.txt"));
        for (std::string line; std::getline(lines, line);)
            if (auto eq = line.find('='); eq != std::string::npos) vars[line.substr(0, eq)] = line.substr(eq + 1);
        return vars;
    }

    TempDir dir;
    std::unique_ptr<RecordingPlatform> platform;
};

TEST_F(Player, WritingTheMousePositionMovesThePointer) {
    auto vars = Play(
        "VarNew \"x\", int, 0, 0\nVarNew \"y\", int, 0, 0\n"
        "Calc @MouseX = 100\n"
        "Calc @MouseY = 50\n"
        "Calc x = @MouseX\n"
        "DoEvent\n"
        "Calc y = @MouseY\n"
        "Terminate\n");
    EXPECT_EQ(platform->warps, (std::vector<std::pair<int, int>>{{100, 0}, {100, 50}}));
    EXPECT_EQ(vars["x"], "100");
    EXPECT_EQ(vars["y"], "50");
}

TEST_F(Player, OnlyWhatChangedIsPresented) {
    Play("BoxNew PR_NAME = \"b\", PR_LEFT = 10, PR_TOP = 10, PR_WIDTH = 20, PR_HEIGHT = 20, PR_COLOR = $FFFFFF\n"
         "Wait time: 100\n"
         "SetProp \"b\", PR_TOP, 150\n"
         "Wait\n",
         "", 20);
    ASSERT_GE(platform->presented.size(), 3u);
    // Before the first frame the whole picture; in the first frame the whole screen, as the world was
    // sized; then nothing until the box moves, and then its old and its new place only.
    ASSERT_EQ(platform->presented[0].size(), 1u);
    EXPECT_EQ(platform->presented[0][0].right, 320);
    std::vector<std::vector<platform::Rect>> later(platform->presented.begin() + 2, platform->presented.end());
    ASSERT_EQ(later.size(), 1u);
    ASSERT_EQ(later[0].size(), 2u);
    EXPECT_EQ(later[0][0].top, 10);
    EXPECT_EQ(later[0][0].bottom, 30);
    EXPECT_EQ(later[0][1].top, 150);
    EXPECT_EQ(platform->Picture()[155 * 320 + 15], 0xFFFFFFu);
    EXPECT_EQ(platform->Picture()[15 * 320 + 15], 0u);
}

TEST_F(Player, CursorFilesTheGameLacksShowTheArrow) {
    Play("BoxNew PR_NAME = \"b\", PR_WIDTH = 20, PR_HEIGHT = 20, PR_CURSOR = \"hand.cur\"\n"
         "Wait\n",
         "3 move 5 5\n5 move 100 100\n", 10);
    EXPECT_EQ(platform->cursors, (std::vector<bool>{true, true}));  // the missing hand, then the arrow again
    EXPECT_TRUE(platform->ArrowCursor());
}

TEST_F(Player, CursorFilesOfTheGameBecomeThePointer) {
    // A 32 × 32 cursor: red, opaque in its left half, pointing at (3, 5).
    TIconImage image;
    image.Picture = NewStorage(32, 32, 32);
    FillStorage(*image.Picture, 0xFF0000);
    image.Mask = NewStorage(32, 32, 8);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) SetStoragePixel(*image.Mask, x, y, x < 16 ? 255 : 0);
    image.WithAlpha = true;
    image.HotSpotX = 3;
    image.HotSpotY = 5;
    const std::vector<uint8_t> cur = WriteIcon(std::span(&image, 1), true);
    WriteFile(dir / "src" / "hand.cur", std::string(cur.begin(), cur.end()));
    WriteFile(dir / "src" / "broken.cur", "not a cursor");
    // Over the box its cursor; elsewhere the game's default, then none again; a broken file is the arrow.
    Play("BoxNew PR_NAME = \"b\", PR_WIDTH = 20, PR_HEIGHT = 20, PR_CURSOR = \"hand.cur\"\n"
         "BoxNew PR_NAME = \"c\", PR_LEFT = 50, PR_WIDTH = 20, PR_HEIGHT = 20, PR_CURSOR = \"broken.cur\"\n"
         "Wait\n",
         "3 move 5 5\n", 10);
    EXPECT_EQ(platform->cursors, (std::vector<bool>{false}));
    const auto& shape = platform->Cursor();
    ASSERT_EQ(shape.width, 32);
    EXPECT_EQ(shape.hotX, 3);
    EXPECT_EQ(shape.hotY, 5);
    EXPECT_EQ(shape.pixels[10 * 32 + 4], 0xFFFF0000u);
    EXPECT_EQ(shape.pixels[10 * 32 + 20] >> 24, 0u);
    Play("BoxNew PR_NAME = \"c\", PR_LEFT = 50, PR_WIDTH = 20, PR_HEIGHT = 20, PR_CURSOR = \"broken.cur\"\n"
         "Wait\n",
         "3 move 55 5\n", 10);
    EXPECT_EQ(platform->cursors, (std::vector<bool>{true}));
}

TEST_F(Player, SaveScreenWritesTheScreenAndTheNextShowReadsIt) {
    auto vars = Play(
        "VarNew \"ok\", flag, FALSE, 0\nVarNew \"mem\", flag, FALSE, 0\nVarNew \"bad\", int, 0, 0\n"
        "BoxNew PR_NAME = \"b\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $0000FF\n"
        "Wait time: 50\n"
        "Calc ok = SaveScreen(\"shots\\s.zph\", 160, 120)\n"
        "Calc mem = SaveScreen(\"mem:a.zph\")\n"
        "Calc bad = SaveScreen(\"s.png\") + SaveScreen(\"..\\up.zph\") + SaveScreen(\"t.zph\", -5)\n"
        "ImgNew PR_NAME = \"old\", PR_SOURCE = \"mem:a.zph\", PR_LEFT = 200, PR_PRIORITY = 1\n"
        "SetProp \"b\", PR_COLOR, $00FF00\n"
        "Wait time: 50\n"
        "ObjDel \"old\"\n"
        "Calc mem = mem & SaveScreen(\"mem:a.zph\")\n"
        "ImgNew PR_NAME = \"new\", PR_SOURCE = \"mem:a.zph\", PR_LEFT = 100, PR_PRIORITY = 1\n"
        "SetProp \"b\", PR_COLOR, $000000\n"
        "Wait time: 50\n"
        "Terminate\n");
    EXPECT_EQ(vars["ok"], "TRUE");
    EXPECT_EQ(vars["mem"], "TRUE");
    EXPECT_EQ(vars["bad"], "0");
    // The file: one 24-bit frame of the size asked for, the screen's red.
    const std::string bytes = ReadFile(dir / "game" / "shots" / "s.zph");
    TZephFrameList frames;
    frames.LoadFromBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), false, false);
    ASSERT_EQ(frames.Frames.size(), 1u);
    EXPECT_EQ(frames.Frames[0].Width(), 160);
    EXPECT_EQ(frames.Frames[0].BitCount(), 24);
    EXPECT_EQ(frames.Frames[0].Picture->Row(60)[3 * 80 + 2], 0xFF);  // red
    EXPECT_FALSE(std::filesystem::exists(dir / "up.zph"));
    // The picture saved the second time is the one shown, not the cached first one.
    EXPECT_EQ(platform->Picture()[10 * 320 + 150], 0x00FF00u);
    EXPECT_EQ(platform->Picture()[10 * 320 + 50], 0u);
}

// Mode 1 deletes the picture when the run ends; mode 2 lists it once among the installation record's
// created files (the record's other fields kept); a memory file and mode 0 do neither.
TEST_F(Player, SaveScreenModesDeleteAtTheEndOrRecordTheFile) {
    Play("Terminate\n");  // the game folder, with the builder's record when it writes one
    const std::filesystem::path record = dir / "game" / "install.dat";
    TRuvoInstallSet before;
    if (std::filesystem::exists(record)) before.LoadFromFile(record);
    before.Title = "title";
    before.CreatedFiles = {"save\\old.dat"};
    before.SaveToFile(record);
    auto vars = Play(
        "VarNew \"ok\", flag, FALSE, 0\n"
        "BoxNew PR_NAME = \"b\", PR_WIDTH = 320, PR_HEIGHT = 240, PR_COLOR = $0000FF\n"
        "Wait time: 50\n"
        "Calc ok = SaveScreen(\"gone.zph\", 0, 0, FALSE, 1) & SaveScreen(\"shots\\rec.zph\", 0, 0, FALSE, 2)\n"
        "Calc ok = ok & SaveScreen(\"SHOTS\\REC.zph\", 0, 0, FALSE, 2) & SaveScreen(\"plain.zph\", 0, 0, FALSE, 0)\n"
        "Calc ok = ok & SaveScreen(\"mem:m.zph\", 0, 0, FALSE, 2)\n"
        "Terminate\n");
    EXPECT_EQ(vars["ok"], "TRUE");
    EXPECT_FALSE(std::filesystem::exists(dir / "game" / "gone.zph"));  // written, then deleted at the end
    EXPECT_TRUE(std::filesystem::exists(dir / "game" / "shots" / "rec.zph"));
    EXPECT_TRUE(std::filesystem::exists(dir / "game" / "plain.zph"));
    TRuvoInstallSet after;
    after.LoadFromFile(record);
    EXPECT_EQ(after.Title, before.Title);
    EXPECT_EQ(after.CreatedFiles, (std::vector<std::string>{"save\\old.dat", "shots\\rec.zph"}));
}

TEST_F(Player, FontListsComeFromThePlatformOnceEach) {
    auto vars = Play(
        "VarNew \"all\", flag, FALSE, 0\nVarNew \"fixed\", flag, FALSE, 0\n"
        "Calc all = @Fonts == \"IPAGothic\\nNoto Sans\"\n"
        "Calc fixed = @FixedFonts == \"IPAGothic\"\n"
        "Calc all = all & (@Fonts == \"IPAGothic\\nNoto Sans\")\n"
        "Terminate\n");
    EXPECT_EQ(vars["all"], "TRUE");
    EXPECT_EQ(vars["fixed"], "TRUE");
    EXPECT_EQ(platform->fontQueries, 2);
}

TEST_F(Player, OpenUrlOpensOnlyWebAddresses) {
    auto vars = Play(
        "VarNew \"r\", flag, TRUE, 0\n"
        "Calc r = OpenUrl(\"http://example.com/a b\")\n"
        "Calc OpenUrl(\"mailto:someone@example.com\")\n"
        "Calc OpenUrl(\"ftp://example.com\")\n"
        "Terminate\n");
    EXPECT_EQ(platform->urls, (std::vector<std::string>{"http://example.com/a b", "ftp://example.com"}));
    EXPECT_EQ(vars["r"], "FALSE");
}

TEST_F(Player, TheWheelIsKey256Down257Up) {
    auto vars = Play(
        "VarNew \"down\", int, 0, 0\nVarNew \"up\", int, 0, 0\nVarNew \"held\", flag, FALSE, 0\n"
        "[cont] Wait @KeyClick[256] == FALSE\n"
        "Calc down = @UpdateCount\n"
        "Calc held = @KeyPush[256] & @KeyRepeat[256] & @WheelDown & Not(@KeyPush[257])\n"
        "[cont] Wait @KeyPush[257] == FALSE\n"
        "Calc up = @UpdateCount\n"
        "Terminate\n",
        "5 wheel down\n9 wheel up\n");
    EXPECT_EQ(vars["down"], "5");
    EXPECT_EQ(vars["held"], "TRUE");
    EXPECT_EQ(vars["up"], "9");
}

TEST_F(Player, TheDateAndTimeAreTakenOncePerFrame) {
    // A frame that lasts over a second of real time still reads one time of day.
    auto vars = Play(
        "VarNew \"same\", flag, FALSE, 0\nVarNew \"t0\", int, 0, 0\nVarNew \"s0\", int, 0, 0\n"
        "Calc s0 = @Sec\n"
        "Calc t0 = @PCTickCount\n"
        "While @PCTickCount - t0 < 1100\n"
        "    WhileLoop\n"
        "Calc same = @Sec == s0\n"
        "Terminate\n");
    EXPECT_EQ(vars["same"], "TRUE");
}

} // namespace
} // namespace ruvo

namespace ruvo {
namespace {

// The start-up logo's caption is its link: over it the pointer is the logo's hand, a click on it opens
// the player's web page through the platform and leaves the logo playing; a click elsewhere skips it.
TEST_F(Player, TheLogoCaptionShowsTheHandAndOpensTheWebPage) {
    const std::string main = "VarNew \"started\", int, 0, 0\nCalc started = @UpdateCount\nWait\n";
    // The logo's stage (240 × 88) lies at (40, 76); its caption from (106, 144) on, from frame 30.
    auto vars = Play(main, "45 move 120 150\n50 click 120 150\n60 move 300 10\n70 click 300 10\n", 100, true);
    EXPECT_EQ(platform->urls, std::vector<std::string>{TStartLogo::kWebAddress});
    ASSERT_GE(platform->cursors.size(), 2u);
    EXPECT_FALSE(platform->cursors[0]);  // the hand over the caption
    EXPECT_TRUE(platform->cursors.back());
    // The caption's click did not skip the logo; the click beside it did.
    const int started = std::stoi(vars["started"]);
    EXPECT_GT(started, 70);
    EXPECT_LT(started, 80);
}

} // namespace
} // namespace ruvo
