#pragma once
// The game's player-wide objects: the virtual file manager with the game's data sources, the variables,
// the system functions, the picture cache, the display world (which takes the window's input), the
// message history, the read marks, the layered-image settings, the data tables, the project with its
// interpreter and the saved games; later the media. They are created in the start-up order and freed
// in the shut-down order, and the run context that the commands reach them through is kept up to date as
// they come and go. The player (player.hpp) keeps the platform, the window, the clock and the frame
// loop, and drives the runtime frame by frame.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "media/mediaset.hpp"
#include "script/callman.hpp"

namespace ruvo {

class TDBManager;
class TDeletionList;
struct TFileAccess;
class TInputSink;
class TLocatePrompts;
class TParamCollection;
class TPictureCache;
class TPlayerServices;
class TProject;
class TRuvoBaseList;
class TRuvoNewHistory;
class TRuvoReadList;
class TSavedGames;
class TSavedWorld;
class TSysFuncMan;
class TTextSupport;
struct TLayeredImageSettings;
class TVrFileManager;
class TWorldBindings;
struct TRunContext;

struct TRuntimeSetup {
    std::vector<std::string> gameFolders;  // from the command line; empty: the game is installed beside the player
    std::filesystem::path playerFile;      // the executable, which may carry the game appended to it
    std::filesystem::path saveDir;         // --save-dir: where "save.dat" is kept (empty: the usual place)
    TScriptLimits limits;
    std::filesystem::path tempFolder;      // the run's own folder for temporary copies; empty: none are made
    TMediaSetup media;                     // its game folder is filled in by the runtime
};

class TRuntime {
public:
    // Creates, in order: the virtual file manager with the memory-file collection and the game's data
    // sources, the variables, the system functions, the picture cache, the display world, the message history, the read
    // marks, the layered-image settings, the data tables, the project (not read yet) and the saved games.
    // Throws ERuvoError for data sources that cannot be used (a game folder that does not exist, a
    // damaged archive).
    TRuntime(TRuntimeSetup setup, TPlayerServices& services, TLocatePrompts& prompts, TDeletionList& deletions);
    // Frees what is left in the shut-down order: the project (running its exit page and writing the
    // status data), the data tables, the layered-image settings, the read marks, the history, the display
    // world, the picture cache, the system functions, the variables, then the virtual file manager.
    ~TRuntime();
    TRuntime(const TRuntime&) = delete;
    TRuntime& operator=(const TRuntime&) = delete;

    // Loads the project (locating the game data when no game folder was given), restoring the status
    // data before the project's variables are defined, and gives the world the project's screen size;
    // throws EGameStart.
    void Start();
    // The first part of a frame step: temporary files released, the input routed to the objects, then
    // the script runs for one frame.
    void RunScript();
    // After the script: the objects are stepped (motions, timers, idle events, removals).
    void UpdateWorld();
    // After the objects are updated: the requested load, then the requested save. True when a load was
    // requested: that frame is not drawn.
    bool ProcessPendingSaves();
    // Runs the exit page, writes the status data and frees the project; the variables stay for whoever
    // reads them at the end.
    void CloseProject();

    // The script has ended and no event handler runs.
    bool ScriptEnded() const;

    TParamCollection& Vars() const noexcept { return *vars_; }
    TSysFuncMan& Funcs() const noexcept { return *funcs_; }
    TProject* Project() const noexcept { return project_.get(); }
    TRuvoBaseList& World() const noexcept { return *world_; }
    TPictureCache& Pictures() const noexcept { return *pictures_; }
    TSavedGames* Saves() const noexcept { return saves_.get(); }
    TRuvoNewHistory& History() const noexcept { return *history_; }
    TRuvoReadList& ReadMarks() const noexcept { return *readMarks_; }
    TDBManager& Tables() const noexcept { return *tables_; }
    TInputSink& Input() const noexcept;
    TMediaSet& Media() const noexcept { return *media_; }

private:
    void RegisterDataSources();
    bool LocateData();
    void CreateMedia();
    void CreateCompanions();
    void FreeCompanions();
    TFileAccess GameFiles() const;

    TRuntimeSetup setup_;
    std::filesystem::path playerFolder_;
    TPlayerServices& services_;
    TLocatePrompts& prompts_;
    TDeletionList& deletions_;
    // Files the game asked to delete when the run ends (SaveScreen's mode 1).
    std::unique_ptr<TDeletionList> endDeletions_;
    std::unique_ptr<TVrFileManager> files_;
    std::unique_ptr<TParamCollection> vars_;
    std::unique_ptr<TSysFuncMan> funcs_;
    std::unique_ptr<TRunContext> context_;
    std::unique_ptr<TPictureCache> pictures_;
    std::unique_ptr<TMediaSet> media_;  // outlives the world: sound objects give their items back
    std::unique_ptr<TTextSupport> text_;
    std::unique_ptr<TRuvoBaseList> world_;
    std::unique_ptr<TWorldBindings> worldBindings_;
    std::unique_ptr<TSavedWorld> savedWorld_;  // the world's section of saved games
    std::unique_ptr<TRuvoNewHistory> history_;
    std::unique_ptr<TRuvoReadList> readMarks_;
    std::unique_ptr<TLayeredImageSettings> imageSettings_;
    std::unique_ptr<TDBManager> tables_;
    std::unique_ptr<TProject> project_;
    std::unique_ptr<TSavedGames> saves_;
};

} // namespace ruvo
