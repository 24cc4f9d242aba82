#pragma once
// Finding the game data when the player is started without a game folder: an installed game beside the
// player, or its disc.
#include <filesystem>
#include <string>

namespace ruvo {

class TVrFileManager;
class IDiscRoots;

// The questions the search may have to ask; true means OK.
class TLocatePrompts {
public:
    virtual ~TLocatePrompts() = default;
    // "インストールし直してください" / "情報".
    virtual void Reinstall() = 0;
    // "ディスクを入れてください" / "情報", OK and Cancel.
    virtual bool InsertDisc() = 0;
    // The project's quit prompt with its title as caption, OK and Cancel.
    virtual bool Quit() = 0;
};

bool LocateData(TVrFileManager& files, const std::filesystem::path& playerFolder, IDiscRoots& discs,
                TLocatePrompts& prompts);

} // namespace ruvo
