// The DB functions and the file functions as scripts call them: each case runs expressions one after
// another on fresh tables and checks the values of further expressions in order; TSV files and text
// files come from memory files of the game.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "archive/deletionlist.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "params/datatables.hpp"
#include "params/funcs_owned.hpp"
#include "params_fixture.hpp"

namespace ruvo {
namespace {

class NoDiscs : public IDiscRoots {
public:
    std::vector<std::filesystem::path> Roots() override { return {}; }
};

class TableFuncsFixture : public testing::ParamsFixture {
protected:
    TableFuncsFixture() {
        files.AddArchive({});
        const TFileAccess access{files, [this](std::string_view name) {
                                     asked.emplace_back(name);
                                     if (name == "boom.tsv") throw std::runtime_error("the disc prompt failed");
                                     return files.Exists(name);
                                 }};
        RegisterFileFunctions(funcs, access);
        RegisterTableFunctions(funcs, tables, access);
        for (const char* name : {"k", "v", "s"}) Declare(name, 4);
        Declare("vi", 1);
        Declare("d", 3);
    }

    // A file of the game: the UTF-8 text stored as Shift-JIS.
    void AddFile(const std::string& name, const std::string& utf8) {
        const std::string sjis = Utf8ToSjis(utf8);
        files.Collection(0).AddMemoryFile(Utf8ToSjis(name)).Data->Write(sjis.data(), static_cast<int64_t>(sjis.size()));
    }

    // Runs each line as an expression; a line that stops with an error fails the test.
    void Script(const std::string& lines) {
        std::string line;
        for (size_t start = 0; start < lines.size();) {
            size_t end = lines.find('\n', start);
            if (end == std::string::npos) end = lines.size();
            line = lines.substr(start, end - start);
            start = end + 1;
            if (line.empty()) continue;
            const TRuvoParser parser = Run(line);
            EXPECT_LT(parser.LastStop().operation, 0) << line << ": " << SjisToUtf8Lossy(parser.LastStop().message);
        }
    }

