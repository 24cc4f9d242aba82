// Read marks: pending until the window has shown the page, then read; their persisted form.
#include <gtest/gtest.h>

#include "archive/serializer.hpp"
#include "archive/streams.hpp"
#include "objects/text/readmarks.hpp"

namespace ruvo {
namespace {

TEST(ReadMarks, APendingPageIsReadOnceItsWindowCommitsIt) {
    TRuvoReadList marks;
    marks.SetPending("mes", "Story.rsb", 0, 12);
    EXPECT_FALSE(marks.IsRead("Story.rsb", 12, 0));
    marks.CommitPending("other");  // another window: nothing
    EXPECT_FALSE(marks.IsRead("Story.rsb", 12, 0));
    marks.CommitPending("mes");
    EXPECT_TRUE(marks.IsRead("story.RSB", 12, 0));  // page names without regard to case
    EXPECT_FALSE(marks.IsRead("Story.rsb", 12, 1));
    EXPECT_FALSE(marks.IsRead("Story.rsb", 0, 12));
    // A pending mark is used once; marking the same page again adds nothing.
    marks.CommitPending("mes");
    marks.SetPending("mes", "story.rsb", 0, 12);
    marks.CommitPending("mes");
    ASSERT_EQ(marks.Items().size(), 1u);
    EXPECT_EQ(marks.Items()[0].CommandIndexes.size(), 1u);
    marks.Clear();
    EXPECT_FALSE(marks.IsRead("Story.rsb", 12, 0));
}

TRuvoReadList Marked() {
    TRuvoReadList marks;
    for (auto [page, c, p] : {std::tuple{"a.rsb", 1, 0}, {"a.rsb", 1, 1}, {"b.rsb", 7, 0}}) {
        marks.SetPending("mes", page, p, c);
        marks.CommitPending("mes");
    }
    marks.SetPending("mes2", "c.rsb", 3, 4);
    return marks;
}

TEST(ReadMarks, ThePersistedFormRoundTripsFromVersion100AndIsAbsentBefore) {
    TRuvoReadList marks = Marked();
    TMemoryStream out;
    TSerializer w = TSerializer::Writer(out, 103);
    marks.Sync(w);
    for (const int32_t version : {100, 103}) {
        out.SetPosition(0);
        TRuvoReadList back;
        TSerializer r = TSerializer::Reader(out, version);
        back.Sync(r);
        EXPECT_EQ(out.Remaining(), 0);
        EXPECT_TRUE(back.IsRead("a.rsb", 1, 1));
        EXPECT_TRUE(back.IsRead("B.rsb", 7, 0));
        EXPECT_EQ(back.Pending().PageName, "c.rsb");
        EXPECT_EQ(back.Pending().PageIndex, 3);
        EXPECT_EQ(back.Pending().CommandIndex, 4);
        back.CommitPending("mes2");
        EXPECT_TRUE(back.IsRead("c.rsb", 4, 3));
    }
    // Status data older than 100 has no read marks: the register is emptied and nothing is read.
    out.SetPosition(0);
    TRuvoReadList old = Marked();
    TSerializer r = TSerializer::Reader(out, 0);
    old.Sync(r);
    EXPECT_EQ(out.Position(), 0);
    EXPECT_TRUE(old.Items().empty());
    EXPECT_TRUE(old.Pending().PageName.empty());
}

TEST(ReadMarks, CountsTheDataCannotHoldAreRefused) {
    TMemoryStream in;
    WriteInt(in, 1);
    WriteStr(in, "a.rsb");
    WriteInt(in, 1000000);  // pairs
    in.SetPosition(0);
    TRuvoReadList marks;
    TSerializer r = TSerializer::Reader(in, 103);
    EXPECT_THROW(marks.Sync(r), ERuvoError);
}

} // namespace
} // namespace ruvo
