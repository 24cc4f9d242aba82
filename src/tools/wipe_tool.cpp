// ruvotool wipe: the picture of a screen transition at a given time, or its whole sequence, drawn by the
// player's own transitions from two PNG pictures.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/wipes/wipes.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "tools/cli.hpp"

namespace ruvo::tools {

namespace {

// A sequence longer than this is surely a mistaken --step.
constexpr int64_t kMaxFrames = 100000;

// The picture on a 32-bit screen of the given size (its own size when 0): drawn at the top left over
// black, transparent pixels showing the black.
std::unique_ptr<TDIBX> LoadPicture(const std::string& path, int32_t width = 0, int32_t height = 0) {
    const TPngPicture png = LoadPngFile(path);
    auto surface = std::make_unique<TDIBX>();
    surface->SetSize(width ? width : png.width, height ? height : png.height, 32);
    surface->Clear(0);
    for (int32_t y = 0; y < std::min(png.height, surface->GetHeight()); ++y)
        for (int32_t x = 0; x < std::min(png.width, surface->GetWidth()); ++x) {
            const uint32_t p = png.argb[size_t(y) * png.width + x], a = p >> 24;
            uint32_t pixel = 0;
            for (int shift : {0, 8, 16})
                pixel |= (((p >> shift) & 255) * a / 255) << shift;
            surface->SetPixel(x, y, pixel);
        }
    return surface;
}

void Save(TDIBX& frame, const std::string& path) { SavePng(frame, path == "-" ? "/dev/stdout" : path); }

constexpr const char* kCommand = "ruvotool wipe";

} // namespace

int RunWipe(const Args& args) {
    TVerbCommandLine line(kCommand,
                          "Draws a screen transition of type TYPE (1..38) from BEFORE to AFTER as the player shows it: "
                          "the picture at --at ms, or with --frames every --step ms until the end. AFTER is placed on "
                          "a screen of BEFORE's size.");
    CLI::App& app = line.App();
    int type = 0;
    std::string before, after, rule, output, frames;
    int32_t duration = 0, at = 0, step = 0, param0 = 0, param1 = 0;
    uint32_t seed = 0;
    bool reverse = false;
    app.add_option("TYPE", type, "transition type; others change the screen at once")->required();
    app.add_option("--before", before, "the picture being replaced (PNG)")->required();
    app.add_option("--after", after, "the new picture (PNG)")->required();
    app.add_option("--duration", duration, "total time in ms")->required();
    auto* atOption = app.add_option("--at", at, "elapsed time in ms of the picture to draw");
    auto* outOption = app.add_option("-o", output, "output PNG; - for standard output");
    auto* framesOption = app.add_option("--frames", frames, "folder for the whole sequence (frame0000.png, ...)");
    auto* stepOption = app.add_option("--step", step, "time in ms between two frames of the sequence");
    app.add_flag("--reverse", reverse, "reverse the transition's direction");
    auto* param0Option = app.add_option("--param0", param0, "the type's first parameter");
    auto* param1Option = app.add_option("--param1", param1, "the type's second parameter");
    app.add_option("--rule", rule, "rule picture (PNG) for the types 19 to 21");
    app.add_option("--seed", seed, "seed of the random source for the types 29 and 38 (default 0)");
    outOption->needs(atOption);
    atOption->needs(outOption);
    framesOption->needs(stepOption);
    stepOption->needs(framesOption);
    if (auto exit = line.Parse(args)) return *exit;
    if (!outOption->count() && !framesOption->count())
        return ReportUsageError(kCommand, "give -o with --at, or --frames with --step");
    if (framesOption->count() && step <= 0) return ReportUsageError(kCommand, "--step must be at least 1 ms");
    if (framesOption->count() && int64_t(std::max(duration, 0)) / step + 2 > kMaxFrames)
        return ReportUsageError(kCommand,
                                "that makes more than " + std::to_string(kMaxFrames) + " frames; raise --step");
    // Outputs that cannot be written are found before any work.
    if (outOption->count() && output != "-") {
        std::FILE* file = std::fopen(output.c_str(), "wb");
        if (!file)
            return ReportUsageError(kCommand, "cannot write " + output + ": " + std::strerror(errno));
        std::fclose(file);
    }
    if (framesOption->count()) {
        std::error_code error;
        std::filesystem::create_directories(frames, error);
        if (error)
            return ReportUsageError(kCommand, "cannot write " + frames + ": " + error.message());
    }

    auto beforePicture = LoadPicture(before);
    const int32_t w = beforePicture->GetWidth(), h = beforePicture->GetHeight();
    auto afterPicture = LoadPicture(after, w, h);
    std::unique_ptr<TDIBX> rulePicture = rule.empty() ? nullptr : LoadPicture(rule);
    TDIBX screen;
    screen.SetSize(w, h, 32);

    // The player's general random source, seeded for a repeatable picture.
    TParamCollection vars;
    TSysFuncMan functions(vars);
    functions.SetRandSeed(seed);

    TWipeSettings settings{.Type = type, .Duration = duration, .Reverse = reverse, .Rule = rulePicture.get()};
    if (param0Option->count())
        settings.Param0 = param0;
    if (param1Option->count())
        settings.Param1 = param1;
    TWipeStart start = StartWipe(settings, {screen, *beforePicture, *afterPicture},
                                 [&functions](int32_t n) { return functions.Random(n); });
    if (start.ChangesAtOnce())
        std::fprintf(stderr, "ruvotool wipe: type %d over %d ms makes no transition; the screen changes at once\n",
                     type, duration);
    // One step at time t, as the player's frame does it; once it is over the new picture shows.
    auto frameAt = [&](int32_t t) -> TDIBX& {
        if (!start.Wipe)
            return *afterPicture;
        start.Wipe->Elapsed = t;
        if (start.Wipe->Step())
            return *afterPicture;
        return screen;
    };

    if (outOption->count()) {
        Save(frameAt(at), output);
        return kExitOk;
    }
    int index = 0;
    for (int64_t t = 0;; t += step) {
        const bool last = t >= duration;
        char name[32];
        std::snprintf(name, sizeof name, "frame%04d.png", index++);
        const std::string path = (std::filesystem::path(frames) / name).string();
        Save(frameAt(int32_t(std::min<int64_t>(t, duration))), path);
        std::printf("%s\n", path.c_str());
        if (last)
            break;
    }
    return kExitOk;
}

} // namespace ruvo::tools
