#include <gtest/gtest.h>

#include "app/locatedata.hpp"
#include "archive/bigstreams.hpp"
#include "archive/discs.hpp"
#include "archive/installset.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfilemanager.hpp"
#include "archive/vrfiles.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using ruvo::testing::TempDir;

class FakeDiscs : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override {
        ++looks;
        return roots;
    }
    std::vector<fs::path> roots;
    int looks = 0;
};

class ScriptedPrompts : public TLocatePrompts {
public:
    void Reinstall() override { ++reinstall; }
    bool InsertDisc() override {
        ++insert;
        return insertAnswers.empty() ? false : (insertAnswers.erase(insertAnswers.begin()), true);
    }
    bool Quit() override {
        ++quit;
        return quitAnswers.empty() ? true : (quitAnswers.erase(quitAnswers.begin()), false);
    }
    int reinstall = 0, insert = 0, quit = 0;
    std::vector<int> insertAnswers;  // each entry: one "OK, look again"
    std::vector<int> quitAnswers;    // each entry: one "Cancel, look again"
};

void WriteInstall(const fs::path& folder, const std::string& utf8Title, bool whole) {
    fs::create_directories(folder);
    TRuvoInstallSet record;
    record.Title = Utf8ToSjis(utf8Title);
    record.InstalledWhole = whole;
    record.SaveToFile(folder / "install.dat");
}

void WriteGameDat(const fs::path& folder, const std::string& marker) {
    fs::create_directories(folder);
    TVrFileCollection archive;
    TVrFile& entry = archive.AddMemoryFile(marker);
    entry.Data = std::make_unique<TGxMemoryStream>();
    entry.Data->WriteBuffer("x", 1);
    TGxBigFileStream out(folder / "game.dat", bigmode::Create);
    archive.WriteTo(out);
}

class LocateDataTest : public ::testing::Test {
protected:
    TempDir dir;
    TDeletionList deletions;
    TVrFileManager files{deletions, std::make_unique<FakeDiscs>(), dir.Path()};
    FakeDiscs discs;
    ScriptedPrompts prompts;
    fs::path player = dir / "player";
};

TEST_F(LocateDataTest, WithoutAnInstallRecordTheUserIsToldToReinstall) {
    fs::create_directories(player);
    EXPECT_FALSE(LocateData(files, player, discs, prompts));
    EXPECT_EQ(prompts.reinstall, 1);
    EXPECT_EQ(discs.looks, 0);
}

TEST_F(LocateDataTest, AWholeInstallationBesideThePlayerNeedsNoDisc) {
    WriteInstall(player, "ゲーム", true);
    WriteGameDat(player, "beside.txt");
    EXPECT_TRUE(LocateData(files, player, discs, prompts));
    EXPECT_EQ(discs.looks, 0);
    EXPECT_TRUE(files.Exists("beside.txt"));
    EXPECT_EQ(files.BaseFolder(), player);
}

TEST_F(LocateDataTest, APartialInstallationAlsoTakesTheDiscWithTheSameTitle) {
    WriteInstall(player, "ゲーム", false);
    WriteGameDat(player, "beside.txt");
    WriteInstall(dir / "other-disc", "別のゲーム", false);
    WriteGameDat(dir / "other-disc", "wrong.txt");
    WriteInstall(dir / "disc", "ゲーム", false);
    WriteGameDat(dir / "disc", "ondisc.txt");
    discs.roots = {dir / "other-disc", dir / "disc"};
    EXPECT_TRUE(LocateData(files, player, discs, prompts));
    EXPECT_TRUE(files.Exists("beside.txt"));
    EXPECT_TRUE(files.Exists("ondisc.txt"));
    EXPECT_FALSE(files.Exists("wrong.txt"));
    EXPECT_EQ(prompts.insert, 0);
}

TEST_F(LocateDataTest, NoDiscAsksUntilTheUserGivesUp) {
    WriteInstall(player, "ゲーム", false);
    prompts.insertAnswers = {1, 1};  // OK twice: look again
    prompts.quitAnswers = {1};       // the first quit prompt is cancelled: look again
    EXPECT_FALSE(LocateData(files, player, discs, prompts));
    EXPECT_EQ(prompts.insert, 4);  // OK, OK, Cancel (quit: Cancel), Cancel (quit: OK)
    EXPECT_EQ(prompts.quit, 2);
    EXPECT_EQ(discs.looks, 4);
}

} // namespace
} // namespace ruvo
