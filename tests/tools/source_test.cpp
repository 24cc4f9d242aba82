#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "params/exprbuild.hpp"
#include "script/page.hpp"
#include "params/properties.hpp"
#include "tools/exprdiag.hpp"
#include "tools/pagesource.hpp"
#include "tools/projectsource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {
namespace {

std::string Save(TPage& page) {
    TMemoryStream s;
    page.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

std::unique_ptr<TPage> Build(const std::string& source) { return BuildPageSource(source, "t.rvs", "t.rsb"); }

// An expression whose infix form cannot give the same operations back: its string holds a lone LF.
TExpression LoneLineFeed() {
    std::string bytes = std::string("\x01\x00\x00\x00", 4) + '\x01' + std::string("\x07\x00\x00\x00", 4) + "____arg" +
                        std::string("\x01\x00\x00\x00", 4) + '\x04' + std::string("\x03\x00\x00\x00", 4) + "a\nb";
    TReadOnlyMemoryStream s(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int64_t>(bytes.size()));
    TExpression e;
    e.LoadFromStream(s);
    return e;
}

// Every field of every code with awkward values: what dump --source writes builds the same bytes.
class AwkwardFiller final : public TRecordVisitor {
public:
    int k = 0;
    TExpression Next() {
        ++k;
        if (k % 7 == 0) return LoneLineFeed();
        if (k % 5 == 0) return TExpression();
        return CompileExpression(k % 2 ? "a + " + std::to_string(k) : "Trim(\"x\" ++ b[1, 2]) == \"\x93\xfa\"");
    }
    void Expr(const char*, TExpression& v, int32_t) override { v = Next(); }
    void Str(const char*, std::string& v) override {
        ++k;
        v = k % 3 == 0 ? std::string("tab\there \"q\" \\ \x81") : "\x93\xfa\x96\x7b";  // also a cut character
    }
    void Int(const char*, int32_t& v, int32_t, FieldHint) override { v = (k++ % 2) ? -7 * k : 0; }
    void Byte(const char*, uint8_t& v, FieldHint) override { v = static_cast<uint8_t>(k++ % 6); }
    void ExprList(const char*, TExprList& list) override {
        for (int i = 0; i < (k % 3); ++i) list.push_back(std::make_unique<TExpression>(Next()));
        ++k;
    }
    void Blob(const char*, std::string& v) override { v = (k++ % 2) ? std::string("\0\x01\xff", 3) : "plain"; }
    void Properties(TPropertyExprs& slots) override {
        for (auto& s : slots) *s.expr = Next();
    }
};

TEST(PageSource, WrittenSourceBuildsTheSameBytesForEveryCodeAndVersion) {
    for (int32_t version = kPageMinVersion; version <= kPageMaxVersion; ++version) {
        SCOPED_TRACE(version);
        TPage page;
        page.FileName = "all.rsb";
        page.Version = version;
        page.ReturnType = static_cast<uint8_t>(version % 6);
        page.StoredMaskCount = version == 104 ? 40 : kMaskCount;
        for (int code = 0; code < page.StoredMaskCount; ++code)
            for (int bit : {0, 2, 50, 95, 161, 166}) MaskSet(page.PropertyMasks[code], bit);
        AwkwardFiller filler;
        const char* const labels[] = {"start", " spaced ", "line\nbreak", "", "\x82\xa0"};
        for (int code = 0; code < kMaskCount; ++code) {
            for (int copy = 0; copy < 2; ++copy) {
                auto c = page.CreateCommand(code);
                c->Depth = (code * 7 + copy) % 4 - (code == 17 ? 3 : 0);
                c->Line = code % 4 == 0 ? 0 : 3 * code + copy + 5;
                c->Cont = static_cast<uint8_t>((code + copy) % 3);
                c->Disabled = static_cast<uint8_t>((code * copy) % 3);
                c->VisitRecord(filler);
                if (code == TComLabel::kCode || code == TComComment::kCode)
                    static_cast<TComLabel&>(*c).Text = labels[(code + copy + version) % 5];
                page.Commands.push_back(std::move(c));
            }
        }
        std::string bytes = Save(page);
        std::string source = WritePageSource(page);
        std::unique_ptr<TPage> rebuilt;
        try {
            rebuilt = BuildPageSource(source, "all.rvs", "all.rsb");
        } catch (const std::exception& e) {
            FAIL() << e.what() << "\n" << source;
        }
        ASSERT_EQ(rebuilt->Count(), page.Count());
        for (int i = 0; i < page.Count(); ++i) {
            TMemoryStream a, b;
            page.Items(i)->Save(a);
            rebuilt->Items(i)->Save(b);
            auto hex = [](TMemoryStream& m) { return ToHex(std::string(reinterpret_cast<const char*>(m.Memory()), m.Size())); };
            ASSERT_EQ(hex(b), hex(a)) << "command " << i << " (" << page.Items(i)->Name() << ")\n" << source;
        }
        EXPECT_TRUE(Save(*rebuilt) == bytes) << "page header or masks differ\n" << source;
    }
}

TEST(PageSource, BuilderFillsLoopTargetsFlagsLinesAndMasks) {
    auto page = Build(
        "# counting\n"
        "WhileInit i = 0\n"
        "While i < 3\n"
        "  If i == 1\n"
        "    Continue\n"
        "  Break i == 2\n"
        "  WhileLoop i = i + 1\n"
        "Wait time: 100\n"
        "ImgNew PR_NAME = \"a\"\n"
        "ImgNew {\n"
        "      PR_LEFT = 5\n"
        "  PR_ZOOMX =\n"
        "}\n"
        "[disabled] [cont] [line=99] Wait\n"
        "Exit\n");
    ASSERT_EQ(page->Count(), 11);
    auto& loop = static_cast<TComWhile&>(*page->Items(1));
    EXPECT_EQ(loop.ExitIndex, 6);
    EXPECT_EQ(static_cast<TComContinue&>(*page->Items(3)).Target, 5);
    EXPECT_EQ(static_cast<TComBreak&>(*page->Items(4)).Target, 6);
    EXPECT_EQ(static_cast<TComWhileLoop&>(*page->Items(5)).LoopIndex, 1);
    EXPECT_EQ(page->Items(3)->Depth, 2);
    EXPECT_EQ(page->Items(1)->Line, 3);

    EXPECT_EQ(page->Items(6)->Cont, 0);  // a Wait ends the frame by default
    EXPECT_EQ(page->Items(2)->Cont, 1);
    auto& img1 = static_cast<TComImgNew&>(*page->Items(7));
    auto& img2 = static_cast<TComImgNew&>(*page->Items(8));
    ASSERT_EQ(img1.Properties.size(), 3u);  // PR_NAME, PR_LEFT, PR_ZOOMX: the union of both commands
    EXPECT_TRUE(img1.Property(3)->Empty());
    EXPECT_FALSE(img2.Property(3)->Empty());
    EXPECT_TRUE(img2.Property(7)->Empty());
    EXPECT_EQ(page->Items(8)->Line, 10);

    auto& tagged = *page->Items(9);
    EXPECT_EQ(tagged.Disabled, 1);
    EXPECT_EQ(tagged.Cont, 1);
    EXPECT_EQ(tagged.Line, 99);
    EXPECT_FALSE(static_cast<TComExit&>(*page->Items(10)).Condition.Empty());  // Exit exits
}

TEST(PageSource, ErrorsNameTheFileAndLine) {
    struct Case {
        const char* source;
        int line;
        const char* fragment;
    } cases[] = {
        {"Calc a = 1\nImgNw PR_NAME = \"x\"\n", 2, "unknown command"},
        {"\nCalc a = \"\xF0\x9F\x98\x80\"\n", 2, "Shift-JIS"},
        {"If a\n   Calc b = 1\n  Calc c = 1\n", 3, "indentation"},
        {"Exit a, b\n", 1, "too many arguments"},
        {"ImgNew PR_NOPE = 1\n", 1, "unknown property"},
        {"%version 106\nWait blocks: TRUE\n", 2, "version 107"},
        {"Calc a = 1\nBreak\n", 2, "While"},
        {"ImgNew {\nPR_NAME = \"a\"\n", 1, "never closed"},
        {"Calc a = (1\n", 1, "\xE6\xA7\x8B\xE6\x96\x87\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC"},  // 構文エラー
        {"Calc a = (1\n", 1, "\"(\" at column 5 is never closed"},
        {"If a ==  # compare\n", 1, "\"==\" at column 3 has no value on its right"},
        {"Jump \"a.rsb\", foo: 1\n", 1, "no field named foo"},
        {"Jump \"a.rsb\", *there\n", 1, "label"},
        {"VarNew \"x\", int, 1, 300\n", 1, "outside"},
        {"Label \"open\n", 1, "closing double quote"},
        {"%colour red\n", 1, "directive"},
    };
    for (const auto& c : cases) {
        try {
            Build(c.source);
            ADD_FAILURE() << c.source << ": built";
        } catch (const ESourceError& e) {
            EXPECT_EQ(e.Line(), c.line) << c.source << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find("t.rvs:" + std::to_string(c.line) + ":"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.fragment), std::string::npos) << c.source << ": " << e.what();
        }
    }
}

TEST(ProjectSource, WrittenSourceBuildsTheSameFileAtEveryVersion) {
    for (int32_t version : {103, 104, 106, 109, 110}) {
        TProjectFile p;
        p.Version = version;
        p.Title = "\x83\x51\x81\x5b\x83\x80";  // ゲーム
        p.StartPage = "start.rsb";
        p.ExitPage = version >= 110 ? "exit.rsb" : "";
        p.WriteStatus = 0;
        p.IdleSleep = version >= 106 ? 2 : 0;
        p.StreamedExts = version >= 109 ? ".ogg" : ".wav.wma.ogg.mid";
        p.DiscPrompt = "disc %d";
        p.QuitPrompt = "";
        p.Variables = {{1, "n", -5, 0, 0, ""},     {2, "f", 0, 0.1L, 0, ""},      {2, "big", 0, 1e300L * 1e300L, 0, ""},
                       {3, "g", 0, 0, 7, ""},      {4, "s p", 0, 0, 0, "a\"b"}, {9, "\x96\xbc", 0, 0, 0, ""}};
        p.FolderDisks.Add("bgm\\x", 2);
        TMemoryStream want;
        p.SaveToStream(want);
        std::string source = WriteProjectSource(p);
        TProjectFile back = BuildProjectSource(source, "p.rvp");
        TMemoryStream got;
        back.SaveToStream(got);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(got.Memory()), got.Size()),
                  std::string(reinterpret_cast<const char*>(want.Memory()), want.Size()))
            << source;
    }
}

