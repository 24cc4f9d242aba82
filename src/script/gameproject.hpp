#pragma once
// The running project: reads "ruvo.rpb", defines the project's variables, owns the interpreter and
// answers whether a named file can be used now (asking for a disc when the game spans several).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "archive/discs.hpp"
#include "script/callman.hpp"
#include "script/project.hpp"
#include "script/scripthost.hpp"

namespace ruvo {

class TVrFileManager;
class TParamCollection;
class TSysFuncMan;

// What loading the project needs of the player beyond what the interpreter needs.
class TProjectHost : public TScriptHost {
public:
    virtual void SetTerminating(bool on) = 0;
    // A warning box (caption "警告") with the text in Shift-JIS.
    virtual void ShowWarning(const std::string& sjisText) = 0;
    virtual void SetTitle(const std::string& sjisTitle) = 0;
    // Started on game folders (a test run): the data sources are given, nothing is located.
    virtual bool GameFolderGiven() const = 0;
    // Finds the game data beside the player or on a disc; false ends the start.
    virtual bool LocateData() = 0;
    virtual IDiscPrompt& DiscPrompt() = 0;
};

class TProject {
public:
    // Builds the start-up state of the script side. Never throws: on failure the stop flag stays raised.
    TProject(TProjectHost& host, TVrFileManager& files, TParamCollection& vars, TSysFuncMan& funcs);
    // Runs the exit page for one frame.
    ~TProject();
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    bool FileAvailable(std::string_view name);
    // Whether the project file was read and the start page found.
    bool Loaded() const noexcept { return loaded_; }

    TProjectFile Settings;  // the fields of "ruvo.rpb", or the defaults until it is read
    TFolderDiskList FolderDisks;
    std::unique_ptr<TCallMan> CallMan;
    int32_t PendingLoad = -1;
    int32_t PendingSave = -1;

private:
    bool Load();
    void DefineVariables();
    TDiscTexts DiscTexts() const;

    TProjectHost& host_;
    TVrFileManager& files_;
    TParamCollection& vars_;
    TSysFuncMan& funcs_;
    bool loaded_ = false;
};

} // namespace ruvo
