// Preview menu source: the buttons it writes and the mistakes it names.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/streams.hpp"
#include "support/tempdir.hpp"
#include "support/toolrun.hpp"
#include "tools/prevmenusource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {
namespace {

TEST(PrevMenuSource, BuildsEachButtonInOrder) {
    const TPrevMenuTemplate menu = BuildPrevMenuSource(
        "# the menu\n"
        "\"北\" 10, -20, \"n.zph\", \"h.zph\", \"\", \"c.zph\", \"d.zph\", mask, cursor \"hand.cur\"   # all of it\r\n"
        "\n"
        "\"bare\" 0, 0\n"
        "\"two\" 5, 6, cursor \"x.cur\", \"n.zph\", \"h.zph\"\n",
        "m.rvt");
    ASSERT_EQ(menu.Buttons.size(), 3u);
    const TPrevMenuButton& b = menu.Buttons[0];
    EXPECT_EQ(b.Caption, "\x96\x6b");
    EXPECT_EQ(b.Left, 10);
    EXPECT_EQ(b.Top, -20);
    EXPECT_EQ(b.Sources, (std::array<std::string, 4>{"n.zph", "h.zph", "", "c.zph"}));
    EXPECT_EQ(b.DisabledSource, "d.zph");
    EXPECT_TRUE(b.CaptureMask);
    EXPECT_EQ(b.Cursor, "hand.cur");
    EXPECT_EQ(menu.Buttons[1], (TPrevMenuButton{"bare", 0, 0, {}, "", false, ""}));
    EXPECT_EQ(menu.Buttons[2].Sources, (std::array<std::string, 4>{"n.zph", "h.zph", "", ""}));
    EXPECT_EQ(menu.Buttons[2].Cursor, "x.cur");
    EXPECT_FALSE(menu.Buttons[2].CaptureMask);
}

TEST(PrevMenuSource, MistakesNameTheLine) {
    struct Case {
        const char* source;
        const char* message;
    } cases[] = {
        {"yes 0, 0", "m.rvt:1: a button starts with its caption"},
        {"\n\"a\" 0", "m.rvt:2: a button takes its caption, then x, y"},
        {"\"a\" 0, y", "m.rvt:1: \"y\" is not a whole number"},
        {"\"a\" 0, 0, \"1\", \"2\", \"3\", \"4\", \"5\", \"6\"", "m.rvt:1: a button has five pictures at most"},
        {"\"a\" 0, 0, shadow", "m.rvt:1: \"shadow\" is not a picture, mask or cursor"},
        {"\"a\" 0, 0, cursor", "m.rvt:1:"},
        {"\"a 0, 0", "m.rvt:1:"},
    };
    for (const Case& c : cases) {
        try {
            BuildPrevMenuSource(c.source, "m.rvt");
            ADD_FAILURE() << c.source << ": built";
        } catch (const ESourceError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << c.source << ": " << e.what();
        }
    }
}

TEST(PrevMenuSource, WrittenSourceBuildsTheSameTemplate) {
    TPrevMenuTemplate menu;
    menu.Buttons.push_back({"\x82\xa0\"quoted\"", -7, 2147483647, {"a\\n.zph", "", "h.zph", ""}, "", true, ""});
    menu.Buttons.push_back({"", 0, 0, {}, "d.zph", false, "c.cur"});
    menu.Buttons.push_back({"plain", 1, 2, {}, "", false, ""});
    EXPECT_EQ(BuildPrevMenuSource(WritePrevMenuSource(menu), "w.rvt").Buttons, menu.Buttons);
}

// The builder turns the source into the game's template; dump lists it and writes its source back.
TEST(PrevMenuSource, BuiltDumpedAndWrittenBack) {
    namespace fs = std::filesystem;
    using ruvo::testing::RunRuvotool;
    using ruvo::testing::ToolRun;
    auto q = [](const fs::path& p) { return "'" + p.string() + "'"; };
    ruvo::testing::TempDir dir;
    const std::string source = "\"はい\" 0, 0, \"n.zph\", \"h.zph\", mask\n\"later\" 120, 4, cursor \"hand.cur\"\n";
    ruvo::testing::WriteFile(dir / "src/project.rvp", "title = \"t\"\nstart = \"main.rsb\"\n");
    ruvo::testing::WriteFile(dir / "src/main.rvs", "Calc 1\n");
    ruvo::testing::WriteFile(dir / "src/menus/choice.rvt", source);
    ASSERT_EQ(RunRuvotool("build " + q(dir / "src") + " -o " + q(dir / "out") + " --loose").code, 0);
    const fs::path built = dir / "out" / "menus" / "choice.rmt";
    ASSERT_TRUE(fs::exists(built));

    const ToolRun listing = RunRuvotool("dump " + q(built));
    EXPECT_EQ(listing.code, 0) << listing.out;
    EXPECT_NE(listing.out.find("buttons 2"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("    1  \"later\" 120, 4, cursor \"hand.cur\""), std::string::npos) << listing.out;
    const ToolRun written = RunRuvotool("dump --source " + q(built), false);
    EXPECT_EQ(written.code, 0);
    EXPECT_EQ(BuildPrevMenuSource(written.out, "back.rvt").Buttons, BuildPrevMenuSource(source, "choice.rvt").Buttons);

    // A template cut short is refused with the file's name.
    const std::string bytes = ruvo::testing::ReadFile(built);
    ruvo::testing::WriteFile(dir / "cut.rmt", bytes.substr(0, bytes.size() - 2));
    const ToolRun cut = RunRuvotool("dump " + q(dir / "cut.rmt"));
    EXPECT_EQ(cut.code, 1);
    EXPECT_NE(cut.out.find("cut.rmt"), std::string::npos) << cut.out;
}

} // namespace
} // namespace ruvo::tools
