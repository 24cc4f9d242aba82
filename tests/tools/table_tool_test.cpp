// ruvotool table: how TSV files load, from a file or an archive entry, with the first faulty line and
// the files that fail; and the data tables in ruvotool save dump.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "archive/bigstreams.hpp"
#include "archive/sjis.hpp"
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

class TableTool : public ::testing::Test {
protected:
    // A TSV file written in Shift-JIS from UTF-8 text.
    fs::path Tsv(const std::string& name, const std::string& utf8) {
        WriteFile(dir / name, Utf8ToSjis(utf8));
        return dir / name;
    }
    TempDir dir;
};

TEST_F(TableTool, ShowsFieldsRecordsAndTheFirstFaultyLine) {
    const std::string header = "id int\tname\tprice float\tok bool\tcode str 2\r\n";
    struct Case {
        const char* what;
        std::string records;
        const char* faulty;  // the last line of the output
    } cases[] = {
        {"clean", "1\tりんご\t1.5\tTRUE\tab\r\n\r\n2\tタブ\\t\t-2\tFALSE\tz", "no faulty line\n"},
        {"a part too few", "1\tりんご\t1.5\tTRUE\r\n", "first faulty line\t2\t4 parts for 5 fields\n"},
        {"a number that is none", "1\ta\t1.5\tTRUE\tab\n2\tb\tabc\tTRUE\tab", "first faulty line\t3\t\"abc\" is no number: field price gets 0\n"},
        {"an integer that is none", "x\ta\t1\tTRUE\tab", "first faulty line\t2\t\"x\" is no integer: field id gets 0\n"},
        {"a flag in lower case", "1\ta\t1\ttrue\tab", "first faulty line\t2\t\"true\" is neither TRUE nor FALSE: field ok gets FALSE\n"},
        {"a string cut", "1\ta\t1\tTRUE\tabc", "first faulty line\t2\t\"abc\" has 3 bytes: field code keeps 2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = RunRuvotool("table " + Q(Tsv("items.tsv", header + c.records)));
        EXPECT_EQ(r.code, 0) << r.out;
        EXPECT_EQ(r.out.rfind("table\tTSV\tstatus=0 records=", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("\nfields\tid int\tname str 80\tprice float\tok bool\tcode str 2\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - std::min(r.out.size(), std::string(c.faulty).size())), c.faulty) << r.out;
    }
    // The clean file's records; a backslash that is no escape stays, shown escaped.
    const auto r = RunRuvotool("table " + Q(Tsv("items.tsv", header + cases[0].records)));
    EXPECT_NE(r.out.find("records=2 recno=1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("record\t0\t1\tりんご\t1.5\tTRUE\tab\nrecord\t1\t2\tタブ\\\\t\t-2\tFALSE\tz\n"), std::string::npos) << r.out;
}

TEST_F(TableTool, FilesThatDoNotLoadNameTheLine) {
    auto r = RunRuvotool("table " + Q(Tsv("bad.tsv", "a int\t\tb\r\n1\t2\r\n")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "not loaded: line 1: field 2 has no name\n");
    r = RunRuvotool("table " + Q(dir / "missing.tsv"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("missing.tsv"), std::string::npos) << r.out;
    r = RunRuvotool("table");
    EXPECT_EQ(r.code, 2);
    r = RunRuvotool("table --help");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("DBLoadTsvFile"), std::string::npos) << r.out;
}

TEST_F(TableTool, ReadsAnArchiveEntryAndCutsTheListing) {
    std::string text = "n int\r\n";
    for (int i = 0; i < 10; ++i) text += std::to_string(i) + "\r\n";
    {
        TVrFileCollection archive;
        archive.AddMemoryFile("data\\nums.tsv").Data->Write(text.data(), static_cast<int64_t>(text.size()));
        TGxBigFileStream out(dir / "game.dat", bigmode::Create);
        ASSERT_TRUE(archive.WriteTo(out));
    }
    const auto r = RunRuvotool("table " + Q(dir / "game.dat") + ":data/NUMS.tsv -n 3 -o " + Q(dir / "out.txt"));
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(ReadFile(dir / "out.txt"), "table\tTSV\tstatus=0 records=10 recno=9\nfields\tn int\n"
                                         "record\t0\t0\nrecord\t1\t1\nrecord\t2\t2\n... 7 more records\nno faulty line\n");
}

TEST_F(TableTool, SaveDumpListsTheTablesOfASlotAndOfTheStatusData) {
    WriteFile(dir / "src" / "project.rvp", "title = \"表\"\nscreen = 320, 240\nstart = \"main.rsb\"\n");
    WriteFile(dir / "src" / "main.rvs",
              "VarNew \"x\", int, 0, 0\n"
              "Calc x = DBCreateTable(\"seen\", TRUE)\n"
              "Calc x = DBAddField(\"chapter\", 1)\n"
              "Calc x = DBInsert(3)\n"
              "Calc x = DBCreateTable(\"items\", FALSE)\n"
              "Calc x = DBAddField(\"name\", 4, 10)\n"
              "Calc x = DBAddField(\"count\", 1)\n"
              "Calc x = DBInsert(\"剣\", 1)\n"
              "Calc x = DBInsert(\"盾\", 2)\n"
              "Calc x = DBSetRecNo(0)\n"
              "GameSave 1, \"\", 0, \"一\"\n"
              "Terminate\n");
    const std::string game = (dir / "game").string();
    ASSERT_EQ(std::system((std::string(RUVO_TOOL_PATH) + " build " + Q(dir / "src") + " -o " + Q(game) + " > /dev/null").c_str()), 0);
    ASSERT_EQ(std::system((std::string(RUVO_PLAYER_PATH) + " --headless --frames 10 " + Q(game)).c_str()), 0);
    const fs::path save = dir / "game" / "save.dat";
    auto r = RunRuvotool("save dump " + Q(save) + " 1");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("[tables]\nactive\titems\ntable\titems\tstatus=0 records=2 recno=0\n"
                         "fields\tname str 10\tcount int\nrecord\t0\t剣\t1\nrecord\t1\t盾\t2\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("table\tseen"), std::string::npos) << r.out;  // a status table is not in a saved game
    r = RunRuvotool("save dump " + Q(save) + " status");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("[tables]\ntable\tseen\tstatus=1 records=1 recno=0\nfields\tchapter int\nrecord\t0\t3\n"),
              std::string::npos)
        << r.out;
}

} // namespace
} // namespace ruvo