TEST(ProjectSource, DefaultsAndErrors) {
    TProjectFile p = BuildProjectSource("start = \"main.rsb\"\nscreen = 320, 240\n", "p.rvp");
    EXPECT_EQ(p.Version, 110);
    EXPECT_EQ(p.FullScreenWidth, 320);
    EXPECT_EQ(p.WriteStatus, 1);
    EXPECT_EQ(p.QuitPrompt, "\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7");  // 終了します
    EXPECT_THROW(BuildProjectSource("title = \"x\"\n", "p.rvp"), ESourceError);
    try {
        BuildProjectSource("start = \"a\"\n\nvar int n = abc\n", "p.rvp");
        FAIL();
    } catch (const ESourceError& e) {
        EXPECT_EQ(e.Line(), 3);
    }
}

TEST(SourceText, LiteralsAndSplitting) {
    size_t pos = 0;
    EXPECT_EQ(ParseStringLiteral("\"a\\x81\\\"\\\\b\" rest", pos), "a\x81\"\\b");
    EXPECT_EQ(pos, 12u);
    EXPECT_EQ(FormatStringLiteral("a\x81\"\\\n"), "\"a\\x81\\x22\\\\\\n\"");  // 0x81 takes the quote as its trail byte
    EXPECT_EQ(SplitTopLevel("f(a, b), [c, d], \"e, f\", g"),
              (std::vector<std::string>{"f(a, b)", "[c, d]", "\"e, f\"", "g"}));
    EXPECT_EQ(SplitTopLevel("a, , "), (std::vector<std::string>{"a", "", ""}));
    EXPECT_TRUE(SplitTopLevel("  ").empty());
}