    TDeletionList deletions;
    TVrFileManager files{deletions, std::make_unique<NoDiscs>(), {}};
    TDBManager tables;
    std::vector<std::string> asked;  // the names whose availability was asked
};

struct TableCase {
    const char* what;
    const char* script;  // expressions, one a line
    std::vector<std::pair<const char*, const char*>> checks;  // expression and its value, in order
};

class TableFuncs : public TableFuncsFixture, public ::testing::WithParamInterface<TableCase> {};

TEST_P(TableFuncs, GiveTheExpectedValues) {
    Script(GetParam().script);
    for (const auto& [expression, expected] : GetParam().checks) EXPECT_EQ(Value(expression), expected) << expression;
}

const TableCase kTableCases[] = {
    {"a string field without a max length always reads empty",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"s\", 4)\nDBInsert(\"abc\")",
     {{"DBGetStr(\"s\")", ""}, {"DBSetStr(\"s\", \"x\")", "TRUE"}, {"DBGetStr(\"s\")", ""}, {"DBRecordCount()", "1"}}},
    {"a max length of 5 cuts, never inside a character",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"s\", 4, 5)\nDBAddField(\"j\", 4, 5)\nDBInsert(\"abcdefgh\", \"あいう\")",
     {{"DBGetStr(\"s\")", "abcde"}, {"DBGetStr(\"j\")", "あい"}, {"DBSetStr(\"s\", \"xy\")", "TRUE"}, {"DBGetStr(\"s\")", "xy"}}},
    {"a field added to records reads its type's zero in each",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"a\", 1)\nDBInsert(5)\nDBInsert(6)\nDBAddField(\"i\", 1)\n"
     "DBAddField(\"f\", 2)\nDBAddField(\"b\", 3)\nDBAddField(\"s\", 4, 10)",
     {{"DBGetInt(\"a\")", "6"}, {"DBGetInt(\"i\")", "0"}, {"DBGetFloat(\"f\")", "0"}, {"DBGetBool(\"b\")", "FALSE"},
      {"DBGetStr(\"s\")", ""}, {"DBSetRecNo(0)", "TRUE"}, {"DBGetInt(\"a\")", "5"}, {"DBGetStr(\"f\")", "0"},
      {"DBAddField(\"x\", 5)", "FALSE"}, {"DBAddField(\"huge\", 4, 100000000)", "FALSE"}, {"DBGetInt(\"x\")", "0"}}},
    {"reals go into integers rounded, halves to even",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"i\", 1)\nDBAddField(\"f\", 2)\nDBInsert(2.5, 1.5)",
     {{"DBGetInt(\"i\")", "2"}, {"DBSetFloat(\"i\", 3.5)", "TRUE"}, {"DBGetInt(\"i\")", "4"},
      {"DBSetFloat(\"i\", 0.0 - 2.5)", "TRUE"}, {"DBGetInt(\"i\")", "-2"}, {"DBGetInt(\"f\")", "2"},
      {"DBSetFloat(\"f\", 0.5)", "TRUE"}, {"DBGetInt(\"f\")", "0"}, {"DBGetStr(\"f\")", "0.5"}}},
    {"the conversion table",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"i\", 1)\nDBAddField(\"f\", 2)\nDBAddField(\"b\", 3)\n"
     "DBAddField(\"s\", 4, 20)\nDBInsert(7, 1.25, TRUE, \"TRUE\", \"beyond the fields\")",
     {{"DBGetStr(\"i\")", "7"}, {"DBGetFloat(\"i\")", "7"}, {"DBGetBool(\"i\")", "TRUE"}, {"DBGetStr(\"f\")", "1.25"},
      {"DBGetBool(\"f\")", "TRUE"}, {"DBGetInt(\"b\")", "1"}, {"DBGetFloat(\"b\")", "1"}, {"DBGetStr(\"b\")", "TRUE"},
      {"DBGetBool(\"s\")", "TRUE"}, {"DBSetStr(\"s\", \"true\")", "TRUE"}, {"DBGetBool(\"s\")", "FALSE"},
      {"DBSetStr(\"b\", \"true\")", "TRUE"}, {"DBGetBool(\"b\")", "FALSE"}, {"DBSetStr(\"b\", \"TRUE\")", "TRUE"},
      {"DBGetBool(\"b\")", "TRUE"}, {"DBSetStr(\"s\", \"12x\")", "TRUE"}, {"DBGetInt(\"s\")", "0"},
      {"DBSetStr(\"s\", \"$1F\")", "TRUE"}, {"DBGetInt(\"s\")", "31"}, {"DBSetInt(\"s\", 42)", "TRUE"},
      {"DBGetStr(\"s\")", "42"}, {"DBSetBool(\"s\", FALSE)", "TRUE"}, {"DBGetStr(\"s\")", "FALSE"},
      {"DBSetStr(\"f\", \"abc\")", "TRUE"}, {"DBGetFloat(\"f\")", "0"}, {"DBSetStr(\"i\", \"-12\")", "TRUE"},
      {"DBGetInt(\"i\")", "-12"}, {"DBSetBool(\"f\", TRUE)", "TRUE"}, {"DBGetFloat(\"f\")", "1"},
      {"DBSetInt(\"nothing\", 1)", "FALSE"}, {"DBGetStr(\"nothing\")", ""}, {"DBGetInt(\"I\")", "-12"}}},
    {"DBSetRecNo: negative means none, the record count is out of range",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"i\", 1)\nDBInsert(1)\nDBInsert(2)",
     {{"DBGetRecNo()", "1"}, {"DBSetRecNo(0 - 7)", "TRUE"}, {"DBGetRecNo()", "-1"}, {"DBGetInt(\"i\")", "0"},
      {"DBSetInt(\"i\", 5)", "FALSE"}, {"DBDelete()", "FALSE"}, {"DBSetRecNo(DBRecordCount())", "FALSE"},
      {"DBGetRecNo()", "-1"}, {"DBSetRecNo(1)", "TRUE"}, {"DBGetInt(\"i\")", "2"}, {"DBGetRecNo(\"ignored\")", "1"}}},
    {"deleting the last record makes the previous current; the only one leaves none",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"i\", 1)\nDBInsert(1)\nDBInsert(2)\nDBInsert(3)",
     {{"DBDelete()", "TRUE"}, {"DBGetRecNo()", "1"}, {"DBGetInt(\"i\")", "2"}, {"DBSetRecNo(0)", "TRUE"},
      {"DBDelete()", "TRUE"}, {"DBGetRecNo()", "0"}, {"DBGetInt(\"i\")", "2"}, {"DBDelete()", "TRUE"},
      {"DBGetRecNo()", "-1"}, {"DBRecordCount()", "0"}, {"DBDelete()", "FALSE"}}},
    {"browsing",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"i\", 1)\nDBInsert(1)\nDBInsert(2)",
     {{"DBFindNext()", "FALSE"}, {"DBFindFirst()", "TRUE"}, {"DBFindPrior()", "FALSE"}, {"DBGetInt(\"i\")", "1"},
      {"DBFindNext()", "TRUE"}, {"DBGetInt(\"i\")", "2"}, {"DBFindLast()", "TRUE"}, {"DBFindPrior()", "TRUE"},
      {"DBGetInt(\"i\")", "1"}, {"DBClearRecord()", "TRUE"}, {"DBFindFirst()", "FALSE"}, {"DBFindLast()", "FALSE"},
      {"DBGetRecNo()", "-1"}, {"DBInsert(9)", "TRUE"}, {"DBGetInt(\"i\")", "9"}}},
    {"locating a part: ab occurs in xaby, abz does not, an empty field never",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"s\", 4, 10)\nDBInsert(\"abz\")\nDBInsert(\"ab\")\nDBInsert(\"\")\n"
     "DBSetRecNo(2)",
     {{"DBLocate(\"s\", \"xaby\", FALSE, TRUE)", "TRUE"}, {"DBGetRecNo()", "1"}, {"DBSetRecNo(2)", "TRUE"},
      {"DBLocate(\"s\", \"XABY\", FALSE, TRUE)", "FALSE"}, {"DBGetRecNo()", "2"},
      {"DBLocate(\"s\", \"XABY\", TRUE, TRUE)", "TRUE"}, {"DBGetRecNo()", "1"}, {"DBLocate(\"s\", \"abz\")", "TRUE"},
      {"DBGetRecNo()", "0"}, {"DBLocate(\"s\", \"AB\")", "FALSE"}, {"DBLocate(\"s\", \"AB\", TRUE)", "TRUE"},
      {"DBGetRecNo()", "1"}, {"DBLocate(\"s\", \"q\", FALSE, TRUE)", "FALSE"}, {"DBLocate(\"nothing\", \"ab\")", "FALSE"}}},
    {"locating by several keys, compared by the values' type",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"id\", 1)\nDBAddField(\"name\", 4, 10)\nDBAddField(\"ok\", 3)\n"
     "DBInsert(1, \"one\", TRUE)\nDBInsert(2, \"two\", FALSE)\nDBInsert(2, \"deux\", TRUE)\nDBInsert(3, \"2\", TRUE)\n"
     "SetArray(k, 2)\nk[0] = \"id\"\nk[1] = \"ok\"\nSetArray(vi, 2)\nvi[0] = 2\nvi[1] = 1\nSetArray(v, 2)\n"
     "v[0] = \"2\"\nv[1] = \"TRUE\"",
     {{"DBLocate(k, vi)", "TRUE"}, {"DBGetStr(\"name\")", "deux"}, {"DBLocate(k, v)", "TRUE"},
      {"DBGetStr(\"name\")", "deux"}, {"DBSetRecNo(0)", "TRUE"}, {"DBLocate(\"name\", 2)", "TRUE"},
      {"DBGetInt(\"id\")", "3"}, {"DBLocate(\"name\", 5)", "FALSE"}, {"DBGetInt(\"id\")", "3"}, {"DBLocate(\"id\", 2.0)", "TRUE"}, {"DBGetStr(\"name\")", "two"},
      {"DBLocate(\"ok\", FALSE)", "TRUE"}, {"DBGetInt(\"id\")", "2"}}},
    {"sorting by a string key descending puts Z before A",
     "DBCreateTable(\"t\", FALSE)\nDBAddField(\"s\", 4, 5)\nDBAddField(\"n\", 1)\nDBInsert(\"A\", 1)\nDBInsert(\"Z\", 2)\n"
     "DBInsert(\"M\", 3)\nDBSetRecNo(0)",
     {{"DBSort(\"s\", TRUE)", "TRUE"}, {"DBGetRecNo()", "0"}, {"DBGetStr(\"s\")", "Z"}, {"DBFindNext()", "TRUE"},
      {"DBGetStr(\"s\")", "M"}, {"DBFindLast()", "TRUE"}, {"DBGetStr(\"s\")", "A"}, {"DBSort(\"n\", FALSE)", "TRUE"},
      {"DBGetInt(\"n\")", "3"}, {"DBSort(\"none\", FALSE)", "TRUE"}, {"DBGetInt(\"n\")", "3"}}},
    {"an existing name in another case is not created again",
     "DBCreateTable(\"Items\", FALSE)\nDBCreateTable(\"other\", FALSE)",
     {{"DBCreateTable(\"ITEMS\", TRUE)", "FALSE"}, {"DBGetActive()", "other"}, {"DBCreateTable(\"\", FALSE)", "FALSE"},
      {"DBSetActive(\"items\")", "TRUE"}, {"DBGetActive()", "Items"}, {"DBSetActive(\"none\")", "FALSE"},
      {"DBGetActive()", "Items"}}},
    {"deleting another table keeps the active one; deleting the active one leaves none",
     "DBCreateTable(\"a\", FALSE)\nDBCreateTable(\"b\", FALSE)\nDBCreateTable(\"c\", TRUE)\nDBSetActive(\"B\")",
     {{"DBDeleteTable(\"a\")", "TRUE"}, {"DBGetActive()", "b"}, {"DBDeleteTable()", "TRUE"}, {"DBGetActive()", ""},
      {"DBRecordCount(\"b\")", "-1"}, {"DBRecordCount(\"c\")", "0"}, {"DBDeleteTable()", "FALSE"},
      {"DBDeleteTable(\"zz\")", "FALSE"}, {"DBDeleteTable(\"C\")", "TRUE"}, {"DBRecordCount(\"c\")", "-1"}}},
    {"DBClearTable removes every table, game and status alike, and answers false",
     "DBCreateTable(\"g\", FALSE)\nDBCreateTable(\"s\", TRUE)",
     {{"DBClearTable()", "FALSE"}, {"DBRecordCount(\"g\")", "-1"}, {"DBRecordCount(\"s\")", "-1"}, {"DBGetActive()", ""},
      {"DBCreateTable(\"g\", FALSE)", "TRUE"}}},
    {"without an active table every function fails",
     "",
     {{"DBAddField(\"x\", 1)", "FALSE"}, {"DBInsert(1)", "FALSE"}, {"DBGetInt(\"x\")", "0"}, {"DBGetFloat(\"x\")", "0"},
      {"DBGetBool(\"x\")", "FALSE"}, {"DBGetStr(\"x\")", ""}, {"DBSetInt(\"x\", 1)", "FALSE"}, {"DBRecordCount()", "-1"},
      {"DBGetRecNo()", "-1"}, {"DBSetRecNo(0)", "FALSE"}, {"DBFindFirst()", "FALSE"}, {"DBDelete()", "FALSE"},
      {"DBSort(\"x\", TRUE)", "FALSE"}, {"DBLocate(\"x\", 1)", "FALSE"}, {"DBClearRecord()", "FALSE"},
      {"DBGetActive()", ""}, {"DBCopy(\"t\")", "FALSE"}, {"DBCopyTable(\"t\")", "FALSE"}, {"DBInsertTable(\"t\")", "FALSE"},
      {"DBLoadTsvFile(\"x.tsv\")", "FALSE"}, {"DBDirectGetInt(\"t\", \"x\", 1, FALSE, FALSE, \"x\", 7)", "7"}}},
    {"direct access finds in any table without moving a current record",
     "DBCreateTable(\"a\", FALSE)\nDBAddField(\"id\", 1)\nDBAddField(\"name\", 4, 10)\nDBInsert(1, \"one\")\n"
     "DBInsert(2, \"two\")\nDBSetRecNo(0)\nDBCreateTable(\"b\", FALSE)",
     {{"DBDirectGetStr(\"A\", \"id\", 2, FALSE, FALSE, \"name\", \"none\")", "two"},
      {"DBDirectGetStr(\"a\", \"id\", 9, FALSE, FALSE, \"name\", \"none\")", "none"},
      {"DBDirectGetStr(\"a\", \"id\", 2, FALSE, FALSE, \"nothing\", \"none\")", "none"},
      {"DBDirectGetStr(\"zz\", \"id\", 2, FALSE, FALSE, \"name\", \"none\")", "none"},
      {"DBDirectGetInt(\"a\", \"name\", \"TW\", FALSE, TRUE, \"id\", 0)", "0"},
      {"DBDirectGetInt(\"a\", \"name\", \"XTWOX\", TRUE, TRUE, \"id\", 0)", "2"},
      {"DBDirectGetFloat(\"a\", \"id\", 1, FALSE, FALSE, \"id\", 0.5)", "1"},
      {"DBDirectGetBool(\"a\", \"id\", 1, FALSE, FALSE, \"name\", TRUE)", "FALSE"},
      {"DBDirectSetInt(\"a\", \"id\", 2, FALSE, FALSE, \"id\", 20)", "TRUE"},
      {"DBDirectSetStr(\"a\", \"id\", 20, FALSE, FALSE, \"name\", \"twenty\")", "TRUE"},
      {"DBDirectSetBool(\"a\", \"id\", 2, FALSE, FALSE, \"id\", TRUE)", "FALSE"},
      {"DBDirectSetFloat(\"a\", \"id\", 20, FALSE, FALSE, \"nothing\", 1.0)", "FALSE"},
      {"DBDirectGetStr(\"a\", \"id\", 20, FALSE, FALSE, \"name\", \"none\")", "twenty"},
      {"DBGetActive()", "b"}, {"DBSetActive(\"a\")", "TRUE"}, {"DBGetRecNo()", "0"}}},
    {"copying records between tables of the same fields",
     "DBCreateTable(\"a\", FALSE)\nDBAddField(\"id\", 1)\nDBInsert(1)\nDBInsert(2)\nDBInsert(3)\n"
     "DBCreateTable(\"b\", TRUE)\nDBAddField(\"other\", 4, 3)\nDBInsert(\"x\")\nDBCreateTable(\"c\", FALSE)\n"
     "DBAddField(\"id\", 1)\nDBSetActive(\"a\")",
     {{"DBCopyTable(\"b\", \"id\", 2)", "TRUE"}, {"DBRecordCount(\"b\")", "1"},
      {"DBDirectGetInt(\"b\", \"id\", 2, FALSE, FALSE, \"id\", 0)", "2"}, {"DBCopyTable(\"a\")", "FALSE"},
      {"DBCopyTable(\"none\")", "FALSE"}, {"DBCopyTable(\"c\")", "TRUE"}, {"DBRecordCount(\"c\")", "3"},
      {"DBInsertTable(\"b\")", "TRUE"}, {"DBRecordCount()", "4"}, {"DBGetInt(\"id\")", "2"},
      {"DBInsertTable(\"a\", \"id\", 1)", "TRUE"}, {"DBRecordCount()", "5"}, {"DBInsertTable(\"none\")", "FALSE"},
      {"DBSetRecNo(2)", "TRUE"}, {"DBCopy(\"c\")", "TRUE"}, {"DBRecordCount(\"c\")", "4"},
      {"DBDirectGetInt(\"c\", \"id\", 3, FALSE, FALSE, \"id\", 0)", "3"}, {"DBCopy(\"none\")", "FALSE"},
      {"DBSetActive(\"c\")", "TRUE"}, {"DBGetRecNo()", "3"}, {"DBGetInt(\"id\")", "3"}}},
    {"copy to a table of other fields fails without changing it",
     "DBCreateTable(\"a\", FALSE)\nDBAddField(\"id\", 1)\nDBInsert(1)\nDBCreateTable(\"b\", FALSE)\n"
     "DBAddField(\"ID\", 1)\nDBSetActive(\"a\")",
     {{"DBCopy(\"b\")", "FALSE"}, {"DBRecordCount(\"b\")", "0"}, {"DBSetActive(\"b\")", "TRUE"},
      {"DBInsertTable(\"a\")", "FALSE"}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, TableFuncs, ::testing::ValuesIn(kTableCases),
                         [](const ::testing::TestParamInfo<TableCase>& info) { return "case" + std::to_string(info.index); });

using TsvFiles = TableFuncsFixture;

TEST_F(TsvFiles, TheHeaderNamesFieldsAndEveryOtherLineIsARecord) {
    AddFile("data\\items.tsv",
            "id int\tname\tprice float\tok bool\tcode str 3\tnote Int\t\r\n"
            "1\tりんご\t1.5\tTRUE\tabcdef\tx\r\n"
            "\r\n"
            "2\tみか\\\"ん\\\\\\n\n"
            "3\t表n\\x\tnone\ttrue\r"
            "\t\t\t\tab");
    Script("DBCreateTable(\"t\", FALSE)\nDBAddField(\"old\", 1)\nDBInsert(7)");
    EXPECT_EQ(Value("DBLoadTsvFile(\"DATA\\\\Items.TSV\")"), "TRUE");
    const TDBCustomTable& t = *tables.ActiveTable();
    struct Field {
        const char* name;
        int type;
        int32_t size;
    } fields[] = {{"id", 1, 4}, {"name", 4, 81}, {"price", 2, 10}, {"ok", 3, 1}, {"code", 4, 4}, {"note", 4, 81}};
    ASSERT_EQ(t.Fields.Count(), 6);  // the TAB at the end of the header gives no field
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(t.Fields[i].Name, fields[i].name);
        EXPECT_EQ(t.Fields[i].Type, fields[i].type) << fields[i].name;
        EXPECT_EQ(t.Fields[i].Size, fields[i].size) << fields[i].name;
    }
    ASSERT_EQ(t.RecordCount(), 4);  // the empty line is no record; the last one has no line end
    const std::vector<std::vector<std::string>> records = {
        {"1", "りんご", "1.5", "TRUE", "abc", "x"},
        {"2", "みか\"ん\\\r\n", "0", "FALSE", "", ""},
        {"3", "表n\\x", "0", "FALSE", "", ""},  // 表 ends with the byte of "\": no escape there
        {"0", "", "0", "FALSE", "ab", ""},
    };
    for (int32_t r = 0; r < 4; ++r)
        for (int f = 0; f < 6; ++f) EXPECT_EQ(SjisToUtf8(t.Text(r, f)), records[r][f]) << r << " " << f;
    EXPECT_EQ(t.RecNo(), 3);
    EXPECT_EQ(asked.back(), "DATA\\Items.TSV");
}

TEST_F(TsvFiles, FaultyFilesFailClearly) {
    std::string manyFields;
    for (int i = 0; i < 100000; ++i) manyFields += "f" + std::to_string(i) + " bool\t";
    std::string wideRecords;
    for (int i = 0; i < 2000; ++i) wideRecords += "s" + std::to_string(i) + " str 60000\t";
    struct Case {
        const char* what;
        std::string content;
        int32_t line;
        const char* problem;
    } cases[] = {
        {"a field without a name", "a int\t\tb int\r\n1\t2", 1, "field 2 has no name"},
        {"a name after a space", "a int\t b int", 1, "field 2 has no name"},
        {"a header of 100,000 fields", manyFields + "\r\n1", 1, "more than 10000 fields"},
        {"a string longer than the string limit", "s str 67108865", 1, "field 1: a max length of 67108865 bytes"},
        {"records larger than a table", wideRecords, 1, "records pass the size of a table"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDBTable t;
        t.Fields.AddField("old", 1, 0);
        t.Append();
        const TTsvLoad load = t.LoadTsv(c.content);
        EXPECT_FALSE(load.loaded);
        EXPECT_EQ(load.line, c.line);
        EXPECT_EQ(load.problem, c.problem);
        EXPECT_EQ(t.Fields.Count(), 0);
        EXPECT_EQ(t.RecordCount(), 0);
    }
    // Through the function: false, and the table left empty.
    AddFile("bad.tsv", "a\t\tb");
    Script("DBCreateTable(\"t\", FALSE)\nDBAddField(\"old\", 1)\nDBInsert(7)");
    EXPECT_EQ(Value("DBLoadTsvFile(\"bad.tsv\")"), "FALSE");
    EXPECT_EQ(Value("DBRecordCount()"), "0");
    EXPECT_EQ(tables.ActiveTable()->Fields.Count(), 0);
}

TEST_F(TsvFiles, AMissingOrEmptyFileChangesNothing) {
    AddFile("empty.tsv", "");
    Script("DBCreateTable(\"t\", FALSE)\nDBAddField(\"old\", 1)\nDBInsert(7)");
    for (const char* name : {"empty.tsv", "missing.tsv", "", "boom.tsv"}) {
        EXPECT_EQ(Value(std::string("DBLoadTsvFile(\"") + name + "\")"), "FALSE") << name;
        EXPECT_EQ(Value("DBGetInt(\"old\")"), "7") << name;
    }
    // An error while the file is looked for does not leave the function.
    EXPECT_EQ(asked.back(), "boom.tsv");
    EXPECT_LT(Run("DBLoadTsvFile(\"boom.tsv\")").LastStop().operation, 0);
}

TEST_F(TsvFiles, TextFilesLoadAsLines) {
    AddFile("story\\a.txt", "一行目\r\nsecond\nthird");
    AddFile("story\\b.txt", "only\r\n");
    AddFile("story\\empty.txt", "");
    struct Case {
        const char* file;
        const char* result;
        const char* lines;  // s as ArrayToString gives it, joined by "|"
    } cases[] = {
        {"STORY\\\\A.TXT", "TRUE", "一行目|second|third"},
        {"story\\\\b.txt", "TRUE", "only"},
        {"story\\\\empty.txt", "FALSE", ""},
        {"story\\\\missing.txt", "FALSE", "unchanged"},
    };
    for (const Case& c : cases) {
        Script("s = \"unchanged\"");
        EXPECT_EQ(Value(std::string("LoadTextFile(s, \"") + c.file + "\")"), c.result) << c.file;
        EXPECT_EQ(Value("ArrayToString(s, \"|\")"), c.lines) << c.file;
    }
    EXPECT_EQ(Value("GetArraySize(s)"), "1");
    EXPECT_EQ(Value("LoadTextFile(\"literal\", \"story\\\\a.txt\")"), "TRUE");  // the lines are lost, no error
    for (const auto& [name, exists] : std::vector<std::pair<const char*, const char*>>{
             {"story\\\\a.txt", "TRUE"}, {"Story\\\\A.TXT", "TRUE"}, {"story", "FALSE"}, {"", "FALSE"}, {"none", "FALSE"}})
        EXPECT_EQ(Value(std::string("FileExists(\"") + name + "\")"), exists) << name;
}

} // namespace
} // namespace ruvo
