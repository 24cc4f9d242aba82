#pragma once
// What the tools that show pictures share: a game's files as the player sees them, and an input
// named as a file, as an entry of an archive, or as a name of the game's files.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/deletionlist.hpp"
#include "archive/vrfilemanager.hpp"

namespace ruvo::tools {

// A game folder as the player sees it: loose files first, then its "game.dat".
class TGameFiles {
public:
    explicit TGameFiles(const std::filesystem::path& folder);
    TVrFileManager& Files() { return files_; }
    // The project's ImageKey; throws when the game has no project file this tool reads.
    uint32_t ImageKey();

private:
    TDeletionList deletions_;
    TVrFileManager files_;
};

struct TInput {
    std::string Name;  // Shift-JIS, for the extension and messages
    std::vector<uint8_t> Bytes;
};

// FILE, ARCHIVE:NAME, or (with a game) a name of the game's files; folders in names may be parted by "/".
TInput ReadInput(const std::string& arg, TGameFiles* game);
// A name typed on the command line ("/" or "\" between folders, UTF-8) as a game name.
std::string GameName(const std::string& typed);

} // namespace ruvo::tools
