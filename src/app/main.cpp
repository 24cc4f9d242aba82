// ruvoplay: plays a game.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "app/configdialog.hpp"
#include "app/instance.hpp"
#include "app/options.hpp"
#include "app/player.hpp"
#include "platform/platform.hpp"

namespace {

std::filesystem::path PlayerFile(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::absolute(argv0) : self;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    int exitCode = ruvo::kPlayerExitOk;
    const auto options = ruvo::ParsePlayerOptions(args, exitCode);
    if (!options) return exitCode;
    const std::filesystem::path playerFile = PlayerFile(argv[0]);
    const std::filesystem::path playerFolder = playerFile.parent_path();
    const std::string platformName = options->platform.empty() ? ruvo::platform::DefaultPlatformName() : options->platform;
    const bool headlessRun = platformName == "headless";
    // One player per game: a second start on the same folder ends, with a line on stderr so that a
    // headless run does not look like one that wrote nothing.
    std::error_code ec;
    const std::filesystem::path instanceFolder =
        options->gameFolders.empty() ? playerFolder : std::filesystem::weakly_canonical(options->gameFolders.front(), ec);
    const ruvo::TInstanceLock lock(ruvo::InstanceName(instanceFolder.string()));
    if (!lock.Problem().empty())
        std::fprintf(stderr, "ruvoplay: running without the one-player-per-game lock: %s\n", lock.Problem().c_str());
    if (lock.OtherInstanceRunning()) {
        std::fprintf(stderr, "ruvoplay: another player is running %s; this one ends\n", instanceFolder.c_str());
        return headlessRun ? 1 : 0;
    }

    try {
        ruvo::platform::HeadlessOptions headless;
        if (!options->inputFile.empty()) {
            std::ifstream in(options->inputFile, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "ruvoplay: cannot read %s\n", options->inputFile.c_str());
                return 1;
            }
            std::ostringstream text;
            text << in.rdbuf();
            headless.inputScript = text.str();
        }
        auto platform = ruvo::platform::CreatePlatform(platformName, headless);
        if (options->config) {
            // The settings of the game folder given, else of the player's own folder.
            const std::filesystem::path folder = options->gameFolders.empty() ? playerFolder : std::filesystem::path(options->gameFolders.front());
            const long long limit = options->frames >= 0 ? options->frames : headlessRun ? ruvo::TPlayer::kHeadlessFrameLimit : -1;
            return ruvo::RunConfigDialog(*platform, folder, limit, options->screenshotFile);
        }
        ruvo::TPlayer player(*options, *platform, playerFile);
        return player.Run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ruvoplay: %s\n", e.what());
        return 1;
    }
}
