// Message windows with the read marks and the history: the page start's read parameter, entries
// recorded once as windows leave their pages, old mode with its capacity, page mode packing lines,
// and the history shown again (frozen variable values, missing script pages skipped).
#include "objects/text/history.hpp"
#include "objects/text/readmarks.hpp"
#include "text_world_fixture.hpp"

namespace ruvo::testing {
namespace {

class MesHistory : public TextWorldFixture {
protected:
    MesHistory() {
        world.TextObjects().ReadMarks = &marks;
        world.TextObjects().History = &history;
    }

    TRuvoMes& Window(const std::string& name) {
        TRuvoMes& w = TextWorldFixture::Window(name, 0, 0, 200, 60);
        SetProperty(w, PR_ONPLAYSTART, std::string("start.rsb"));
        SetProperty(w, PR_TEXTDELAY, 0);
        return w;
    }
    // Frames with every handler done at once; the page-start parameters raised meanwhile are kept.
    void Run(int frames) {
        for (int i = 0; i < frames; ++i) {
            Frame();
            for (int k = 0; k < world.Events().Count(); ++k)
                if (world.Events()[k].Code == TRuvoMes::kPlayStart) starts.push_back(world.Events()[k].Parameters.at(0));
            HandleAll();
        }
    }
    // Runs until the current page is typed out and its end was reported.
    void ReadPage(TRuvoMes& w) {
        for (int i = 0; i < 100; ++i) {
            Run(1);
            if (w.CurrentPage() && w.CurrentPage()->IsFinished()) {
                Run(1);
                return;
            }
        }
        ADD_FAILURE() << "the page never ended";
    }
    std::string Starts() {
        std::string out;
        for (const std::string& s : starts) out += s;
        starts.clear();
        return out;
    }
    static std::string Text(TRuvoMes& w) { return SjisToUtf8(w.PageText()); }
    void DeclareInt(const std::string& name, int32_t value) {
        vars.Declare(name, 1, TVarScope::Global).Value().SetInt(value);
    }

