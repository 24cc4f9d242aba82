#include <gtest/gtest.h>

#include "archive/streams.hpp"
#include "params/limits.hpp"
#include "params_fixture.hpp"

namespace ruvo {
namespace {

using testing::ErrorOf;
using Expr = testing::ParamsFixture;

struct EvalCase {
    const char* source;
    const char* variable;  // inspected afterwards
    const char* expected;  // its string form
};

// Variables: a, b int (b = 2), x int 5, x1 int 5, f float, s str, t flag, y int 3 x 4 holding 0..11.
class EvalTable : public Expr, public ::testing::WithParamInterface<EvalCase> {
protected:
    void SetUp() override {
        Declare("a", 1, "100");
        Declare("b", 1, "2");
        Declare("x", 1, "5");
        Declare("x1", 1, "5");
        Declare("f", 2, "100");
        Declare("s", 4, "unchanged");
        Declare("t", 3);
        TCustomParam& y = Declare("y", 1);
        y.SetDims({3, 4});
        for (int i = 0; i < 12; ++i) y.SetIntAt(i, i);
    }
};

TEST_P(EvalTable, StoresTheExpectedValue) {
    const EvalCase& c = GetParam();
    const int before = UserVariableCount();
    Run(c.source);
    EXPECT_EQ(Str(c.variable), c.expected) << c.source;
    EXPECT_EQ(UserVariableCount(), before) << c.source;
    EXPECT_EQ(vars.TemporaryCount(), 0) << "temporaries left behind by " << c.source;
}

INSTANTIATE_TEST_SUITE_P(Expressions, EvalTable, ::testing::Values(
    // precedence and grouping
    EvalCase{"a = 1 + 2 * 3", "a", "7"},
    EvalCase{"a = (1 + 2) * 3", "a", "9"},
    EvalCase{"a = 10 - 4 - 3", "a", "3"},
    EvalCase{"a = 1 + 2 << 1", "a", "6"},
    EvalCase{"a = 6 & 3 | 8 ^ 1", "a", "11"},
    EvalCase{"t = 1 + 1 == 2", "t", "TRUE"},
    // the left operand decides integer or real arithmetic
    EvalCase{"a = 7 / 2", "a", "3"},
    EvalCase{"f = 7.0 / 2", "f", "3.5"},
    EvalCase{"f = 1 / 2.0", "f", "0"},
    EvalCase{"f = 1.0 / 3", "f", "0.333333333333333"},
    EvalCase{"a = -7 / 2", "a", "-3"},
    EvalCase{"a = -7 % 3", "a", "-1"},
    EvalCase{"a = 2147483647 + 1", "a", "-2147483648"},
    EvalCase{"a = 2.9", "a", "2"},
    // strings: "+" adds numbers, "++" joins
    EvalCase{"s = \"ab\" ++ \"cd\"", "s", "abcd"},
    EvalCase{"s = \"12\" + \"3\"", "s", "15"},
    EvalCase{"s = 1 + 2", "s", "3"},
    EvalCase{"s = 1 ++ 2.5", "s", "12.5"},
    EvalCase{"s = \"a\\\"b\"", "s", "a\"b"},
    EvalCase{"s = \"a\\\\b\"", "s", "a\\b"},
    EvalCase{"s = \"x\\ny\"", "s", "x\r\ny"},
    EvalCase{"s = \"(1, [2]) + \" ++ \"=\"", "s", "(1, [2]) + ="},
    EvalCase{"s = \"表示\" ++ \"ソ\"", "s", "表示ソ"},
    // unary signs
    EvalCase{"t = -x < 3", "t", "TRUE"},
    EvalCase{"a = - - 3", "a", "3"},
    EvalCase{"a = 2 * -3", "a", "-6"},
    EvalCase{"a = +4", "a", "4"},
    EvalCase{"a = -b * 2", "a", "-4"},
    // A unary minus is 0 - x: the integer 0 on the left makes an integer of a negated real.
    EvalCase{"f = -2.5", "f", "-2"},
    EvalCase{"f = 2 * -f", "f", "-200"},
    EvalCase{"f = -1.5 * 3", "f", "-3"},
    EvalCase{"f = 0.0 - 2.5", "f", "-2.5"},
    // comparisons by the left operand's type
    EvalCase{"t = \"abc\" < \"abd\"", "t", "TRUE"},
    EvalCase{"t = \"a\" <> \"A\"", "t", "TRUE"},
    EvalCase{"t = 2 == 2.7", "t", "TRUE"},
    EvalCase{"t = 2.7 == 2", "t", "FALSE"},
    EvalCase{"t = \"10\" > \"9\"", "t", "FALSE"},
    EvalCase{"t = 3 >= 3", "t", "TRUE"},
    EvalCase{"t = 3 <= 2", "t", "FALSE"},
    // shifts
    EvalCase{"a = 1 << 33", "a", "2"},
    EvalCase{"a = -1 >> 28", "a", "15"},
    // arrays and functions
    EvalCase{"a = y[1, 2]", "a", "6"},
    EvalCase{"a = y[2, 3] + y[0, 1]", "a", "12"},
    EvalCase{"a = y[b - 1, b * 2 - 1]", "a", "7"},
    EvalCase{"a = IntToStr (5) + 1", "a", "6"},
    EvalCase{"a = Abs(((1 + 2) * (3 + 4)))", "a", "21"},
    EvalCase{"a = Max(Min(3, 9), Abs(-2))", "a", "3"},
    EvalCase{"a = x1 + 1", "a", "6"},
    EvalCase{"a = $10 + 0x10", "a", "32"},
    // failures stop quietly and leave the destination alone
    EvalCase{"a = missing + 1", "a", "100"},
    EvalCase{"a = 1 / 0", "a", "100"},
    EvalCase{"f = 1.0 / 0", "f", "100"},
    EvalCase{"a = 5 % 0", "a", "100"},
    EvalCase{"a = y[3, 0]", "a", "100"},
    EvalCase{"a = y[-1, 0]", "a", "100"},
    EvalCase{"a = y[1]", "a", "100"}));

TEST_F(Expr, ElementWritesGoToTheArray) {
    TCustomParam& y = Declare("y", 1);
    y.SetDims({3, 4});
    Run("y[2, 3] = 5");
    EXPECT_EQ(y.GetIntAt(11), 5);
    Run("y[0, 5] = 7");  // flat position 5 is still inside the array
    EXPECT_EQ(y.GetIntAt(5), 7);
    const auto parser = Run("y[1] = 9");
    EXPECT_EQ(parser.LastStop().operation, 0);
    EXPECT_EQ(SjisToUtf8(parser.LastStop().message), "y[1]\r\n添え字が不正です");
    for (int i = 0; i < 12; ++i) EXPECT_NE(y.GetIntAt(i), 9);
    EXPECT_EQ(SjisToUtf8(Run("y[2, 4] = 1").LastStop().message), "y[2,4]\r\n要素数を超えています");
}

TEST_F(Expr, MissingVariableStopsFromThatOperationOn) {
    Declare("a", 1, "1");
    Declare("s", 4, "old");
    const auto parser = Run("s = IntToStr(a) ++ missing");
    EXPECT_EQ(Str("s"), "old");
    EXPECT_EQ(parser.LastStop().operation, 1);
    EXPECT_EQ(SjisToUtf8(parser.LastStop().message), "\"missing\" 変数がありません");
    EXPECT_EQ(UserVariableCount(), 2);
}

TEST_F(Expr, ALoadedExpressionFollowsChangesOfTheVariableSet) {
    Declare("v", 1, "1");
    Declare("x", 1);
    TRuvoParser parser = CompileExpression("x = v");
    parser.Evaluate(vars, funcs);
    EXPECT_EQ(Str("x"), "1");
    vars.SetDepth(1);
    vars.Declare("v", 1, TVarScope::Local).Value().SetInt(10);
    parser.Evaluate(vars, funcs);
    EXPECT_EQ(Str("x"), "10");
    vars.DeleteFrame(1);
    vars.SetDepth(0);
    parser.Evaluate(vars, funcs);
    EXPECT_EQ(Str("x"), "1");
    vars.DeleteItem(*vars.Find("v"));
    parser.Evaluate(vars, funcs);
    EXPECT_EQ(parser.LastStop().operation, 0);
    EXPECT_EQ(Str("x"), "1");
    // The same parser against another set finds that set's variables.
    TParamCollection other;
    other.Declare("v", 1, TVarScope::Global).Value().SetInt(5);
    other.Declare("x", 1, TVarScope::Global);
    parser.Evaluate(other, funcs);
    EXPECT_EQ(other.Find("x")->Value().AsStr(), "5");
}

TEST_F(Expr, TemporariesAreVariablesWhileTheirEvaluationRuns) {
    Declare("t", 3);
    Run("t = VarExists(\"____1\")");  // ____0 holds the literal, ____1 the call's result
    EXPECT_EQ(Str("t"), "TRUE");
    EXPECT_EQ(vars.TemporaryCount(), 0);
}

TEST_F(Expr, ResultIsTheValueOfAnExpressionWithoutAssignment) {
    Declare("a", 1, "4");
    EXPECT_EQ(Value("1 + 2"), "3");
    EXPECT_EQ(Value("a * 2.5"), "8");  // integer left operand: 4 * 2
    EXPECT_EQ(Value("\"text\""), "text");
    EXPECT_EQ(Value("a"), "4");
    EXPECT_EQ(Value("a = 2"), "(none)");
    EXPECT_EQ(Value("a + missing"), "(none)");
}

TEST_F(Expr, SyntaxErrors) {
    struct Case {
        const char* source;
        const char* message;
    } cases[] = {
        {"a = b = 1", "構文エラー"},
        {"a = 1 2", "構文エラー"},
        {"a = (1 + 2", "構文エラー"},
        {"a = 1 + 2)", "構文エラー"},
        {"a = f(1", "構文エラー"},
        {"a = 1 +", "構文エラー"},
        {"= 1", "構文エラー"},
        {"a = * 2", "構文エラー"},
        {"a = y]", "構文エラー"},
        {"a = Abs(y[1)", "構文エラー"},
        {"a = [1]", "構文エラー"},
        {"a = y[ ]", "配列の添え字が不正です"},
        {"a = NoSuchFunc(1)", "\"NoSuchFunc\" 関数名がありません"},
        {"a = intToStr(1)", "\"intToStr\" 関数名がありません"},
        {"a = IntToStr(1, 2, 3)", "IntToStr 引数の数が不正です"},
        {"a = Length()", "Length 引数の数が不正です"},
        {"a = 1", ""},
        {"a = DBDelete()", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CompileError(c.source), c.message) << c.source;
}

TEST_F(Expr, OperationListsNameTheirTemporaries) {
    struct Case {
        const char* source;
        const char* listing;
    } cases[] = {
        {"-x < 3", "ocMinus ____0 <- 0:int, x:var\nocSmall ____1 <- ____0:var, 3:int\nocTo ____arg <- ____1:var\n"},
        // the argument's copy into its own temporary is eliminated
        {"a = IntToStr(1 + 2)", "ocPlus ____2 <- 1:int, 2:int\nocFunc ____0 <- IntToStr(____2:var)\nocTo a <- ____0:var\n"},
        {"x = y[1, 2]", "ocDimTo ____d_0 <- y:var, 1:int, 2:int\nocTo x <- ____d_0:var\n"},
        {"s = \"a\" ++ TRUE", "ocTo ____0 <- \"a\":str\nocComboStr ____1 <- ____0:var, TRUE:flag\nocTo s <- ____1:var\n"},
        {"f = 1.5 * (2)", "ocTo ____0 <- 2:int\nocMul ____1 <- 1.5:float, ____0:var\nocTo f <- ____1:var\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompileExpression(c.source).Listing(), c.listing) << c.source;
}

TEST_F(Expr, StoredFormMatchesTheRecordLayout) {
    TBuildRuvoParser builder;
    builder.Compile("a = Abs(-2)");
    TMemoryStream s;
    builder.WriteTo(s);
    const std::vector<uint8_t> expected = {
        3, 0, 0, 0,                                   // three operations
        ocMinus, 5, 0, 0, 0, '_', '_', '_', '_', '2',  // ____2 = (the argument's own ____1 is eliminated)
        2, 0, 0, 0,                                   //   two operands
        1, 0, 0, 0, 0,                                //   int 0
        1, 2, 0, 0, 0,                                //   int 2
        ocFunc, 5, 0, 0, 0, '_', '_', '_', '_', '0',   // ____0 =
        1, 0, 0, 0, 48,                               //   one argument, function 48 (Abs)
        0, 5, 0, 0, 0, '_', '_', '_', '_', '2',        //   variable ____2
        ocTo, 1, 0, 0, 0, 'a',                        // a =
        1, 0, 0, 0,                                   //   one operand
        0, 5, 0, 0, 0, '_', '_', '_', '_', '0',        //   variable ____0
    };
    EXPECT_EQ(s.Bytes(), expected);

    // Loading and saving again gives the same bytes; so does a clone.
    s.SetPosition(0);
    TRuvoParser parser;
    parser.LoadFromStream(s);
    TMemoryStream again;
    parser.SaveToStream(again);
    EXPECT_EQ(again.Bytes(), expected);
    TRuvoParser clone;
    clone.CloneFrom(parser);
    TMemoryStream cloned;
    clone.SaveToStream(cloned);
    EXPECT_EQ(cloned.Bytes(), expected);
    Declare("a", 1);
    clone.Evaluate(vars, funcs);
    EXPECT_EQ(Str("a"), "2");
}

TEST_F(Expr, HostileStoredFormsThrowOnLoad) {
    const std::vector<std::vector<uint8_t>> cases = {
        {0xFF, 0xFF, 0xFF, 0x7F},                                  // two billion operations
        {1, 0, 0, 0, 21, 0, 0, 0, 0, 0, 0, 0, 0},                  // operation code 21
        {1, 0, 0, 0, ocTo, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F},    // two billion operands
        {1, 0, 0, 0, ocTo, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},    // negative operand count
        {1, 0, 0, 0, ocTo, 0x10, 0, 0, 0, 'a'},                    // destination cut short
        {1, 0, 0, 0, ocTo, 1, 0, 0, 0, 'a', 1, 0, 0, 0, 4, 9, 0, 0, 0, 'x'},  // string operand cut short
        {1, 0, 0, 0, ocFunc, 1, 0, 0, 0, 'a', 1, 0, 0, 0},         // function byte missing
        {1, 0, 0, 0, ocTo, 1, 0, 0, 0, 'a', 1, 0, 0, 0, 2, 0, 0},  // real cut short
    };
    for (const auto& bytes : cases) {
        TReadOnlyMemoryStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
        TRuvoParser parser;
        EXPECT_THROW(parser.LoadFromStream(s), ERuvoError);
    }
}

TEST_F(Expr, InvalidStoredOperationsStopQuietly) {
    Declare("a", 1, "1");
    // ocNone into a, then an assignment that must not run; an unknown function number does nothing.
    const std::vector<uint8_t> bytes = {
        2, 0, 0, 0,
        ocNone, 1, 0, 0, 0, 'a', 0, 0, 0, 0,
        ocTo, 1, 0, 0, 0, 'a', 1, 0, 0, 0, 1, 9, 0, 0, 0,
    };
    TReadOnlyMemoryStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
    TRuvoParser parser;
    parser.LoadFromStream(s);
    parser.Evaluate(vars, funcs);
    EXPECT_EQ(Str("a"), "1");
    EXPECT_EQ(SjisToUtf8(parser.LastStop().message).substr(0, 12), "不正な式");
    const std::vector<uint8_t> unknownFunc = {
        1, 0, 0, 0, ocFunc, 1, 0, 0, 0, 'a', 0, 0, 0, 0, 200,
    };
    TReadOnlyMemoryStream s2(unknownFunc.data(), static_cast<int64_t>(unknownFunc.size()));
    parser.LoadFromStream(s2);
    parser.Evaluate(vars, funcs);
    EXPECT_EQ(parser.LastStop().operation, -1);
    EXPECT_EQ(Str("a"), "1");
}

TEST_F(Expr, NestingUpToTheLimitCompilesAndDeeperIsRefused) {
    Declare("a", 1);
    const int depth = kMaxExpressionNesting;
    const std::string parens = "a = " + std::string(depth, '(') + "1 + 1" + std::string(depth, ')');
    Run(parens);
    EXPECT_EQ(Str("a"), "2");
    std::string calls = "a = ";
    for (int i = 0; i < depth - 1; ++i) calls += "Abs(";
    calls += "0 - 3" + std::string(depth - 1, ')');
    Run(calls);
    EXPECT_EQ(Str("a"), "3");
    EXPECT_EQ(CompileError("a = " + std::string(depth, '(') + "1"), "構文エラー");
    EXPECT_EQ(CompileError("a = " + std::string(depth, '[') + "1"), "構文エラー");
    // One level more, in any mix of brackets, is refused before any work (200,000 levels took
    // minutes); brackets inside string literals do not count.
    const std::string tooDeep = "式の入れ子が深すぎます（1000段を超えました）";
    EXPECT_EQ(CompileError("a = " + std::string(depth + 1, '(') + "1" + std::string(depth + 1, ')')), tooDeep);
    EXPECT_EQ(CompileError("a = " + std::string(200000, '(')), tooDeep);
    std::string mixed = "a = ";
    for (int i = 0; i <= depth / 2; ++i) mixed += "y[(";
    EXPECT_EQ(CompileError(mixed), tooDeep);
    EXPECT_EQ(CompileError("s = \"" + std::string(5000, '(') + "\""), "");
    EXPECT_THROW(CompileExpression(std::string(depth + 1, '(')), EScriptLimit);
}

TEST_F(Expr, LongFlatExpressionsCompileInLinearTime) {
    // Operators, signs and literals are taken in one pass each: 20,000 of them would take minutes
    // otherwise.
    std::string sum = "a = 0";
    for (int i = 0; i < 20000; ++i) sum += " + 1 - -1";
    EXPECT_EQ(CompileExpression(sum).Operations().size(), 60001u);
    std::string joined = "s = \"\"";
    for (int i = 0; i < 20000; ++i) joined += " ++ \"x\"";
    EXPECT_EQ(CompileExpression(joined).Operations().size(), 40002u);
    Declare("a", 1);
    Run("a = 1 - -1 + -2 * - 3");
    EXPECT_EQ(Str("a"), "8");
}

TEST_F(Expr, CalcEvaluatesAtRunTimeInItsOwnTemporaries) {
    Declare("f", 2);
    Declare("s", 4);
    Declare("e", 4, "s = Calc(e)");
    // The outer expression's temporary ____0 holds the literal; the nested one must not reuse it.
    Run("s = Calc(\"f = 7.0 / 2\")");
    EXPECT_EQ(Str("f"), "3.5");
    EXPECT_EQ(Str("s"), "TRUE");
    Run("s = Calc(\"f = (1\")");
    EXPECT_EQ(Str("s"), "");
    Run("s = Calc(\"   \")");
    EXPECT_EQ(Str("s"), "");
    Run("s = Calc(e)");  // refers to itself: bounded, no crash
    EXPECT_EQ(UserVariableCount(), 3);
}

} // namespace
} // namespace ruvo
