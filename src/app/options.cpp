#include "app/options.hpp"

#include <charconv>

#include "archive/sjis.hpp"

namespace ruvo {

const char* const kPlayerUsage =
    "usage: ruvoplay [OPTIONS] [GAMEFOLDER...]\n"
    "       ruvoplay /config\n"
    "Without a game folder the game data is looked for beside the player.\n"
    "options:\n"
    "  --headless         no window: 16 ms per frame; ends when the game's script ends,\n"
    "                     or after 100000 frames when --frames is not given\n"
    "  --window           a window even when the default would be headless\n"
    "  --fullscreen       start in full screen\n"
    "  --frames N         stop after N frames\n"
    "  --input FILE       scripted input: FRAME click X Y | rclick X Y | move X Y | key CODE |\n"
    "                     wheel up|down | answer ok|cancel|yes|no\n"
    "  --trace FILE       write the trace of commands run\n"
    "  --dump-vars FILE   at exit, write every variable as NAME=VALUE, sorted by name\n"
    "  --screenshot FILE  at exit, write the picture as PNG\n"
    "  --version          print the version\n";

std::optional<TPlayerOptions> ParsePlayerOptions(const std::vector<std::string>& args, std::string& error) {
    TPlayerOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* what) -> const std::string* {
            if (i + 1 >= args.size()) {
                error = a + " needs " + what;
                return nullptr;
            }
            return &args[++i];
        };
        if (a == "--headless") {
            o.platform = "headless";
        } else if (a == "--window") {
            o.platform = "sdl";
        } else if (a == "--fullscreen") {
            o.fullScreen = true;
        } else if (a == "--frames") {
            const std::string* v = value("a number");
            if (!v) return std::nullopt;
            const auto r = std::from_chars(v->data(), v->data() + v->size(), o.frames);
            if (r.ec != std::errc() || r.ptr != v->data() + v->size() || o.frames < 0) {
                error = "--frames needs a number, not \"" + *v + "\"";
                return std::nullopt;
            }
        } else if (a == "--input" || a == "--trace" || a == "--dump-vars" || a == "--screenshot") {
            const std::string* v = value("a file name");
            if (!v) return std::nullopt;
            (a == "--input" ? o.inputFile : a == "--trace" ? o.traceFile : a == "--dump-vars" ? o.dumpVarsFile : o.screenshotFile) = *v;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (o.gameFolders.empty() && !o.config && SameTextSjis(a, "/config")) {
            o.config = true;
        } else {
            o.gameFolders.push_back(a);
        }
    }
    return o;
}

} // namespace ruvo
