#pragma once
// The player's command line: game folders (or "/config"), and the options for testing and recording.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ruvo {

struct TPlayerOptions {
    std::vector<std::string> gameFolders;  // as given; the first is the base folder of loose files
    bool config = false;                   // "/config": the settings dialog only
    std::string platform;                  // "sdl", "headless" or empty for the default
    long long frames = -1;                 // stop after this many frames (-1: no limit)
    std::filesystem::path inputFile;       // scripted input (headless)
    std::filesystem::path traceFile;       // "-": standard output
    std::filesystem::path dumpVarsFile;    // "-": standard output
    std::filesystem::path screenshotFile;  // the picture at exit, as PNG; "-": standard output
    std::filesystem::path saveDir;         // where "save.dat" is kept instead of the usual place
    // The game's picture after a frame's painting, as PNG: frames are numbered from 0, as --input does.
    struct TShot {
        long long frame = 0;
        std::filesystem::path file;
    };
    std::vector<TShot> screenshotsAt;
    std::filesystem::path dumpObjectsFile;  // the display objects at exit; "-": standard output
    bool fullScreen = false;
    bool logo = false;    // headless runs play the start-up logo too (a window does unless noLogo)
    bool noLogo = false;  // a window without the logo: recordings and tests that count frames
    // The whole mix as 16-bit stereo WAV at 44,100 Hz in game time (frame k: [16k, 16k + 16) ms); no sound
    // device is opened then.
    std::filesystem::path audioOutFile;
    std::filesystem::path soundFont;  // the General MIDI sound font; empty: the system's
    std::filesystem::path cdDir;      // ripped CD tracks; empty: the game folder's "cd", then the game folder
    bool audioStats = false;          // at exit, the sound device's underruns on stderr
};

// Exit codes of the player: a usage problem includes an output that cannot be written.
constexpr int kPlayerExitOk = 0;
constexpr int kPlayerExitFailure = 1;
constexpr int kPlayerExitUsage = 2;

// An output option's value that stands for standard output.
inline bool NamesStandardOutput(const std::filesystem::path& file) { return file == "-"; }

// Parses the arguments after the program name. nullopt when the program ends here, with the exit code
// in exitCode: kPlayerExitOk after --help or --version (printed on standard output), kPlayerExitUsage
// after naming the problem on standard error. Outputs are checked for being writable, not created.
std::optional<TPlayerOptions> ParsePlayerOptions(const std::vector<std::string>& args, int& exitCode);

} // namespace ruvo
