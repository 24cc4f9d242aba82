#pragma once
// The running project: reads "ruvo.rpb", defines the project's variables, owns the interpreter, answers
// whether a named file can be used now (asking for a disc when the game spans several), and holds the
// save and load requests of the script until the frame loop carries them out. It owns the system
// variables of the project's settings ("@ScrWidth", "@ScrHeight", "@Title") while it exists.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "archive/discs.hpp"
#include "archive/errors.hpp"
#include "script/callman.hpp"
#include "script/project.hpp"

namespace ruvo {

class TVrFileManager;
struct TRunContext;

// Why the game could not start: the message (with the file or folder as context) and whether a box has
// told the user already.
class EGameStart : public ERuvoError {
public:
    EGameStart(ERuvoError error, bool boxShown) : ERuvoError(std::move(error)), boxShown_(boxShown) {}
    bool BoxShown() const noexcept { return boxShown_; }

private:
    bool boxShown_;
};

// A GameSave waiting for the frame loop.
struct TSaveRequest {
    int32_t Slot = 0;
    std::string Title;
    std::string ResumePage;
    int32_t ResumeIndex = 0;
};

class TProject {
public:
    // The project with its defaults and its interpreter; nothing is read yet.
    TProject(TRunContext& context, TVrFileManager& files, TScriptLimits limits = {});
    // Runs the exit page (RunExitPage) unless that was done.
    ~TProject();
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    // Finds the game data when locateData is given (false: the user gave up), reads "ruvo.rpb", defines
    // the project's variables and resets the interpreter to the start page. Raises the stop flag while
    // it works and clears it on success; a failure throws EGameStart (the stop flag stays raised).
    // restoreStatus runs once the project file is read, before the project's variables are defined, so
    // that a variable restored from the status data keeps its value.
    void Load(const std::function<bool()>& locateData, const std::function<void()>& restoreStatus = {});
    // Runs the exit page for one frame when the project was loaded; once.
    void RunExitPage();
    bool FileAvailable(std::string_view name);
    // The game's files, for what the script names (pictures, sounds).
    TVrFileManager& Files() const noexcept { return files_; }
    // Whether the project file was read and the start page found.
    bool Loaded() const noexcept { return loaded_; }

    TProjectFile Settings;  // the fields of "ruvo.rpb", or the defaults until it is read
    TFolderDiskList FolderDisks;
    std::unique_ptr<TCallMan> CallMan;
    int32_t PendingLoad = -1;                 // slot to load, -1 for none
    std::optional<TSaveRequest> PendingSave;

private:
    void ReadProjectFile();
    void DefineVariables();
    TDiscTexts DiscTexts() const;

    TRunContext& context_;
    TVrFileManager& files_;
    bool loaded_ = false;
    bool exitPageRun_ = false;
};

} // namespace ruvo
