// The game sources shown in docs/ build as written: every fenced block marked "rvp" (a project), "rvs"
// (a page) or "rvm" (a frame list) is read out of the markdown here, so the documents cannot drift from the builder.
// Blocks marked "game=NAME FILE" together form a whole game, which is built with --werror and played.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/wait.h>

#include "graphics/film/filmmanager.hpp"
#include "tools/filmsource.hpp"
#include "tools/pagesource.hpp"
#include "tools/projectsource.hpp"
#include "tools/prevmenusource.hpp"
#include "tools/regionsource.hpp"
#include "tools/sourcetext.hpp"
#include "support/tempdir.hpp"

namespace ruvo::tools {
namespace {

namespace fs = std::filesystem;
using ruvo::testing::ReadFile;
using ruvo::testing::TempDir;
using ruvo::testing::WriteFile;

struct Block {
    std::string where;  // "docs/x.md:12"
    std::string language;
    std::string game, file;  // for blocks that belong to a whole game
    std::string text;
};

// Fenced blocks of a markdown file; every fence must say its language.
std::vector<Block> FencedBlocks(const fs::path& markdown) {
    std::vector<Block> blocks;
    std::istringstream in(ReadFile(markdown));
    std::string line;
    Block* open = nullptr;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.rfind("```", 0) != 0) {
            if (open) open->text += line + "\n";
            continue;
        }
        if (open) {
            open = nullptr;
            continue;
        }
        Block b;
        b.where = markdown.filename().string() + ":" + std::to_string(number);
        std::istringstream info(line.substr(3));
        info >> b.language;
        for (std::string word; info >> word;) {
            if (word.rfind("game=", 0) == 0) b.game = word.substr(5);
            else b.file = word;
        }
        EXPECT_FALSE(b.language.empty()) << b.where << ": a fence without a language";
        blocks.push_back(b);
        open = &blocks.back();
    }
    EXPECT_EQ(open, nullptr) << markdown << ": a fence is never closed";
    return blocks;
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

TEST(Docs, EveryGameSourceBlockBuilds) {
    std::vector<Block> blocks;
    for (const auto& entry : fs::directory_iterator(fs::path(RUVO_SOURCE_DIR) / "docs"))
        if (entry.path().extension() == ".md")
            for (Block& b : FencedBlocks(entry.path())) blocks.push_back(std::move(b));

    std::map<std::string, std::vector<const Block*>> games;
    int pages = 0, projects = 0, films = 0, regions = 0, menus = 0;
    for (const Block& b : blocks) {
        if (b.language == "rvr") {
            try {
                BuildRegionSource(b.text, b.where);
                ++regions;
            } catch (const std::exception& e) {
                ADD_FAILURE() << b.where << ": " << e.what() << "\n" << b.text;
            }
            continue;
        }
        if (b.language == "rvt") {
            try {
                BuildPrevMenuSource(b.text, b.where);
                ++menus;
            } catch (const std::exception& e) {
                ADD_FAILURE() << b.where << ": " << e.what() << "\n" << b.text;
            }
            continue;
        }
        if (b.language == "rvm") {
            try {
                TFilmManager film;
                BuildFilmSource(b.text, b.where, film);
                ++films;
            } catch (const std::exception& e) {
                ADD_FAILURE() << b.where << ": " << e.what() << "\n" << b.text;
            }
            continue;
        }
        if (b.language != "rvs" && b.language != "rvp") continue;
        if (!b.game.empty()) {
            EXPECT_FALSE(b.file.empty()) << b.where << ": a block of a game names its file";
            games[b.game].push_back(&b);
            continue;
        }
        try {
            if (b.language == "rvp") {
                BuildProjectSource(b.text, b.where);
                ++projects;
            } else {
                std::vector<TLabelRef> labels;  // targets in other pages: only a whole game resolves them
                BuildPageSource(b.text, b.where, "doc.rsb", &labels);
                ++pages;
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << b.where << ": " << e.what() << "\n" << b.text;
        }
    }
    EXPECT_GE(pages, 4);
    EXPECT_GE(regions, 1);
    EXPECT_GE(menus, 1);
    EXPECT_GE(projects, 1);
    EXPECT_GE(films, 2);

    // What the documents say the games leave behind.
    const std::map<std::string, std::map<std::string, std::string>> expected = {
        {"calls", {{"sum", "9"}, {"label", "big: 9"}}},
        {"first", {{"visits", "1"}}},
        {"boxes", {{"ticks", "3"}, {"arrived", "200"}, {"clicks", "0"}}},
        {"scenes", {{"flips", "2"}, {"old", "FALSE"}}},
        {"story", {{"pages", "1"}, {"link", ""}}},
    };
    EXPECT_EQ(games.size(), expected.size());
    for (const auto& [name, files] : games) {
        SCOPED_TRACE("game " + name);
        TempDir dir;
        for (const Block* b : files) WriteFile(dir / "src" / b->file, b->text);
        const int built = Shell(std::string(RUVO_TOOL_PATH) + " build --werror " + Q(dir / "src") + " -o " + Q(dir / "game") +
                                " > " + Q(dir / "build.txt") + " 2>&1");
        ASSERT_EQ(built, 0) << ReadFile(dir / "build.txt");
        const int played = Shell(std::string(RUVO_PLAYER_PATH) + " --headless --frames 120 --dump-vars " + Q(dir / "vars.txt") +
                                 " " + Q(dir / "game") + " 2> " + Q(dir / "play.txt"));
        EXPECT_EQ(played, 0) << ReadFile(dir / "play.txt");
        const std::string vars = ReadFile(dir / "vars.txt");
        auto want = expected.find(name);
        ASSERT_NE(want, expected.end()) << "a game the test does not know";
        for (const auto& [var, value] : want->second)
            EXPECT_NE(vars.find(var + "=" + value + "\n"), std::string::npos) << var << "\n" << vars;
    }
}

} // namespace
} // namespace ruvo::tools
