#include "app/options.hpp"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <cstdio>
#include <system_error>

#include "archive/sjis.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDescription =
    "Plays a game: in a window, or headless (no window, every frame 16 ms of game time) for tests and "
    "recordings.\n"
    "GAMEFOLDER holds the game's data (\"game.dat\" or loose files); without one the game is looked for "
    "beside the player. \"ruvoplay /config\" opens the sound settings only.";

constexpr const char* kFooter =
    "\"The script\" is the game's own script: its pages, run from the project's start page.\n"
    "Scripted input (--input), one event per line: FRAME click X Y | rclick X Y | move X Y | key CODE |\n"
    "wheel up|down | answer ok|cancel|yes|no | focus out|in\n"
    "Sound: music and effects play through the sound device; --audio-out records them instead. MIDI needs a\n"
    "General MIDI sound font (.sf2 or .sf3): --soundfont, else the system's default (\"default-GM.sf2\" in\n"
    "/usr/share/sounds/sf2 and the like); without one MIDI plays silence of the right length.\n"
    "Exit codes: 0 the game ended, 1 it could not start or failed, 2 a wrong command line or an output\n"
    "that cannot be written, 128 + the signal's number after SIGINT or SIGTERM (the run still writes its\n"
    "outputs).";

// Whether a file could be created or replaced there, without touching it.
bool CanWrite(const fs::path& file, std::string& why) {
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        why = "it is a folder";
        return false;
    }
    if (fs::exists(file, ec)) {
        if (::access(file.c_str(), W_OK) == 0) return true;
        why = "it is not writable";
        return false;
    }
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        why = "the folder " + folder.string() + " does not exist";
        return false;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        why = "the folder " + folder.string() + " is not writable";
        return false;
    }
    return true;
}

} // namespace

