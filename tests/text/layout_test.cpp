// Layout: measuring, Japanese line breaking, indents, alignment, row heights, page and scroll modes.
#include <gtest/gtest.h>

#include "text_fixture.hpp"

namespace ruvo {
namespace {

class LayoutTest : public testing::TextTest {
protected:
    // Lays markup out in an area and returns the rows of every page, pages separated by " / ".
    std::string Rows(const std::string& markup, int32_t width, int32_t height = 1000) {
        pages.clear();
        engine.AreaWidth = width;
        engine.AreaHeight = height;
        Show(markup);
        std::string out;
        for (const auto& page : pages) out += (out.empty() ? "" : " / ") + RowsOf(*page);
        return out;
    }
    const TWdRow& RowAt(int page, int row) const { return *pages[size_t(page)]->Rows()[size_t(row)]; }
};

TEST_F(LayoutTest, CellsAreSquareWithItalicRubyEdgeAndShadow) {
    struct Case {
        const char* markup;
        int32_t w, h;
    } cases[] = {
        {"a", 12, 12},
        {"あ", 12, 12},
        {"<FONT SIZE=20>i</FONT>", 20, 20},
        {"<I>a</I>", 14, 12},
        {"<RUBY VALUE=x>a</RUBY>", 12, 18},
        {"<FONT BORDER=2 SHADOW=3>a</FONT>", 19, 19},
        {"<FONT SIZE=100000 BORDER=999>a</FONT>", kMaxFontHeight + 2 * kMaxEdgeWidth, kMaxFontHeight + 2 * kMaxEdgeWidth},
        {"<FONT SIZE=-4>a</FONT>", 12, 12},
    };
    for (const Case& c : cases) {
        Rows(c.markup, 0);
        EXPECT_EQ(engine.Glyph(0)->Width, c.w) << c.markup;
        EXPECT_EQ(engine.Glyph(0)->Height, c.h) << c.markup;
    }
    engine.BorderWidth = 1;
    engine.ShadowWidth = 2;
    Rows("a<FONT BORDER=0>b", 0);
    EXPECT_EQ(engine.Glyph(0)->Width, 16);
    EXPECT_EQ(engine.Glyph(1)->Width, 14);
}

TEST_F(LayoutTest, JapaneseLineBreaking) {
    struct Case {
        const char* markup;
        int chars;  // area width in 12-pixel cells
        const char* rows;
    } cases[] = {
        {"Hello world", 8, "Hello |world"},  // the space stays at the end of the first row
        {"あいうえ「おか", 5, "あいうえ|「おか"},   // an opening bracket moves with what follows
        {"あいうえお。", 5, "あいうえ|お。"},       // no row starts with 。
        {"あいうえ、」", 5, "あいう|え、」"},       // closing marks stay with the character before them
        {"あいう（え）お", 4, "あいう|（え）お"},
        {"あい<NOBR>うえお</NOBR>かき", 4, "あい|うえおか|き"},
        {"あい<RUBY VALUE=かん>漢字</RUBY>", 3, "あい|漢字"},
        {"ab cd ef", 4, "ab |cd |ef"},
        {"ａｂｃｄｅ", 3, "ａｂｃ|ｄｅ"},  // full-width letters break anywhere
        {"longwordhere x", 4, "longwordhere |x"},  // a run wider than the area overflows its own row
        {"あ<BR>い<BR><BR>う", 10, "あ|い||う"},
        {"a<EVENT VALUE=e>b", 1, "a|b"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rows(c.markup, 12 * c.chars), c.rows) << c.markup;
    // With no area width nothing wraps, and the width becomes that of the widest row.
    EXPECT_EQ(Rows("あいうえお<BR>かき", 0), "あいうえお|かき");
    EXPECT_EQ(engine.AreaWidth, 60);
}

TEST_F(LayoutTest, IndentHangsUntilUndent) {
    // The opening bracket does not take the indent into its run.
    EXPECT_EQ(Rows("「<INDENT>あいうえおかき<BR>く<UNDENT>けこさしすせ", 60), "「あいうえ|おかき|くけこさ|しすせ");
    for (int r : {1, 2}) {
        EXPECT_EQ(RowAt(0, r).Glyphs().front()->Kind(), gkNone) << r;  // the filler
        EXPECT_EQ(RowAt(0, r).Glyphs().front()->Width, 12) << r;
        EXPECT_EQ(RowAt(0, r).Glyphs()[1]->X, 12) << r;
    }
    EXPECT_EQ(RowAt(0, 3).Glyphs().front()->X, 0);  // rows begun after UNDENT are not indented
    // A run wider than the room after the indent overflows its row instead of wrapping again.
    EXPECT_EQ(Rows("abc<INDENT>d wordwordword e", 60), "abcd |wordwordword |e");
    EXPECT_EQ(RowAt(0, 1).Glyphs().front()->Width, 36);
}

TEST_F(LayoutTest, AlignmentFromTheRowItStartsOn) {
    Rows("ab<DIV ALIGN=RIGHT>cd<BR>ef<BR><DIV ALIGN=CENTER>g</DIV><BR>h", 120);
    ASSERT_EQ(pages[0]->RowCount(), 4);
    EXPECT_EQ(RowAt(0, 0).Align, taLeft);  // text came before the DIV on this row
    EXPECT_EQ(RowAt(0, 0).Glyphs()[0]->X, 0);
    EXPECT_EQ(RowAt(0, 1).Align, taRight);
    EXPECT_EQ(RowAt(0, 1).Glyphs()[0]->X, 120 - 24);
    EXPECT_EQ(RowAt(0, 2).Align, taCenter);  // directly after the break it applies to the new row
    EXPECT_EQ(RowAt(0, 2).Glyphs()[0]->X, (120 - 12) / 2);
    EXPECT_EQ(RowAt(0, 3).Align, taRight);
    EXPECT_EQ(RowAt(0, 3).Width, 120);
}

TEST_F(LayoutTest, RowHeightsAndBaselines) {
    pictures.known["p40"] = {30, 40};
    engine.FontSize = 16;
    struct Case {
        const char* markup;
        int32_t rowHeight, textY, pictureY;
    } cases[] = {
        {"a<IMG SRC=p40 ALIGN=CENTER>", 40, 12, 0},
        {"a<IMG SRC=p40 ALIGN=TOP>", 40, 0, 0},
        {"a<IMG SRC=p40>", 40, 24, 0},
        {"a<IMG SRC=missing>", 16, 0, 0},
    };
    for (const Case& c : cases) {
        Rows(c.markup, 200);
        EXPECT_EQ(RowAt(0, 0).Height(), c.rowHeight) << c.markup;
        EXPECT_EQ(engine.Glyph(0)->Y, c.textY) << c.markup;
        EXPECT_EQ(engine.Glyph(1)->Y, c.pictureY) << c.markup;
    }
    EXPECT_EQ(engine.Glyph(1)->Width, 0);  // a missing picture takes no room
    Rows("<FONT SIZE=12>a</FONT><FONT SIZE=24>b</FONT>", 200);
    EXPECT_EQ(RowAt(0, 0).Height(), 24);
    EXPECT_EQ(engine.Glyph(0)->Y, 12);
    // An empty line is as high as the default font; a break after text adds nothing.
    engine.LineSpace = 3;
    Rows("<FONT SIZE=10>a<BR><BR>b</FONT>", 200);
    EXPECT_EQ(RowAt(0, 0).Height(), 10);
    EXPECT_EQ(RowAt(0, 1).Height(), 16);
    EXPECT_EQ(RowAt(0, 1).Top, 13);
    EXPECT_EQ(RowAt(0, 2).Top, 13 + 16 + 3);
    EXPECT_EQ(pages[0]->Height, 13 + 16 + 3 + 10);
}

TEST_F(LayoutTest, PageModeAgainstScrollMode) {
    const char* text = "あいう<BR>えおか<BR>きくけ<BR>こ";
    EXPECT_EQ(Rows(text, 36, 30), "あいう|えおか / きくけ|こ");
    EXPECT_EQ(RowAt(1, 0).Top, 0);
    engine.Paging = false;
    EXPECT_EQ(Rows(text, 36, 30), "あいう|えおか|きくけ|こ");
    EXPECT_EQ(RowAt(0, 3).Top, 36);
    engine.Paging = true;
    // A first row taller than the page stays; the row after it starts the next page.
    EXPECT_EQ(Rows("<FONT SIZE=40>あ</FONT><BR>い<BR>う", 100, 30), "あ / い|う");
    // CLEAR ends the page even with room left.
    EXPECT_EQ(Rows("あ<CLEAR>い<BR CLEAR>う<BR>え", 100, 300), "あ / い / う|え");
    // Wrapped rows go to the next page as a whole, indent and all.
    EXPECT_EQ(Rows("あ<INDENT>いうえおかきく", 36, 24), "あいう|えお / かき|く");
    EXPECT_EQ(RowAt(1, 0).Glyphs()[1]->X, 12);
}

TEST_F(LayoutTest, RelayoutMovesGlyphsToTheNewRows) {
    Rows("abc", 100);
    std::vector<std::unique_ptr<TWdPage>> again;
    engine.Layout(again, 0, -1);
    EXPECT_EQ(engine.Glyph(0)->Page(), again[0].get());
    EXPECT_TRUE(pages[0]->Rows()[0]->Glyphs().empty());
    pages.clear();
    again.clear();
    EXPECT_EQ(engine.Glyph(0)->Row(), nullptr);
    // Pages may outlive their glyphs.
    Rows("abc", 100);
    engine.Clear();
    EXPECT_TRUE(pages[0]->Rows()[0]->Glyphs().empty());
    pages[0]->Render(true);
    pages[0]->Start();
    pages[0]->Step(16);
}

TEST_F(LayoutTest, LayoutRangeEndsAtATextPosition) {
    engine.AreaWidth = 200;
    engine.AreaHeight = 200;
    Parse("ab<BR>cd<BR>ef");
    engine.Layout(pages, 3, 5);  // from glyph 3 up to the glyph at position 5
    EXPECT_EQ(RowsOf(*pages[0]), "cd");
    EXPECT_EQ(pages[0]->Rows()[0]->Glyphs().back()->Kind(), gkReturn);
    engine.Layout(pages, 6, -1);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(RowsOf(*pages[1]), "ef");
}

} // namespace
} // namespace ruvo
