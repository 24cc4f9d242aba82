// A page's output: waits, delay rate, fades, event marks, the end report, the caret, changed rectangles,
// the shown text, pausing, scrolling and the play state.
#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "text_fixture.hpp"

namespace ruvo {
namespace {

class OutputTest : public testing::TextTest {
protected:
    TWdPage& Page(const std::string& markup, int32_t width = 240, int32_t height = 240) {
        pages.clear();
        engine.AreaWidth = width;
        engine.AreaHeight = height;
        Show(markup);
        TWdPage& page = *pages.at(0);
        page.Render(true);
        page.Start();
        return page;
    }
    // Characters and pictures the output has reached.
    static int Revealed(const TWdPage& page) {
        int n = 0;
        for (int r = 0; r < page.RowCount(); ++r) {
            const auto& glyphs = page.Rows()[size_t(r)]->Glyphs();
            const int end = r < page.CurrentRow() ? int(glyphs.size()) : r == page.CurrentRow() ? page.CurrentIndex() : 0;
            for (int i = 0; i < end; ++i) n += glyphs[size_t(i)]->Visible();
        }
        return n;
    }
    // Steps frames of ms until total time; the number revealed after each frame.
    static std::vector<int> Run(TWdPage& page, int frames, int32_t ms) {
        std::vector<int> out;
        for (int k = 0; k < frames; ++k) {
            page.Step(ms);
            out.push_back(Revealed(page));
        }
        return out;
    }
};

TEST_F(OutputTest, WaitsScaleWithTheDelayRate) {
    engine.FadeTime = 0;
    struct Case {
        int32_t delayRate;
        const char* markup;
        std::vector<int> revealed;  // after each 10 ms frame
    } cases[] = {
        {256, "abcdef", {1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3}},             // one glyph each 50 ms
        {128, "abcdef", {1, 1, 1, 2, 2, 3, 3, 3, 4, 4, 5}},             // each 25 ms
        {0, "abcdef", {6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6}},               // all at once
        {0, "a<WAIT VALUE=-30>bc", {2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3}},  // negative waits are ms, unscaled
        {512, "a<WAIT VALUE=-30>bc", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2}},
        {-1, "a<WAIT VALUE=-30>bc", {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}},
    };
    for (const Case& c : cases) {
        engine.DelayRate = c.delayRate;
        TWdPage& page = Page(c.markup);
        EXPECT_EQ(Run(page, 11, 10), c.revealed) << c.delayRate << " " << c.markup;
    }
}

TEST_F(OutputTest, GlyphsFadeInOverTheFadeTime) {
    engine.FadeTime = 100;
    TWdPage& page = Page("a");
    const TWdGlyph& a = *engine.Glyph(0);
    page.Step(20);  // skipped after Start
    EXPECT_EQ(a.Alpha(), 0);
    page.Step(20);  // revealed; the first frame's time does not count
    EXPECT_EQ(a.Alpha(), 0);
    std::vector<int> alphas;
    for (int k = 0; k < 6; ++k) {
        page.Step(20);
        alphas.push_back(a.Alpha());
    }
    EXPECT_EQ(alphas, (std::vector<int>{51, 102, 153, 204, 255, 255}));
    engine.FadeTime = 0;
    TWdPage& quick = Page("b");
    quick.Step(20);
    EXPECT_EQ(engine.Glyph(0)->Alpha(), 255);
}

TEST_F(OutputTest, EndIsReportedOnceAfterTheLastGlyphIsOpaque) {
    engine.FadeTime = 40;
    TWdPage& page = Page("ab");
    std::vector<int> ends;
    for (int k = 0; k < 8; ++k) ends.push_back(page.Step(20).Ended);
    EXPECT_EQ(ends, (std::vector<int>{0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(page.IsFinished());
    EXPECT_FALSE(page.IsTyping());
}

TEST_F(OutputTest, EventMarksWaitForTheGlyphsBeforeThem) {
    engine.FadeTime = 100;
    engine.NotifyEnabled = true;
    std::vector<std::string> marks;
    std::vector<int> revealedAtMark;
    TWdPage* shown = nullptr;
    engine.Notify = [&](TGxWord&, const std::string& value) {
        marks.push_back(value);
        revealedAtMark.push_back(Revealed(*shown));
    };
    TWdPage& page = Page("x<EVENT VALUE=a><EVENT VALUE=b>c<EVENT VALUE=d END>e");
    shown = &page;
    page.Step(20);
    page.Step(20);  // x, a and b revealed; c waits
    EXPECT_EQ(Revealed(page), 1);
    for (int k = 0; k < 4; ++k) page.Step(20);
    EXPECT_TRUE(marks.empty());  // x is still fading in
    page.Step(20);
    EXPECT_EQ(marks, (std::vector<std::string>{"a", "b"}));  // both in one frame, in order
    EXPECT_EQ(Revealed(page), 1);                            // nothing after them in the same frame
    page.Step(20);
    EXPECT_EQ(Revealed(page), 2);  // c
    for (int k = 0; k < 12; ++k) page.Step(20);
    // The parsed END mark carries its 0x01; e follows once it is handed over.
    EXPECT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[2], "\x01" "d");
    EXPECT_EQ(Revealed(page), 3);

    // Without NotifyEnabled marks are dropped and do not hold the output.
    marks.clear();
    engine.NotifyEnabled = false;
    engine.FadeTime = 0;
    TWdPage& quiet = Page("x<EVENT VALUE=a>y");
    shown = &quiet;
    quiet.Step(20);
    EXPECT_EQ(Revealed(quiet), 2);
    EXPECT_TRUE(marks.empty());
}

TEST_F(OutputTest, AStoredStopMarkHoldsTheOutput) {
    engine.FadeTime = 0;
    engine.NotifyEnabled = true;
    std::vector<std::string> marks;
    engine.Notify = [&](TGxWord&, const std::string& v) { marks.push_back(v); };
    Parse("a<EVENT VALUE=s END><EVENT VALUE=t>b");
    TMemoryStream s;
    engine.WriteStored(s);
    s.SetPosition(0);
    engine.Clear();
    engine.LoadStored(s);
    engine.AreaWidth = engine.AreaHeight = 100;
    engine.Layout(pages, 0, -1);
    TWdPage& page = *pages[0];
    page.Render(true);
    page.Start();
    page.Step(16);
    EXPECT_EQ(marks, (std::vector<std::string>{"s"}));  // the stop flag ends the frame's output at s
    page.Step(16);
    EXPECT_EQ(marks, (std::vector<std::string>{"s", "t"}));
    page.Step(16);
    EXPECT_EQ(Revealed(page), 2);
}

TEST_F(OutputTest, RevealingAGlyphChangesOnlyItsRectangle) {
    engine.FadeTime = 0;
    engine.DelayRate = 256;
    engine.AreaLeft = 30;
    engine.AreaTop = 40;
    TWdPage& page = Page("<FONT BORDER=1>ab</FONT><BR>cd");
    page.Step(10);
    ASSERT_EQ(engine.ChangedRects.size(), 1u);
    EXPECT_EQ(engine.ChangedRects[0], engine.Glyph(0)->ScreenRect());
    EXPECT_EQ(engine.ChangedRects[0], Bounds(30, 40, 14, 14));
    page.Step(10);
    EXPECT_TRUE(engine.ChangedRects.empty());
    for (int k = 0; k < 4; ++k) page.Step(10);
    ASSERT_EQ(engine.ChangedRects.size(), 1u);
    EXPECT_EQ(engine.ChangedRects[0], Bounds(44, 40, 14, 14));
    // The caret stands where the next glyph will appear.
    EXPECT_EQ(engine.CaretX, 28);
    EXPECT_EQ(engine.CaretY, 0);
    EXPECT_EQ(engine.CaretHeight, 14);
    for (int k = 0; k < 5; ++k) page.Step(10);  // the break has no wait: c comes with it
    EXPECT_EQ(engine.CaretX, 12);
    EXPECT_EQ(engine.CaretY, 14);
    EXPECT_EQ(engine.CaretHeight, 12);
}

TEST_F(OutputTest, ShownTextIsWhatWasRevealed) {
    engine.FadeTime = 0;
    engine.DelayRate = 256;
    TWdPage& page = Page("ab<BR>cd");
    std::vector<std::string> shown;
    for (int k = 0; k < 5; ++k) {
        page.Step(50);
        shown.push_back(page.ShownText());
    }
    // The break shows with the characters before it; having no wait, it brings c along.
    EXPECT_EQ(shown, (std::vector<std::string>{"a", "ab\r\n", "ab\r\nc", "ab\r\ncd", "ab\r\ncd"}));
    EXPECT_EQ(page.Text(), "abcd");
    EXPECT_EQ(page.FirstWeighted(), engine.Glyph(0));
    EXPECT_EQ(page.LastWeighted(), engine.Glyph(4));
}

TEST_F(OutputTest, PausingFreezesAndResumingResetsTheBudget) {
    engine.FadeTime = 0;
    engine.DelayRate = 256;
    TWdPage& page = Page("abc");
    page.Step(10);
    engine.Paused = true;
    EXPECT_FALSE(page.IsTyping());
    for (int k = 0; k < 20; ++k) page.Step(10);
    EXPECT_EQ(Revealed(page), 1);
    engine.Paused = false;
    page.Resume();
    EXPECT_TRUE(page.IsTyping());
    page.Step(40);  // the budget starts again: the next glyph comes at once
    EXPECT_EQ(Revealed(page), 2);
    page.Step(5);  // 10 ms were left of b's wait
    EXPECT_EQ(Revealed(page), 2);
    page.Step(10);
    EXPECT_EQ(Revealed(page), 3);
}

TEST_F(OutputTest, ScrollModeStopsAtRowsBelowTheArea) {
    engine.FadeTime = 0;
    engine.Paging = false;
    TWdPage& page = Page("a<BR>b<BR>c<BR>d", 100, 24);
    page.Step(10);
    EXPECT_EQ(Revealed(page), 3);  // row c begins at 24, at the area's edge; d lies below it
    EXPECT_FALSE(page.IsTyping());
    page.ScrollY = 12;
    EXPECT_FALSE(page.IsTyping());  // d does not fit yet
    page.ScrollY = 24;
    page.Resume();
    EXPECT_TRUE(page.IsTyping());
    page.Step(10);
    EXPECT_EQ(Revealed(page), 4);
}

TEST_F(OutputTest, PlayStateComesBackFullyShown) {
    DeclareStr("v", "xy");
    engine.FadeTime = 100;
    engine.DelayRate = 0;
    TWdPage& page = Page("a<VAR NAME=v>b<IMG SRC=none>");
    page.Step(20);
    page.Step(20);
    page.Step(20);
    EXPECT_EQ(engine.Glyph(0)->Alpha(), 51);  // half way
    TMemoryStream saved;
    page.SaveState(saved);

    // The owner rebuilds the same glyphs and layout, starts, renders without restart and loads.
    std::vector<std::unique_ptr<TWdPage>> rebuilt;
    engine.Layout(rebuilt, 0, -1);
    TWdPage& again = *rebuilt[0];
    again.Start();
    again.Render(false);
    saved.SetPosition(0);
    again.LoadState(saved);
    for (int i = 0; i < engine.GlyphCount(); ++i) EXPECT_EQ(engine.Glyph(i)->Alpha(), 255) << i;
    EXPECT_EQ(again.CurrentRow(), 1);
    EXPECT_EQ(again.CurrentIndex(), 0);
    EXPECT_TRUE(again.IsFinished());

    // A state that does not fit the page is refused.
    TMemoryStream bad;
    WriteInt(bad, 0);
    WriteInt(bad, 0);
    WriteInt(bad, 99);
    bad.SetPosition(0);
    EXPECT_THROW(again.LoadState(bad), ERuvoError);
    TMemoryStream shortState;
    WriteInt(shortState, 0);
    shortState.SetPosition(0);
    EXPECT_THROW(again.LoadState(shortState), ERuvoError);
}

TEST_F(OutputTest, StyleRecordFollowsTheSavedVersion) {
    engine.AreaLeft = 1;
    engine.FontName = "x";
    engine.ShadowColor = 0x123;
    engine.BorderWidth = 2;
    engine.ShadowWidth = 3;
    engine.Paging = false;
    engine.NotifyEnabled = true;
    TMemoryStream s;
    engine.SaveStyle(s);
    for (int version : {109, 110, 111}) {
        TGxWord other(services);
        s.SetPosition(0);
        other.LoadStyle(s, version);
        EXPECT_EQ(other.AreaLeft, 1);
        EXPECT_EQ(other.FontName, "x");
        EXPECT_FALSE(other.Paging);
        EXPECT_TRUE(other.NotifyEnabled);
        EXPECT_EQ(other.ShadowColor, version >= 110 ? 0x123 : 0) << version;
        EXPECT_EQ(other.BorderWidth, version > 110 ? 2 : 0) << version;
        EXPECT_EQ(other.ShadowWidth, version > 110 ? 3 : 0) << version;
    }
}

} // namespace
} // namespace ruvo
