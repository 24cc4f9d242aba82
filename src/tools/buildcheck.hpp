#pragma once
// What the builder warns authors about: things that build and run but are almost always mistakes
// (a call of a page that is not there, a string never closed, a variable nobody declares, a loop that
// never loops).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "script/page.hpp"
#include "script/project.hpp"

namespace ruvo::tools {

struct TBuildWarning {
    std::string file;
    int line = 0;
    std::string message;  // UTF-8
    std::string Text() const { return file + ":" + std::to_string(line) + ": warning: " + message; }
};

// A page as the builder made it: its source file and, per command, the source line it came from.
struct TBuiltPage {
    std::unique_ptr<TPage> page;
    std::string file;
    std::vector<int> sourceLines;
    std::vector<TBuildWarning> warnings;  // found while reading its source (message text markup)
};

// The pages' own warnings and the game's, page by page in line order. gameHas answers whether the game
// holds a file of that (Shift-JIS) name.
std::vector<TBuildWarning> CheckGame(const std::vector<TBuiltPage>& pages, const TProjectFile& project,
                                     const std::function<bool(const std::string&)>& gameHas);

} // namespace ruvo::tools
