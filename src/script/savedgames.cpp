#include "script/savedgames.hpp"

#include <algorithm>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/funcs_impl.hpp"
#include "params/sysfuncs.hpp"
#include "script/gameproject.hpp"
#include "script/runcontext.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace fs = std::filesystem;

TSavedGames::TSavedGames(TSaveSetup setup, TProject& project, const TGameParts& game, const TStatusParts& status)
    : setup_(std::move(setup)), project_(project), game_(game), status_(status) {
    TSysFuncMan& funcs = game_.Context.Funcs;
    funcs.Register(sfGetSaveCaption, [this](const TFuncCall& c) { c.dest.SetStr(TitleOf(c.Int(0))); });
    funcs.Register(sfListSaveCaption, [this](const TFuncCall& c) {
        std::vector<std::string> captions, slots;
        for (const auto& [slot, title] : titles_) {
            slots.push_back(std::to_string(slot));
            captions.push_back(title);
        }
        using funcs::IsVariable, funcs::StoreStrings, funcs::Whole;
        if (c.Has(0) && IsVariable(*c.args[0])) StoreStrings(const_cast<TCustomParam&>(Whole(*c.args[0])), captions);
        if (c.Has(1) && IsVariable(*c.args[1])) StoreStrings(const_cast<TCustomParam&>(Whole(*c.args[1])), slots);
        c.dest.SetInt(static_cast<int32_t>(titles_.size()));
    });
}

TSavedGames::~TSavedGames() {
    TSysFuncMan& funcs = game_.Context.Funcs;
    funcs.Unregister(sfGetSaveCaption);
    funcs.Unregister(sfListSaveCaption);
}

void TSavedGames::Trace(const std::string& utf8) const {
    TPlayerServices& services = game_.Context.Services;
    if (services.Tracing()) services.Trace(Utf8ToSjisLossy(utf8));
}

void TSavedGames::Open(const TProjectFile& project) {
    location_ = ResolveSaveLocation(setup_.GameFolder, setup_.SaveDir, setup_.DataHome, SaveGameId(project), FolderWritable);
    titles_.clear();
    const fs::path file = location_.FileToRead();
    try {
        const TSaveArchive archive(file);
        ReadTitles(archive);
        RestoreStatus(archive);
    } catch (const ERuvoError& e) {
        // A save file that cannot be read holds no titles and no status; saving replaces it.
        Trace(std::string("save.dat ignored: ") + e.what());
    }
}

void TSavedGames::ReadTitles(const TSaveArchive& archive) {
    for (const TSavedGameListing& game : ListSavedGames(archive)) {
        if (game.Header) SetTitle(game.Slot, game.Header->Title);
        else Trace("save.dat: " + SjisToUtf8Lossy(game.EntryName) + " not listed: " + game.Error);
    }
}

void TSavedGames::RestoreStatus(const TSaveArchive& archive) {
    if (!archive.Has(kStatusEntryName)) return;
    try {
        TMemoryStream entry;
        archive.Read(kStatusEntryName, entry);
        TLoadedStatus status(entry, status_);
        status.Commit(status_);
    } catch (const ERuvoError& e) {
        Trace(std::string("save.dat: the status data is ignored: ") + e.what());
    }
}

std::string TSavedGames::TitleOf(int32_t slot) const {
    const auto it = std::find_if(titles_.begin(), titles_.end(), [&](const auto& t) { return t.first == slot; });
    return it == titles_.end() ? std::string() : it->second;
}

void TSavedGames::SetTitle(int32_t slot, std::string title) {
    const auto it = std::find_if(titles_.begin(), titles_.end(), [&](const auto& t) { return t.first == slot; });
    if (it != titles_.end()) it->second = std::move(title);
    else titles_.emplace_back(slot, std::move(title));
}

bool TSavedGames::ProcessPending() {
    bool loaded = false;
    if (project_.PendingLoad >= 0) {
        const int32_t slot = std::exchange(project_.PendingLoad, -1);
        LoadGame(slot);
        loaded = true;
    }
    // After a load that failed the player stops: nothing more is written.
    if (project_.PendingSave && !game_.Context.Services.Terminating()) {
        const TSaveRequest request = std::move(*project_.PendingSave);
        project_.PendingSave.reset();
        if (request.Slot >= 0) SaveGame(request);
    }
    return loaded;
}

void TSavedGames::SaveGame(const TSaveRequest& request) {
    if (request.Title.empty()) return;
    try {
        TSaveArchive archive(location_.FileToRead());
        TMemoryStream entry;
        WriteGameEntry(entry, request, game_);
        archive.Replace(GameEntryName(request.Slot), entry);
        // The status is written with every save; one write of the file carries both.
        if (project_.Settings.WriteStatus) {
            TMemoryStream status;
            WriteStatusEntry(status, status_);
            archive.Replace(std::string(kStatusEntryName), status);
        }
        archive.Store(location_.WriteFile);
        SetTitle(request.Slot, request.Title);
    } catch (const ERuvoError& e) {
        Trace(std::string("the game could not be saved: ") + e.what());
        game_.Context.Services.ShowWarning(Utf8ToSjis("セーブデータを書き込めませんでした") + "\r\n" + Utf8ToSjisLossy(e.what()));
    }
}

void TSavedGames::LoadGame(int32_t slot) {
    const fs::path file = location_.FileToRead();
    std::error_code ec;
    if (!fs::exists(file, ec)) return;
    try {
        const TSaveArchive archive(file);
        const std::string name = GameEntryName(slot);
        if (!archive.Has(name)) return;
        TMemoryStream entry;
        archive.Read(name, entry);
        TLoadedGame game(entry, game_);
        game.Commit(game_);
    } catch (const std::exception& e) {
        Trace("slot " + std::to_string(slot) + " cannot be loaded: " + e.what());
        TPlayerServices& services = game_.Context.Services;
        services.SetTerminating(true);
        services.ShowWarning(Utf8ToSjis("このセーブデータは使用できません\r\n終了してください"));
    }
}

void TSavedGames::SaveStatus() {
    if (!project_.Settings.WriteStatus) return;
    try {
        TSaveArchive archive(location_.FileToRead());
        TMemoryStream status;
        WriteStatusEntry(status, status_);
        archive.Replace(std::string(kStatusEntryName), status);
        archive.Store(location_.WriteFile);
    } catch (const ERuvoError& e) {
        Trace(std::string("the status data could not be written: ") + e.what());
    }
}

} // namespace ruvo
