// Saved games across runs of the player: one run saves, the next loads and goes on from the resume
// point with the saved variables; the status data outlives both; --save-dir; an unusable slot.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "archive/vrfiles.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class SavedGames : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir / "src" / "project.rvp",
                  "title = \"続き\"\nscreen = 320, 240\nstart = \"main.rsb\"\nvar int runs = 0\n");
        // The first run saves slot 1 and ends; a later one loads it and goes on after the GameSave,
        // through the resume page.
        WriteFile(dir / "src" / "main.rvs",
                  "Calc runs = runs + 1\n"
                  "VarNew \"resumed\", int, 0, 0\n"
                  "If GetSaveCaption(1) <> \"\"\n"
                  "    GameLoad 1\n"
                  "VarNew \"x\", int, 5, 0\n"
                  "VarNew \"words\", str, \"ことば\", 0\n"
                  "GameSave 1, \"resume.rsb\", *go, \"最初\"\n"
                  "Calc resumed = runs * 100 + x\n"
                  "Calc x = 9\n"
                  "Terminate\n");
        WriteFile(dir / "src" / "resume.rvs", "VarNew \"hello\", str, \"never\", 0\n*go\nVarNew \"hello\", str, \"loaded\", 0\n");
        EXPECT_EQ(Shell(std::string(RUVO_TOOL_PATH) + " build '" + (dir / "src").string() + "' -o '" + game.string() +
                        "' > /dev/null"),
                  0);
    }

    static int Shell(const std::string& command) {
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The variables at the end of a headless run, NAME=VALUE lines.
    std::string Play(const std::string& options = "") {
        fs::remove(dir / "vars.txt");
        const int code = Shell(std::string(RUVO_PLAYER_PATH) + " --headless --frames 50 --dump-vars '" +
                               (dir / "vars.txt").string() + "' " + options + " '" + game.string() + "' 2> '" +
                               (dir / "err.txt").string() + "'");
        EXPECT_EQ(code, 0) << ReadFile(dir / "err.txt");
        return ReadFile(dir / "vars.txt");
    }

    TempDir dir;
    fs::path game = dir / "game";
};

TEST_F(SavedGames, ASecondRunLoadsTheGameAndGoesOnFromTheResumePoint) {
    EXPECT_EQ(Play(), "resumed=105\nruns=1\nwords=ことば\nx=9\n");
    EXPECT_TRUE(fs::exists(game / "save.dat"));
    // runs is a project variable: kept in the status data, it is 2 now and not the project's 0.
    EXPECT_EQ(Play(), "hello=loaded\nresumed=205\nruns=2\nwords=ことば\nx=9\n");
    EXPECT_EQ(Play(), "hello=loaded\nresumed=305\nruns=3\nwords=ことば\nx=9\n");
}

TEST_F(SavedGames, TheSaveDirectoryOptionKeepsTheSavesThere) {
    const std::string option = "--save-dir '" + (dir / "saves").string() + "'";
    EXPECT_EQ(Play(option), "resumed=105\nruns=1\nwords=ことば\nx=9\n");
    EXPECT_FALSE(fs::exists(game / "save.dat"));
    EXPECT_TRUE(fs::exists(dir / "saves" / "save.dat"));
    EXPECT_EQ(Play(option), "hello=loaded\nresumed=205\nruns=2\nwords=ことば\nx=9\n");
    EXPECT_EQ(Play(), "resumed=105\nruns=1\nwords=ことば\nx=9\n");  // the game folder had none
}

TEST_F(SavedGames, AnUnusableSlotStopsThePlayerWithTheWarningAndChangesNothing) {
    Play();
    // A byte of the slot's stored data changes.
    int64_t at = 0;
    {
        TVrFileCollection archive;
        archive.Open(game / "save.dat");
        const TVrFile* entry = archive.Find("GAMESAVEDATA1");
        ASSERT_NE(entry, nullptr);
        at = entry->Offset + entry->Size / 2;
    }
    std::string bytes = ReadFile(game / "save.dat");
    bytes[static_cast<size_t>(at)] ^= 0x01;
    WriteFile(game / "save.dat", bytes);
    // The slot is no longer listed, so the script would not load it: load it anyway.
    std::string main = ReadFile(dir / "src" / "main.rvs");
    const std::string asked = "If GetSaveCaption(1) <> \"\"";
    main.replace(main.find(asked), asked.size(), "If runs > 1");
    WriteFile(dir / "src" / "main.rvs", main);
    ASSERT_EQ(Shell(std::string(RUVO_TOOL_PATH) + " build '" + (dir / "src").string() + "' -o '" + game.string() +
                    "' > /dev/null"),
              0);
    EXPECT_EQ(Play(), "resumed=0\nruns=2\n");  // the frame of the GameLoad ended the run
    EXPECT_NE(ReadFile(dir / "err.txt").find("[警告] このセーブデータは使用できません\r\n終了してください"), std::string::npos)
        << ReadFile(dir / "err.txt");
}

} // namespace
} // namespace ruvo
