// ruvotool: the authors' and testers' tools.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/cli.hpp"
#include "tools/commands.hpp"

namespace ruvo::tools {
namespace {

int RunVersion(const Args& args) {
    TVerbCommandLine line("ruvotool version", "Prints the version of the tools.");
    if (auto exit = line.Parse(args)) return *exit;
    std::printf("ruvotool %s\n", RUVO_VERSION);
    return kExitOk;
}

} // namespace

// One row per verb; each verb lives in its own file under tools/.
const ToolCommand kCommands[] = {
    {"dump", "list a script page, project file or frame list (--ops, --source)", RunDump},
    {"build", "build a game folder from source: build SRC -o OUT [--loose] [--exe PLAYER]", RunBuild},
    {"archive", "list, extract, pack and verify archives", RunArchive},
    {"version", "print the version", RunVersion},
    {"expr", "compile and evaluate expressions", RunExpr},
    {"wipe", "draw a screen transition at a time: wipe TYPE --before A --after B --duration MS ...", RunWipe},
    {"image", "inspect, export and pack pictures (info, export, pack)", RunImage},
    {"text", "message text: list the glyphs of markup, or render a page to PNG", RunText},
    {"rmt", "draw a frame list at a time: rmt render FILE.rmt --at MS -o OUT.png [--game FOLDER]", RunRmt},
    {"sound", "sound files: info (format, rate, channels, length), render to WAV with volume and pan", RunSound},
    {"save", "list the saved games of a save.dat, or dump a saved game or the status data", RunSave},
    {"table", "show how a tab-separated file loads into a data table: table FILE.tsv", RunTable},
};
} // namespace ruvo::tools

namespace {

std::string Usage() {
    std::string text =
        "Tools for authors and testers of ruvoplay games.\n"
        "Usage: ruvotool [--help] [--version] VERB [ARGS...]\n\nverbs:\n";
    for (const auto& c : ruvo::tools::kCommands) {
        char line[160];
        std::snprintf(line, sizeof line, "  %-10s %s\n", c.name, c.summary);
        text += line;
    }
    return text + "\nRun \"ruvotool VERB --help\" for the options of a verb.\n";
}

} // namespace

int main(int argc, char** argv) {
    using namespace ruvo::tools;
    // Only the options before the verb are ruvotool's own; the verb parses the rest itself.
    CLI::App app("", "ruvotool");
    app.prefix_command();
    app.set_version_flag("--version", std::string("ruvotool ") + RUVO_VERSION);
    app.formatter_fn([](const CLI::App*, std::string, CLI::AppFormatMode) { return Usage(); });
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(Usage().c_str(), stdout);
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        std::printf("%s\n", e.what());
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        return ReportUsageError("ruvotool", e.what());
    }
    const Args rest = app.remaining();
    if (rest.empty()) {
        std::fputs(Usage().c_str(), stderr);
        return kExitUsage;
    }
    const std::string& verb = rest.front();
    for (const auto& c : kCommands) {
        if (verb != c.name) continue;
        const std::string command = "ruvotool " + verb;
        try {
            return c.run(Args(rest.begin() + 1, rest.end()));
        } catch (const EUsageError& e) {
            return ReportUsageError(command, e.what());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", command.c_str(), e.what());
            return kExitFailure;
        }
    }
    std::fprintf(stderr, "ruvotool: unknown verb \"%s\"\n\n%s", verb.c_str(), Usage().c_str());
    return kExitUsage;
}
