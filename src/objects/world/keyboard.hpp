#pragma once
// The keys as the world sees them, by Windows virtual-key code 0..255: held, hit since the last frame,
// and the auto-repeat pulses of a held key (the first 300 ms after the press, then every 50 ms), counted
// in game time.
#include <array>
#include <cstdint>

namespace ruvo {

class TKeyboard {
public:
    static constexpr int kKeyCount = 256;
    static constexpr int32_t kFirstRepeatMs = 300;
    static constexpr int32_t kRepeatMs = 50;

    // A change of state; nothing when the state is the same. Codes outside 0..255 are ignored.
    void SetKey(int code, bool down);
    // A key went down (not a repeat of the system's): seen as hit in the next frame.
    void SetKeyHit(int code);
    // Every key let go, as when the player loses the focus.
    void Clear();

    bool IsDown(int code) const noexcept;
    bool WasHit(int code) const noexcept;
    bool WasPulsed(int code) const noexcept;

    // What happened to any key since the last frame, for the focused control's events.
    struct TEdges {
        bool pressed = false, released = false, repeated = false;
    };
    // The start of a frame: the hits and pulses since the last one become what the frame sees.
    void Latch();
    // The press, release and repeat flags, cleared.
    TEdges TakeEdges();
    // The end of the frame's input: the held keys' countdowns run down by the frame's time.
    void Advance(int32_t elapsedMs);

private:
    static bool InRange(int code) noexcept { return code >= 0 && code < kKeyCount; }

    std::array<uint8_t, kKeyCount> down_{}, hitEdge_{}, hit_{}, pulse_{}, pulseSeen_{};
    std::array<int32_t, kKeyCount> countdown_{};
    TEdges edges_;
};

} // namespace ruvo
