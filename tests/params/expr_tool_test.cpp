// End-to-end runs of "ruvotool expr".
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

// Runs ruvotool expr with the arguments (each already shell-quoted) and collects stdout and stderr.
ToolRun RunTool(const std::string& arguments, bool withStderr = false) {
    const std::string command =
        std::string(RUVO_TOOL_PATH) + " expr " + arguments + (withStderr ? " 2>&1" : " 2>/dev/null");
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) run.out.append(buf.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ExprTool, EvaluatesInOrderAndPrintsDeclaredVariables) {
    const ToolRun run = RunTool(
        "--int a=1 --float f --flag t --str s=x --array m=int:2x2 "
        "'a = a + 2 * 3' 'f = a / 2.0' 't = a > 5' 's = s ++ \"\\\\\" ++ \"\\n\" ++ \"日本\"' 'm[1, 0] = a'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "a=7\nf=3\nt=TRUE\ns=x\\\\\\r\\n日本\nm=[0,0,7,0]\n");
}

TEST(ExprTool, OpsListsEachCompiledExpression) {
    const ToolRun run = RunTool("--ops --int a 'a = -a * 2'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "# a = -a * 2\n"
              "ocMinus ____0 <- 0:int, a:var\n"
              "ocMul ____1 <- ____0:var, 2:int\n"
              "ocTo a <- ____1:var\n"
              "a=0\n");
}

TEST(ExprTool, CompileErrorsExitOneWithTheMessage) {
    const ToolRun syntax = RunTool("--int a 'a = (1'", true);
    EXPECT_EQ(syntax.status, 1);
    EXPECT_EQ(syntax.out, "構文エラー\n");
    const ToolRun name = RunTool("'a = Nope(1)'", true);
    EXPECT_EQ(name.status, 1);
    EXPECT_EQ(name.out, "\"Nope\" 関数名がありません\n");
}

TEST(ExprTool, EvaluationErrorsAreSilentUnlessVerbose) {
    const ToolRun quiet = RunTool("--int a=3 'a = missing' 'a = a + 1'", true);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "a=4\n");
    const ToolRun verbose = RunTool("--verbose --int a=3 'a = missing'", true);
    EXPECT_EQ(verbose.status, 0);
    EXPECT_NE(verbose.out.find("stopped at operation 0 (ocTo a <- missing:var): \"missing\" 変数がありません"),
              std::string::npos)
        << verbose.out;
}

TEST(ExprTool, BadDeclarationsAreUsageErrors) {
    for (const char* args : {"--int a=zz", "--array m=int:0x2", "--array m=bad:2", "--int '1a'", "--bogus x"})
        EXPECT_EQ(RunTool(args).status, 2) << args;
}

} // namespace
