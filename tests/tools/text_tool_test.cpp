// End-to-end runs of "ruvotool text glyphs" and "ruvotool text render".
#include <gtest/gtest.h>

#include <string>

#include "archive/sjis.hpp"
#include "graphics/images/pngfile.hpp"
#include "support/tempdir.hpp"
#include "support/toolrun.hpp"

namespace ruvo {
namespace {

using testing::ToolRun;

// Runs ruvotool text with the arguments (already shell-quoted); stdout, and stderr when asked.
ToolRun RunText(const std::string& arguments, bool withStderr = false) {
    return testing::RunRuvotool("text " + arguments, withStderr);
}

TEST(TextTool, GlyphsListsPositionsKindsTextAndStyle) {
    const ToolRun run = RunText(
        "glyphs '<FONT COLOR=#FF0000>赤</FONT><DIV ALIGN=CENTER><VAR NAME=who>さん<BR CLEAR>"
        "<EVENT VALUE=\"a\\nb\"><IMG SRC=face.png><A HREF=go>x</A>' --var who=太郎 --var n=3");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out,
              "0\t1\t赤\tcolor=#FF0000\n"
              "1\t2\tCENTER\t\n"
              "2\t7\twho\t\n"
              "2\t1\t太\t\n"
              "2\t1\t郎\t\n"
              "3\t1\tさ\t\n"
              "4\t1\tん\t\n"
              "5\t3\tclear\t\n"
              "6\t6\ta\\x0D\\x0Ab\t\n"
              "7\t9\tface.png\t\n"
              "8\t1\tx\tlink=go\n");
}

TEST(TextTool, GlyphsReadsFilesInUtf8OrShiftJis) {
    testing::TempDir dir;
    testing::WriteFile(dir / "utf8.txt", "<B>あ</B>\nい\n");
    testing::WriteFile(dir / "sjis.txt", Utf8ToSjis("う\nえ"));
    // A line break right after a tag adds no space.
    EXPECT_EQ(RunText("glyphs --file " + (dir / "utf8.txt").string()).out, "0\t1\tあ\tb=1\n1\t1\tい\t\n");
    EXPECT_EQ(RunText("glyphs --file " + (dir / "sjis.txt").string()).out, "0\t1\tう\t\n1\t1\t \t\n2\t1\tえ\t\n");
    const ToolRun missing = RunText("glyphs --file " + (dir / "none.txt").string(), true);
    EXPECT_EQ(missing.code, 1);
}

TEST(TextTool, RenderWritesThePageAsColourAndOpacity) {
    testing::TempDir dir;
    const std::string png = (dir / "page.png").string();
    const ToolRun run = RunText("render '■<BR>■<BR CLEAR>■' -o " + png +
                                " --width 64 --height 48 --size 20 --color '#FF0000' --line-space 2");
    ASSERT_EQ(run.code, 0) << run.out;
    const TPngPicture picture = LoadPngFile(png);
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 48);
    // Two rows of squares: opaque red inside them, transparent beside them.
    EXPECT_EQ(picture.argb[size_t(10 * 64 + 10)], 0xFFFF0000u);
    EXPECT_EQ(picture.argb[size_t(32 * 64 + 10)], 0xFFFF0000u);
    EXPECT_EQ(picture.argb[size_t(10 * 64 + 40)] >> 24, 0u);
    // The second page holds the third square; with an edge and shadow around it.
    const ToolRun second = RunText("render '■<BR>■<BR CLEAR>■' -o " + png +
                                   " --width 64 --height 48 --size 20 --page 1 --edge 2 --edge-color '#0000FF'"
                                   " --shadow 2 --shadow-color '#00FF00' --color '#FFFFFF'");
    ASSERT_EQ(second.code, 0);
    const TPngPicture page2 = LoadPngFile(png);
    EXPECT_EQ(page2.argb[size_t(12 * 64 + 12)], 0xFFFFFFFFu);
    // Across the middle row: the edge first, then the text; down the middle column the shadow last.
    auto pixel = [&](int x, int y) { return page2.argb[size_t(y * 64 + x)]; };
    int x = 0;
    while (x < 12 && (pixel(x, 12) >> 24) != 0xFF) ++x;
    EXPECT_EQ(pixel(x, 12), 0xFF0000FFu);
    int y = 47;
    while (y > 12 && (pixel(12, y) >> 24) != 0xFF) --y;
    EXPECT_EQ(pixel(12, y), 0xFF00FF00u);
    EXPECT_EQ(pixel(12, 40) >> 24, 0u);
    // Standard output takes the picture with "-o -".
    const ToolRun piped = RunText("render あ -o - --width 16 --height 16");
    EXPECT_EQ(piped.code, 0);
    EXPECT_EQ(piped.out.substr(1, 3), "PNG");
}

TEST(TextTool, UsageHelpAndFailures) {
    struct Case {
        const char* args;
        int status;
        const char* says;
    } cases[] = {
        {"--help", 0, "Usage: ruvotool text"},
        {"render --help", 0, "--width"},
        {"glyphs -h", 0, "--var"},
        {"", 2, "A subcommand is required"},
        {"glyphs", 2, "give the markup or --file"},
        {"render x --width 10 --height 10", 2, "-o is required"},
        {"render x -o /dev/null --width 0 --height 10", 2, "--width"},
        {"render x -o /dev/null --width 10 --height 10 --color red", 2, "#RRGGBB"},
        {"glyphs x --var 9lives=1", 2, "変数名が不正です"},
        {"render x -o /dev/null --width 10 --height 10 --page 3", 1, "page 3"},
        {"glyphs '<A>x'", 1, "HREF"},
        {"render x -o /no/such/dir/p.png --width 10 --height 10", 1, "PNG"},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunText(c.args, true);
        EXPECT_EQ(run.code, c.status) << c.args << "\n" << run.out;
        EXPECT_NE(run.out.find(c.says), std::string::npos) << c.args << "\n" << run.out;
    }
}

} // namespace
} // namespace ruvo
