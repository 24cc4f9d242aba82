#pragma once
// The parts of a saved game without a running player: for reading "save.dat" in the tools and the
// fuzzing targets. Pages come from a game folder when they are there; a page that is not is read as an
// empty page (a saved game then reads as far as its commands' running states, which need the page).
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/images/imagesettings.hpp"
#include "objects/text/history.hpp"
#include "objects/text/readmarks.hpp"
#include "objects/world/savedworld.hpp"
#include "objects/world/world.hpp"
#include "params/datatables.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/quietservices.hpp"
#include "script/runcontext.hpp"
#include "script/savegame.hpp"
#include "script/statusdata.hpp"

namespace ruvo {

class TOfflineGame final {
public:
    // gameFolder: where the pages are (loose, or in its "game.dat"); empty: nowhere.
    explicit TOfflineGame(const std::filesystem::path& gameFolder = {});
    ~TOfflineGame();

    TGameParts Parts() { return TGameParts{context_, savedWorld_, history_, interpreter_, vars_, tables_}; }
    TStatusParts StatusParts() { return TStatusParts{vars_, readMarks_, imageSettings_, tables_}; }
    TParamCollection& Vars() noexcept { return vars_; }
    // Whether the page was asked for and read as empty, not being in the game folder.
    bool Missing(const std::string& page) const;

private:
    std::unique_ptr<TStream> OpenPage(const std::string& name);

    TQuietServices services_;
    TDeletionList deletions_;
    TVrFileManager files_;
    std::vector<std::string> missing_;
    TParamCollection vars_;
    TSysFuncMan funcs_;
    TRuvoBaseList world_{services_, vars_};
    TSavedWorld savedWorld_{world_};
    TRunContext context_;
    TRuvoNewHistory history_;
    TCallMan interpreter_;
    TRuvoReadList readMarks_;
    TLayeredImageSettings imageSettings_;
    TDBManager tables_;
};

} // namespace ruvo