TEST(SourceText, DiagnosesExpressionsThatDoNotCompile) {
    const struct {
        const char* expr;
        const char* diagnosis;
    } cases[] = {
        {"a = (1 + 2", "\"(\" at column 5 is never closed"},
        {"a = 1 +", "\"+\" at column 7 has no value on its right"},
        {"a b", "two values with no operator between them: \"b\" at column 3"},
        {"a = b = 1", "\"=\" at column 7: an expression assigns only once"},
        {"f(a = 1)", "\"=\" at column 5: an assignment cannot stand inside brackets or arguments"},
        {"x = \"日本", "the string starting at column 5 is never closed"},
        {"\"日本\" b", "two values with no operator between them: \"b\" at column 6"},  // columns count characters
        {"a != b", "\"!=\" at column 3: \"not equal\" is written <>"},
        {"a && b", "\"&&\" at column 3 is not an operator"},
        {"(a]", "\"]\" at column 3 does not close \"(\" at column 1"},
        {"a)", "\")\" at column 2 closes nothing"},
        {"* 2", "\"*\" at column 1 has no value on its left"},
        {"[1]", "\"[\" at column 1 follows no array name"},
        {"a, b", "\",\" at column 2: a comma separates only"},
        {"a = ()", "\"(\" at column 5 encloses nothing"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(DiagnoseExpression(c.expr).find(c.diagnosis), std::string::npos)
            << c.expr << " -> " << DiagnoseExpression(c.expr);
        // The compiler leaves a quote without a partner alone; the builder warns about it instead.
        if (std::string(c.diagnosis).find("string") == std::string::npos) {
            EXPECT_THROW(CompileExpression(SourceToSjis(c.expr)).Empty(), ERuvoError) << c.expr;
        }
    }
    // What compiles is not found fault with.
    for (const char* fine : {"a = -b * (c + 1)", "f(, 1)", "m[i, j + 1] = Trim(\"a, b\")", "Random(6) <> 0", "x = \"\\\"\""})
        EXPECT_EQ(DiagnoseExpression(fine), "") << fine;
}

TEST(PageSource, DepthsThatIndentationCannotSayComeBackExactly) {
    // The first indented command is two levels deep (the step is not known yet), depths jump, go
    // negative and reach the int32 limit; blocks of properties sit under them.
    const int32_t depths[] = {0, 2, 0, 1, 4, 1, -3, INT32_MAX, 33, 0, INT32_MIN, 2};
    TPage page;
    page.FileName = "deep.rsb";
    for (int32_t depth : depths) {
        auto c = page.CreateCommand(TComCalc::kCode);
        static_cast<TComCalc&>(*c).Expression = CompileExpression("a = 1");
        c->Depth = depth;
        page.Commands.push_back(std::move(c));
    }
    auto img = page.CreateCommand(TComImgNew::kCode);
    for (int id : {0, 3, 4, 5}) {
        MaskSet(page.PropertyMasks[TComImgNew::kCode], id);
        static_cast<TComImgNew&>(*img).Properties.push_back({id, std::make_unique<TExpression>(CompileExpression("1"))});
    }
    img->Depth = INT32_MAX - 1;
    page.Commands.push_back(std::move(img));

    const std::string source = WritePageSource(page);
    EXPECT_LT(source.size(), 4000u) << "indentation is capped";
    EXPECT_NE(source.find("        [depth=2] "), std::string::npos) << source;
    const auto rebuilt = BuildPageSource(source, "deep.rvs", "deep.rsb");
    EXPECT_EQ(Save(*rebuilt), Save(page)) << source;
}

TEST(PageSource, CharactersWithTwoShiftJisCodesKeepTheirBytes) {
    // NEC and IBM duplicates: 87 90 and 81 E0 are both U+2252; ED 40 and FA 5C are both U+7E8A.
    const std::string twins[] = {"\x87\x90", "\x87\x91", "\x87\x9a", "\xed\x40", "\xee\xef", "\xfa\x54"};
    for (const std::string& twin : twins) {
        SCOPED_TRACE(ToHex(twin));
        TPage page;
        page.FileName = "twin.rsb";
        auto label = page.CreateCommand(TComLabel::kCode);
        static_cast<TComLabel&>(*label).Text = "a" + twin;
        auto comment = page.CreateCommand(TComComment::kCode);
        static_cast<TComLabel&>(*comment).Text = twin;
        auto var = page.CreateCommand(TComVarNew::kCode);
        static_cast<TComVarNew&>(*var).VarName = "v" + twin;
        static_cast<TComVarNew&>(*var).InitialValue = CompileExpression("\"" + twin + "\" ++ x");
        auto text = page.CreateCommand(TComTextIns::kCode);
        static_cast<TComTextIns&>(*text).GlyphText = "t" + twin;
        for (auto* c : {&label, &comment, &var, &text}) page.Commands.push_back(std::move(*c));

        const std::string source = WritePageSource(page);
        EXPECT_EQ(Save(*BuildPageSource(source, "twin.rvs", "twin.rsb")), Save(page)) << source;
        EXPECT_EQ(FormatStringLiteral(twin), "\"\\x" + ToHex(twin.substr(0, 1)) + "\\x" + ToHex(twin.substr(1)) + "\"");
    }
    // A character with one code stays readable.
    EXPECT_EQ(FormatStringLiteral("\x81\xe0"), "\"≒\"");
}

TEST(PageSource, TrailingCommentsAndFolderSlashesInPageNames) {
    std::vector<TLabelRef> refs;
    auto page = BuildPageSource(
        "%version 110   # the newest\n"
        "*top # a label's text runs to the end of the line\n"
        "// so does # a comment's\n"
        "Calc s = \"a # b\"   # but a command may end in a comment\n"
        "Jump \"sub/next.rsb\", 0   # \"/\" parts folders, as \\ does\n"
        "Call \"sub\\\\next.rsb\", *here\n"
        "ImgNew {   # the block\n"
        "    PR_NAME = \"i#1\"  # a name with #\n"
        "}\n",
        "c.rvs", "c.rsb", &refs);
    ASSERT_EQ(page->Count(), 6);
    EXPECT_EQ(static_cast<TComLabel&>(*page->Items(0)).Text, "top # a label's text runs to the end of the line");
    EXPECT_EQ(static_cast<TComLabel&>(*page->Items(1)).Text, "so does # a comment's");
    EXPECT_EQ(ExpressionText(static_cast<TComCalc&>(*page->Items(2)).Expression), "s = \"a # b\"");
    EXPECT_EQ(static_cast<TComJump&>(*page->Items(3)).PageName, "sub\\next.rsb");
    ASSERT_EQ(refs.size(), 1u);
    EXPECT_EQ(refs[0].page, "sub\\next.rsb");
    EXPECT_EQ(ExpressionText(*static_cast<TComImgNew&>(*page->Items(5)).Property(0)), "\"i#1\"");

    // A stored name that really holds "/" is written so that it reads back as "/".
    auto jump = page->CreateCommand(TComJump::kCode);
    static_cast<TComJump&>(*jump).PageName = "odd/name.rsb";
    page->Commands.push_back(std::move(jump));
    const std::string source = WritePageSource(*page);
    EXPECT_EQ(static_cast<TComJump&>(*BuildPageSource(source, "c.rvs", "c.rsb", &refs)->Items(6)).PageName, "odd/name.rsb")
        << source;

    const TProjectFile p = BuildProjectSource("start = \"sub/main.rsb\"   # first page\ntitle = \"a # b\"\n", "p.rvp");
    EXPECT_EQ(p.StartPage, "sub\\main.rsb");
    EXPECT_EQ(p.Title, "a # b");
}

} // namespace
} // namespace ruvo::tools
