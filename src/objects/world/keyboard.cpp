#include "objects/world/keyboard.hpp"

namespace ruvo {

void TKeyboard::SetKey(int code, bool down) {
    if (!InRange(code) || (down_[code] != 0) == down) return;
    down_[code] = down;
    pulse_[code] = down;
    if (down) {
        countdown_[code] = kFirstRepeatMs;
        edges_.pressed = true;
        edges_.repeated = true;
    } else {
        edges_.released = true;
    }
}

void TKeyboard::SetKeyHit(int code) {
    if (InRange(code)) hitEdge_[code] = 1;
}

void TKeyboard::Clear() {
    for (int code = 0; code < kKeyCount; ++code) SetKey(code, false);
}

bool TKeyboard::IsDown(int code) const noexcept { return InRange(code) && down_[code]; }
bool TKeyboard::WasHit(int code) const noexcept { return InRange(code) && hit_[code]; }
bool TKeyboard::WasPulsed(int code) const noexcept { return InRange(code) && pulseSeen_[code]; }

void TKeyboard::Latch() {
    hit_ = hitEdge_;
    hitEdge_.fill(0);
    pulseSeen_ = pulse_;
}

TKeyboard::TEdges TKeyboard::TakeEdges() {
    const TEdges edges = edges_;
    edges_ = {};
    return edges;
}

void TKeyboard::Advance(int32_t elapsedMs) {
    for (int code = 0; code < kKeyCount; ++code) {
        if (!down_[code]) continue;
        countdown_[code] -= elapsedMs;
        pulse_[code] = countdown_[code] <= 0;
        if (countdown_[code] <= 0) {
            countdown_[code] += kRepeatMs;
            edges_.repeated = true;
        }
    }
}

} // namespace ruvo
