#pragma once
// The player: the window's owner and the player-wide objects, created and freed in a fixed order,
// and the frame loop that drives the script, the clock and the picture.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/frameclock.hpp"
#include "app/gameini.hpp"
#include "app/inputstate.hpp"
#include "app/locatedata.hpp"
#include "app/options.hpp"
#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/runfolder.hpp"
#include "graphics/dibx.hpp"
#include "params/sysfuncs.hpp"
#include "params/sysstate.hpp"
#include "platform/platform.hpp"
#include "script/gameproject.hpp"

namespace ruvo {

class TVrFileManager;
class TParamCollection;

class TPlayer final : private TProjectHost,
                      private TSystemState,
                      private TSysFuncHost,
                      private IDiscPrompt,
                      private TLocatePrompts {
public:
    // The player's folder holds "game.ini", "ruvoplay.log" and an installed game's data.
    // playerFile: the executable, which may carry the game's archive appended to it.
    TPlayer(TPlayerOptions options, platform::TPlatform& platform, std::filesystem::path playerFile);
    ~TPlayer() override;
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    // Starts the game, runs frames until the player closes, and shuts down; the process's exit code.
    int Run();

private:
    void StartUp();
    void RegisterDataSources();
    void FrameLoop();
    void FrameStep();
    void PumpEvents();
    void AskQuit();
    void Present(bool whole);
    bool ScriptEnded() const;
    void ShutDown();
    void DumpVariables(const std::filesystem::path& path) const;
    void SaveScreenshot(const std::filesystem::path& path);
    platform::MessageAnswer Box(const std::string& sjisText, const std::string& sjisCaption,
                                platform::MessageButtons buttons, platform::MessageIcon icon);

    // TScriptHost / TProjectHost
    bool FileAvailable(std::string_view name) override;
    int32_t GameClock() const override { return clock_.GameClock(); }
    int32_t FrameTime() const override { return clock_.FrameTime(); }
    bool Terminating() const override { return terminating_; }
    void Terminate() override;
    TScriptWorld* World() const override { return nullptr; }
    void ResetGameState() override;
    bool Tracing() const override { return trace_ != nullptr; }
    void Trace(std::string_view line) override;
    void SetTerminating(bool on) override { terminating_ = on; }
    void ShowWarning(const std::string& sjisText) override;
    void SetTitle(const std::string& sjisTitle) override;
    bool GameFolderGiven() const override { return !options_.gameFolders.empty(); }
    bool LocateData() override;
    IDiscPrompt& DiscPrompt() override { return *this; }

    // TSysFuncHost
    void Call(int number, TCustomParam& dest, TArgs args) override;

    // IDiscPrompt
    bool OkCancel(const std::string& caption, const std::string& text) override;
    void GiveUp() override { Terminate(); }

    // TLocatePrompts
    void Reinstall() override;
    bool InsertDisc() override;
    bool Quit() override;

    // TSystemState
    TCustomParam* CallResult() override;
    std::vector<std::string> CallParams() override;
    std::string SenderName() override;
    bool LeftClick() override { return input_.LeftClick(); }
    void SetLeftClick(bool on) override { input_.SetLeftClick(on); }
    bool RightClick() override { return input_.RightClick(); }
    void SetRightClick(bool on) override { input_.SetRightClick(on); }
    bool LeftPush() override { return input_.LeftPush(); }
    bool RightPush() override { return input_.RightPush(); }
    int32_t MouseX() override { return input_.MouseX(); }
    int32_t MouseY() override { return input_.MouseY(); }
    bool KeyPush(int key) override { return input_.KeyPush(key); }
    bool KeyClick(int key) override { return input_.KeyClick(key); }
    bool KeyRepeat(int key) override { return input_.KeyRepeat(key); }
    bool WheelDown() override { return input_.WheelDown(); }
    bool WheelUp() override { return input_.WheelUp(); }
    int32_t ScreenWidth() override;
    int32_t ScreenHeight() override;
    std::string Title() override;
    bool FullScreen() override { return platform_.FullScreen(); }
    void SetFullScreen(bool on) override;
    int32_t DisplayModeCount() override { return static_cast<int32_t>(platform_.DisplayModes().size()); }
    int32_t TickCount() override { return clock_.GameClock(); }
    int32_t UpdateCount() override { return clock_.UpdateCount(); }

    TPlayerOptions options_;
    platform::TPlatform& platform_;
    std::filesystem::path playerFile_;
    std::filesystem::path playerFolder_;
    TGameIni ini_;
    bool terminating_ = true;
    bool closeRequested_ = false;
    bool active_ = true;
    int exitCode_ = 0;
    TFrameClock clock_;
    TInputState input_;
    std::FILE* trace_ = nullptr;
    TDeletionList deletions_;
    std::unique_ptr<TRunFolder> runFolder_;  // temporary copies; outlives the file manager and its deletions
    std::unique_ptr<TVrFileManager> files_;
    std::unique_ptr<TParamCollection> vars_;
    std::unique_ptr<TSysFuncMan> funcs_;
    std::unique_ptr<TProject> project_;
    TDIBX screen_;
};

} // namespace ruvo
