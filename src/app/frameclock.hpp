#pragma once
// The player-wide timing: the game clock is the sum of frame durations, never the wall clock, so a
// stall (a modal box, a suspended machine) does not make waits and animations jump.
#include <cstdint>

namespace ruvo {

// The date and time of day, as "@Year" .. "@Sec" read them: taken once per frame, so that the values a
// frame reads belong together.
struct TLocalTime {
    int year = 0, month = 0, day = 0;
    int week = 1;  // 1 = Sunday .. 7 = Saturday
    int hour = 0, minute = 0, second = 0;
};
TLocalTime LocalTimeNow();

class TFrameClock {
public:
    static constexpr int32_t kFrameInterval = 16;
    static constexpr uint32_t kStallMs = 3000;

    // Starts a frame at platform time now; false when the time since the last frame is a stall, which
    // is dropped (no frame runs, the clock does not move).
    bool BeginFrame(uint32_t now) noexcept {
        const uint32_t d = now - lastTick_;  // wraps like the system's millisecond counter
        lastTick_ = now;
        if (d > kStallMs) return false;
        gameClock_ += static_cast<int32_t>(d);
        frameTime_ = static_cast<int32_t>(d);
        return true;
    }
    // After a pause (focus regained, a menu loop left): the next frame measures from now.
    void Resume(uint32_t now) noexcept { lastTick_ = now; }
    void CountUpdate() noexcept { ++updateCount_; }
    // How long to sleep after a frame that began at frameStart: the rest of the frame interval, at least 2 ms.
    static uint32_t SleepAfter(uint32_t frameStart, uint32_t now) noexcept {
        const int32_t spent = static_cast<int32_t>(now - frameStart);
        return static_cast<uint32_t>(spent >= kFrameInterval - 2 ? 2 : kFrameInterval - spent);
    }

    int32_t GameClock() const noexcept { return gameClock_; }
    int32_t FrameTime() const noexcept { return frameTime_; }
    uint32_t LastTick() const noexcept { return lastTick_; }
    int32_t UpdateCount() const noexcept { return updateCount_; }
    // Saved games and scripts may set the clock and the frame count.
    void SetGameClock(int32_t ms) noexcept { gameClock_ = ms; }
    void SetUpdateCount(int32_t n) noexcept { updateCount_ = n; }

private:
    int32_t gameClock_ = 0;
    int32_t frameTime_ = 0;
    uint32_t lastTick_ = 0;
    int32_t updateCount_ = 0;
};

} // namespace ruvo