std::optional<TPlayerOptions> ParsePlayerOptions(const std::vector<std::string>& args, int& exitCode) {
    TPlayerOptions o;
    CLI::App app(kDescription, "ruvoplay");
    app.footer(kFooter);
    app.set_version_flag("--version", std::string("ruvoplay ") + RUVO_VERSION);
    bool headless = false, window = false;
    std::string inputFile, traceFile, dumpVarsFile, screenshotFile, dumpObjectsFile, saveDir;
    std::string audioOutFile, soundFont, cdDir;
    std::vector<std::string> shotsAt;
    auto* headlessFlag = app.add_flag("--headless", headless,
                                      "no window: 16 ms per frame; ends when the game's script ends, or after "
                                      "100000 frames when --frames is not given; offers the game no full-screen "
                                      "display modes");
    app.add_flag("--window", window, "a window even when the default would be headless")->excludes(headlessFlag);
    app.add_flag("--fullscreen", o.fullScreen, "start in full screen");
    auto* logoFlag = app.add_flag("--logo", o.logo, "play the start-up logo before the game, as a window does");
    app.add_flag("--no-logo", o.noLogo, "a window without the start-up logo (for recordings that count frames)")
        ->excludes(logoFlag);
    app.add_option("--frames", o.frames, "stop after N frames")->type_name("N")->check(CLI::NonNegativeNumber);
    app.add_option("--input", inputFile, "scripted input for headless runs (see below)")->type_name("FILE");
    app.add_option("--trace", traceFile, "write the trace of the commands the script runs (- for standard output)")
        ->type_name("FILE");
    app.add_option("--dump-vars", dumpVarsFile,
                   "at exit, write every variable as NAME=VALUE, sorted by name (- for standard output)")
        ->type_name("FILE");
    app.add_option("--screenshot", screenshotFile, "at exit, write the picture as PNG (- for standard output)")
        ->type_name("FILE");
    app.add_option("--screenshot-at", shotsAt,
                   "after frame FRAME (numbered from 0, as in --input) is painted, write the game's picture as PNG "
                   "(repeatable)")
        ->type_name("FRAME=FILE")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--dump-objects", dumpObjectsFile,
                   "at exit, write the display objects, one a line in drawing order (docs/objects-dump.md; - for "
                   "standard output)")
        ->type_name("FILE");
    app.add_option("--save-dir", saveDir,
                   "keep the saved games (\"save.dat\") in DIR instead of the game folder or the per-user data folder")
        ->type_name("DIR");
    app.add_option("--audio-out", audioOutFile,
                   "record every sound as 16-bit stereo WAV at 44100 Hz in game time (frame k covers [16k, 16k+16) "
                   "ms) instead of playing it")
        ->type_name("FILE");
    app.add_option("--soundfont", soundFont, "the General MIDI sound font (.sf2, .sf3) MIDI music plays with")
        ->type_name("FILE")
        ->check(CLI::ExistingFile);
    app.add_option("--cd-dir", cdDir,
                   "where the ripped tracks of the game's CD are (CD_NN.* or trackNN.*: ogg, flac, wav, mp3); default: "
                   "the game folder's \"cd\" folder, then the game folder")
        ->type_name("DIR")
        ->check(CLI::ExistingDirectory);
    app.add_flag("--audio-stats", o.audioStats, "at exit, print how often the sound device ran dry");
    app.add_flag("--config", o.config, "open only the sound settings of the game folder's \"game.ini\"");
    app.add_option("GAMEFOLDER", o.gameFolders, "game folders; the first holds loose files and the saved games");
    // A value given twice: the later one counts, so scripts can add to a command line.
    for (CLI::Option* option : app.get_options())
        if (option->get_expected_max() == 1 && option->get_type_size() > 0)
            option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes the arguments last first
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        exitCode = kPlayerExitOk;
        return std::nullopt;
    } catch (const CLI::CallForVersion& e) {
        std::printf("%s\n", e.what());
        exitCode = kPlayerExitOk;
        return std::nullopt;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "ruvoplay: %s\nRun \"ruvoplay --help\" for the usage.\n", e.what());
        exitCode = kPlayerExitUsage;
        return std::nullopt;
    }
    if (headless) o.platform = "headless";
    if (window) o.platform = "sdl";
    o.inputFile = inputFile;
    o.traceFile = traceFile;
    o.dumpVarsFile = dumpVarsFile;
    o.screenshotFile = screenshotFile;
    o.saveDir = saveDir;
    o.dumpObjectsFile = dumpObjectsFile;
    o.audioOutFile = audioOutFile;
    o.soundFont = soundFont;
    o.cdDir = cdDir;
    for (auto it = shotsAt.begin(); it != shotsAt.end(); ++it) {
        const size_t eq = it->find('=');
        TPlayerOptions::TShot shot;
        size_t used = 0;
        bool ok = eq != std::string::npos && eq > 0 && eq + 1 < it->size();
        if (ok) {
            try {
                shot.frame = std::stoll(it->substr(0, eq), &used);
            } catch (const std::exception&) {
                ok = false;
            }
        }
        if (!ok || used != eq || shot.frame < 0) {
            std::fprintf(stderr, "ruvoplay: --screenshot-at wants FRAME=FILE with a frame number from 0, not \"%s\"\n"
                                 "Run \"ruvoplay --help\" for the usage.\n",
                         it->c_str());
            exitCode = kPlayerExitUsage;
            return std::nullopt;
        }
        shot.file = it->substr(eq + 1);
        o.screenshotsAt.push_back(std::move(shot));
    }
    if (!o.gameFolders.empty() && SameTextSjis(o.gameFolders.front(), "/config")) {
        o.config = true;
        o.gameFolders.erase(o.gameFolders.begin());
    }
    // Outputs asked for are checked now, so that a long run does not end without them.
    std::vector<const fs::path*> outputs = {&o.traceFile, &o.dumpVarsFile, &o.screenshotFile, &o.dumpObjectsFile,
                                            &o.audioOutFile};
    for (const TPlayerOptions::TShot& shot : o.screenshotsAt) outputs.push_back(&shot.file);
    for (const fs::path* file : outputs) {
        std::string why;
        if (!file->empty() && !NamesStandardOutput(*file) && !CanWrite(*file, why)) {
            std::fprintf(stderr, "ruvoplay: cannot write %s: %s\n", file->c_str(), why.c_str());
            exitCode = kPlayerExitUsage;
            return std::nullopt;
        }
    }
    return o;
}

} // namespace ruvo
