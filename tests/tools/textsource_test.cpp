// Message text in game source: markup built into the stored glyph form exactly as the engine writes it,
// stored texts of every version written back as markup that builds the same bytes (or as bytes where
// markup cannot say them), the text block, and mistakes named by their line.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "script/expression.hpp"
#include "script/page.hpp"
#include "support/tempdir.hpp"
#include "support/toolrun.hpp"
#include "text/gxword.hpp"
#include "tools/buildcheck.hpp"
#include "tools/pagesource.hpp"
#include "tools/sourcetext.hpp"
#include "tools/textsource.hpp"

namespace ruvo::tools {
namespace {

namespace fs = std::filesystem;
using ruvo::testing::ReadFile;
using ruvo::testing::RunRuvotool;
using ruvo::testing::TempDir;
using ruvo::testing::WriteFile;

class NoFonts final : public TFontCatalog {
public:
    std::optional<TFontFile> Find(std::string_view) override { return std::nullopt; }
};

// The engine the player reads texts with, with no variables: characters wait the default 50 ms.
struct Engine {
    NoFonts catalog;
    TFontPixelManager fonts{catalog};
    TTextServices services{fonts};
    TGxWord word{services};

    std::string Stored(int version) const {
        TMemoryStream s;
        word.WriteStored(s, version);
        return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    }
};

std::vector<std::string> SjisLines(const std::string& utf8) {
    std::vector<std::string> lines(1);
    for (char c : Utf8ToSjis(utf8)) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    return lines;
}

// What the engine itself makes of markup (UTF-8, lines parted by \n).
std::string EngineStored(const std::string& markup, int version = kStoredTextVersion) {
    Engine e;
    e.word.Parse(SjisLines(markup));
    return e.Stored(version);
}

std::string Save(TPage& page) {
    TMemoryStream s;
    page.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

std::unique_ptr<TPage> Build(const std::string& source, std::vector<TBuildWarning>* warnings = nullptr) {
    return BuildPageSource(source, "t.rvs", "t.rsb", nullptr, nullptr, warnings);
}

const std::string& TextOf(const TPage& page, int index) {
    return static_cast<const TComTextIns&>(*page.Items(index)).GlyphText;
}

// A TextIns with its markup in a block.
std::string BlockSource(const std::string& markup) {
    std::string source = "TextIns \"mes\", TRUE \"\"\"\n    ";
    for (char c : markup) source += c == '\n' ? std::string("\n    ") : std::string(1, c);
    return source + "\n    \"\"\"\n";
}

// A page holding one TextIns of these stored bytes.
std::unique_ptr<TPage> PageWithText(const std::string& stored) {
    auto page = std::make_unique<TPage>();
    page->FileName = "t.rsb";
    auto text = page->CreateCommand(TComTextIns::kCode);
    static_cast<TComTextIns&>(*text).GlyphText = stored;
    page->Commands.push_back(std::move(text));
    return page;
}

std::string MarkupBack(const std::string& stored) {
    const auto markup = MarkupOfStoredText(stored);
    if (!markup) return "(none)";
    std::string text;
    for (size_t i = 0; i < markup->lines.size(); ++i) text += (i ? "\n" : "") + SjisToUtf8(markup->lines[i]);
    return text;
}

TEST(TextSource, MarkupBuildsAsTheEngineWritesItAndComesBackAsMarkup) {
    const struct {
        const char* markup;
        const char* back;  // the markup dump writes
    } cases[] = {
        {"「こんにちは」と彼女は言った。", "「こんにちは」と彼女は言った。"},
        // A line break in markup is a space; <BR> breaks, <CLEAR> also ends the page.
        {"一行目。<BR>\n二行目、\n続き。<br clear>次のページ", "一行目。<BR>\n二行目、 続き。<CLEAR>\n次のページ"},
        {"<FONT SIZE=24 COLOR=#FF8000 BCOLOR=#000000 SCOLOR=#202020 NAME=\"ＭＳ 明朝\" BORDER=2 SHADOW=1>飾り</FONT>",
         "<FONT SIZE=24 COLOR=#FF8000 BCOLOR=#000000 SCOLOR=#202020 NAME=\"ＭＳ 明朝\" BORDER=2 SHADOW=1>飾り</FONT>"},
        {"<FONT COLOR=#FF0000>赤<FONT SIZE=30>大</FONT>赤</FONT>黒<FONT BORDER SHADOW=-3>縁</FONT>",
         "<FONT COLOR=#FF0000>赤</FONT><FONT SIZE=30 COLOR=#FF0000>大</FONT><FONT COLOR=#FF0000>赤</FONT>黒"
         "<FONT BORDER=1 SHADOW=0>縁</FONT>"},
        {"<b>太<I>斜<U>下<S>消</S></U></I></B><NOBR>改行なし</NOBR>",
         "<B>太<I>斜<U>下<S>消</S></U></I></B><NOBR>改行なし</NOBR>"},
        // Styles that overlap come back nested.
        {"<B>a<I>b</B>c</I>", "<B>a<I>b</I></B><I>c</I>"},
        {"<RUBY VALUE=\"かんじ\">漢字</RUBY>と<RUBY VALUE='よ み'>読み</RUBY>",
         "<RUBY VALUE=かんじ>漢字</RUBY>と<RUBY VALUE=\"よ み\">読み</RUBY>"},
        {"<A HREF=\"main.rsb:menu\">リンク</A>と<A HREF=\"a\\\\b\\nc\">改行</A>",
         "<A HREF=main.rsb:menu>リンク</A>と<A HREF=\"a\\\\b\\nc\">改行</A>"},
        {"名前は<VAR NAME=\"name\">、<B><VAR NAME='\"点\" ++ score'></B>",
         "名前は<VAR NAME=name>、<B><VAR NAME='\"点\" ++ score'></B>"},
        {"<EVENT VALUE=\"mark\">止まる<EVENT VALUE=\"end\\nnext\" END><EVENT END>",
         "<EVENT VALUE=mark>止まる<EVENT VALUE=\"end\\nnext\" END><EVENT END>"},
        {"<IMG SRC=\"face.png\">と<IMG SRC=\"a b.png\" ALIGN=CENTER><A HREF=x><IMG SRC=y ALIGN=top></A>",
         "<IMG SRC=face.png>と<IMG SRC=\"a b.png\" ALIGN=CENTER><A HREF=x><IMG SRC=y ALIGN=TOP></A>"},
        {"<WAIT VALUE=200>ゆっくり<WAIT VALUE=-300>固定</WAIT></WAIT>普通",
         "<WAIT VALUE=200>ゆっくり</WAIT><WAIT VALUE=-300>固定</WAIT>普通"},
        // Alignment glyphs: a DIV pushes, a /DIV pops.
        {"<DIV ALIGN=CENTER>中央<DIV ALIGN=RIGHT>右</DIV>中央</DIV>左<DIV ALIGN=LEFT>",
         "<DIV ALIGN=CENTER>中央<DIV ALIGN=RIGHT>右</DIV>中央</DIV>左<DIV ALIGN=LEFT>"},
        {"「<INDENT>字下げした文<UNDENT>", "「<INDENT>字下げした文<UNDENT>"},
        // Escapes and quotes: inside double quotes text is taken as it is, spaces and tags too.
        {"\\<tag\\> a\\\\b \\% \\{\\}", "\\<tag> a\\\\b % {}"},
        {"He said \"hi <B>there</B>  \" to <B>me</B>", "He said \"hi <B>there</B>  \" to <B>me</B>"},
        {"a<!-- note -->b<SCRIPT>x</SCRIPT>c", "abc"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.markup);
        auto page = Build(BlockSource(c.markup));
        const std::string& stored = TextOf(*page, 0);
        EXPECT_EQ(ToHex(stored), ToHex(EngineStored(c.markup)));
        EXPECT_EQ(MarkupBack(stored), c.back);

        const std::string source = WritePageSource(*page);
        EXPECT_EQ(source.find("hex\""), std::string::npos) << source;
        EXPECT_EQ(Save(*Build(source)), Save(*page)) << source;
    }
}

// Every kind of glyph with every style attribute somewhere.
const char kEveryKind[] =
    "<FONT SIZE=20 COLOR=#102030 BCOLOR=#405060 SCOLOR=#708090 NAME=\"ＭＳ 明朝\" BORDER=2 SHADOW=3>"
    "<B><I><U><S><NOBR><RUBY VALUE=かな>漢</RUBY></NOBR></S></U></I></B>a</FONT>"
    "<A HREF=link><WAIT VALUE=-40>x<VAR NAME=\"score + 1\"></WAIT></A><BR><BR CLEAR><DIV ALIGN=RIGHT></DIV>"
    "<INDENT><UNDENT><EVENT VALUE=mark END><EVENT VALUE=go><IMG SRC=\"pic\\a.png\" ALIGN=CENTER>";

TEST(TextSource, StoredTextsOfEveryVersionComeBackAsMarkup) {
    for (int version : {0, 99, 100, 101, 102, 103}) {
        SCOPED_TRACE(version);
        const std::string stored = EngineStored(kEveryKind, version);
        auto page = PageWithText(stored);
        const std::string source = WritePageSource(*page);
        EXPECT_EQ(source.find("hex\""), std::string::npos) << source;
        const bool tagged = source.find("[textversion=" + std::to_string(version) + "]") != std::string::npos;
        EXPECT_EQ(tagged, version != kStoredTextVersion) << source;
        EXPECT_EQ(ToHex(TextOf(*Build(source), 0)), ToHex(stored)) << source;
    }
    // Fields an old form does not keep are left out of the markup: no shadow before 100, no link and
    // wait of a variable at 100.
    EXPECT_EQ(MarkupBack(EngineStored("<FONT SHADOW=2 SCOLOR=#FFFFFF BORDER=3>x</FONT>", 0)), "<FONT BORDER=1>x</FONT>");
    EXPECT_EQ(MarkupBack(EngineStored("<A HREF=q><WAIT VALUE=9><VAR NAME=a></WAIT></A>", 100)), "<VAR NAME=a>");
}

TEST(TextSource, WhatMarkupCannotSayStaysBytes) {
    auto withGlyph = [](const std::string& markup, auto change) {
        Engine e;
        e.word.Parse(SjisLines(markup));
        change(*e.word.Glyph(0));
        return e.Stored(kStoredTextVersion);
    };
    const std::string valid = EngineStored("x");
    const struct {
        const char* what;
        std::string stored;
    } cases[] = {
        {"no stored text", std::string("\0\x01\x02\x03\xff", 5)},
        {"bytes after the text", valid + "!"},
        {"a header of version 0", "GxWord000" + EngineStored("x", 0)},
        {"a tab in PRE: eight spaces in a row", EngineStored("<PRE>a\tb</PRE>")},
        {"two spaces around tags that change nothing", EngineStored("a <B></B> b")},
        {"a colour beyond #FFFFFF", withGlyph("x", [](TWdGlyph& g) {
             TDecorateStyle s;
             s.Color = 0x01000000;
             static_cast<TWdChar&>(g).SetStyle(s);
         })},
        {"a line feed in an event value", withGlyph("<EVENT VALUE=a>", [](TWdGlyph& g) {
             static_cast<TWdOpeEvent&>(g).SetValue("a\nb");
         })},
        {"a style bit no tag sets", withGlyph("x", [](TWdGlyph& g) {
             TDecorateStyle s;
             s.Style = 16;
             static_cast<TWdChar&>(g).SetStyle(s);
         })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(MarkupOfStoredText(c.stored));
        auto page = PageWithText(c.stored);
        const std::string source = WritePageSource(*page);
        EXPECT_NE(source.find("hex\"" + ToHex(c.stored) + "\""), std::string::npos) << source;
        EXPECT_EQ(Save(*Build(source)), Save(*page)) << source;
    }
    // No text at all is what a TextIns without one holds: nothing is written for it.
    auto empty = PageWithText("");
    EXPECT_EQ(Save(*Build(WritePageSource(*empty))), Save(*empty));
    // Every cut of a text is refused by the engine and kept as bytes.
    const std::string whole = EngineStored(kEveryKind);
    for (size_t n = 0; n < whole.size(); ++n) {
        EXPECT_FALSE(MarkupOfStoredText(whole.substr(0, n))) << n;
        auto cut = PageWithText(whole.substr(0, n));
        ASSERT_EQ(Save(*Build(WritePageSource(*cut))), Save(*cut)) << n;
    }
    EXPECT_EQ(TextListing(std::string("\0\x01", 2)), "2 bytes hex\"0001\"");
    EXPECT_EQ(TextListing(EngineStored("<B>太字</B>")), "\"<B>太字</B>\"");
    EXPECT_EQ(TextListing(EngineStored("a<BR>b", 101)), "\"a<BR>\\nb\" (glyph form 101)");
}

TEST(TextSource, BlocksLiteralsAndTheFieldsAfterThem) {
    auto page = Build(
        "If 1\n"
        "    [textversion=101] TextIns \"mes\", FALSE, TRUE, blocks: TRUE \"\"\"\n"
        "        <PRE>\n"
        "          two spaces kept\n"
        "\n"
        "        # text, not a comment\n"
        "        \"\"\"\n"
        "TextIns \"a\\nb\\\\<c\", \"mes\"\n"
        "TextIns \"\"\"\n"
        "\"\"\"\n"
        "Calc x = 1\n");
    ASSERT_EQ(page->Count(), 5);
    const auto& text = static_cast<const TComTextIns&>(*page->Items(1));
    EXPECT_EQ(text.Depth, 1);
    EXPECT_EQ(ToHex(text.GlyphText), ToHex(EngineStored("<PRE>\n  two spaces kept\n\n# text, not a comment", 101)));
    EXPECT_EQ(ExpressionText(text.Window), "\"mes\"");
    EXPECT_EQ(ExpressionText(text.RecordInHistory), "FALSE");
    EXPECT_EQ(ExpressionText(text.Wait), "TRUE");
    EXPECT_EQ(ExpressionText(text.BlocksEventsExpr), "TRUE");
    // A one-line text is a string literal whose \n parts the markup's lines.
    EXPECT_EQ(ToHex(TextOf(*page, 2)), ToHex(EngineStored("a\nb\\<c")));
    EXPECT_EQ(ToHex(TextOf(*page, 3)), ToHex(EngineStored("")));
    EXPECT_EQ(page->Items(4)->Line, 11);

    // dump --source writes a block for long or quoted markup and keeps short markup on the line.
    const std::string source = WritePageSource(*page);
    EXPECT_NE(source.find("[textversion=101] TextIns \"mes\", FALSE, TRUE, TRUE \"\"\"\n"), std::string::npos) << source;
    EXPECT_NE(source.find("TextIns \"mes\" \"\"\"\n    a b\\<c\n    \"\"\"\n"), std::string::npos) << source;
    EXPECT_EQ(Save(*Build(source)), Save(*page)) << source;
}

TEST(TextSource, MistakesNameTheirLine) {
    const struct {
        const char* source;
        const char* error;  // nullptr: it builds, with the warning
        const char* warning;
    } cases[] = {
        {"Calc a = 1\nTextIns \"mes\" \"\"\"\n    <B>ok</B>\n    <A NAME=x>link</A>\n    \"\"\"\n",
         "t.rvs:4: <A>タグにHREF値がありません in <A NAME=x>", nullptr},
        {"TextIns \"<A HREF=>x\"\n", "t.rvs:1: <A>タグにHREF値がありません", nullptr},
        {"TextIns \"\"\"\n        deep\n    shallow\n        \"\"\"\n",
         "t.rvs:3: the line is indented less than the \"\"\" that closes its text", nullptr},
        {"Calc a = 1\nTextIns \"mes\" \"\"\"\n    never closed\n", "t.rvs:2: the \"\"\" text of this command is never closed",
         nullptr},
        {"TextIns text: \"b\" \"\"\"\nx\n\"\"\"\n", "t.rvs:1: text is given twice", nullptr},
        {"[textversion=100] TextIns hex\"00\"\n", "t.rvs:1: [textversion] is for a text written as markup", nullptr},
        {"[textversion=1000] TextIns \"x\"\n", "t.rvs:1: 1000 is outside 0..999", nullptr},
        {"[textversion=100] Calc a = 1\n", "t.rvs:1: only TextIns has a [textversion]", nullptr},
        {"TextIns \"😀\"\n", "t.rvs:1: the character \"😀\" has no Shift-JIS form", nullptr},
        {"TextIns \"\"\"\n    a\n    b 😀\n    \"\"\"\n", "t.rvs:3: the character", nullptr},
        {"TextIns \"mes\" \"\"\"\n    fine\n    <BOLD>x</BOLD>\n    \"\"\"\n", nullptr,
         "t.rvs:3: warning: unknown tag <BOLD> is ignored"},
        {"TextIns \"<BR/>\"\n", nullptr, "t.rvs:1: warning: unknown tag <BR/> is ignored"},
        {"TextIns \"\"\"\n    a\n    1 < 2 is true\n    \"\"\"\n", nullptr,
         "t.rvs:3: warning: a < is never closed by >: it and the text after it show as characters"},
        {"TextIns \"\"\"\n    a \"quote\n    <B>b</B>\n    \"\"\"\n", nullptr,
         "t.rvs:2: warning: a \" is never closed: the text after it shows as written, tags too"},
        {"TextIns \"\"\"\n    <VAR NAME=\"1 +\">\n    \"\"\"\n", nullptr,
         "t.rvs:2: warning: the expression of <VAR NAME=\"1 +\"> does not compile, so it shows nothing: 構文エラー"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        std::vector<TBuildWarning> warnings;
        try {
            Build(c.source, &warnings);
            EXPECT_EQ(c.error, nullptr) << "built";
        } catch (const ESourceError& e) {
            ASSERT_NE(c.error, nullptr) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
            continue;
        }
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0].Text().substr(0, std::string(c.warning).size()), c.warning) << warnings[0].Text();
    }
    // An unmatched quote before plain text only is taken as meant; so is an unclosed <B>.
    std::vector<TBuildWarning> none;
    Build("TextIns \"\"\"\n    <B>He said \"hi\n    and left\n    \"\"\"\n", &none);
    EXPECT_TRUE(none.empty());
}

TEST(TextSource, GamesBuildTheirTextsAndDumpThemBack) {
    TempDir dir;
    WriteFile(dir / "src" / "project.rvp", "start = \"main.rsb\"\n");
    WriteFile(dir / "src" / "main.rvs",
              "MesNew PR_NAME = \"mes\"\n"
              "TextIns \"mes\", TRUE, TRUE \"\"\"\n"
              "    「ようこそ」<RUBY VALUE=\"るぼ\">ruvo</RUBY>の<FONT COLOR=#FF0000>世界</FONT>へ。<BR>\n"
              "    <A HREF=\"next\">次へ</A>\n"
              "    \"\"\"\n"
              "TextIns \"Hello, <B>world</B>.\", \"mes\"\n");
    const auto build = RunRuvotool("build --werror '" + (dir / "src").string() + "' -o '" + (dir / "one").string() + "' --loose");
    ASSERT_EQ(build.code, 0) << build.out;
    const std::string page = (dir / "one" / "main.rsb").string();

    const auto listing = RunRuvotool("dump '" + page + "'");
    EXPECT_NE(listing.out.find("text: \"「ようこそ」<RUBY VALUE=るぼ>ruvo</RUBY>の<FONT COLOR=#FF0000>世界</FONT>へ。<BR>\\n"
                               "<A HREF=next>次へ</A>\""),
              std::string::npos)
        << listing.out;
    EXPECT_EQ(RunRuvotool("dump --ops '" + page + "'").out.find("bytes hex"), std::string::npos);

    const auto source = RunRuvotool("dump --source '" + page + "'", false);
    ASSERT_EQ(source.code, 0);
    EXPECT_NE(source.out.find("TextIns \"Hello, <B>world</B>.\", \"mes\""), std::string::npos) << source.out;
    WriteFile(dir / "again" / "main.rvs", source.out);
    WriteFile(dir / "again" / "project.rvp", "start = \"main.rsb\"\n");
    ASSERT_EQ(RunRuvotool("build --werror '" + (dir / "again").string() + "' -o '" + (dir / "two").string() + "' --loose").code, 0);
    EXPECT_EQ(ReadFile(dir / "two" / "main.rsb"), ReadFile(dir / "one" / "main.rsb"));

    // A markup warning, and --werror making it an error.
    WriteFile(dir / "src" / "main.rvs", "Calc a = 1\nTextIns \"\"\"\n    <FONT COLOUR=#FF0000><BLINK>x\n    \"\"\"\n");
    const auto warned = RunRuvotool("build --werror '" + (dir / "src").string() + "' -o '" + (dir / "three").string() + "'");
    EXPECT_EQ(warned.code, 1);
    EXPECT_NE(warned.out.find("main.rvs:3: warning: unknown tag <BLINK> is ignored"), std::string::npos) << warned.out;
    EXPECT_FALSE(fs::exists(dir / "three"));
}

} // namespace
} // namespace ruvo::tools
