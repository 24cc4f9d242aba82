#pragma once
// The saved games of a running game: where "save.dat" lives, the titles of its saved games, the status
// data restored at start-up and written after every save and at the end, and the save and load requests
// of the script, carried out by the frame loop between the script step and drawing. It offers the
// functions GetSaveCaption and ListSaveCaption while it exists.
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "script/savefile.hpp"
#include "script/savegame.hpp"
#include "script/statusdata.hpp"

namespace ruvo {

class TProject;
struct TProjectFile;
struct TSaveRequest;

// Where the saves go: the game folder (the first of the command line, else the player's), the
// --save-dir option (empty: none) and the folder of per-user data ($XDG_DATA_HOME).
struct TSaveSetup {
    std::filesystem::path GameFolder;
    std::filesystem::path SaveDir;
    std::filesystem::path DataHome;
};

class TSavedGames {
public:
    TSavedGames(TSaveSetup setup, TProject& project, const TGameParts& game, const TStatusParts& status);
    ~TSavedGames();
    TSavedGames(const TSavedGames&) = delete;
    TSavedGames& operator=(const TSavedGames&) = delete;

    // At start-up, once the project file is read (its title names the folder of saves in the per-user
    // data) and before the project's variables are defined: the location, the titles, the status data
    // (a damaged status is ignored).
    void Open(const TProjectFile& project);

    // The frame step's part: a requested load first, then the save requested before it. True when a
    // load was requested (the frame is then not drawn).
    bool ProcessPending();
    // Nothing without a title. A save that cannot be written shows a warning and changes nothing.
    void SaveGame(const TSaveRequest& request);
    // Nothing when the slot is not saved; a slot that cannot be used raises the stop flag and shows
    // "このセーブデータは使用できません\r\n終了してください", the running game untouched.
    void LoadGame(int32_t slot);
    // Stores the status data when the project's WriteStatus is set; errors are ignored.
    void SaveStatus();

    const TSaveLocation& Location() const noexcept { return location_; }
    // Titles by slot, in the order they became known.
    const std::vector<std::pair<int32_t, std::string>>& SaveTitles() const noexcept { return titles_; }
    std::string TitleOf(int32_t slot) const;
    void SetTitle(int32_t slot, std::string title);

private:
    void ReadTitles(const TSaveArchive& archive);
    void RestoreStatus(const TSaveArchive& archive);
    void Trace(const std::string& utf8) const;

    TSaveSetup setup_;
    TProject& project_;
    TGameParts game_;
    TStatusParts status_;
    TSaveLocation location_;
    std::vector<std::pair<int32_t, std::string>> titles_;
};

} // namespace ruvo
