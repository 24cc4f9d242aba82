#pragma once
// The timing of a Standard MIDI File: its tempo changes and its last event, read without playing it, so
// that a MIDI sound's length and positions are known in milliseconds before a note sounds.
#include <cstdint>
#include <span>
#include <vector>

namespace ruvo {

class TMidiTimeline {
public:
    // Throws std::runtime_error for data that is not a Standard MIDI File; damaged tracks end early.
    explicit TMidiTimeline(std::span<const uint8_t> file);

    int64_t LengthMs() const noexcept { return TickToMs(lastTick_); }
    int64_t TickToMs(int64_t tick) const noexcept;
    int64_t MsToTick(int64_t ms) const noexcept;
    int Tracks() const noexcept { return tracks_; }

private:
    struct TTempo {
        int64_t tick;
        double ms;           // time at that tick
        double msPerTick;    // from that tick on
    };
    std::vector<TTempo> tempos_;  // ascending ticks, the first at 0
    int64_t lastTick_ = 0;
    int tracks_ = 0;
};

} // namespace ruvo
