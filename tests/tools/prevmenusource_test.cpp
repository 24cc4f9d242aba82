// Preview menu source: the buttons it writes and the mistakes it names.
#include <gtest/gtest.h>

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

} // namespace
} // namespace ruvo::tools
