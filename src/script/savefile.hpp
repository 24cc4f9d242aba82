#pragma once
// "save.dat": the one file of saved games ("GAMESAVEDATA" + slot) and status data ("STATUSSAVEDATA"), an
// archive of the game data's format. Where it lives, and the file held in memory while its entries are
// read or replaced and it is written back as a whole.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

class TGxBigMemoryStream;
class TMemoryStream;
class TVrFileCollection;
struct TProjectFile;

inline constexpr std::string_view kSaveFileName = "save.dat";
inline constexpr std::string_view kGameEntryPrefix = "GAMESAVEDATA";
inline constexpr std::string_view kStatusEntryName = "STATUSSAVEDATA";

// "GAMESAVEDATA" and the slot in decimal.
std::string GameEntryName(int32_t slot);
// The slot of a game entry's name: the rest after the prefix must be a decimal number (an optional
// minus sign and digits), else nullopt.
std::optional<int32_t> SlotOfEntryName(std::string_view name);

// Where "save.dat" is read from and written to.
struct TSaveLocation {
    std::filesystem::path ReadFile;   // read first when it exists
    std::filesystem::path FallbackReadFile;  // read when ReadFile does not exist (empty: none)
    std::filesystem::path WriteFile;

    // The file to read now: ReadFile, or the fallback when ReadFile does not exist.
    std::filesystem::path FileToRead() const;
};

// gameFolder: the first game folder of the command line, or the player's folder. saveDir: the
// --save-dir option (empty: none), which overrides the rest. When gameFolder is not writable, the saves
// go to dataHome/ruvoplay/<gameId>/save.dat, which is read first (the game folder's file when it does
// not exist yet).
TSaveLocation ResolveSaveLocation(const std::filesystem::path& gameFolder, const std::filesystem::path& saveDir,
                                  const std::filesystem::path& dataHome, const std::string& gameId,
                                  const std::function<bool(const std::filesystem::path&)>& writable);
// A folder in which files can be made.
bool FolderWritable(const std::filesystem::path& folder);
// $XDG_DATA_HOME, or $HOME/.local/share.
std::filesystem::path DefaultDataHome();
// The game's name for its folder of saves (UTF-8): its title made fit for a file name, "-", and eight
// hexadecimal digits of the CRC-32 of the title and the registry key.
std::string SaveGameId(const TProjectFile& project);

// "save.dat" read into memory.
class TSaveArchive {
public:
    // An absent file is an empty archive; an unreadable or damaged one throws ERuvoError.
    explicit TSaveArchive(const std::filesystem::path& file);
    TSaveArchive();
    ~TSaveArchive();
    TSaveArchive(TSaveArchive&&) noexcept;
    TSaveArchive& operator=(TSaveArchive&&) noexcept;

    bool Has(std::string_view name) const;
    // The entry's names in directory order.
    std::vector<std::string> Names() const;
    // The content of an entry, its CRC checked where the archive keeps one; throws ERuvoError for an
    // absent or damaged entry.
    void Read(std::string_view name, TMemoryStream& out) const;
    // Puts the content in place of the entry of that name (at the end of the directory).
    void Replace(const std::string& name, TMemoryStream& content);
    // Writes the whole archive over the file safely (safefile.hpp); throws ERuvoError when it failed, the
    // old file then being as it was.
    void Store(const std::filesystem::path& file);
    // The archive as its file holds it (what Store writes).
    std::vector<uint8_t> Bytes();

private:
    std::unique_ptr<TGxBigMemoryStream> data_;
    std::unique_ptr<TVrFileCollection> archive_;
};

} // namespace ruvo
