#pragma once
// "game.ini" beside the player: the sound settings.
#include <filesystem>
#include <string>
#include <string_view>

namespace ruvo {

struct TGameIni {
    bool directSound = true;  // "DirectSound"
    int delayTime = 500;      // "DelayTime", ms: a multiple of 100 in 100..500
};

// Section and key names compare without regard to case; a missing file or key keeps the default.
TGameIni ParseGameIni(std::string_view text);
TGameIni LoadGameIni(const std::filesystem::path& path);
// Rounded down to a multiple of 100, then clamped to 100..500.
int NormaliseDelayTime(long long ms);
// The file's text with "DirectSound" (1 or 0) and "DelayTime" of section "Sound" set, every other line
// kept as it was; the keys, or the section, are added when missing.
std::string UpdateGameIni(std::string_view text, const TGameIni& ini);
// Writes the settings into the file (created when absent); throws std::runtime_error when it cannot.
void SaveGameIni(const std::filesystem::path& path, const TGameIni& ini);

} // namespace ruvo
