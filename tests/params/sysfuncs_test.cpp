#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "params_fixture.hpp"
#include "params/dates.hpp"
#include "params/functable.hpp"
#include "params/properties.hpp"
#include "params/kana.hpp"

namespace ruvo {
namespace {

using Funcs = testing::ParamsFixture;

TEST(FunctionTable, HasAllNamesWithTheirBounds) {
    for (int i = 0; i < kSysFuncCount; ++i) {
        const TSysFuncInfo* info = SysFuncInfo(i);
        ASSERT_NE(info, nullptr);
        EXPECT_FALSE(info->name.empty()) << i;
        EXPECT_EQ(FindSysFunc(info->name), i) << info->name;
    }
    EXPECT_EQ(SysFuncInfo(142), nullptr);
    EXPECT_EQ(FindSysFunc("IntToStr"), 0);
    EXPECT_EQ(FindSysFunc("DBCreateTable"), 87);
    EXPECT_EQ(FindSysFunc("DBClearRecord"), 124);
    EXPECT_EQ(FindSysFunc("SetWallPaper"), 125);
    EXPECT_EQ(FindSysFunc("SetVisible"), 141);
    EXPECT_EQ(SysFuncInfo(21)->maxArgs, -1);  // SetArray takes any number of sizes
}

struct FuncCase {
    const char* expression;  // its value is compared
    const char* expected;
};

// s = "abcdef", j = three double-byte characters "日本語", d = 2024-02-29 13:45:30 as a date-time.
class FuncTable : public Funcs, public ::testing::WithParamInterface<FuncCase> {
protected:
    void SetUp() override {
        Declare("s", 4, "abcdef");
        Declare("j", 4, "日本語");
        Declare("d", 2);
        Run("d = EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 30)");
    }
};

TEST_P(FuncTable, GivesTheExpectedValue) {
    EXPECT_EQ(Value(GetParam().expression), GetParam().expected) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(Strings, FuncTable, ::testing::Values(
    FuncCase{"IntToStr(7, 3)", "007"}, FuncCase{"IntToStr(-7, 3)", "-007"}, FuncCase{"IntToStr(42)", "42"},
    FuncCase{"IntToHex(255, 4)", "00FF"}, FuncCase{"IntToHex(-1, 2)", "FFFFFFFF"},
    FuncCase{"Length(j)", "6"}, FuncCase{"JLength(j)", "3"},
    FuncCase{"Copy(s, 3)", "cdef"}, FuncCase{"Copy(s, 0, 2)", "ab"}, FuncCase{"Copy(s, 7)", ""},
    FuncCase{"Copy(s, 2, -1)", ""}, FuncCase{"JCopy(j, 2, 1)", "本"},
    FuncCase{"CompareStr(\"a\", \"b\") < 0", "TRUE"}, FuncCase{"CompareStr(\"b\", \"B\") > 0", "TRUE"},
    FuncCase{"CompareText(\"abc\", \"ABC\")", "0"},
    FuncCase{"Pos(\"cd\", s)", "3"}, FuncCase{"Pos(\"x\", s)", "0"}, FuncCase{"Pos(\"\", s)", "0"},
    FuncCase{"JPos(\"語\", j)", "3"},
    // "ソ" is 0x83 0x5C: its trail byte is no backslash and no match for "\\"
    FuncCase{"JPos(\"\\\\\", \"ソ\\\\\")", "2"}, FuncCase{"Pos(\"\\\\\", \"ソ\\\\\")", "2"},
    FuncCase{"Trim(\"  a b \\n\")", "a b"}, FuncCase{"JTrim(\"　 a　 \")", "a"},
    FuncCase{"LowerCase(\"AbＡ\")", "abＡ"}, FuncCase{"UpperCase(\"abｱ\")", "ABｱ"},
    FuncCase{"StringOfChar(\"ab\", 3)", "ababab"}, FuncCase{"StringOfChar(\"x\", -1)", ""},
    FuncCase{"StringReplace(\"aXbxc\", \"x\", \"-\")", "aXb-c"},
    FuncCase{"StringReplace(\"aXbxc\", \"x\", \"-\", TRUE, TRUE)", "a-b-c"},
    FuncCase{"StringReplace(\"aXbxc\", \"x\", \"-\", FALSE, TRUE)", "a-bxc"},
    FuncCase{"AddDelimiter(\",\", \"a\")", "a,"}, FuncCase{"AddDelimiter(\",\", \"\")", ""},
    FuncCase{"StrToIntDef(\"$1F\", 5)", "31"}, FuncCase{"StrToIntDef(\"zz\", 5)", "5"},
    FuncCase{"StrToFloatDef(\"zz\", 1.5)", "1.5"}, FuncCase{"StrToFloatDef(\"2.25\", 1.5)", "2.25"},
    FuncCase{"HanToZen(\"Ab1 ~\")", "Ａｂ１　～"}, FuncCase{"HanToZen(\"ｶﾞｷﾞﾊﾟｳﾞｱﾞ\")", "ガギパヴア゛"},
    FuncCase{"ZenToHan(\"ガパヴＡ１漢\")", "ｶﾞﾊﾟｳﾞA1漢"}));

INSTANTIATE_TEST_SUITE_P(FileNames, FuncTable, ::testing::Values(
    FuncCase{"ExtractFilePath(\"c:\\\\dir\\\\f.txt\")", "c:\\dir\\"},
    FuncCase{"ExtractFileName(\"c:\\\\dir\\\\f.txt\")", "f.txt"},
    FuncCase{"ExtractFileExt(\"dir.x\\\\f.txt\")", ".txt"}, FuncCase{"ExtractFileExt(\"dir.x\\\\f\")", ""},
    FuncCase{"ChangeFileExt(\"a\\\\b.zph\", \".png\")", "a\\b.png"}, FuncCase{"ChangeFileExt(\"ab\", \".x\")", "ab.x"},
    FuncCase{"AddBackSlash(\"dir\")", "dir\\"}, FuncCase{"AddBackSlash(\"dir\\\\\")", "dir\\"},
    // "表" is 0x95 0x5C: its trail byte is not a delimiter
    FuncCase{"AddBackSlash(\"表\")", "表\\"}, FuncCase{"IsPathDelimiter(\"表\", 2)", "FALSE"},
    FuncCase{"IsPathDelimiter(\"a\\\\\", 2)", "TRUE"}, FuncCase{"IsPathDelimiter(\"a\", 5)", "FALSE"},
    FuncCase{"IsDelimiter(\",;\", \"a;b\", 2)", "TRUE"}, FuncCase{"IsDelimiter(\",;\", \"a;b\", 1)", "FALSE"}));

INSTANTIATE_TEST_SUITE_P(Numbers, FuncTable, ::testing::Values(
    FuncCase{"Not(FALSE)", "TRUE"}, FuncCase{"Not(1)", "FALSE"},
    FuncCase{"Int(-2.9)", "-2"}, FuncCase{"Int(\"7.5\")", "7"}, FuncCase{"Float(\"1.25\")", "1.25"},
    FuncCase{"Abs(-5)", "5"}, FuncCase{"Fabs(0.0 - 2.5)", "2.5"}, FuncCase{"Min(3, -4)", "-4"}, FuncCase{"Max(3, -4)", "3"},
    FuncCase{"Fmin(0.5, 0.25)", "0.25"}, FuncCase{"Fmax(0.5, 0.25)", "0.5"},
    FuncCase{"Hypot(3, 4)", "5"}, FuncCase{"Sin(0)", "0"}, FuncCase{"Cos(0)", "1"},
    FuncCase{"ArcTan2(1, 0) * 2 == @Pi", "TRUE"}, FuncCase{"ArcSin(2)", "(none)"},
    FuncCase{"Random(1)", "0"}));

INSTANTIATE_TEST_SUITE_P(Dates, FuncTable, ::testing::Values(
    FuncCase{"EncodeDate(1899, 12, 30)", "0"}, FuncCase{"EncodeDate(1900, 1, 1)", "2"},
    FuncCase{"EncodeDate(2000, 1, 1)", "36526"}, FuncCase{"EncodeTime(12, 0, 0)", "0.5"},
    FuncCase{"EncodeDate(2023, 2, 29)", "(none)"}, FuncCase{"EncodeTime(24, 0, 0)", "(none)"},
    FuncCase{"GetYear(d)", "2024"}, FuncCase{"GetMonth(d)", "2"}, FuncCase{"GetDay(d)", "29"},
    FuncCase{"GetHour(d)", "13"}, FuncCase{"GetMin(d)", "45"}, FuncCase{"GetSec(d)", "30"},
    FuncCase{"GetWeek(d)", "5"}, FuncCase{"GetWeekStr(d)", "Thursday"}, FuncCase{"GetWeekJStr(d)", "木"},
    FuncCase{"GetWeekStr(0)", "Saturday"}, FuncCase{"GetYear(-1000000000)", "0"},
    FuncCase{"GetHour(d + @1Hour * 11)", "0"}, FuncCase{"GetDay(d + @1Hour * 11)", "1"}));

TEST_F(Funcs, StringFunctionsWriteBackIntoVariables) {
    Declare("s", 4, "abcdef");
    Declare("j", 4, "日本語");
    Declare("r", 4, "x");
    Run("r = Delete(s, 2, 3)");
    EXPECT_EQ(Str("s"), "aef");
    EXPECT_EQ(Str("r"), "");
    Run("Delete(s, 2)");
    EXPECT_EQ(Str("s"), "a");
    Run("JDelete(j, 2, 1)");
    EXPECT_EQ(Str("j"), "日語");
    Run("JInsert(\"本\", j, 2)");
    EXPECT_EQ(Str("j"), "日本語");
    Run("JInsert(\"!\", j, 99)");
    EXPECT_EQ(Str("j"), "日本語!");
    Run("Insert(\"XY\", s, 1)");
    EXPECT_EQ(Str("s"), "XYa");
    // A literal in the variable's place: the write is lost and the constant stays as it was.
    TRuvoParser parser = CompileExpression("r = Delete(\"abc\", 1, 1) ++ \"abc\"");
    parser.Evaluate(vars, funcs);
    parser.Evaluate(vars, funcs);
    EXPECT_EQ(Str("r"), "abc");
}

TEST_F(Funcs, DateDecodingWritesIntoVariables) {
    Declare("y", 1);
    Declare("m", 1);
    Declare("d", 1);
    Declare("h", 4);
    Run("DecodeDate(EncodeDate(1999, 12, 31), y, m, d)");
    EXPECT_EQ(Str("y") + "-" + Str("m") + "-" + Str("d"), "1999-12-31");
    Run("DecodeTime(EncodeTime(23, 59, 58), h, m, d)");
    EXPECT_EQ(Str("h") + ":" + Str("m") + ":" + Str("d"), "23:59:58");
}

TEST_F(Funcs, ArrayFunctions) {
    TCustomParam& a = Declare("a", 1);
    a.SetDims({3, 4});
    Declare("n", 1);
    Declare("s", 4);
    Declare("list", 4);
    EXPECT_EQ(Value("GetArraySize(a)"), "12");
    EXPECT_EQ(Value("GetArraySize(a, 0)"), "4");
    EXPECT_EQ(Value("GetArraySize(a, 1)"), "3");
    EXPECT_EQ(SjisToUtf8(Run("n = GetArraySize(5)").LastStop().message), "GetArraySize:変数が見つかりません");

    Run("FillMem(a, \"7\")");
    EXPECT_EQ(a.GetIntAt(11), 7);
    Run("SetArray(a, 2)");
    EXPECT_EQ(a.Dims(), std::vector<int32_t>{2});
    EXPECT_EQ(a.GetIntAt(1), 7);
    EXPECT_EQ(Value("SetArray(a, 0)"), "(none)");
    EXPECT_EQ(a.Count(), 2);

    EXPECT_EQ(Value("StringToArray(\"a,,b\", list, \",\")"), "3");
    EXPECT_EQ(vars.Find("list")->Value().GetStrAt(1), "");
    EXPECT_EQ(Value("ArrayToString(list, \"|\")"), "a||b");
    EXPECT_EQ(Value("StringToArray(\"x\\ny\\n\", list)"), "2");
    EXPECT_EQ(Value("ArrayToString(list)"), "x\r\ny");
    EXPECT_EQ(Value("StringToArray(\"\", list)"), "0");
    EXPECT_TRUE(vars.Find("list")->Value().Dims().empty());

    Run("StringToArray(\"pear,Apple,fig,apple\", list, \",\")");
    Run("SortStr(list)");
    EXPECT_EQ(Value("ArrayToString(list, \",\")"), "Apple,apple,fig,pear");
    EXPECT_EQ(Value("IndexOfStr(list, \"FIG\")"), "-1");
    EXPECT_EQ(Value("IndexOfStr(list, \"FIG\", FALSE)"), "2");
    EXPECT_EQ(Value("IndexOfStr(list, \"EA\", FALSE, TRUE)"), "3");

    Run("StringToArray(\"1,2,3\", s, \",\")");
    EXPECT_EQ(Value("AddArray(s, list)"), "7");
    EXPECT_EQ(Value("DeleteArray(s, 1, 100)"), "1");
    EXPECT_EQ(Value("InsertArray(s, -5, \"0\")"), "2");
    EXPECT_EQ(Value("ArrayToString(s, \",\")"), "0,1");
    EXPECT_EQ(Value("DeleteArray(s, 0, 2)"), "(none)");  // removing every element fails
    EXPECT_EQ(Value("ArrayToString(s, \",\")"), "0,1");
    EXPECT_EQ(Value("AddArray(a, s)"), "4");  // converted into the integer array
    EXPECT_EQ(a.GetIntAt(3), 1);

    EXPECT_EQ(Value("CopyArray(n, s)"), "TRUE");
    EXPECT_EQ(vars.Find("n")->Value().Dims(), std::vector<int32_t>{2});
    EXPECT_EQ(SjisToUtf8(Run("CopyMem(n, s)").LastStop().message), "CopyMem:変数の型があいません");
    EXPECT_EQ(Value("CopyMem(n, a)"), "0");
    EXPECT_EQ(vars.Find("n")->Value().Count(), 4);
}

TEST_F(Funcs, VariableQueries) {
    Declare("x", 2, "1.5");
    Declare("name", 4, "x");
    EXPECT_EQ(Value("VarExists(\"X\")"), "TRUE");
    EXPECT_EQ(Value("VarExists(name)"), "TRUE");  // the argument's value is the name
    EXPECT_EQ(Value("VarExists(\"nothing\")"), "FALSE");
    EXPECT_EQ(Value("GetVarType(x)"), "2");
    EXPECT_EQ(Value("GetVarType(\"x\")"), "4");
    EXPECT_EQ(Value("AssignTemp(\"nothing\")"), "FALSE");
    EXPECT_EQ(Value("AssignTemp(\"x\")"), "TRUE");
    Run("@Temp = 2.75");
    EXPECT_EQ(Str("x"), "2.75");
}

TEST_F(Funcs, RandomFollowsTheGenerator) {
    funcs.SetRandSeed(0);
    EXPECT_EQ(funcs.Random(100), 0);  // seed 1: 100 * 1 >> 32
    EXPECT_EQ(funcs.RandSeed(), 1u);
    EXPECT_EQ(funcs.Random(1 << 30), static_cast<int32_t>((uint64_t{1} << 30) * 134775814u >> 32));
    for (int i = 0; i < 1000; ++i) {
        const int32_t r = funcs.Random(6);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 6);
    }
}

TEST(FunctionTable, BuiltInFunctionsAreThoseOfTheFamilies) {
    // Owned by subsystems: objects, files, saved games, display modes, the desktop and data tables.
    const int hosted[] = {2,  3,  19, 24, 25, 27, 32, 33, 34,  35,  36,  47,  65,
                          69, 71, 72, 125, 131, 132, 134, 135, 137, 140, 141};
    int builtIn = 0;
    for (int n = 0; n < kSysFuncCount; ++n) {
        const bool expected = std::find(std::begin(hosted), std::end(hosted), n) == std::end(hosted) &&
                              !(n >= sfDBCreateTable && n <= sfDBClearRecord);
        EXPECT_EQ(TSysFuncMan::IsBuiltIn(n), expected) << SysFuncInfo(n)->name;
        builtIn += expected;
    }
    EXPECT_EQ(builtIn, 142 - 24 - 38);
    EXPECT_FALSE(TSysFuncMan::IsBuiltIn(-1));
    EXPECT_FALSE(TSysFuncMan::IsBuiltIn(142));
}

TEST(HostedFunctions, GoToTheirRegisteredOwnerTypedByTheTable) {
    TParamCollection vars;
    TSysFuncMan funcs(vars);
    std::vector<int> calls;
    funcs.Register(sfGetProp, [&](const TFuncCall& c) {
        calls.push_back(sfGetProp);
        c.dest.SetStr(c.Str(0) + "!");
    });
    funcs.Register(sfExists, [&](const TFuncCall&) { calls.push_back(sfExists); });
    vars.Declare("s", 4, TVarScope::Global);
    CompileExpression("s = GetProp(\"obj\", 0) ++ Exists(\"obj\")").Evaluate(vars, funcs);
    EXPECT_EQ(vars.Find("s")->Value().AsStr(), "obj!FALSE");
    EXPECT_EQ(calls, (std::vector<int>{sfExists, sfGetProp}));  // the last call in the text is cut out first
    // GetProp's result takes the type of the property asked for: PR_NAME (0) is a string, PR_LEFT (3)
    // an integer, PR_VISIBLE (47) a flag; nobody handling it leaves the empty value of that type.
    funcs.Unregister(sfGetProp);
    const struct {
        const char* expression;
        int type;
        const char* value;
    } results[] = {{"GetProp(\"a\", 0)", 4, ""}, {"GetProp(\"a\", 3)", 1, "0"}, {"GetProp(\"a\", 47)", 3, "FALSE"},
                   {"GetProp(\"a\", 95)", 2, "0"}};
    for (const auto& r : results) {
        auto parser = CompileExpression(r.expression);
        parser.Evaluate(vars, funcs);
        ASSERT_NE(parser.Result(), nullptr) << r.expression;
        EXPECT_EQ(parser.Result()->TypeCode(), r.type) << r.expression;
        EXPECT_EQ(parser.Result()->AsStr(), r.value) << r.expression;
    }
    auto parser = CompileExpression("s = GetProp(\"obj\", 162)");
    parser.Evaluate(vars, funcs);
    EXPECT_EQ(SjisToUtf8(parser.LastStop().message), "GetPropの引数が違います");
    EXPECT_THROW(funcs.Register(sfLength, [](const TFuncCall&) {}), std::logic_error);
}

} // namespace
} // namespace ruvo
