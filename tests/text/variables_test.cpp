// Variable glyphs: expansion from expressions and frozen values, collapse, collected values, copies.
#include <gtest/gtest.h>

#include "archive/streams.hpp"
#include "text_fixture.hpp"

namespace ruvo {
namespace {

using VariablesTest = testing::TextTest;

TEST_F(VariablesTest, ValuesAreInsertedAsCharactersAndBreaks) {
    DeclareStr("s", "x\ry");
    DeclareInt("n", 41);
    DeclareStr("ctl", "a\tb\nc\x01" "d");
    struct Case {
        const char* markup;
        const char* glyphs;
    } cases[] = {
        {"<VAR NAME=s>", "[7]x[3]y"},
        {"<VAR NAME=\"n + 1\">!", "[7]42!"},
        {"<VAR NAME=\"  n  \">", "[7]41"},
        {"<VAR NAME=ctl>", "[7]abcd"},       // control characters other than CR are skipped
        {"<VAR NAME=missing>x", "[7]x"},      // an evaluation error inserts nothing
        {"<VAR NAME=\"(1\">x", "[7]x"},       // so does a syntax error
        {"<VAR NAME=\" \">x", "[7]x"},
        {"<VAR NAME=\"a b c\">x", "[7]x"},
    };
    for (const Case& c : cases) {
        Parse(c.markup);
        engine.ExpandVars(0, -1);
        EXPECT_EQ(Glyphs(), c.glyphs) << c.markup;
    }
    Parse("<B><A HREF=h><WAIT VALUE=7><VAR NAME=s>");
    engine.ExpandVars(0, -1);
    EXPECT_EQ(Listing(), "0\t7\ts\tb=1 link=h wait=7\n0\t1\tx\tb=1 link=h wait=7\n0\t3\t\t\n0\t1\ty\tb=1 link=h wait=7\n");
    // Inserted characters share the variable glyph's decoration.
    EXPECT_EQ(engine.Glyph(1)->Decoration(), engine.Glyph(0)->Decoration());
    EXPECT_EQ(engine.Glyph(1)->Weight(), 0);
    EXPECT_EQ(engine.Glyph(2)->Weight(), 0);
}

TEST_F(VariablesTest, CollapseRemovesWhatExpandInserted) {
    DeclareStr("s", "xyz");
    Parse("a<VAR NAME=s>b<VAR NAME=s>c");
    engine.ExpandVars(0, -1);
    EXPECT_EQ(Glyphs(), "a[7]xyzb[7]xyzc");
    engine.CollapseVars(0, 3);  // the first variable only (indexes 0..3)
    EXPECT_EQ(Glyphs(), "a[7]b[7]xyzc");
    engine.CollapseVars(0, -1);
    EXPECT_EQ(Glyphs(), "a[7]b[7]c");
    vars.Find("s")->Value().SetStr("Q");
    engine.ExpandVars(0, -1);
    EXPECT_EQ(Glyphs(), "a[7]Qb[7]Qc");

    // Deleting glyphs in any order is safe: a variable forgets a deleted inserted glyph, and inserted
    // glyphs outlive a deleted variable as plain glyphs of the list.
    engine.DeleteGlyph(2);
    EXPECT_TRUE(static_cast<TWdOpeVar*>(engine.Glyph(1))->Inserted().empty());
    engine.DeleteGlyph(3);
    EXPECT_EQ(Glyphs(), "a[7]bQc");
    engine.CollapseVars(0, -1);
    EXPECT_EQ(Glyphs(), "a[7]bQc");
}

TEST_F(VariablesTest, FrozenValuesReplaceEvaluation) {
    DeclareInt("score", 99);
    Parse("<VAR NAME=score>|<VAR NAME=line>|<VAR NAME=nothing>");
    engine.VarValues = {Utf8ToSjis("other=1"), Utf8ToSjis("SCORE=12"), Utf8ToSjis("score=13"),
                        std::string("line=a\x01" "b")};
    engine.ExpandVars(0, -1);
    EXPECT_EQ(Glyphs(), "[7]12|[7]a[3]b|[7]");
    // Parse clears frozen values: the variable is evaluated again.
    Parse("<VAR NAME=score>");
    engine.ExpandVars(0, -1);
    EXPECT_EQ(Glyphs(), "[7]99");
}

TEST_F(VariablesTest, CollectedValuesFreezeWhatAPageShowed) {
    DeclareStr("name", "太郎");
    DeclareStr("two", "a\rb");
    engine.AreaWidth = 400;
    engine.AreaHeight = 400;
    Show("<VAR NAME=name>と<VAR NAME=two><VAR NAME=NAME>");
    ASSERT_EQ(pages.size(), 1u);
    std::vector<std::string> lines = {Utf8ToSjis("TWO=old")};
    pages[0]->CollectVarValues(lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(SjisToUtf8(lines[1]), "name=太郎");
    pages[0]->FreezeVarValues();
    ASSERT_EQ(pages[0]->VarText.size(), 2u);
    EXPECT_EQ(pages[0]->VarText[1], std::string("two=a\x01" "b"));

    // Shown again later with the frozen values, the text is the same although the variables changed.
    vars.Find("name")->Value().SetStr("x");
    TGxWord history(services);
    Parse("<VAR NAME=name>と<VAR NAME=two><VAR NAME=NAME>");
    history.CopyRange(engine, 0, -1);
    history.VarValues = pages[0]->VarText;
    history.ExpandVars(0, -1);
    std::string shown;
    for (int i = 0; i < history.GlyphCount(); ++i)
        if (history.Glyph(i)->Kind() == gkChar || history.Glyph(i)->Kind() == gkReturn)
            shown += history.Glyph(i)->Kind() == gkChar ? SjisToUtf8(history.Glyph(i)->Text()) : "/";
    EXPECT_EQ(shown, "太郎とa/b太郎");
}

TEST_F(VariablesTest, ExpansionStopsAtTheEvaluationDepthLimit) {
    DeclareStr("s", "x");
    Parse("<VAR NAME=s>");
    std::vector<std::unique_ptr<TSysFuncMan::TEvaluationScope>> nesting;
    for (int i = 0; i < 32; ++i) nesting.push_back(std::make_unique<TSysFuncMan::TEvaluationScope>(funcs));
    engine.ExpandVars(0, -1);
    EXPECT_EQ(Glyphs(), "[7]");
}

TEST_F(VariablesTest, LongValuesAreCut) {
    DeclareStr("long", std::string(100000, 'z'));
    Parse("<VAR NAME=long>");
    engine.ExpandVars(0, -1);
    EXPECT_EQ(engine.GlyphCount(), int(1 + kMaxVarChars));
}

TEST_F(VariablesTest, CopyRangeCopiesGlyphsAndStyles) {
    DeclareStr("s", "xy");
    Parse("<FONT COLOR=#FF0000>ab</FONT><VAR NAME=s><BR CLEAR><DIV ALIGN=CENTER><EVENT VALUE=e END><IMG SRC=p.png ALIGN=TOP>");
    engine.ExpandVars(0, -1);
    TGxWord copy(services);
    copy.CopyRange(engine, 1, -1);
    // Inserted glyphs copy as ordinary ones (weight 1): ranges are copied from unexpanded engines.
    EXPECT_EQ(GlyphListing(copy),
              "0\t1\tb\tcolor=#FF0000\n1\t7\ts\t\n2\t1\tx\t\n3\t1\ty\t\n4\t3\tclear\t\n5\t2\tCENTER\t\n6\t6\t\\x01e\t\n"
              "7\t9\tp.png\t\n");
    EXPECT_EQ(copy.Decorations.Count(), 2);
    EXPECT_EQ(copy.Glyph(2)->Decoration(), copy.Glyph(1)->Decoration());
    EXPECT_EQ(copy.Glyph(7)->Align(), taTop);
    TGxWord part(services);
    part.CopyRange(engine, 0, 0);
    EXPECT_EQ(part.GlyphCount(), 1);
}

} // namespace
} // namespace ruvo
