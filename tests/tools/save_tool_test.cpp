// ruvotool save end to end: a game built from source saves headless, and the tool lists and dumps what
// it saved; missing and damaged slots, usage errors.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/vrfiles.hpp"
#include "support/tempdir.hpp"
#include "support/toolrun.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::RunRuvotool;
using testing::TempDir;
using testing::WriteFile;

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

class SaveTool : public ::testing::Test {
protected:
    // A game that shows a box and saves slot 2 inside a call, with an argument, a local and a resume page,
    // then ends.
    void SetUp() override {
        WriteFile(dir / "src" / "project.rvp",
                  "title = \"セーブ\"\nscreen = 320, 240\nstart = \"main.rsb\"\nvar int seen = 0\n");
        WriteFile(dir / "src" / "resume.rvs", "Calc seen = 1\n*back\nCalc seen = 2\n");
        WriteFile(dir / "src" / "main.rvs",
                  "VarNew \"name\", str, \"あい\\n\", 0\n"
                  "BoxNew PR_NAME = \"lid\", PR_WIDTH = 4, PR_HEIGHT = 5, PR_COLOR = $010203\n"
                  "Call \"sub.rsb\", 0, \"\", TRUE, [\"arg\"]\n"
                  "Terminate\n");
        WriteFile(dir / "src" / "sub.rvs",
                  "VarNew \"loc\", int, 3, 2\n"
                  "GameSave 2, \"resume.rsb\", *back, \"二番\"\n");
        const std::string game = (dir / "game").string();
        ASSERT_EQ(std::system((std::string(RUVO_TOOL_PATH) + " build " + Q(dir / "src") + " -o " + game + " > /dev/null").c_str()), 0);
        ASSERT_EQ(std::system((std::string(RUVO_PLAYER_PATH) + " --headless --frames 20 " + game).c_str()), 0);
        save = dir / "game" / "save.dat";
        ASSERT_TRUE(fs::exists(save));
    }

    TempDir dir;
    fs::path save;
};

TEST_F(SaveTool, ListsTheSlotsThenTheStatus) {
    const auto r = RunRuvotool("save list " + Q(save));
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "2\t134\t二番\nstatus\t103\n");
}

TEST_F(SaveTool, DumpsASavedGameAndTheStatusData) {
    auto r = RunRuvotool("save dump " + Q(save) + " 2");
    ASSERT_EQ(r.code, 0) << r.out;
    for (const char* line : {"slot\t2\n", "version\t134\n", "title\t二番\n", "resume\tresume.rsb\t1\n",
                             "[interpreter]\npage\tresume.rsb\nindex\t1\n",
                             "frame\t0\tpage=main.rsb index=3 started=0 cont=1 result= sender= args=[] state=0 bytes value=0\n",
                             "frame\t1\tpage=sub.rsb index=2 started=0 cont=0 result= sender= args=[arg] state=0 bytes\n",
                             "[world]\nscreen 0 front width=320 height=240 color=0x000000 visible=1\n"
                             "  \"lid\" type=2 left=0 top=0 width=4 height=5 priority=0 visible=1 color=0x010203 alpha=255\n",
                             "[events]\n[history]\nmode\told\ncount\t0\n", "[variables]\nloc=3\nname=あい\\r\\n\n", "@TextDelay=50\n",
                             "[tables]\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    r = RunRuvotool("save dump " + Q(save) + " status -o " + Q(dir / "status.txt"));
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(ReadFile(dir / "status.txt"), "status\t103\n[variables]\nseen=0\n[read]\n[images]\ndither\t0\n[tables]\n");
}

TEST_F(SaveTool, MissingDamagedAndWrongAsked) {
    auto r = RunRuvotool("save dump " + Q(save) + " 9");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("holds no slot 9"), std::string::npos) << r.out;
    r = RunRuvotool("save dump " + Q(save) + " two");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find("the slot is a number"), std::string::npos) << r.out;
    r = RunRuvotool("save list " + Q(dir / "none.dat"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("ファイルがありません"), std::string::npos) << r.out;
    r = RunRuvotool("save --help", false);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("dump"), std::string::npos);
    EXPECT_EQ(RunRuvotool("save").code, 2);

    // A changed byte inside the slot's stored data: the CRC tells, the slot is named as damaged.
    int64_t at = 0;
    {
        TVrFileCollection archive;
        archive.Open(save);
        const TVrFile* entry = archive.Find("GAMESAVEDATA2");
        ASSERT_NE(entry, nullptr);
        at = entry->Offset + entry->Size / 2;
    }
    std::string bytes = ReadFile(save);
    bytes[static_cast<size_t>(at)] ^= 0x10;
    WriteFile(save, bytes);
    r = RunRuvotool("save list " + Q(save));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("GAMESAVEDATA2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("status\t103"), std::string::npos) << r.out;
    r = RunRuvotool("save dump " + Q(save) + " 2");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("GAMESAVEDATA2"), std::string::npos) << r.out;
}

} // namespace
} // namespace ruvo
