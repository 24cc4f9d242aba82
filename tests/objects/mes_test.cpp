// Message windows: the page start and the typing that waits for its handler, the typewriter's pace,
// pausing, links and the pointer, pages by PR_INDEX, texts from text-insert commands, what is painted,
// and the saved form with the pages laid out again.
#include "archive/serializer.hpp"
#include "text_world_fixture.hpp"

namespace ruvo::testing {
namespace {

class Mes : public TextWorldFixture {
protected:
    // Every event queued in this frame as "code:parameters", the handlers then done.
    std::vector<std::string> Step() {
        Frame();
        std::vector<std::string> out;
        for (int i = 0; i < world.Events().Count(); ++i) {
            const TTimerData& e = world.Events()[i];
            std::string line = std::to_string(e.Code) + ":";
            for (size_t k = 0; k < e.Parameters.size(); ++k) line += (k ? "|" : "") + SjisToUtf8(e.Parameters[k]);
            out.push_back(line);
        }
        HandleAll();
        return out;
    }
    static void Handle(TRuvoMes& w) {
        for (int id : {PR_ONPLAYSTART, PR_ONPLAYING, PR_ONPLAYEND, PR_ONLINK, PR_ONNOTIFY, PR_ONLBTNDOWN})
            SetProperty(w, id, std::string("h.rsb"));
    }
    static std::string Text(TRuvoMes& w) { return SjisToUtf8(GetStrProperty(w, PR_TEXT)); }
    static void Show(TRuvoMes& w, const std::string& utf8) { SetProperty(w, PR_TEXT, Utf8ToSjis(utf8)); }
    // Runs frames until the window's page is typed out and its end reported, at most limit.
    void TypeOut(TRuvoMes& w, int limit = 200) {
        for (int i = 0; i < limit; ++i) {
            Step();
            if (w.CurrentPage() && w.CurrentPage()->IsFinished()) {
                Step();
                return;
            }
        }
        ADD_FAILURE() << "the page never ended";
    }
};

TEST_F(Mes, TypingWaitsUntilThePageStartHandlerHasRun) {
    TRuvoMes& w = Window("mes", 0, 0, 200, 60);
    Handle(w);
    SetProperty(w, PR_TEXTDELAY, 0);  // the whole page at once
    Show(w, "あいう");
    EXPECT_EQ(GetIntProperty(w, PR_COUNT), 1);
    Frame();
    ASSERT_EQ(Events(), (std::vector<std::string>{"mes:101"}));
    EXPECT_EQ(world.Events()[0].Parameters, (std::vector<std::string>{"0"}));  // a literal text is never read
    for (int i = 0; i < 5; ++i) Frame();  // the handler still runs
    EXPECT_EQ(Events(), (std::vector<std::string>{"mes:101"}));
    EXPECT_TRUE(GetFlagProperty(w, PR_PLAYING));
    HandleAll();
    EXPECT_EQ(Step(), (std::vector<std::string>{}));  // the fade's first frame passes
    EXPECT_EQ(Step(), (std::vector<std::string>{"32:あいう"}));
    EXPECT_EQ(Step(), (std::vector<std::string>{}));  // the glyphs fade in
    EXPECT_EQ(Step(), (std::vector<std::string>{"43:"}));  // ended, reported once
    EXPECT_EQ(Step(), (std::vector<std::string>{}));
    EXPECT_FALSE(GetFlagProperty(w, PR_PLAYING));
    EXPECT_EQ(w.PlayState(), 2);
}

// With frames of 16 ms a glyph whose wait is w ms (scaled by the delay rate / 256) comes out in the
// first frame by which the waits of the glyphs before it have passed.
TEST_F(Mes, TheTypewriterKeepsTheDelayRate) {
    const int wait = vars.TextDelay();
    ASSERT_GT(wait, 0);
    for (const int rate : {256, 128, 0}) {
        world.Reset();
        TRuvoMes& w = Window("mes", 0, 0, 200, 60);
        Handle(w);
        SetProperty(w, PR_ONPLAYSTART, std::string());
        SetProperty(w, PR_TEXTDELAY, rate);
        Show(w, "あいうえお");
        std::vector<int> revealedAt;
        for (int frame = 0; frame < 60 && revealedAt.size() < 5; ++frame)
            for (const std::string& e : Step())
                if (e.starts_with("32:"))
                    for (size_t n = CharCount(Utf8ToSjis(e.substr(3))); n > 0; --n) revealedAt.push_back(frame);
        ASSERT_EQ(revealedAt.size(), 5u) << rate;
        for (int k = 0; k < 5; ++k) {
            const int due = k * wait * rate / 256;  // ms after the first glyph
            EXPECT_EQ(revealedAt[k] - revealedAt[0], (due + 15) / 16) << "rate " << rate << " glyph " << k;
        }
    }
}

TEST_F(Mes, PausingFreezesTheTypingWhichGoesOnFromTheSameGlyph) {
    TRuvoMes& w = Window("mes", 0, 0, 200, 60);
    Handle(w);
    SetProperty(w, PR_ONPLAYSTART, std::string());
    SetProperty(w, PR_TEXTDELAY, 256);
    Show(w, "あいうえおかきくけこ");
    std::string typed;
    auto collect = [&] {
        for (const std::string& e : Step())
            if (e.starts_with("32:")) typed += e.substr(3);
    };
    for (int i = 0; i < 8; ++i) collect();
    const std::string before = typed;
    const int caret = GetIntProperty(w, PR_CARETX);
    ASSERT_FALSE(before.empty());
    SetProperty(w, PR_TEXTPAUSED, true);
    for (int i = 0; i < 20; ++i) collect();
    EXPECT_EQ(typed, before);
    EXPECT_EQ(GetIntProperty(w, PR_CARETX), caret);
    SetProperty(w, PR_TEXTPAUSED, false);
    for (int i = 0; i < 60; ++i) collect();
    EXPECT_EQ(typed, "あいうえおかきくけこ");  // nothing skipped, nothing twice
}

TEST_F(Mes, PagesFollowPrIndexAndEachRaisesItsStart) {
    TRuvoMes& w = Window("mes", 0, 0, 200, 60);
    Handle(w);
    SetProperty(w, PR_TEXTDELAY, 0);
    Show(w, "一枚目<BR CLEAR>二枚目<BR CLEAR>三枚目");
    EXPECT_EQ(GetIntProperty(w, PR_COUNT), 3);
    EXPECT_EQ(Text(w), "一枚目");
    TypeOut(w);
    EXPECT_TRUE(GetFlagProperty(w, PR_PLAYING));  // more pages follow
    for (const int bad : {-1, 3, 0}) {  // out of range, and the page shown now
        SetProperty(w, PR_INDEX, bad);
        EXPECT_EQ(GetIntProperty(w, PR_INDEX), 0);
        EXPECT_EQ(Step(), (std::vector<std::string>{}));
    }
    SetProperty(w, PR_INDEX, 2);
    EXPECT_EQ(Text(w), "三枚目");
    EXPECT_EQ(Step(), (std::vector<std::string>{"101:0"}));
    TypeOut(w);
    EXPECT_FALSE(GetFlagProperty(w, PR_PLAYING));  // the last page, typed out
}

// A mark in the text reaches PR_ONNOTIFY as its lines once the glyphs before it are shown; the typing
// goes on after it. Without a handler the marks are not collected at all.
TEST_F(Mes, MarksInTheTextReachTheNotifyHandler) {
    for (const bool handled : {true, false}) {
        world.Reset();
        TRuvoMes& w = Window("mes", 0, 0, 200, 60);
        Handle(w);
        SetProperty(w, PR_ONPLAYSTART, std::string());
        if (!handled) SetProperty(w, PR_ONNOTIFY, std::string());
        SetProperty(w, PR_TEXTDELAY, 0);
        Show(w, "あ<EVENT VALUE=\"x\\ny\">い");
        std::vector<std::string> all;
        for (int i = 0; i < 20; ++i)
            for (const std::string& e : Step()) all.push_back(e);
        if (handled) EXPECT_EQ(all, (std::vector<std::string>{"32:あ", "33:x|y", "32:い", "43:"}));
        else EXPECT_EQ(all, (std::vector<std::string>{"32:あい", "43:"}));
    }
}

TEST_F(Mes, LinksTakeTheClickWithTheirTextAndValue) {
    TRuvoMes& w = Window("mes", 10, 10, 180, 60);
    Handle(w);
    SetProperty(w, PR_TEXTDELAY, 0);
    SetProperty(w, PR_FONTHOVERCOLOR, 0x00FF00);
    Show(w, "<A HREF=\"go\\nnow\">リンク</A>ただの字");
    TypeOut(w);
    PaintAll();
    EXPECT_EQ(CountColour(0x00FF00, Bounds(10, 10, 180, 60)), 0);
    world.MouseMove(15, 20);  // over the link's first glyph: the whole link in the hover colour
    Frame();
    HandleAll();
    EXPECT_GT(CountColour(0x00FF00, Bounds(10 + 40, 10, 20, 24)), 5);  // its third glyph too
    EXPECT_EQ(CountColour(0x00FF00, Bounds(10 + 60, 10, 120, 60)), 0);
    world.MouseDown(true, 15, 20);
    world.MouseUp();
    EXPECT_EQ(Step(), (std::vector<std::string>{"46:リンク|go|now"}));
    world.MouseMove(10 + 20 * 4, 20);  // over plain text
    Frame();
    HandleAll();
    world.MouseDown(true, 90, 20);
    const std::vector<std::string> plain = Step();
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_TRUE(plain[0].starts_with("36:")) << plain[0];
}

TEST_F(Mes, WithCaptureLinkPlainTextLetsThePointerThrough) {
    TRuvoBox& under = Box("under", 0, 0, 200, 100);
    SetProperty(under, PR_PRIORITY, -1);
    TRuvoMes& w = Window("mes", 10, 10, 180, 60);
    SetProperty(w, PR_TEXTDELAY, 0);
    Show(w, "<A HREF=\"x\">リンク</A>ただの字");
    TypeOut(w);
    EXPECT_EQ(world.ActiveScreen().HitTest(90, 20, kHoverMask), &w);
    SetProperty(w, PR_CAPTURELINK, true);
    EXPECT_EQ(world.ActiveScreen().HitTest(90, 20, kHoverMask), &under);   // plain text
    EXPECT_EQ(world.ActiveScreen().HitTest(15, 20, kHoverMask), &w);       // the link
    EXPECT_EQ(world.ActiveScreen().HitTest(15, 60, kHoverMask), &under);   // nothing written there
}

TEST_F(Mes, TheTextIsPaintedInItsColourWithTheEdgeAroundIt) {
    Box("bg", 0, 0, kWidth, kHeight);
    SetProperty(*Find("bg"), PR_COLOR, 0x000000);
    TRuvoMes& w = Window("mes", 10, 10, 180, 60);
    SetProperty(w, PR_FONTHEIGHT, 32);
    SetProperty(w, PR_FONTCOLOR, 0x20C0F0);
    SetProperty(w, PR_FONTBORDER, 2);
    SetProperty(w, PR_FONTBORDERCOLOR, 0x0000FF);
    SetProperty(w, PR_TEXTDELAY, 0);
    Show(w, "国");
    TypeOut(w);
    PaintAll();
    const TRect cell = Bounds(10, 10, 40, 40);
    EXPECT_GT(CountColour(0x20C0F0, cell), 20);  // the strokes, fully covered
    EXPECT_GT(CountColour(0x0000FF, cell), 20);  // the edge around them
    EXPECT_EQ(CountColour(0x20C0F0, Bounds(60, 10, 130, 60)), 0);  // nothing after the glyph
}

TEST_F(Mes, ATextInsertTextComesFromItsPageAndAMissingPageLeavesTheWindowEmpty) {
    scripts.Add("story.rsb", 4, "最初<BR CLEAR>次");
    TRuvoMes& w = Window("mes", 0, 0, 200, 60);
    Handle(w);
    w.ShowScriptText("story.rsb", 4, true);
    EXPECT_EQ(GetIntProperty(w, PR_COUNT), 2);
    EXPECT_EQ(GetIntProperty(w, PR_INDEX), 0);
    EXPECT_EQ(Text(w), "最初");
    EXPECT_EQ(Step(), (std::vector<std::string>{"101:0"}));
    scripts.RemovePage("story.rsb");
    w.ShowScriptText("story.rsb", 4, true);
    EXPECT_EQ(GetIntProperty(w, PR_COUNT), 0);
    EXPECT_EQ(Text(w), "");
    w.ShowScriptText("other.rsb", 0, false);  // never there
    EXPECT_EQ(GetIntProperty(w, PR_COUNT), 0);
    Frame();
}

// The history shown again: pieces of several texts, one below the other on one page, as far as their
// pages still exist.
TEST_F(Mes, PiecesOfSeveralTextsShareOnePage) {
    scripts.Add("a.rsb", 1, "あいう<BR CLEAR>えお");
    scripts.Add("a.rsb", 5, "かき");
    scripts.Add("b.rsb", 0, "さし");
    TRuvoMes& w = Window("mes", 0, 0, 200, 140);
    struct Case {
        std::vector<TRuvoHistData::TPiece> record;
        std::vector<TMesData::TPiece> pieces;
        std::string text;
        int rows;
    };
    const Case cases[] = {
        {{{"a.rsb", 1}, {"", 5}, {"b.rsb", 0}}, {}, "あいうえおかきさし", 4},  // "" repeats the page file
        {{{"a.rsb", 5}, {"gone.rsb", 0}, {"b.rsb", 0}}, {}, "かき", 1},                    // stops at a missing page
        {{}, {{"a.rsb", 1, 1}, {"", 5, 0}, {"a.rsb", 1, 7}}, "えおかき", 2},                 // old entries: one page each
    };
    for (const Case& c : cases) {
        w.Data().Record.Pieces = c.record;
        w.Data().Pieces = c.pieces;
        w.Rebuild(false);
        w.SetIndex(0);
        ASSERT_EQ(GetIntProperty(w, PR_COUNT), 1) << c.text;
        EXPECT_EQ(Text(w), c.text);
        ASSERT_EQ(w.CurrentPage()->RowCount(), c.rows) << c.text;
        for (int i = 1; i < c.rows; ++i)  // each below the one before
            EXPECT_GT(w.CurrentPage()->Rows()[i]->Top, w.CurrentPage()->Rows()[i - 1]->Top) << c.text;
    }
    SetProperty(w, PR_TEXTDELAY, 0);
    TypeOut(w);
    PaintAll();
    EXPECT_GT(CountColour(0xFFFFFF, Bounds(0, 0, 200, 140)), 10);
}

// A window saved in the middle of typing comes back on the same page with the same glyphs shown; a
// text-insert text is laid out again from its page.
TEST_F(Mes, TheSavedFormBringsThePagesBackAsFarAsTheyWereTyped) {
    scripts.Add("story.rsb", 2, "ひとつめ<BR CLEAR>ふたつめのページ");
    for (const bool fromScript : {false, true}) {
        world.Reset();
        TRuvoMes& w = Window("mes", 5, 6, 190, 60);
        SetProperty(w, PR_TEXTDELAY, 256);
        SetProperty(w, PR_ONPLAYEND, std::string("end.rsb"));
        if (fromScript) w.ShowScriptText("story.rsb", 2, true);
        else Show(w, "ひとつめ<BR CLEAR>ふたつめのページ");
        TypeOut(w);
        SetProperty(w, PR_INDEX, 1);
        for (int i = 0; i < 9; ++i) Frame();
        HandleAll();
        const std::string shown = SjisToUtf8(w.CurrentPage()->ShownText());
        ASSERT_FALSE(shown.empty());
        ASSERT_NE(shown, "ふたつめのページ");
        const std::string bytes = Saved();
        world.Reset();
        Load(bytes);
        auto& back = static_cast<TRuvoMes&>(*Find("mes"));
        EXPECT_EQ(GetIntProperty(back, PR_COUNT), 2) << fromScript;
        EXPECT_EQ(GetIntProperty(back, PR_INDEX), 1) << fromScript;
        EXPECT_EQ(SjisToUtf8(back.CurrentPage()->ShownText()), shown) << fromScript;
        EXPECT_EQ(back.SourceKind, fromScript ? TRuvoMes::skScript : TRuvoMes::skLiteral);
        EXPECT_EQ(GetIntProperty(back, PR_TEXTDELAY), 256);
        EXPECT_EQ(Saved(), bytes) << fromScript;
        TypeOut(back);  // and types on to the end
        EXPECT_EQ(SjisToUtf8(back.CurrentPage()->ShownText()), "ふたつめのページ");
    }
}

// Written as each version the record distinguishes, the window reads back with the fields that
// version has: the history record from 113, the idle handler from 104, the capture of links from 120.
TEST_F(Mes, EveryVersionOfTheRecordReadsBack) {
    scripts.Add("story.rsb", 2, "ひとつめ<BR CLEAR>ふたつめ");
    for (const int32_t v : {101, 103, 104, 113, 119, 120, 124, kSaveVersion}) {
        world.Reset();
        TRuvoMes& w = Window("mes", 5, 6, 190, 60);
        SetProperty(w, PR_ONIDLE, std::string("idle.rsb"));
        SetProperty(w, PR_CAPTURELINK, true);
        w.ShowScriptText("story.rsb", 2, true);
        SetProperty(w, PR_INDEX, 1);
        TMemoryStream s;
        world.SaveToStream(s, v);
        world.Reset();
        s.SetPosition(0);
        world.LoadFromStream(s, v);
        EXPECT_EQ(s.Remaining(), 0) << v;
        auto& back = static_cast<TRuvoMes&>(*Find("mes"));
        EXPECT_EQ(back.OnIdle, v > 103 ? "idle.rsb" : "") << v;
        EXPECT_EQ(back.CaptureLink, v >= 120) << v;
        // Before 113 the reference to the text was not saved: the window comes back empty.
        EXPECT_EQ(GetIntProperty(back, PR_COUNT), v > 112 ? 2 : 0) << v;
        EXPECT_EQ(Text(back), v > 112 ? "ふたつめ" : "") << v;
    }
}

// Line spacing is any number a script or a saved game gives: rows at the ends of the range stay there
// instead of wrapping round, in the layout, the saved form read back and the painted window.
TEST_F(Mes, HostileLineSpacingKeepsRowTopsInRange) {
    for (const int32_t space : {INT32_MIN, -1778384864, INT32_MAX - 5}) {
        world.Reset();
        TRuvoMes& w = Window("mes", 5, 6, 190, 60);
        SetProperty(w, PR_TEXTDELAY, 0);
        SetProperty(w, PR_LINESPACE, space);
        Show(w, "一<BR>二<BR>三<BR>四");
        TypeOut(w);
        PaintAll();
        const std::string bytes = Saved();
        world.Reset();
        Load(bytes);
        auto& back = static_cast<TRuvoMes&>(*Find("mes"));
        EXPECT_EQ(GetIntProperty(back, PR_LINESPACE), space);
        std::string text;
        for (int i = 0; i < GetIntProperty(back, PR_COUNT); ++i) {
            SetProperty(back, PR_INDEX, i);
            int64_t previous = space < 0 ? INT64_MAX : INT64_MIN;
            for (const auto& row : back.CurrentPage()->Rows()) {
                // Each row below (or, with a negative spacing, above) the one before, never wrapped.
                EXPECT_TRUE(space < 0 ? row->Top <= previous : row->Top >= previous) << space;
                previous = row->Top;
            }
            text += back.PageText();
        }
        EXPECT_EQ(SjisToUtf8(text), "一二三四") << space;
        TypeOut(back);
        PaintAll();
    }
}

TEST_F(Mes, DamagedWindowRecordsAreRefused) {
    TRuvoMes& w = Window("mes", 5, 6, 190, 60);
    Show(w, "ひとつめ<BR CLEAR>ふたつめ");
    TypeOut(w);
    const std::string bytes = Saved();
    for (size_t length = 0; length < bytes.size(); length += 7) {
        TMemoryStream s;
        s.WriteBuffer(bytes.data(), static_cast<int64_t>(length));
        s.SetPosition(0);
        EXPECT_THROW(world.LoadFromStream(s, kSaveVersion), ERuvoError) << length;
        EXPECT_NE(Find("mes"), nullptr);  // the running world stays
    }
}

} // namespace
} // namespace ruvo::testing
