#pragma once
// Game-relative file names ("bgm\\Title.ogg", Shift-JIS, any case) resolved to real files on a
// case-sensitive file system. A name never reaches outside the folder it is resolved under.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

// Splits a game name at "\" and "/" into its parts, dropping empty and "." parts. A leading separator
// means the game's root. Throws ERuvoError for names that would leave the root (".." parts, drive or
// device prefixes such as "C:") and for names with control bytes, which no file name may carry.
std::vector<std::string> SplitGamePath(std::string_view sjisName);

// Extension of a game name with its dot ("bg\\a.png" -> ".png"), "" when its last part has none.
std::string ExtensionOf(std::string_view sjisName);

// Why a name may not be stored as a new game file, or nothing when it may. Names made by the builder
// and the packer have only non-empty parts other than "." and "..", no drive or device prefix and no
// control bytes, so that each extracts to a file of its own inside the target folder.
std::optional<std::string> NewGameNameFault(std::string_view sjisName);

// True when the name holds a byte below 0x20 (never part of a two-byte character).
bool HasControlBytes(std::string_view name) noexcept;

// Where the file of a game name goes under dir (parts in UTF-8); throws as SplitGamePath does for names
// that would leave dir, and for names without a file part.
std::filesystem::path PathUnder(const std::filesystem::path& dir, std::string_view sjisName);

// Joins folder and name with "\" the way the game data does.
std::string JoinGamePath(std::string_view folder, std::string_view name);

class TGamePathResolver {
public:
    explicit TGamePathResolver(std::filesystem::path root);
    const std::filesystem::path& Root() const noexcept { return root_; }

    // The real path of the existing file or folder of that name, or nothing. An on-disk name matches
    // when it equals the name as Shift-JIS bytes or, read as UTF-8, converts to it; case is ignored.
    std::optional<std::filesystem::path> Find(std::string_view sjisName) const;
    // Where a file of that name is to be written: existing parts are matched as Find does, the missing
    // rest is spelled in UTF-8.
    std::filesystem::path PathForWrite(std::string_view sjisName) const;
    // Forgets cached folder listings (after files were created or removed).
    void Invalidate() const { listings_.clear(); }

private:
    struct Listing {
        // Case-folded Shift-JIS name -> on-disk names, exact spellings first.
        std::multimap<std::string, std::string> byFolded;
    };
    const Listing& ListingOf(const std::filesystem::path& folder) const;
    std::optional<std::string> Match(const std::filesystem::path& folder, const std::string& part) const;

    std::filesystem::path root_;
    mutable std::map<std::filesystem::path, Listing> listings_;
};

} // namespace ruvo
