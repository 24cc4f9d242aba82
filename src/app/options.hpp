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
    std::filesystem::path traceFile;
    std::filesystem::path dumpVarsFile;
    std::filesystem::path screenshotFile;  // the picture at exit, as PNG
    bool fullScreen = false;
};

// Parses the arguments after the program name; nullopt with the problem in `error` for a bad line.
std::optional<TPlayerOptions> ParsePlayerOptions(const std::vector<std::string>& args, std::string& error);
extern const char* const kPlayerUsage;

} // namespace ruvo
