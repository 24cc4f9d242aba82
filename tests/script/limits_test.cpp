// Scripts that run away: endless recursion, a loop that never waits, strings doubled without end, an
// expression nested past reason, memory running out. Each ends the run with EScriptLimit naming the page
// and line, instead of being swallowed and tried again like an ordinary command error.
#include <new>

#include "interpreter_fixture.hpp"
#include "params/limits.hpp"

namespace ruvo::testing {
namespace {

class Runaway : public InterpreterFixture {
protected:
    Runaway() : InterpreterFixture(TScriptLimits{50, 10000}) {}

    // The message and the context of the limit the frame ran into, or "" when it ran into none.
    std::string FrameError() {
        try {
            Frames(1);
        } catch (const EScriptLimit& e) {
            return e.what();
        }
        return {};
    }
};

TEST_F(Runaway, EndlessRecursionStopsAtTheCallDepth) {
    Page("main.rsb", "Calc x = 1\nCall \"main.rsb\"\n");
    Global("x", 1);
    Start();
    EXPECT_EQ(FrameError(), "main.rsb(2): 呼び出しが深すぎます（50段を超えました）");
    EXPECT_EQ(cm.Stack.Count(), 50);
}

TEST_F(Runaway, AFrameThatNeverWaitsStopsAtTheCommandBudget) {
    Global("i", 1);
    Page("main.rsb",
         "Calc i = 0\n"
         "While TRUE\n"
         "    Calc i = i + 1\n"
         "    WhileLoop\n");
    Start();
    const std::string error = FrameError();
    EXPECT_NE(error.find("1フレームのコマンド数が10000を超えました"), std::string::npos) << error;
    EXPECT_EQ(error.rfind("main.rsb(", 0), 0u) << error;
    // A loop that waits in between runs as long as it likes.
    Page("wait.rsb",
         "While TRUE\n"
         "    Calc i = i + 1\n"
         "    DoEvent\n"
         "    WhileLoop\n");
    cm.ResetTo("wait.rsb");
    for (int f = 0; f < 10; ++f) EXPECT_EQ(FrameError(), "");
}

TEST_F(Runaway, AStringDoubledWithoutEndStopsAtTheLengthLimit) {
    Global("s", 4);
    Page("main.rsb",
         "Calc s = StringOfChar(\"x\", 1048576)\n"
         "While TRUE\n"
         "    Calc s = s ++ s\n"
         "    WhileLoop\n");
    Start();
    EXPECT_EQ(FrameError(), "main.rsb(3): 文字列が長すぎます（67108864バイトを超えました）");
    EXPECT_EQ(vars.Find("s")->Value().AsStr().size(), kMaxStringLength);  // the last join that fitted
    Page("repeat.rsb", "Calc s = StringOfChar(\"ab\", 40000000)\n");
    cm.ResetTo("repeat.rsb");
    EXPECT_EQ(FrameError(), "repeat.rsb(1): 文字列が長すぎます（67108864バイトを超えました）");
}

TEST_F(Runaway, AnExpressionNestedTooDeeplyAtRunTimeEndsTheRun) {
    Global("text", 4).SetStr("x = " + std::string(kMaxExpressionNesting + 1, '(') + "1" +
                             std::string(kMaxExpressionNesting + 1, ')'));
    Global("ok", 4);
    Page("main.rsb", "Calc ok = Calc(\"x = (1)\")\nCalc ok = Calc(text)\n");
    Global("x", 1);
    Start();
    EXPECT_EQ(FrameError(), "main.rsb(2): 式の入れ子が深すぎます（1000段を超えました）");
    EXPECT_EQ(Var("ok"), "TRUE");
}

TEST_F(Runaway, RunningOutOfMemoryIsFatalNotRetried) {
    funcs.Register(sfSetWallPaper, [](const TFuncCall&) { throw std::bad_alloc(); });
    Global("done", 1);
    Page("main.rsb", "Calc done = 1\nCalc SetWallPaper(\"a.bmp\", 0)\nCalc done = 2\n");
    Start();
    EXPECT_EQ(FrameError(), "main.rsb(2): メモリが足りません");
    EXPECT_EQ(Var("done"), "1");
}

TEST(Limits, AreWhatTheDocumentsSay) {
    // docs/limits.md gives these numbers to authors.
    EXPECT_EQ(kMaxStringLength, 64u << 20);
    EXPECT_EQ(kMaxExpressionNesting, 1000);
    EXPECT_EQ(kMaxCallDepth, 10000);
    EXPECT_EQ(kMaxCommandsPerFrame, 10000000);
}

} // namespace
} // namespace ruvo::testing