    TRuvoReadList marks;
    TRuvoNewHistory history;
    std::vector<std::string> starts;
};

// The page start's parameter is "1" only for a page of a read-marked text-insert text that was typed
// to its end before.
TEST_F(MesHistory, ThePageStartSaysWhetherThePageWasReadBefore) {
    scripts.Add("story.rsb", 3, "一枚目<BR CLEAR>二枚目");
    TRuvoMes& w = Window("mes");
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* starts;  // the parameters of the page starts it raised
    };
    const Step steps[] = {
        {"first showing", [&] { w.ShowScriptText("story.rsb", 3, true); ReadPage(w); }, "0"},
        {"second page, left before its end", [&] { w.SetIndex(1); Run(1); }, "0"},
        {"the text again", [&] { w.ShowScriptText("story.rsb", 3, true); ReadPage(w); }, "1"},
        {"its second page, still unread", [&] { w.SetIndex(1); ReadPage(w); }, "0"},
        {"both pages read now", [&] { w.ShowScriptText("story.rsb", 3, true); ReadPage(w); w.SetIndex(1); Run(1); }, "11"},
        {"the text without read marking", [&] { w.ShowScriptText("story.rsb", 3, false); Run(1); }, "0"},
        {"the same text as a literal", [&] { SetProperty(w, PR_TEXT, Utf8ToSjis("一枚目")); ReadPage(w); SetProperty(w, PR_TEXT, Utf8ToSjis("一枚目")); Run(1); }, "00"},
        {"after ClrRead", [&] { marks.Clear(); w.ShowScriptText("story.rsb", 3, true); Run(1); }, "0"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(Starts(), step.starts) << step.what;
    }
    // A mark is the pair (command, page) of the script page, kept once.
    ASSERT_EQ(marks.Items().size(), 0u);
    ReadPage(w);
    ReadPage(w);
    ASSERT_EQ(marks.Items().size(), 1u);
    EXPECT_EQ(marks.Items()[0].CommandIndexes, (std::vector<int32_t>{3}));
    EXPECT_EQ(marks.Items()[0].PageIndexes, (std::vector<int32_t>{0}));
}

// A page is recorded once, when its window leaves it: for another page, a new text, a cleared text;
// another window leaving its page records nothing of this one, another showing a page records it.
TEST_F(MesHistory, EachShownPageIsRecordedOnceWhenItsWindowLeavesIt) {
    scripts.Add("a.rsb", 1, "一<BR CLEAR>二");
    scripts.Add("a.rsb", 2, "三");
    TRuvoMes& w = Window("mes");
    TRuvoMes& other = Window("other");
    auto recorded = [&] {
        std::string out;
        for (const THistoryOldData& e : history.Entries)
            out += std::to_string(e.CommandIndex) + "/" + std::to_string(e.PageIndex) + " ";
        return out;
    };
    w.ShowScriptText("a.rsb", 1, true);
    EXPECT_EQ(recorded(), "");
    w.SetIndex(1);
    w.SetIndex(1);  // the page shown already: nothing
    EXPECT_EQ(recorded(), "1/0 ");
    other.ClearText();
    EXPECT_EQ(recorded(), "1/0 ");
    other.ShowScriptText("a.rsb", 2, true);  // another window shows a page: this one's is not lost
    EXPECT_EQ(recorded(), "1/0 1/1 ");
    other.ClearText();
    EXPECT_EQ(recorded(), "1/0 1/1 2/0 ");
    w.ShowScriptText("a.rsb", 1, true);
    w.ShowScriptText("a.rsb", 2, true);  // a second text before the first one's page was left
    EXPECT_EQ(recorded(), "1/0 1/1 2/0 1/0 ");
    w.ShowScriptText("a.rsb", 2, false);  // not recorded itself, but it closes the one before
    w.ClearText();
    EXPECT_EQ(recorded(), "1/0 1/1 2/0 1/0 2/0 ");
    EXPECT_EQ(history.Entries[0].WindowWidth, 200);
    EXPECT_EQ(history.Entries[0].WindowHeight, 60);
}

// Old mode: the last entries up to the capacity; shown again, one below the other, from the
// script pages that still exist.
TEST_F(MesHistory, OldModeKeepsTheLastEntriesAndShowsThemAgain) {
    history.Capacity = 3;
    const char* texts[] = {"零", "一", "二", "三", "四"};
    for (int i = 0; i < 5; ++i) scripts.Add(i < 3 ? "a.rsb" : "b.rsb", i, texts[i]);
    TRuvoMes& w = Window("mes");
    for (int i = 0; i < 5; ++i) {
        w.ShowScriptText(i < 3 ? "a.rsb" : "b.rsb", i, true);
        ReadPage(w);
    }
    w.ClearText();
    EXPECT_EQ(history.Count(), 3);
    TRuvoMes& log = TextWorldFixture::Window("log", 0, 60, 200, 90);
    SetProperty(log, PR_ONPLAYSTART, std::string("start.rsb"));
    struct Case {
        int32_t first, count;
        const char* text;
    };
    const Case cases[] = {{0, 3, "二三四"}, {1, 1, "三"}, {2, 1000000, "四"}, {0, INT32_MAX, "二三四"}, {3, 1, ""}};
    for (const Case& c : cases) {
        log.ShowHistory(history, c.first, c.count);
        EXPECT_EQ(Text(log), c.text) << c.first << "+" << c.count;
    }
    // Shown history is never read-marked and raises the page start once.
    HandleAll();
    starts.clear();
    log.ShowHistory(history, 0, 3);
    Run(1);
    EXPECT_EQ(log.SourceKind, TRuvoMes::skHistory);
    EXPECT_EQ(Starts(), "0");
    // An entry whose script page is gone is skipped; the others still show.
    scripts.RemovePage("a.rsb");
    log.ShowHistory(history, 0, 3);
    EXPECT_EQ(Text(log), "三四");
}

// Page mode: every recorded line adds its height (with the format's line spacing) to the count, a
// page fills until the next line would pass the format's height, and history shown again by pixels
// brings the variables' values of the time back.
TEST_F(MesHistory, PageModePacksLinesAndShowsThemAgainAsTheyWere) {
    DeclareInt("score", 12);
    scripts.Add("s.rsb", 0, "点数は<VAR NAME=score>点");
    scripts.Add("s.rsb", 1, "一行目<BR>二行目<BR>三行目");
    vars.HistoryFormat() = {20, 0, 0, 190, 50, 4};  // lines of 20 + 4, two to a page
    TRuvoMes& w = Window("mes");
    SetProperty(w, PR_HEIGHT, 100);
    w.ShowScriptText("s.rsb", 0, true);
    ReadPage(w);
    vars.Find("score")->Value().SetInt(99);
    w.ShowScriptText("s.rsb", 1, true);
    ASSERT_TRUE(history.PageMode());
    ASSERT_EQ(history.Pages.size(), 1u);
    const int32_t line = history.Count();
    EXPECT_GE(line, 24);
    ReadPage(w);
    w.ClearText();
    EXPECT_EQ(history.Count(), 4 * line);
    ASSERT_EQ(history.Pages.size(), 2u);
    for (const TRuvoHistData& page : history.Pages) EXPECT_LE(page.TotalHeight, 50);

    TRuvoMes& log = TextWorldFixture::Window("log", 0, 0, 190, 140);
    struct Case {
        int32_t first, count;
        const char* text;
        int32_t top;  // of the first row
    };
    const Case cases[] = {
        {0, 4 * line, "点数は12点一行目二行目三行目", 0},  // the value as it was shown
        {line, 1, "一行目", 0},
        {line + line / 2, line, "一行目二行目", -(line / 2)},  // from the middle of a line: moved up
        {3 * line, 1000, "三行目", 0},
    };
    for (const Case& c : cases) {
        log.ShowHistory(history, c.first, c.count);
        ASSERT_NE(log.CurrentPage(), nullptr) << c.text;
        EXPECT_EQ(Text(log), c.text);
        EXPECT_EQ(log.CurrentPage()->Rows().front()->Top, c.top) << c.text;
    }
    scripts.RemovePage("s.rsb");
    log.ShowHistory(history, 0, 4 * line);
    EXPECT_EQ(GetIntProperty(log, PR_COUNT), 0);
}

// History shown again is one page that PR_SCROLLY scrolls: rows below the window wait to be typed
// until they are scrolled into it, and nothing is painted outside the window.
TEST_F(MesHistory, HistoryShownAgainScrollsInsideItsWindow) {
    scripts.Add("s.rsb", 0, "一行目<BR>二行目<BR>三行目<BR>四行目");
    vars.HistoryFormat() = {20, 0, 0, 190, 200, 4};
    TRuvoMes& w = Window("mes");
    SetProperty(w, PR_HEIGHT, 120);
    w.ShowScriptText("s.rsb", 0, true);
    w.ClearText();
    SetProperty(w, PR_VISIBLE, false);
    const int32_t line = history.Count() / 4;
    ASSERT_GT(line, 20);
    TRuvoMes& log = TextWorldFixture::Window("log", 0, 40, 190, 2 * line);
    SetProperty(log, PR_TEXTDELAY, 0);
    SetProperty(log, PR_FONTBORDER, 2);
    SetProperty(log, PR_FONTBORDERCOLOR, 0x0000FF);
    log.ShowHistory(history, 0, history.Count());
    ASSERT_EQ(GetIntProperty(log, PR_COUNT), 1);
    ASSERT_EQ(log.CurrentPage()->RowCount(), 4);
    const TRect inside = Bounds(0, 40, 190, 2 * line), above = Bounds(0, 0, 200, 40),
                below = Bounds(0, 40 + 2 * line, 200, kHeight - 40 - 2 * line);
    std::vector<std::vector<uint32_t>> pictures;  // of the window, one per scroll
    for (const int32_t scroll : {0, line / 2, 2 * line}) {
        SetProperty(log, PR_SCROLLY, scroll);
        Run(10);
        PaintAll();
        std::vector<uint32_t>& picture = pictures.emplace_back();
        for (int32_t y = inside.Top; y < inside.Bottom; ++y)
            for (int32_t x = inside.Left; x < inside.Right; ++x) picture.push_back(world.Surface().GetPixel(x, y));
        EXPECT_GT(CountColour(0xFFFFFF, inside), 20) << scroll;
        EXPECT_EQ(CountColour(0xFFFFFF, above) + CountColour(0x0000FF, above), 0) << scroll;
        EXPECT_EQ(CountColour(0xFFFFFF, below) + CountColour(0x0000FF, below), 0) << scroll;
        // The last rows are typed only once they are in sight.
        EXPECT_EQ(log.CurrentPage()->IsFinished(), scroll == 2 * line) << scroll;
    }
    // The rows moved: each scroll shows another picture.
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[2]);
    EXPECT_NE(pictures[0], pictures[2]);
}

} // namespace
} // namespace ruvo::testing
