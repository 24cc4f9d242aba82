#pragma once
// CD audio: a sound named "CD_" and a track number plays that track of the game's disc. Games are
// mostly played from ripped tracks now: the first file "CD_NN.*" or "trackNN.*" (Ogg, FLAC, WAV or MP3;
// names compared without regard to case, numbers by value) in the CD folder. Without one, an audio CD
// in a drive plays through libcdio-paranoia.
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "media/pcmsource.hpp"

namespace ruvo {

// The track number of a "CD_NN" name ("CD_05", "cd_5.x"); nothing for other names.
std::optional<int> CdTrackOf(std::string_view name);
// The ripped file of a track in the first of the folders that has one, or nothing.
std::optional<std::filesystem::path> FindRippedTrack(const std::vector<std::filesystem::path>& folders, int track);
// The track of an audio CD in the first drive that holds one; throws std::runtime_error when there is
// no drive, no disc or no such audio track.
std::unique_ptr<TPcmSource> OpenDiscTrack(int track);

} // namespace ruvo
