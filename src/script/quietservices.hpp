#pragma once
// The player's services for runs without a window or a person to ask (benchmarks, fuzzing, tests): the
// game clock stands where the caller puts it, frames last 16 ms unless told otherwise, and boxes, titles
// and the pointer go nowhere.
#include <stdexcept>
#include <string>

#include "archive/playerservices.hpp"

namespace ruvo {

class TQuietServices : public TPlayerServices {
public:
    int32_t GameClock() const override { return clock; }
    int32_t FrameTime() const override { return frameTime; }
    bool Terminating() const override { return terminating; }
    void SetTerminating(bool on) override { terminating = on; }
    void Terminate() override { terminating = true; }
    void ShowWarning(const std::string&) override {}
    IDiscPrompt& DiscPrompt() override { throw std::logic_error("a quiet run has no discs to ask for"); }
    void SetTitle(const std::string&) override {}
    void MovePointer(int, int) override {}

    int32_t clock = 0;
    int32_t frameTime = 16;
    bool terminating = false;
};

} // namespace ruvo
