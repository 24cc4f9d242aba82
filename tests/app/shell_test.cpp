#include <gtest/gtest.h>

#include "app/gameini.hpp"
#include "app/instance.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

TEST(GameIni, SoundSectionWithDefaultsAndDelayRounding) {
    EXPECT_TRUE(ParseGameIni("").directSound);
    EXPECT_EQ(ParseGameIni("").delayTime, 500);
    const auto ini = ParseGameIni("[Other]\nDelayTime=300\n[sound]\r\ndirectsound = 0\r\nDELAYTIME=250\r\n");
    EXPECT_FALSE(ini.directSound);
    EXPECT_EQ(ini.delayTime, 200);
    EXPECT_EQ(ParseGameIni("[Sound]\nDelayTime=abc\n").delayTime, 500);  // not a number: the default
    const struct {
        long long in;
        int out;
    } delays[] = {{1234, 500}, {50, 100}, {250, 200}, {100, 100}, {499, 400}, {-300, 100}, {0, 100}};
    for (const auto& d : delays) EXPECT_EQ(NormaliseDelayTime(d.in), d.out) << d.in;
}

TEST(Instance, NameIsUpperCasedWithSeparatorsAsDashes) {
    EXPECT_EQ(InstanceName("C:\\Games\\Foo"), "C:-GAMES-FOO-");
    EXPECT_EQ(InstanceName("c:\\games\\foo\\"), "C:-GAMES-FOO-");
    EXPECT_EQ(InstanceName("/home/u/game"), "-HOME-U-GAME-");
    EXPECT_EQ(InstanceName("/config"), "-CONFIG-");
    // 表 is 0x95 0x5C: its second byte is not a separator, and two-byte characters keep their case.
    EXPECT_EQ(InstanceName("a\\\x95\x5c"), "A-\x95\x5c-");
}

TEST(Instance, ASecondLockOnTheSameNameIsRefusedUntilTheFirstEnds) {
    ruvo::testing::TempDir dir;
    {
        TInstanceLock first("C:-GAMES-FOO-", dir.Path());
        EXPECT_FALSE(first.OtherInstanceRunning());
        TInstanceLock second("C:-GAMES-FOO-", dir.Path());
        EXPECT_TRUE(second.OtherInstanceRunning());
        TInstanceLock other("C:-GAMES-BAR-", dir.Path());
        EXPECT_FALSE(other.OtherInstanceRunning());
        TInstanceLock longName(std::string(400, 'X'), dir.Path());
        EXPECT_FALSE(longName.OtherInstanceRunning());
        EXPECT_TRUE(TInstanceLock(std::string(400, 'X'), dir.Path()).OtherInstanceRunning());
    }
    TInstanceLock again("C:-GAMES-FOO-", dir.Path());
    EXPECT_FALSE(again.OtherInstanceRunning());
}

} // namespace
} // namespace ruvo
