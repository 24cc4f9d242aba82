// ruvotool: the authors' and testers' tools.
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>

#include "tools/commands.hpp"

namespace ruvo::tools {
// One row per verb; each verb lives in its own file under tools/.
const ToolCommand kCommands[] = {
    {"text", "message text: list the glyphs of markup, or render a page to PNG", RunText},
    {"dump", "list a script page or project file (--ops, --source)", RunDump},
    {"build", "build a game folder from source: build SRC -o OUT [--loose] [--exe PLAYER]", RunBuild},
    {"archive", "list, extract, pack and verify archives", RunArchive},
    {"version", "print the version", [](const Args&) { std::printf("ruvotool %s\n", RUVO_VERSION); return 0; }},
    {"expr", "compile and evaluate expressions", RunExpr},
};
} // namespace ruvo::tools

namespace {

void Usage() {
    std::fprintf(stderr, "usage: ruvotool COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& c : ruvo::tools::kCommands) std::fprintf(stderr, "  %-10s %s\n", c.name, c.summary);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage();
        return 2;
    }
    const char* verb = argv[1];
    if (std::strcmp(verb, "--version") == 0) verb = "version";
    for (const auto& c : ruvo::tools::kCommands) {
        if (std::strcmp(c.name, verb) != 0) continue;
        try {
            return c.run(ruvo::tools::Args(argv + 2, argv + argc));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "ruvotool %s: %s\n", verb, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "ruvotool: unknown command \"%s\"\n", verb);
    Usage();
    return 2;
}
