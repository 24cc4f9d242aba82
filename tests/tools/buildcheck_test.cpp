// The builder's warnings: each likely mistake is named at its source line, and correct games say nothing.
#include <gtest/gtest.h>

#include <map>

#include "archive/sjis.hpp"
#include "tools/buildcheck.hpp"
#include "tools/pagesource.hpp"
#include "tools/projectsource.hpp"

namespace ruvo::tools {
namespace {

// Builds the pages (name without extension -> source) with the project and checks the game.
std::vector<std::string> Warnings(const std::map<std::string, std::string>& sources, const std::string& projectVars = "") {
    const TProjectFile project = BuildProjectSource("start = \"main.rsb\"\n" + projectVars, "project.rvp");
    std::vector<TBuiltPage> pages;
    std::vector<TLabelRef> refs;
    for (const auto& [stem, text] : sources) {
        TBuiltPage built;
        built.file = stem + ".rvs";
        built.page = BuildPageSource(text, built.file, Utf8ToSjis(stem) + ".rsb", &refs, &built.sourceLines);
        pages.push_back(std::move(built));
    }
    auto has = [&](const std::string& name) {
        for (const auto& b : pages)
            if (SameTextSjis(b.page->FileName, name)) return true;
        return SameTextSjis(name, "pic.png");
    };
    std::vector<std::string> out;
    for (const auto& w : CheckGame(pages, project, has)) out.push_back(w.Text());
    return out;
}

TEST(BuildWarnings, NameEachLikelyMistakeAtItsLine) {
    const struct {
        std::map<std::string, std::string> pages;
        const char* expected;  // the one warning, in full or its distinctive part
    } cases[] = {
        {{{"main", "Call \"other.rsb\"\n"}}, "main.rvs:1: warning: Call goes to the page other.rsb, which is not in the game"},
        {{{"main", "VarNew \"x\", int, 0, 0\nJump \"sub/other.rsb\", 0\n"}}, "main.rvs:2: warning: Jump goes to the page sub\\other.rsb"},
        {{{"main", "Jump \"Sub.rsb\", 5\n"}, {"sub", "Exit\n"}}, "main.rvs:1: warning: Jump goes to command 5 of Sub.rsb, which has 1 commands"},
        {{{"main", "Button PR_ONLBTNUP = \"sub.rsb:nowhere\"\n"}, {"sub", "*somewhere\n"}},
         "main.rvs:1: warning: PR_ONLBTNUP \"sub.rsb:nowhere\" names the label nowhere, which sub.rsb does not have"},
        {{{"main", "\n\nTimer PR_ONNOTIFY = \"gone.rsb:x\"\n"}}, "main.rvs:3: warning: PR_ONNOTIFY \"gone.rsb:x\" names the page gone.rsb"},
        {{{"main", "Button PR_ONLBTNUP = \"*start\"\n"}}, "names no page: a handler is written PAGE.rsb or PAGE.rsb:LABEL"},
        {{{"main", "VarNew \"s\", str, \"\", 0\nCalc s = \"open\n"}}, "main.rvs:2: warning: a string is never closed: \"open"},
        {{{"main", "Calc total = 1\n"}}, "main.rvs:1: warning: the variable total is assigned but never declared"},
        {{{"main", "If ready\n    Exit\n"}}, "main.rvs:1: warning: the variable ready is used but never declared"},
        {{{"main", "Call \"main.rsb\", 0, \"answer\"\n"}}, "the variable answer receives the result of the call but never declared"},
        {{{"main", "Calc n = n + 1\nVarNew \"n\", int, 0, 0\n"}}, "main.rvs:1: warning: the variable n is used before its VarNew on line 2"},
        {{{"main", "VarNew \"i\", int, 0, 0\nWhile i < 3\n    Calc i = i + 1\n"}},
         "main.rvs:2: warning: this While has no WhileLoop ending its body"},
    };
    for (const auto& c : cases) {
        const auto warnings = Warnings(c.pages);
        ASSERT_EQ(warnings.size(), 1u) << c.expected << "\n" << (warnings.empty() ? "" : warnings[0]);
        EXPECT_NE(warnings[0].find(c.expected), std::string::npos) << warnings[0];
    }
}

TEST(BuildWarnings, CorrectGamesSayNothing) {
    // Declared in the project, in another page (which may run first), or earlier in the same page; pages
    // and labels named any case; handlers with and without labels; a loop with its WhileLoop.
    const auto warnings = Warnings(
        {{"main",
          "VarNew \"i\", int, 0, 0\n"
          "Calc score = score + @ParamCount\n"
          "Calc shared = 1\n"
          "Call \"SUB.rsb\", *entry, \"i\", TRUE, [i]\n"
          "Button PR_ONLBTNUP = \"sub.rsb:entry\", PR_ONLBTNDOWN = \"sub.rsb\", PR_SOURCE = \"pic.png\"\n"
          "WhileInit i = 0\n"
          "While i < 3\n"
          "    If i == 1\n"
          "        Continue\n"
          "    WhileLoop i = i + 1\n"
          "Jump \"main.rsb\", 0, FALSE\n"},
         {"sub", "*entry\nVarNew \"shared\", int, 0, 1\nCalc @Result = Int(@ParamStr[0]) + shared\n"}},
        "var int score = 0\n");
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}

} // namespace
} // namespace ruvo::tools
