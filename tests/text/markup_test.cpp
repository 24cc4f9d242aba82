// The markup: tokens, tag reading, tags and their styles, decorations, text positions.
#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "text/markup.hpp"
#include "text_fixture.hpp"

namespace ruvo {
namespace {

using testing::SjisLines;

std::string Tokens(const std::string& utf8) {
    std::string joined;
    const auto lines = SjisLines(utf8);
    for (size_t i = 0; i < lines.size(); ++i) joined += (i ? "\r" : "") + lines[i];
    std::string out;
    for (const std::string& t : TokenizeMarkup(joined)) out += (out.empty() ? "" : "|") + SjisToUtf8Lossy(t);
    return out;
}

TEST(Tokenizer, SplitsTextTagsAndBlocks) {
    struct Case {
        const char* markup;
        const char* tokens;
    } cases[] = {
        {"abc\ndef", "abc def"},
        {"abc \ndef", "abc def"},  // one space, not two
        {"a   b\tc", "a bc"},       // spaces collapse, tabs vanish
        {"a\x14\x14z", "a z"},
        {"<PRE>\na\tb\n</PRE>", "<PRE>|a        b|</PRE>"},
        {"<pre>a  b\nc</pre>", "<pre>|a b|<BR>|c|</pre>"},
        {"<TEXTAREA>\na\tb\nc\n</TEXTAREA>", "<TEXTAREA>|a        b|c|</TEXTAREA>"},
        {"x<!-- a <B> -->y", "x|<!-- a <B> -->|y"},
        {"<!-- a <!-- b --> c -->d", "<!-- a <!-- b --> c -->|d"},
        {"a<script>if (a<b) x=\">\";</script>b", "a|<script>if (a<b) x=\">\";</script>|b"},
        {"a-->b", "a-->|b"},
        {"a\\<B\\>", "a<B>"},
        {"\\%\\{\\}\\\\", "%{}\\"},
        {"a\\qb", "aqb"},
        {"ab\\", "ab\\"},
        {"<A HREF=\"x>y\">t</A>", "<A HREF=\"x>y\">|t|</A>"},
        {"a<<B>>b", "a|<<B>|b"},
        {"<B", "<B"},
        {"1 > 0", "1 > 0"},
        {"<B>\"a<I>\"</B>", "<B>|\"a<I>\"|</B>"},
        {"ソ\\n", "ソn"},  // the backslash byte inside a double-byte character is no escape
    };
    for (const Case& c : cases) EXPECT_EQ(Tokens(c.markup), c.tokens) << c.markup;
}

std::string TagText(const std::string& utf8) {
    const TTag tag(Utf8ToSjis(utf8));
    std::string out = tag.Name();
    for (const auto& [name, value] : tag.Attributes()) out += ";" + name + "=" + value;
    return out;
}

TEST(TagReader, NamesAttributesQuotesAndEquals) {
    struct Case {
        const char* tag;
        const char* read;
    } cases[] = {
        {"<FONT SIZE=12 COLOR=\"#FF0000\">", "FONT;SIZE=12;COLOR=#FF0000"},
        {"<A HREF='a b' X>", "A;HREF=a b;X="},
        {"<A HREF=\"a b>", "A;HREF=a;b="},  // an opening quote without partner is dropped
        {"<FONT SIZE=>", "FONT;SIZE="},
        {"<FONT SIZE= COLOR=#FFF>", "FONT;SIZE=;COLOR=#FFF"},
        {"<FONT SIZE = 3>", "FONT;SIZE=;=;3="},
        {"<FONT SIZE=3= COLOR=1>", "FONT;SIZE=3=;COLOR=1"},
        {"<FONT X= >", "FONT;X="},
        {"<BR/>", "BR/"},
        {"<  B  >", "B"},
        {"<!-- <B> -->", ""},
        {"<SCRIPT x>", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(TagText(c.tag), c.read) << c.tag;
    const TTag tag(Utf8ToSjis("<FONT size=1 SIZE=2 =3>"));
    ASSERT_TRUE(tag.Find("Size"));
    EXPECT_EQ(*tag.Find("Size"), "1");
    EXPECT_FALSE(tag.Find(""));
    EXPECT_FALSE(TTag::IsTag("<>"));
    EXPECT_TRUE(TTag::IsTag("<B>"));
}

TEST(Unescape, QuotesBackslashesAndNewlines) {
    EXPECT_EQ(UnescapeValue("a\\\"b\\\\c\\nd\\x"), "a\"b\\c\r\nd\\x");
    EXPECT_EQ(UnescapeValue(Utf8ToSjis("ソ\\n")), Utf8ToSjis("ソ") + "\r\n");
    EXPECT_EQ(UnescapeValue("end\\"), "end\\");
}

using MarkupTest = testing::TextTest;

TEST_F(MarkupTest, TagsGiveGlyphsAndStyles) {
    struct Case {
        const char* markup;
        const char* listing;
    } cases[] = {
        {"abc\ndef", "0\t1\ta\t\n1\t1\tb\t\n2\t1\tc\t\n3\t1\t \t\n4\t1\td\t\n5\t1\te\t\n6\t1\tf\t\n"},
        {"<FONT COLOR=#0000FF SIZE=20>a</FONT>b", "0\t1\ta\tsize=20 color=#0000FF\n1\t1\tb\t\n"},
        {"<FONT COLOR=#GG0000>a", "0\t1\ta\t\n"},
        {"<FONT COLOR=#FFF BCOLOR=#123456 SCOLOR=#ABCDEF>a",
         "0\t1\ta\tcolor=#000FFF bcolor=#123456 scolor=#ABCDEF\n"},
        {"<FONT BORDER SHADOW=-3>a</FONT><FONT BORDER=x SHADOW=2>b", "0\t1\ta\tborder=1 shadow=0\n1\t1\tb\tborder=1 shadow=2\n"},
        {"<FONT SIZE=8><FONT COLOR=#FF0000>a</FONT>b</FONT>c</FONT></FONT>d",
         "0\t1\ta\tsize=8 color=#FF0000\n1\t1\tb\tsize=8\n2\t1\tc\t\n3\t1\td\t\n"},
        {"<FONT SIZE=8><FONT SIZE=>a", "0\t1\ta\tsize=8\n"},
        {"<FONT NAME=\"ＭＳ 明朝\">a<FONT NAME>b", "0\t1\ta\tface=ＭＳ\\x20明朝\n1\t1\tb\t\n"},
        {"<B><I><U><S><NOBR>a</B></I></U></S></NOBR>b", "0\t1\ta\tb=1 i=1 u=1 s=1 nobr=1\n1\t1\tb\t\n"},
        {"<RUBY VALUE=かん>漢</RUBY><RUBY>x", "0\t1\t漢\truby=かん\n1\t1\tx\t\n"},
        {"<A HREF=\"go\\\\t\">a</A>b", "0\t1\ta\tlink=go\\t\n1\t1\tb\t\n"},
        {"<WAIT VALUE=-300>a<WAIT VALUE=x>b</WAIT></WAIT>c",
         "0\t1\ta\twait=-300\n1\t1\tb\twait=-300\n2\t1\tc\t\n"},
        {"<DIV ALIGN=RIGHT>a<DIV ALIGN=center></DIV></DIV><DIV ALIGN=up>",
         "0\t2\tRIGHT\t\n1\t1\ta\t\n2\t2\tCENTER\t\n3\t2\tRIGHT\t\n4\t2\tLEFT\t\n5\t2\tLEFT\t\n"},
        {"<BR><BR CLEAR><CLEAR><INDENT><UNDENT>", "0\t3\t\t\n1\t3\tclear\t\n2\t3\tclear\t\n3\t4\t\t\n4\t5\t\t\n"},
        {"<EVENT VALUE=\"a\\nb\" END><EVENT VALUE=x>", "0\t6\t\\x01a\\x0D\\x0Ab\t\n1\t6\tx\t\n"},
        {"<IMG SRC=pic.png ALIGN=TOP><IMG SRC=\"\"><IMG SRC=b.png>", "0\t9\tpic.png\t\n1\t9\tb.png\t\n"},
        {"<VAR NAME=\"\"><B><VAR NAME=score>", "0\t7\tscore\tb=1\n"},
        {"<>x", "0\t1\t<\t\n1\t1\t>\t\n2\t1\tx\t\n"},
        {"</FONT></DIV></WAIT><UNKNOWN>a<BR/>", "0\t2\tLEFT\t\n1\t1\ta\t\n"},
        {"<!-- <B> -->a<SCRIPT>b</SCRIPT>", "0\t1\ta\t\n"},
    };
    for (const Case& c : cases) {
        Parse(c.markup);
        EXPECT_EQ(Listing(), c.listing) << c.markup;
    }
    // Colours are stored with red and blue exchanged; pictures keep their vertical alignment.
    Parse("<FONT COLOR=#0000FF>a<IMG SRC=p ALIGN=CENTER><IMG SRC=q ALIGN=x>");
    EXPECT_EQ(engine.Glyph(0)->Decoration()->Style.Color, 0xFF0000);
    EXPECT_EQ(engine.Glyph(1)->Align(), taCenter);
    EXPECT_EQ(engine.Glyph(2)->Align(), taBottom);
}

TEST_F(MarkupTest, TheMessageSpeedIsTheDefaultWait) {
    vars.SetTextDelay(80);
    Parse("a<WAIT VALUE=10>b");
    EXPECT_EQ(engine.Glyph(0)->Wait(), 80);
    EXPECT_EQ(engine.Glyph(1)->Wait(), 10);
}

TEST_F(MarkupTest, ALinkWithoutTargetStopsParsingWithTheMessage) {
    for (const char* markup : {"ab<A>c", "ab<A HREF=\"\">c", "ab<A HREF>c"}) {
        try {
            Parse(markup);
            FAIL() << markup;
        } catch (const ERuvoError& e) {
            EXPECT_EQ(SjisToUtf8(e.Message()), "<A>タグにHREF値がありません");
        }
        EXPECT_EQ(Glyphs(), "ab") << markup;
    }
}

TEST_F(MarkupTest, EqualStylesShareOneDecoration) {
    Parse("abc<B>de</B>f");
    ASSERT_EQ(engine.Decorations.Count(), 2);
    EXPECT_EQ(engine.Glyph(0)->Decoration(), engine.Glyph(5)->Decoration());
    EXPECT_EQ(engine.Glyph(0)->Decoration()->RefCount, 4);
    EXPECT_EQ(engine.Glyph(3)->Decoration()->RefCount, 2);

    // Changing one glyph: shares an equal decoration, changes its own in place when alone, else appends.
    auto& d = static_cast<TWdChar&>(*engine.Glyph(3));
    auto& e = static_cast<TWdChar&>(*engine.Glyph(4));
    TDecorateStyle red = d.Style();
    red.Color = 0x0000FF;
    d.SetStyle(red);  // two users: a new decoration
    EXPECT_EQ(engine.Decorations.Count(), 3);
    EXPECT_EQ(e.Decoration()->RefCount, 1);
    TDecorate* alone = e.Decoration();
    TDecorateStyle green = e.Style();
    green.Color = 0x00FF00;
    e.SetStyle(green);  // the only user: changed in place
    EXPECT_EQ(e.Decoration(), alone);
    EXPECT_EQ(engine.Decorations.Count(), 3);
    e.SetStyle(red);  // equal to d's: shared, and its own one goes
    EXPECT_EQ(e.Decoration(), d.Decoration());
    EXPECT_EQ(engine.Decorations.Count(), 2);
    EXPECT_EQ(d.Decoration()->RefCount, 2);

    engine.DeleteGlyph(0);
    EXPECT_EQ(engine.Glyph(0)->Decoration()->RefCount, 3);
    engine.Clear();
    EXPECT_EQ(engine.Decorations.Count(), 0);
    EXPECT_EQ(engine.GlyphCount(), 0);
}

TEST_F(MarkupTest, HostileMarkupEndsWithoutCrashOrHang) {
    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "<FONT SIZE=" + std::to_string(10 + i % 50) + ">x";
    for (int i = 0; i < 10000; ++i) deep += "</FONT>";
    deep += "y";
    Parse(deep);
    EXPECT_EQ(engine.GlyphCount(), 10001);
    EXPECT_EQ(engine.Decorations.Count(), 51);
    EXPECT_EQ(engine.Glyph(10000)->Decoration()->Style.Size, 0);

    const std::string cases[] = {
        "<FONT SIZE=100000 BORDER=100000 SHADOW=99999>big", "<", "<<<<<", "a<B", "\"<B>", "<A HREF=\"x>",
        std::string("ab\x82"),  // a lone lead byte at the end
        std::string("\xFF\xFE\x80\xA0\x81"), std::string("<FONT NAME=\x82>\x82\x82"), "<FONT SIZE=-5>a",
        "<!-- never closed <B>", "<PRE><TEXTAREA>a\tb</PRE>",
    };
    for (const std::string& markup : cases) {
        engine.Parse({markup});
        pages.clear();
        engine.AreaWidth = 200;
        engine.AreaHeight = 100;
        engine.ExpandVars(0, -1);
        engine.Layout(pages, 0, -1);
        for (auto& page : pages) page->Render(true);
        for (int i = 0; i < engine.GlyphCount(); ++i) {
            const TWdGlyph& g = *engine.Glyph(i);
            EXPECT_LE(g.Width, kMaxFontHeight * 2 + 3 * kMaxEdgeWidth) << i;
            EXPECT_LE(g.Height, kMaxFontHeight * 2 + 3 * kMaxEdgeWidth) << i;
        }
    }
    engine.Parse({std::string("ab\x82")});
    EXPECT_EQ(engine.GlyphCount(), 3);
    EXPECT_EQ(engine.Glyph(2)->Code(), 0x82);
}

TEST_F(MarkupTest, TextPositionsCountWeightedGlyphs) {
    DeclareStr("v", "xy");
    Parse("a<VAR NAME=v>b<BR>c");
    ASSERT_EQ(engine.GlyphCount(), 5);
    const TWdGlyph* b = engine.Glyph(2);
    EXPECT_EQ(engine.PositionOf(b), 2);
    engine.ExpandVars(0, -1);
    EXPECT_EQ(Glyphs(), "a[7]xyb[3]c");
    EXPECT_EQ(engine.PositionOf(b), 2);
    struct Case {
        int position, index;
    } cases[] = {{-3, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 5}, {4, 6}, {5, -1}};
    for (const Case& c : cases) EXPECT_EQ(engine.GlyphAtPosition(c.position), c.index) << c.position;
    TWdChar stranger(engine);
    EXPECT_EQ(engine.PositionOf(&stranger), 5);
}

} // namespace
} // namespace ruvo
