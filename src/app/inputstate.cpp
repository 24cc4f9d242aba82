#include "app/inputstate.hpp"

namespace ruvo {

void TInputState::MouseDown(bool left, int x, int y) {
    x_ = x;
    y_ = y;
    leftHeld_ = left;
    rightHeld_ = !left;
    (left ? leftClick_ : rightClick_) = true;
}

void TInputState::MouseUp() { leftHeld_ = rightHeld_ = false; }

void TInputState::MouseMove(int x, int y) {
    x_ = x;
    y_ = y;
}

void TInputState::Wheel(int delta) {
    if (delta > 0) wheelUp_ = true;
    if (delta < 0) wheelDown_ = true;
}

void TInputState::KeyDown(int key, bool repeat) {
    if (!InRange(key)) return;
    if (repeat) {
        repeated_[key] = true;
        return;
    }
    held_[key] = true;
    pressed_[key] = true;
}

void TInputState::KeyUp(int key) {
    if (InRange(key)) held_[key] = false;
}

void TInputState::ReleaseAll() {
    held_.fill(false);
    leftHeld_ = rightHeld_ = false;
}

void TInputState::EndFrame() {
    leftClick_ = rightClick_ = wheelDown_ = wheelUp_ = false;
    pressed_.fill(false);
    repeated_.fill(false);
}

} // namespace ruvo
