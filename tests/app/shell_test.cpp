#include <gtest/gtest.h>
#include <unistd.h>

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

TEST(Instance, NameHasSeparatorsAsDashesAndKeepsCaseWhereFoldersDo) {
    EXPECT_EQ(InstanceName("C:\\Games\\Foo", true), "C:-GAMES-FOO-");
    EXPECT_EQ(InstanceName("c:\\games\\foo\\", true), "C:-GAMES-FOO-");
    EXPECT_EQ(InstanceName("/config", true), "-CONFIG-");
    // 表 is 0x95 0x5C: its second byte is not a separator, and two-byte characters keep their case.
    EXPECT_EQ(InstanceName("a\\\x95\x5c", true), "A-\x95\x5c-");
    // On Linux /home/u/Game and /home/u/game are two games.
    EXPECT_EQ(InstanceName("/home/u/Game"), "-home-u-Game-");
    EXPECT_NE(InstanceName("/home/u/Game"), InstanceName("/home/u/game"));
}

TEST(Instance, ASecondLockOnTheSameNameIsRefusedUntilTheFirstEnds) {
    ruvo::testing::TempDir dir;
    {
        TInstanceLock first("C:-GAMES-FOO-", dir.Path());
        EXPECT_TRUE(first.Held());
        EXPECT_TRUE(first.Problem().empty()) << first.Problem();
        TInstanceLock second("C:-GAMES-FOO-", dir.Path());
        EXPECT_TRUE(second.OtherInstanceRunning());
        EXPECT_FALSE(second.Held());
        TInstanceLock other("C:-GAMES-BAR-", dir.Path());
        EXPECT_FALSE(other.OtherInstanceRunning());
        TInstanceLock longName(std::string(400, 'X'), dir.Path());
        EXPECT_FALSE(longName.OtherInstanceRunning());
        EXPECT_TRUE(TInstanceLock(std::string(400, 'X'), dir.Path()).OtherInstanceRunning());
    }
    // Every lock file went with its holder.
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    TInstanceLock again("C:-GAMES-FOO-", dir.Path());
    EXPECT_TRUE(again.Held());
    // A file left by a player that crashed is no lock.
    ruvo::testing::TempDir crashed;
    ruvo::testing::WriteFile(crashed / std::filesystem::path(again.LockFile()).filename().string(), "");
    EXPECT_TRUE(TInstanceLock("C:-GAMES-FOO-", crashed.Path()).Held());
}

TEST(Instance, AFolderOthersCanChangeIsNeverUsed) {
    namespace fs = std::filesystem;
    ruvo::testing::TempDir dir;
    ruvo::testing::WriteFile(dir / "victim.txt", "keep");
    const std::string name = "-home-u-game-";

    // Made when missing, for the user alone.
    const fs::path fresh = dir / "ruvoplay-fresh";
    EXPECT_TRUE(TInstanceLock(name, fresh).Held());
    EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all, fs::perms::owner_all);

    // A link planted where the folder goes, and a folder anyone may write to.
    fs::create_directory_symlink(dir.Path(), dir / "ruvoplay-link");
    fs::create_directory(dir / "ruvoplay-open");
    fs::permissions(dir / "ruvoplay-open", fs::perms::all);
    for (const char* folder : {"ruvoplay-link", "ruvoplay-open"}) {
        SCOPED_TRACE(folder);
        TInstanceLock lock(name, dir / folder);
        EXPECT_FALSE(lock.Held());
        EXPECT_FALSE(lock.OtherInstanceRunning());  // runs unguarded rather than be kept from starting
        EXPECT_FALSE(lock.Problem().empty());
    }
    EXPECT_FALSE(fs::exists(dir / "ruvoplay-open" / fs::path(TInstanceLock(name, fresh).LockFile()).filename()));

    // A folder of another user (only root can make one to try).
    if (::geteuid() == 0) {
        fs::create_directory(dir / "ruvoplay-theirs");
        ASSERT_EQ(::chown((dir / "ruvoplay-theirs").c_str(), 4242, 4242), 0);
        TInstanceLock lock(name, dir / "ruvoplay-theirs");
        EXPECT_FALSE(lock.Held());
        EXPECT_NE(lock.Problem().find("another user"), std::string::npos) << lock.Problem();
    }

    // A link planted in our own folder where the lock file goes is not followed.
    const fs::path lockFile = TInstanceLock(name, fresh).LockFile();
    fs::create_symlink(dir / "victim.txt", lockFile);
    TInstanceLock lock(name, fresh);
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(lock.Problem().empty());
    EXPECT_EQ(ruvo::testing::ReadFile(dir / "victim.txt"), "keep");
}

} // namespace
} // namespace ruvo
