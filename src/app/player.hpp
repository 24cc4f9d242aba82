#pragma once
// The player: the platform and its window with the tool bar, the frame clock and the frame loop, the
// run's outputs (trace, variable dump, screenshot), and the services the game's subsystems ask of it
// (clock, stop flag, boxes, pointer). The game's own objects live in the runtime (runtime.hpp), which
// the player creates at start-up, drives frame by frame, and frees at shut-down. It shows the display
// world's picture: what each frame painted is handed to the platform.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/frameclock.hpp"
#include "app/gameini.hpp"
#include "app/locatedata.hpp"
#include "app/options.hpp"
#include "app/soundoutput.hpp"
#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/runfolder.hpp"
#include "graphics/surface/dibx.hpp"
#include "platform/platform.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

class TStartLogo;

class TRuntime;
class TStopSignals;

class TPlayer final : private TPlayerServices, private IDiscPrompt, private TLocatePrompts {
public:
    // Headless runs without --frames stop after this many frames (26 minutes of game time): a game that
    // waits for input nobody gives would otherwise run for ever.
    static constexpr long long kHeadlessFrameLimit = 100000;

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
    void BindPlayerState();
    // The full-screen modes offered to the game (displaymodes.hpp).
    std::vector<platform::DisplayMode> DisplayModes();
    void FrameLoop();
    // frame: the number of frames run before this one (the numbering of --input and --screenshot-at).
    void FrameStep(long long frame);
    void PumpEvents();
    void AskQuit();
    void Present(bool whole);
    void ShutDown();
    void FinishSound();
    // One line on stderr; in a window also a warning box with the message, unless one was shown.
    void ReportFailure(const std::exception& error, bool boxShown);
    // Each answers false, after saying why on standard error, when the output could not be written.
    bool DumpVariables(const std::filesystem::path& path) const;
    bool SaveScreenshot(const std::filesystem::path& path);
    bool WritePicture(TCustomDIBX& surface, const std::filesystem::path& path);
    bool WriteOutput(const std::filesystem::path& path, const std::string& text) const;
    platform::MessageAnswer Box(const std::string& sjisText, const std::string& sjisCaption,
                                platform::MessageButtons buttons, platform::MessageIcon icon);
    bool Windowed() const;

    // TPlayerServices
    int32_t GameClock() const override { return clock_.GameClock(); }
    int32_t FrameTime() const override { return clock_.FrameTime(); }
    bool Terminating() const override { return terminating_; }
    void SetTerminating(bool on) override { terminating_ = on; }
    void Terminate() override;
    bool Tracing() const override { return trace_ != nullptr; }
    void Trace(std::string_view line) override;
    void ShowWarning(const std::string& sjisText) override;
    IDiscPrompt& DiscPrompt() override { return *this; }
    void SetTitle(const std::string& sjisTitle) override;
    void MovePointer(int x, int y) override { platform_.WarpPointer(x, y); }
    // The cursor file's first picture through the game's files, or the standard arrow for "" and for a
    // file that cannot be shown.
    void ShowCursorFile(const std::string& file) override;

    // IDiscPrompt
    bool OkCancel(const std::string& caption, const std::string& text) override;
    void GiveUp() override { Terminate(); }

    // TLocatePrompts
    void Reinstall() override;
    bool InsertDisc() override;
    bool Quit() override;

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
    TLocalTime localTime_;
    std::string fonts_[2];  // all faces, fixed-pitch faces: asked for once, when a script first reads them
    bool fontsRead_[2] = {false, false};
    std::FILE* trace_ = nullptr;
    TDeletionList deletions_;
    std::unique_ptr<TStopSignals> stopSignals_;
    std::unique_ptr<TRunFolder> runFolder_;  // temporary copies; outlives the file manager and its deletions
    std::unique_ptr<TSoundOutput> sound_;  // the device or the recording; stops pulling before the runtime goes
    std::unique_ptr<TRuntime> runtime_;
    std::unique_ptr<TStartLogo> logo_;  // while the start-up logo plays; goes before the runtime
};

} // namespace ruvo
