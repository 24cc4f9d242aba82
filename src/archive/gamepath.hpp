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
// means the game's root. Throws ERuvoError for names that would leave the root: ".." parts and drive
// or device prefixes ("C:").
std::vector<std::string> SplitGamePath(std::string_view sjisName);

// Extension of a game name with its dot ("bg\\a.png" -> ".png"), "" when its last part has none.
std::string ExtensionOf(std::string_view sjisName);

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
