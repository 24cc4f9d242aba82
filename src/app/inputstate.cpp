#include "app/inputstate.hpp"

#include "params/sysvars.hpp"

namespace ruvo {

namespace {
constexpr TSystemVar kOwned[] = {
    TSystemVar::LClick,   TSystemVar::RClick,   TSystemVar::LPush,   TSystemVar::RPush,
    TSystemVar::MouseX,   TSystemVar::MouseY,   TSystemVar::KeyPush, TSystemVar::KeyClick,
    TSystemVar::KeyRepeat, TSystemVar::WheelDown, TSystemVar::WheelUp,
};
} // namespace

TInputState::TInputState(TSystemVars& vars, std::function<void(int, int)> movePointer)
    : vars_(vars), movePointer_(std::move(movePointer)) {
    vars.BindFlag(TSystemVar::LClick, [this] { return leftClick_; }, [this](bool on) { leftClick_ = on; });
    vars.BindFlag(TSystemVar::RClick, [this] { return rightClick_; }, [this](bool on) { rightClick_ = on; });
    vars.BindFlag(TSystemVar::LPush, [this] { return leftHeld_; });
    vars.BindFlag(TSystemVar::RPush, [this] { return rightHeld_; });
    vars.BindInt(TSystemVar::MouseX, [this] { return x_; }, [this](int32_t x) { MovePointer(x, y_); });
    vars.BindInt(TSystemVar::MouseY, [this] { return y_; }, [this](int32_t y) { MovePointer(x_, y); });
    vars.BindFlags(TSystemVar::KeyPush, [this](int key) { return KeyPush(key); });
    vars.BindFlags(TSystemVar::KeyClick, [this](int key) { return KeyClick(key); });
    vars.BindFlags(TSystemVar::KeyRepeat, [this](int key) { return KeyRepeat(key); });
    vars.BindFlag(TSystemVar::WheelDown, [this] { return wheelDown_; });
    vars.BindFlag(TSystemVar::WheelUp, [this] { return wheelUp_; });
}

TInputState::~TInputState() {
    for (TSystemVar v : kOwned) vars_.Unbind(v);
}

void TInputState::MovePointer(int x, int y) {
    x_ = x;
    y_ = y;
    if (movePointer_) movePointer_(x, y);
}

bool TInputState::Key(const std::array<bool, 256>& keys, int key) const noexcept {
    if (key == kWheelDownKey) return wheelDown_;
    if (key == kWheelUpKey) return wheelUp_;
    return InRange(key) && keys[static_cast<size_t>(key)];
}

bool TInputState::KeyPush(int key) const noexcept { return Key(held_, key); }
bool TInputState::KeyClick(int key) const noexcept { return Key(pressed_, key); }
bool TInputState::KeyRepeat(int key) const noexcept { return Key(repeated_, key); }

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
