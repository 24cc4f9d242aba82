#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "params/exprbuild.hpp"
#include "script/page.hpp"
#include "params/properties.hpp"
#include "script/staterecord.hpp"
#include "bytes.hpp"

namespace ruvo {
namespace {

using testing::Bytes;

void Load(TPage& page, const Bytes& bytes, const std::string& name = "p.rsb") {
    TMemoryStream s = bytes.Stream();
    page.LoadFromStream(name, s);
}

std::string Save(TPage& page) {
    TMemoryStream s;
    page.SaveToStream(s);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// What a record holds, field by field, as text: compares what was read, not only the bytes.
class FieldTexts final : public TRecordVisitor {
public:
    explicit FieldTexts(int32_t version) : version_(version) {}
    std::vector<std::string> items;
    void Expr(const char* n, TExpression& v, int32_t since) override {
        if (version_ >= since) items.push_back(std::string(n) + "=" + v.Listing());
    }
    void Str(const char* n, std::string& v) override { items.push_back(std::string(n) + "=" + v); }
    void Int(const char* n, int32_t& v, int32_t since, FieldHint) override {
        if (version_ >= since) items.push_back(std::string(n) + "=" + std::to_string(v));
    }
    void Byte(const char* n, uint8_t& v, FieldHint) override { items.push_back(std::string(n) + "=" + std::to_string(v)); }
    void ExprList(const char* n, TExprList& list) override {
        for (auto& e : list) items.push_back(std::string(n) + "[]=" + e->Listing());
    }
    void Blob(const char* n, std::string& v) override { items.push_back(std::string(n) + "=" + v); }
    void Properties(TPropertyExprs& slots) override {
        for (auto& s : slots) items.push_back(std::string(PropertyName(s.id)) + "=" + s.expr->Listing());
    }

private:
    int32_t version_;
};

// Gives every field a distinct non-default value.
class Filler final : public TRecordVisitor {
public:
    int k = 1;
    TExpression Next() { return CompileExpression("a + " + std::to_string(k++)); }
    void Expr(const char*, TExpression& v, int32_t) override { v = Next(); }
    void Str(const char*, std::string& v) override { v = "s" + std::to_string(k++); }
    void Int(const char*, int32_t& v, int32_t, FieldHint) override { v = 7 * k++; }
    void Byte(const char*, uint8_t& v, FieldHint) override { v = static_cast<uint8_t>(k++); }
    void ExprList(const char*, TExprList& list) override {
        for (int i = 0; i < 2; ++i) list.push_back(std::make_unique<TExpression>(Next()));
    }
    void Blob(const char*, std::string& v) override { v = std::string("\0\x01glyphs", 8) + std::to_string(k++); }
    void Properties(TPropertyExprs& slots) override {
        for (auto& s : slots) *s.expr = Next();
    }
};

std::vector<std::string> Texts(TPage& page) {
    std::vector<std::string> all;
    for (int i = 0; i < page.Count(); ++i) {
        TCommand& c = *page.Items(i);
        all.push_back(std::string(c.Name()) + " " + std::to_string(c.Depth) + " " + std::to_string(c.Line) + " " +
                      std::to_string(c.Cont) + std::to_string(c.Disabled));
        FieldTexts t(page.Version);
        c.VisitRecord(t);
        all.insert(all.end(), t.items.begin(), t.items.end());
    }
    return all;
}

TEST(PageRecords, EveryCodeRoundTripsAtEveryVersion) {
    for (int32_t version = kPageMinVersion; version <= kPageMaxVersion; ++version) {
        TPage page;
        page.Version = version;
        page.ReturnType = 4;
        for (int code = 0; code < kMaskCount; ++code)
            for (int bit : {0, 3, 26, 95, 161, 165}) MaskSet(page.PropertyMasks[code], bit);
        Filler filler;
        for (int code = 0; code < kMaskCount; ++code) {
            auto c = page.CreateCommand(code);
            ASSERT_EQ(c->Code(), code);
            c->Depth = code % 3;
            c->Line = 100 + code;
            c->Cont = code % 2;
            c->Disabled = (code + 1) % 2;
            c->VisitRecord(filler);
            page.Commands.push_back(std::move(c));
        }
        std::string bytes = Save(page);
        TPage again;
        Load(again, Bytes{bytes});
        SCOPED_TRACE("version " + std::to_string(version));
        EXPECT_EQ(again.Version, version);
        EXPECT_EQ(again.ReturnType, 4);
        EXPECT_EQ(Texts(again), Texts(page));
        EXPECT_EQ(Save(again), bytes);
    }
}

// Fields that appear with a version add four bytes (an int32 or an empty expression) from it on.
TEST(PageRecords, GuardedFieldsAppearAtTheirVersion) {
    struct Case {
        int code;
        int32_t version;
    } cases[] = {{TComGameSave::kCode, 105}, {TComWait::kCode, 107},      {TComTextIns::kCode, 107},
                 {TComMovieStop::kCode, 107}, {TComFlip::kCode, 107}, {TComPropMotion::kCode, 108}};
    for (const auto& c : cases) {
        auto sizeAt = [&](int32_t version) {
            TPage page;
            page.Version = version;
            page.Commands.push_back(page.CreateCommand(c.code));
            return Save(page).size();
        };
        EXPECT_EQ(sizeAt(c.version), sizeAt(c.version - 1) + 4) << CommandName(c.code);
        EXPECT_EQ(sizeAt(kPageMaxVersion), sizeAt(c.version)) << CommandName(c.code);
    }
}

TEST(PageRecords, Version106WaitHasTwoExpressionsAnd107Three) {
    // base, then cond (empty), time (empty) [, blocks (empty)]
    TPage v106, v107;
    Load(v106, Bytes().pageHeader(106).i32(2).u8(7).base().emptyExpr().emptyExpr().u8(3).base().str("x"));
    Load(v107, Bytes().pageHeader(107).i32(2).u8(7).base().emptyExpr().emptyExpr().emptyExpr().u8(3).base().str("x"));
    ASSERT_EQ(v106.Count(), 2);
    ASSERT_EQ(v107.Count(), 2);
    EXPECT_EQ(v106.FindLabel("x"), 1);
    EXPECT_EQ(v107.FindLabel("x"), 1);
}

TEST(PageRecords, GameSaveOfVersion104HasNoResumeIndex) {
    TPage page;
    // GameSave: base, slot (empty), resume page "r.rsb", title (empty)
    Load(page, Bytes().pageHeader(104).i32(1).u8(38).base().emptyExpr().str("r.rsb").emptyExpr());
    auto& save = static_cast<TComGameSave&>(*page.Items(0));
    EXPECT_EQ(save.ResumePage, "r.rsb");
    EXPECT_EQ(save.ResumeIndex, 0);
}

TEST(PageRecords, CodeByteIgnoresBitSeven) {
    TPage page;
    Load(page, Bytes().pageHeader().i32(1).u8(0x83).base().str("start"));
    ASSERT_EQ(page.Count(), 1);
    EXPECT_EQ(page.Items(0)->Code(), TComLabel::kCode);
    EXPECT_EQ(page.FindLabel("start"), 0);
}

TEST(PageRecords, ImgNewCarriesOneExpressionPerMaskBitInIdOrder) {
    Bytes b;
    b.i32(110).u8(1).i32(61).i32(21);
    for (int code = 0; code < 61; ++code) {
        std::string mask(21, '\0');
        if (code == 9) mask[0] = 0x09, mask[3] = 0x04;  // bits 0, 3 and 26
        b.raw(mask);
    }
    // ImgNew: base, then PR_NAME "bg" as ocTo ____arg, PR_LEFT empty, PR_DELAY empty; then a Label.
    TMemoryStream nameExpr;
    CompileExpression("\"bg\"").SaveToStream(nameExpr);
    b.i32(2).u8(9).base().raw(std::string(reinterpret_cast<const char*>(nameExpr.Memory()), nameExpr.Size()));
    b.emptyExpr().emptyExpr().u8(3).base().str("after");
    TPage page;
    Load(page, b);
    auto& img = static_cast<TComImgNew&>(*page.Items(0));
    ASSERT_EQ(img.Properties.size(), 3u);
    EXPECT_EQ(img.Properties[0].id, 0);
    EXPECT_EQ(img.Properties[1].id, 3);
    EXPECT_EQ(img.Properties[2].id, 26);
    EXPECT_EQ(ExpressionText(*img.Property(0)), "\"bg\"");
    EXPECT_EQ(img.Property(7), nullptr);
    EXPECT_EQ(page.FindLabel("after"), 1);
}

TEST(PageMasks, ExtraMasksAndBytesAreSkippedShortOnesZeroFilled) {
    // 70 masks of 25 bytes: the first 61 are kept, each cut to 21 bytes.
    Bytes wide;
    wide.i32(110).u8(1).i32(70).i32(25);
    for (int i = 0; i < 70; ++i) wide.raw(std::string(21, '\x01') + std::string(4, '\xFF'));
    wide.i32(1).u8(3).base().str("end");
    TPage page;
    Load(page, wide);
    EXPECT_EQ(page.StoredMaskCount, 61);
    EXPECT_EQ(page.PropertyMasks[60][20], 0x01);
    EXPECT_EQ(page.FindLabel("end"), 0);

    // 2 masks of 3 bytes: the rest of each mask and every other mask stay zero.
    Bytes narrow;
    narrow.i32(110).u8(1).i32(2).i32(3).raw("\x01\x02\x03\x04\x05\x06").i32(0);
    Load(page, narrow);
    EXPECT_EQ(page.PropertyMasks[1][2], 0x06);
    EXPECT_EQ(page.PropertyMasks[1][3], 0);
    EXPECT_EQ(page.PropertyMasks[2][0], 0);
    EXPECT_EQ(page.StoredMaskCount, 2);
    EXPECT_EQ(Save(page).size(), narrow.b.size() + 2 * (21 - 3));
}

// A memory stream that counts the calls made on it.
class CountingStream final : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    int64_t Read(void* buffer, int64_t count) override {
        ++calls;
        return TMemoryStream::Read(buffer, count);
    }
    int64_t Seek(int64_t offset, SeekOrigin origin) override {
        ++calls;
        return TMemoryStream::Seek(offset, origin);
    }
    long long calls = 0;
};

TEST(PageMasks, AHugeCountOfEmptyMasksCostsNoMoreThanTheMasksKept) {
    // 2^31 - 1 masks of 0 bytes fit any page; reading them one by one would take 2^31 steps.
    Bytes page;
    page.i32(110).u8(1).i32(0x7FFFFFFF).i32(0).i32(1).u8(3).base().str("end");
    std::vector<uint8_t> bytes(page.b.begin(), page.b.end());
    CountingStream s(std::move(bytes));
    TPage loaded;
    loaded.LoadFromStream("p.rsb", s);
    EXPECT_EQ(loaded.FindLabel("end"), 0);
    EXPECT_EQ(loaded.StoredMaskCount, 61);
    EXPECT_LT(s.calls, 4 * 61 + 100);
}

TEST(PageVersions, NewerPagesLoadEmptyOlderAskForARebuild) {
    TPage page;
    Load(page, Bytes().i32(111).u8(1).raw("anything"));
    EXPECT_EQ(page.Count(), 0);
    EXPECT_EQ(page.Version, 111);

    try {
        Load(page, Bytes().pageHeader(102).i32(0), "old.rsb");
        FAIL() << "a version 102 page loaded";
    } catch (const EPageRebuild& e) {
        EXPECT_EQ(e.Message(), "old.rsb\r\n" + SysMessage("リビルドしてください"));
    }
}

TEST(PageLabels, FindLabelIsExactAndCommentsAnswerToo) {
    TPage page;
    Load(page, Bytes().pageHeader().i32(3).u8(27).base().str("start").u8(3).base().str("Start").u8(3).base().str("start"));
    EXPECT_EQ(page.FindLabel("start"), 0);  // the comment comes first
    EXPECT_EQ(page.FindLabel("Start"), 1);
    EXPECT_EQ(page.FindLabel("sta"), -1);
    EXPECT_TRUE(page.Items(0)->IsDisabled());
    EXPECT_FALSE(page.Items(0)->ContinueFlag());
}

TEST(PageHostile, BadPagesThrowNamingPageAndCommand) {
    struct Case {
        const char* what;
        Bytes bytes;
        const char* mustMention;
    };
    const Case cases[] = {
        {"truncated header", Bytes().i32(110).u8(1).i32(61), "page bad.rsb"},
        {"mask table larger than the file", Bytes().i32(110).u8(1).i32(0x7FFFFFFF).i32(21), "mask table"},
        {"negative mask size", Bytes().i32(110).u8(1).i32(1).i32(-5), "mask table"},
        {"absurd command count", Bytes().pageHeader().i32(0x7FFFFFFF), "command count"},
        {"unknown code", Bytes().pageHeader().i32(2).u8(3).base().str("a").u8(61).base(), "command 1"},
        {"truncated record", Bytes().pageHeader().i32(1).u8(7).base().emptyExpr(), "command 0 (Wait)"},
        {"absurd argument count", Bytes().pageHeader().i32(1).u8(5).base().str("p").i32(0).str("").emptyExpr().i32(0x7FFFFFFF),
         "command 0 (Call)"},
        {"absurd text size", Bytes().pageHeader().i32(1).u8(20).base().i32(0x7FFFFFFF), "command 0 (TextIns)"},
        {"absurd string length", Bytes().pageHeader().i32(1).u8(3).base().i32(0x7FFFFFF0).raw("abc"), "command 0 (Label)"},
        {"absurd operation count", Bytes().pageHeader().i32(1).u8(14).base().i32(0x7FFFFFFF), "command 0 (Calc)"},
    };
    for (const auto& c : cases) {
        TPage page;
        try {
            Load(page, c.bytes, "bad.rsb");
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const ERuvoError& e) {
            std::string text = e.what();
            EXPECT_NE(text.find("bad.rsb"), std::string::npos) << c.what << ": " << text;
            EXPECT_NE(text.find(c.mustMention), std::string::npos) << c.what << ": " << text;
        }
    }
}

TEST(PageHostile, UnknownCodeRaisesTheSystemText) {
    TPage page;
    try {
        Load(page, Bytes().pageHeader().i32(1).u8(0x7F).base());
        FAIL();
    } catch (const ERuvoError& e) {
        EXPECT_EQ(e.Message(), SysMessage("不正なコマンド"));
    }
}

TEST(StateRecords, TaggedAndUntaggedStatesRead) {
    TPage page;
    TComWait wait(&page);
    wait.Remaining = 1234;
    wait.FirstFrame = 1;
    wait.BlocksEventsState = true;
    TMemoryStream s;
    wait.SaveState(s);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Memory()), 7), "ruvo100");
    s.SetPosition(0);
    TComWait back(&page);
    back.LoadState(s);
    EXPECT_EQ(back.Remaining, 1234);
    EXPECT_EQ(back.FirstFrame, 1);
    EXPECT_TRUE(back.BlocksEventsState);

    // Without the tag: version 0 from the first byte, and no blocks-events byte.
    TMemoryStream old = Bytes().i32(500).i32(0).u8(1).Stream();
    TComWait fromOld(&page);
    fromOld.LoadState(old);
    EXPECT_EQ(fromOld.Remaining, 500);
    EXPECT_FALSE(fromOld.BlocksEventsState);
    EXPECT_EQ(old.Position(), 8);

    // TextIns and MovieStop keep the same state: a name, waiting, blocks events (version 100).
    for (const int code : {TComTextIns::kCode, TComMovieStop::kCode}) {
        SCOPED_TRACE(code);
        auto make = [&] { return std::unique_ptr<TComObjectWait>(static_cast<TComObjectWait*>(page.CreateCommand(code).release())); };
        auto text = make();
        text->Running = {"mes", true, true};
        TMemoryStream ts;
        text->SaveState(ts);
        ts.SetPosition(0);
        auto textBack = make();
        textBack->LoadState(ts);
        EXPECT_EQ(textBack->Running.Name, "mes");
        EXPECT_TRUE(textBack->Yields());
        EXPECT_TRUE(textBack->BlocksEvents());
        EXPECT_EQ(ts.Position(), ts.Size());
        TMemoryStream untagged = Bytes().str("old").u8(1).u8(1).Stream();
        auto fromOld = make();
        fromOld->LoadState(untagged);
        EXPECT_EQ(fromOld->Running.Name, "old");
        EXPECT_TRUE(fromOld->Running.Waiting);
        EXPECT_FALSE(fromOld->Running.BlocksEvents);
        EXPECT_EQ(untagged.Remaining(), 1);
    }

    // Flip: both flags only from version 100.
    TComFlip flip(&page);
    flip.BlocksEventsState = true;
    flip.ClearOldState = true;
    TMemoryStream fs;
    flip.SaveState(fs);
    EXPECT_EQ(fs.Size(), 9);
    fs.SetPosition(0);
    TComFlip flipBack(&page);
    flipBack.LoadState(fs);
    EXPECT_TRUE(flipBack.BlocksEventsState);
    EXPECT_TRUE(flipBack.ClearOldState);
    TMemoryStream flipOld = Bytes().u8(1).u8(1).Stream();
    TComFlip flipFromOld(&page);
    flipFromOld.LoadState(flipOld);
    EXPECT_FALSE(flipFromOld.BlocksEventsState);
    EXPECT_EQ(flipOld.Position(), 0);

    // Commands without a running state write nothing.
    TComCalc calc(&page);
    TMemoryStream none;
    calc.SaveState(none);
    EXPECT_EQ(none.Size(), 0);
}

} // namespace
} // namespace ruvo
