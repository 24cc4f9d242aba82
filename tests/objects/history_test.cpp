// The message history's model: old-mode entries and page-mode pages with their capacity, the pending
// entry recorded once when its window leaves it, and the persisted form at every version it knows.
#include <gtest/gtest.h>

#include "archive/serializer.hpp"
#include "archive/streams.hpp"
#include "objects/text/history.hpp"

namespace ruvo {
namespace {

THistoryPending Shown(const std::string& window, const std::string& page, int32_t command, int32_t pageIndex = 0) {
    THistoryPending p;
    p.WindowName = window;
    p.PageFile = page;
    p.CommandIndex = command;
    p.PageIndex = pageIndex;
    p.FirstLine = 0;
    p.LastLine = 2;
    p.Text = "text of " + page;
    p.WindowWidth = 640;
    p.WindowHeight = 120;
    return p;
}

// A layout of n lines of the given height.
THistoryLayout Lines(int n, int32_t height) {
    return [n, height](const THistoryPending&) {
        std::vector<THistoryLine> lines;
        for (int i = 0; i < n; ++i) lines.push_back({i, i, height});
        return std::optional<std::vector<THistoryLine>>(lines);
    };
}

const std::array<int32_t, 6> kOldFormat{};
const std::array<int32_t, 6> kPageFormat{16, 1, 2, 600, 100, 4};  // pages 100 pixels high, 4 between lines

TEST(History, OldModeKeepsTheLastEntriesUpToTheCapacity) {
    TRuvoNewHistory h;
    h.Capacity = 3;
    for (int i = 0; i < 5; ++i) {
        h.RecordShown(Shown("mes", i < 2 ? "a.rsb" : "b.rsb", i, i), kOldFormat);
        h.CloseEntry("mes", {});
    }
    EXPECT_FALSE(h.PageMode());
    EXPECT_EQ(h.Count(), 3);
    ASSERT_EQ(h.Entries.size(), 3u);
    // Entries name their page file when it differs from the one before; the oldest kept names it again.
    EXPECT_EQ(h.Entries[0].PageFile, "b.rsb");
    EXPECT_EQ(h.Entries[1].PageFile, "");
    EXPECT_EQ(h.Entries[2].PageFile, "");
    EXPECT_EQ(h.Entries[2].CommandIndex, 4);
    EXPECT_EQ(h.Entries[2].PageIndex, 4);
    EXPECT_EQ(h.Entries[2].WindowWidth, 640);
}

TEST(History, AnEntryIsRecordedOnceWhenItsWindowLeavesIt) {
    TRuvoNewHistory h;
    h.RecordShown(Shown("mes", "a.rsb", 1), kOldFormat);
    h.CloseEntry("other", {});  // another window's entry ends: nothing
    EXPECT_EQ(h.Count(), 0);
    // A second text in the same window: the first page is recorded when the window's entry closes.
    h.CloseEntry("mes", {});
    h.RecordShown(Shown("mes", "a.rsb", 2), kOldFormat);
    h.CloseEntry("mes", {});
    h.CloseEntry("mes", {});
    ASSERT_EQ(h.Count(), 2);
    EXPECT_EQ(h.Entries[0].CommandIndex, 1);
    EXPECT_EQ(h.Entries[1].CommandIndex, 2);
}

TEST(History, PageModePacksLinesIntoPagesOfTheFormatHeight) {
    TRuvoNewHistory h;
    h.RecordShown(Shown("mes", "a.rsb", 1), kPageFormat);
    EXPECT_TRUE(h.PageMode());  // the history took the format: it has no pages yet
    h.CloseEntry("mes", Lines(3, 20));  // 3 lines of 24: 72 pixels
    EXPECT_EQ(h.Count(), 72);
    h.RecordShown(Shown("mes", "b.rsb", 2), std::array<int32_t, 6>{});  // once pages exist the format stays
    h.CloseEntry("mes", Lines(2, 20));  // 96 fits 100, the next line starts a page
    ASSERT_EQ(h.Pages.size(), 2u);
    EXPECT_EQ(h.Pages[0].TotalHeight, 96);
    EXPECT_EQ(h.Pages[0].Pieces.size(), 4u);
    EXPECT_EQ(h.Pages[0].Pieces[3].PageFile, "b.rsb");
    EXPECT_EQ(h.Pages[1].Pieces[0].PageFile, "b.rsb");  // each page names its file on its first piece
    EXPECT_EQ(h.Pages[1].Pieces[0].Text, "text of b.rsb");
    EXPECT_EQ(h.Count(), 120);
    // A text whose page or command is gone records nothing; the capacity keeps the newest pages.
    h.RecordShown(Shown("mes", "gone.rsb", 3), kPageFormat);
    h.CloseEntry("mes", [](const THistoryPending&) { return std::optional<std::vector<THistoryLine>>(); });
    EXPECT_EQ(h.Count(), 120);
    h.Capacity = 1;
    h.RecordShown(Shown("mes", "c.rsb", 4), kPageFormat);
    h.CloseEntry("mes", Lines(1, 20));
    ASSERT_EQ(h.Pages.size(), 1u);
    EXPECT_EQ(h.Count(), 48);
    h.Clear();
    EXPECT_EQ(h.Count(), 0);
    EXPECT_EQ(h.Capacity, 1);
}

TRuvoNewHistory Filled() {
    TRuvoNewHistory h;
    h.Capacity = 7;
    h.RecordShown(Shown("mes", "a.rsb", 1), kPageFormat);
    h.CloseEntry("mes", Lines(2, 20));
    h.RecordShown(Shown("mes", "b.rsb", 5, 2), kPageFormat);  // left pending
    h.Pending.FirstLine = 3;
    h.Pending.LastLine = 9;
    h.Entries = {{"a.rsb", 1, 0, 640, 120}, {"", 2, 1, 640, 120}};
    return h;
}

TEST(History, EachVersionGuardReadsWhatThatVersionWrote) {
    // Written at each version the guards tell apart, read back at it: what the version lacks stays as the
    // reading history had it (capacity, format) or empty (pages, texts).
    for (const int32_t version : {107, 112, 113, 123, 124, kSaveVersion}) {
        SCOPED_TRACE(version);
        TRuvoNewHistory h = Filled();
        TMemoryStream out;
        TSerializer w = TSerializer::Writer(out, version);
        h.Sync(w);
        out.SetPosition(0);
        TRuvoNewHistory back;
        back.Capacity = 99;
        back.Pages.resize(3);
        TSerializer r = TSerializer::Reader(out, version);
        back.Sync(r);
        EXPECT_EQ(out.Remaining(), 0);
        ASSERT_EQ(back.Entries.size(), 2u);
        EXPECT_EQ(back.Entries[0].PageFile, "a.rsb");
        EXPECT_EQ(back.Entries[1].PageIndex, 1);
        EXPECT_EQ(back.Entries[1].WindowHeight, 120);
        EXPECT_EQ(back.Pending.CommandIndex, 5);
        EXPECT_EQ(back.Pending.WindowName, "mes");
        EXPECT_EQ(back.Capacity, version >= 113 ? 7 : 99);
        EXPECT_EQ(back.Engine.PageHeight, version >= 113 ? 100 : 0);
        EXPECT_EQ(back.Pending.LastLine, version >= 113 ? 9 : 0);
        ASSERT_EQ(back.Pages.size(), version >= 113 ? 1u : 0u);
        if (version >= 113) {
            EXPECT_EQ(back.Pages[0].TotalHeight, 48);
            EXPECT_EQ(back.Pages[0].Pieces[1].Text, version >= 124 ? "text of a.rsb" : "");
        }
        EXPECT_EQ(back.Pending.Text, version >= 124 ? "text of b.rsb" : "");
    }
}

TEST(History, OldGamesStoreTheEntriesAsArraysAfterAnUnusedString) {
    TMemoryStream in;
    WriteStr(in, "ignored");
    WriteInt(in, 2);
    WriteStr(in, "a.rsb");
    WriteStr(in, "");
    for (int32_t v : {10, 11, 0, 1, 320, 80, 640, 160}) WriteInt(in, v);  // commands, pages, sizes
    WriteStr(in, "");  // pending: page file, command, page, size, window
    for (int32_t v : {0, 0, 0, 0}) WriteInt(in, v);
    WriteStr(in, "");
    in.SetPosition(0);
    TRuvoNewHistory h;
    TSerializer r = TSerializer::Reader(in, 110);
    h.Sync(r);
    EXPECT_EQ(in.Remaining(), 0);
    ASSERT_EQ(h.Entries.size(), 2u);
    EXPECT_EQ(h.Entries[1].CommandIndex, 11);
    EXPECT_EQ(h.Entries[1].PageIndex, 1);
    EXPECT_EQ(h.Entries[0].WindowWidth, 320);
    EXPECT_EQ(h.Entries[1].WindowHeight, 160);
}

TEST(History, CountsTheDataCannotHoldAreRefused) {
    for (const int32_t version : {110, 134}) {
        TMemoryStream in;
        if (version < 113) WriteStr(in, "");
        WriteInt(in, 0x7FFFFFFF);
        in.SetPosition(0);
        TRuvoNewHistory h;
        TSerializer r = TSerializer::Reader(in, version);
        EXPECT_THROW(h.Sync(r), ERuvoError) << version;
    }
}

} // namespace
} // namespace ruvo
