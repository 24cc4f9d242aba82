#pragma once
// What the game's subsystems need of the player that runs them: the player-wide clock, the stop flag
// and the close path, the trace, message boxes, the window's title and the pointer. The player (app/)
// implements it over its platform; tests answer it themselves.
#include <cstdint>
#include <string>
#include <string_view>

namespace ruvo {

class IDiscPrompt;

class TPlayerServices {
public:
    virtual ~TPlayerServices() = default;

    // The game clock (sum of frame durations, ms) and the duration of the last frame.
    virtual int32_t GameClock() const = 0;
    virtual int32_t FrameTime() const = 0;

    // The player-wide stop flag: raised while the project loads and by every close path; while it is
    // raised no frame runs.
    virtual bool Terminating() const = 0;
    virtual void SetTerminating(bool on) = 0;
    // Raises the stop flag and asks the player to close.
    virtual void Terminate() = 0;

    // Trace lines (Shift-JIS); Tracing() false means nobody reads them.
    virtual bool Tracing() const { return false; }
    virtual void Trace(std::string_view) {}

    // A warning box (caption "警告") with the text in Shift-JIS.
    virtual void ShowWarning(const std::string& sjisText) = 0;
    // The boxes that ask for a disc.
    virtual IDiscPrompt& DiscPrompt() = 0;
    virtual void SetTitle(const std::string& sjisTitle) = 0;
    // Moves the system pointer to a point of the game picture.
    virtual void MovePointer(int x, int y) = 0;
    // The pointer's shape from now on: a cursor file of the game, or the standard arrow for "".
    virtual void ShowCursorFile(const std::string&) {}
};

} // namespace ruvo
