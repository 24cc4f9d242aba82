#pragma once
// Mouse and keyboard as the scripts see them in one frame: what is held, and what happened since the
// previous frame. Fed from the platform's events between frames.
#include <array>
#include <cstdint>

namespace ruvo {

class TInputState {
public:
    void MouseDown(bool left, int x, int y);
    void MouseUp();
    void MouseMove(int x, int y);
    void Wheel(int delta);
    // Auto-repeats count as repeats only, never as new presses.
    void KeyDown(int key, bool repeat);
    void KeyUp(int key);
    // Focus lost: every key and button is let go.
    void ReleaseAll();
    // After a frame ran: what happened in it is forgotten.
    void EndFrame();

    bool LeftClick() const noexcept { return leftClick_; }
    bool RightClick() const noexcept { return rightClick_; }
    void SetLeftClick(bool on) noexcept { leftClick_ = on; }
    void SetRightClick(bool on) noexcept { rightClick_ = on; }
    bool LeftPush() const noexcept { return leftHeld_; }
    bool RightPush() const noexcept { return rightHeld_; }
    int MouseX() const noexcept { return x_; }
    int MouseY() const noexcept { return y_; }
    bool KeyPush(int key) const noexcept { return InRange(key) && held_[key]; }
    bool KeyClick(int key) const noexcept { return InRange(key) && pressed_[key]; }
    bool KeyRepeat(int key) const noexcept { return InRange(key) && repeated_[key]; }
    bool WheelDown() const noexcept { return wheelDown_; }
    bool WheelUp() const noexcept { return wheelUp_; }

private:
    static bool InRange(int key) noexcept { return key >= 0 && key < 256; }
    bool leftClick_ = false, rightClick_ = false, leftHeld_ = false, rightHeld_ = false;
    bool wheelDown_ = false, wheelUp_ = false;
    int x_ = 0, y_ = 0;
    std::array<bool, 256> held_{}, pressed_{}, repeated_{};
};

} // namespace ruvo
