// ruvotool rmt: a frame list's picture at a time, drawn by the player's own frame-list code, without a
// game running: pictures come from the game folder, or from beside the file (or from its archive).
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "graphics/film/filmstage.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "graphics/images/pngfile.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"
#include "text/captions.hpp"
#include "tools/gamefiles.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

constexpr int32_t kDefaultWidth = 640, kDefaultHeight = 480;

std::pair<int32_t, int32_t> ParsePair(const std::string& text, char separator, const char* what) {
    int32_t a = 0, b = 0;
    char sep = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &a, &sep, &b, &extra) != 3 || sep != separator)
        throw EUsageError(std::string(what) + ": \"" + text + "\" is not of the form " +
                          (separator == 'x' ? "WxH" : "X,Y"));
    return {a, b};
}

// The game whose files the pictures come from: the one named, else the folder of the input (and the
// archive it names).
std::unique_ptr<TGameFiles> FilesFor(const std::string& input, const std::string& game) {
    if (!game.empty())
        return std::make_unique<TGameFiles>(game);
    std::error_code ec;
    if (fs::is_regular_file(input, ec))
        return std::make_unique<TGameFiles>(fs::absolute(input).parent_path());
    const fs::path archive = input.substr(0, input.rfind(':'));
    auto files = std::make_unique<TGameFiles>(fs::absolute(archive).parent_path());
    if (fs::is_regular_file(archive, ec))
        files->Files().AddArchive(archive);
    return files;
}

} // namespace

int RunRmt(const Args& args) {
    TVerbCommandLine line("ruvotool rmt", "Shows frame lists (.rmt) without a game.");
    CLI::App& app = line.App();
    app.require_subcommand(1);
    std::string input, output, game, sizeText, anchorText = "0,0";
    int32_t at = 0, frame = 0;
    CLI::App* render = app.add_subcommand("render", "the stage of a frame list at a time, as a PNG");
    render->add_option("INPUT", input, "FILE.rmt or ARCHIVE:NAME.rmt (or a name of the --game's files)")->required();
    auto* atOption = render->add_option("--at", at, "time in ms from the frame list's start (60 frames per second)");
    auto* frameOption = render->add_option("--frame", frame, "time as a frame number");
    atOption->excludes(frameOption);
    render->add_option("-o,--output", output, "the PNG to write, or - for standard output")
        ->type_name("OUT.png|-")
        ->required();
    render->add_option("--game", game, "a game folder: its files and its project's ImageKey")->type_name("FOLDER");
    render->add_option("--size", sizeText, "the stage's size (default: the file's, else 640x480)")->type_name("WxH");
    render->add_option("--anchor", anchorText, "where the frame list's origin lies on the stage (default 0,0)")
        ->type_name("X,Y");
    if (auto exit = line.Parse(args)) return *exit;
    try {
        const auto [anchorX, anchorY] = ParsePair(anchorText, ',', "--anchor");
        std::optional<std::pair<int32_t, int32_t>> size;
        if (!sizeText.empty()) {
            size = ParsePair(sizeText, 'x', "--size");
            if (size->first < 1 || size->second < 1 || size->first > 16384 || size->second > 16384)
                throw EUsageError("--size: each side from 1 to 16384");
        }
        const std::unique_ptr<TGameFiles> files = FilesFor(input, game);
        const TInput in = ReadInput(input, game.empty() ? nullptr : files.get());
        const uint32_t key = game.empty() ? 0 : files->ImageKey();

        TFilmManager film;
        TMemoryStream bytes(in.Bytes);
        if (!film.LoadFromStream(bytes, in.Name))
            throw std::runtime_error(input + ": not a frame list the player reads (its signature or version is another)");
        TGamePictures pictures(files->Files(), key, 32);
        TSystemFontCatalog catalog;
        TFontPixelManager fonts(catalog);
        TFilmCaptions captions(fonts, 32);
        pictures.SetLabelRenderer(&captions);
        film.LoadResources(pictures);

        const int32_t width = size ? size->first : film.StageWidth > 0 ? film.StageWidth : kDefaultWidth;
        const int32_t height = size ? size->second : film.StageHeight > 0 ? film.StageHeight : kDefaultHeight;
        if (width > 16384 || height > 16384)
            throw std::runtime_error("the frame list's stage of " + std::to_string(width) + "x" + std::to_string(height) +
                                     " is too large to draw; give --size");
        // The player's general random source, seeded for a repeatable picture.
        TParamCollection vars;
        TSysFuncMan functions(vars);
        TSurfaceFilmStage stage(width, height, 32, [&functions](int32_t n) { return functions.Random(n); });
        film.SetStage(&stage);
        const int32_t time = frameOption->count() ? frame : int32_t(std::llround(at * 60.0 / 1000.0));
        stage.Render(film, time, anchorX - film.OffsetX, anchorY - film.OffsetY);
        SavePng(stage.Screen(), TOutputFile::IsStandardOutput(output) ? fs::path("/dev/stdout") : fs::path(output));
        return kExitOk;
    } catch (const EUsageError& e) {
        return ReportUsageError("ruvotool rmt render", e.what());
    }
}

} // namespace ruvo::tools
