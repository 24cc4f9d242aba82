#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "params/exprbuild.hpp"
#include "script/page.hpp"
#include "params/properties.hpp"
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

} // namespace
} // namespace ruvo::tools
