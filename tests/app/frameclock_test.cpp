#include <gtest/gtest.h>

#include "app/frameclock.hpp"

namespace ruvo {
namespace {

TEST(FrameClock, SumsFrameDurationsAndDropsStalls) {
    TFrameClock c;
    c.Resume(1000);
    EXPECT_TRUE(c.BeginFrame(1016));
    EXPECT_TRUE(c.BeginFrame(1050));
    EXPECT_EQ(c.GameClock(), 50);
    EXPECT_EQ(c.FrameTime(), 34);
    // A 3.5 s frame (a blocking box) is dropped from the clock.
    EXPECT_FALSE(c.BeginFrame(4550));
    EXPECT_EQ(c.GameClock(), 50);
    EXPECT_TRUE(c.BeginFrame(4566));
    EXPECT_EQ(c.GameClock(), 66);
    // Exactly 3000 ms still counts.
    EXPECT_TRUE(c.BeginFrame(7566));
    EXPECT_EQ(c.GameClock(), 3066);
    // After a minute without focus, re-activation measures from then.
    c.Resume(70000);
    EXPECT_TRUE(c.BeginFrame(70016));
    EXPECT_EQ(c.GameClock(), 3082);
    // The millisecond counter wraps.
    c.Resume(0xFFFFFFF0u);
    EXPECT_TRUE(c.BeginFrame(0x10));
    EXPECT_EQ(c.FrameTime(), 0x20);
}

TEST(FrameClock, SleepsTheRestOfTheFrameButAtLeastTwoMs) {
    EXPECT_EQ(TFrameClock::SleepAfter(100, 100), 16u);
    EXPECT_EQ(TFrameClock::SleepAfter(100, 110), 6u);
    EXPECT_EQ(TFrameClock::SleepAfter(100, 115), 2u);
    EXPECT_EQ(TFrameClock::SleepAfter(100, 180), 2u);
}

} // namespace
} // namespace ruvo
