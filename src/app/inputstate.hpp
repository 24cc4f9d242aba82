#pragma once
// Mouse and keyboard as the scripts see them in one frame: what is held, and what happened since the
// previous frame. It stands in for the display world's input routing until the world exists, and owns
// the system variables of the mouse, the keys and the wheel meanwhile.
#include <array>
#include <cstdint>
#include <functional>

#include "objects/inputsink.hpp"

namespace ruvo {

class TSystemVars;

class TInputState final : public TInputSink {
public:
    // movePointer moves the system pointer when a script writes "@MouseX" or "@MouseY".
    TInputState(TSystemVars& vars, std::function<void(int x, int y)> movePointer);
    ~TInputState() override;
    TInputState(const TInputState&) = delete;
    TInputState& operator=(const TInputState&) = delete;

    void MouseDown(bool left, int x, int y) override;
    void MouseUp() override;
    void MouseMove(int x, int y) override;
    void Wheel(int delta) override;
    // Auto-repeats count as repeats only, never as new presses.
    void KeyDown(int key, bool repeat) override;
    void KeyUp(int key) override;
    void ReleaseAll() override;
    void EndFrame() override;

    bool LeftClick() const noexcept { return leftClick_; }
    bool RightClick() const noexcept { return rightClick_; }
    bool LeftPush() const noexcept { return leftHeld_; }
    bool RightPush() const noexcept { return rightHeld_; }
    int MouseX() const noexcept { return x_; }
    int MouseY() const noexcept { return y_; }
    // Keys 0..255; 256 and 257 are the wheel turned down and up in this frame.
    bool KeyPush(int key) const noexcept;
    bool KeyClick(int key) const noexcept;
    bool KeyRepeat(int key) const noexcept;
    bool WheelDown() const noexcept { return wheelDown_; }
    bool WheelUp() const noexcept { return wheelUp_; }

private:
    static bool InRange(int key) noexcept { return key >= 0 && key < 256; }
    bool Key(const std::array<bool, 256>& keys, int key) const noexcept;
    void MovePointer(int x, int y);

    TSystemVars& vars_;
    std::function<void(int, int)> movePointer_;
    bool leftClick_ = false, rightClick_ = false, leftHeld_ = false, rightHeld_ = false;
    bool wheelDown_ = false, wheelUp_ = false;
    int x_ = 0, y_ = 0;
    std::array<bool, 256> held_{}, pressed_{}, repeated_{};
};

} // namespace ruvo
