// The world's input: the window's mouse and keys between frames, and once a frame their routing to the
// objects of the front screen (focus, key events, right-click cancels, captured presses, hit testing,
// the cursor, presses, the wheel, the pointer entering, leaving and moving).
#include <algorithm>
#include <utility>

#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/varset.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

void TRuvoBaseList::ProcessInput() {
    TRuvoBase& screen = ActiveScreen();
    if (focusSearch_) {
        SetFocus(screen.FindFocusTarget());
        focusSearch_ = false;
    }
    keys_.Latch();
    RouteMouse(screen);
    const TKeyboard::TEdges edges = keys_.TakeEdges();
    if (TRuvoControl* focus = Focus();
        focus && focus->HandleKey && !focus->IsPaused() && !focus->IsClosing() && !focus->IsScreen()) {
        if (edges.pressed) focus->KeyDown();
        if (edges.repeated) focus->KeyRepeat();
        if (edges.released) focus->KeyUp();
    }
    keys_.Advance(services_.FrameTime());
}

void TRuvoBaseList::RouteMouse(TRuvoBase& b) {
    b.LeftPress = std::exchange(b.LeftEdge, false);
    b.RightPress = std::exchange(b.RightEdge, false);
    b.WheelDown = std::exchange(b.WheelDownEdge, false);
    b.WheelUp = std::exchange(b.WheelUpEdge, false);

    if (b.RightPress) {
        for (TObjectId id : std::vector<TObjectId>(rightClickList_)) {
            TRuvoObject* o = Lookup(id);
            TRuvoControl* c = o ? o->AsControl() : nullptr;
            if (c && GetFlagProperty(*c, PR_RCLICKSCRAP) && c->GetVisible() && c->GetBase() == &b && !c->IsPaused() &&
                (c->MouseMode == 0 || c->MouseMode == 3) && c->RightClickCancel()) {
                b.RightPress = false;
                break;
            }
        }
    }

    TRuvoObject* previous = Lookup(b.Hover);
    TRuvoControl* hover = previous ? previous->AsControl() : nullptr;
    if (b.Capture != 0 && hover) {
        if ((b.Capture & TRuvoBase::kLeftCapture) && !b.LeftHeld) hover->LeftUp();
        else if ((b.Capture & TRuvoBase::kRightCapture) && !b.RightHeld) hover->RightUp();
        if (b.Moved) hover->MouseMove();
        hover->WhileCaptured();
        b.Moved = false;
        return;
    }

    const TMouseMask mask = b.LeftPress ? kLeftPressMask : b.RightPress ? kRightPressMask : kHoverMask;
    TRuvoControl* target = b.HitTest(b.PointerX, b.PointerY, mask);
    b.Capture = 0;
    if (target) {
        ShowCursorOf(b, *target);
        const TObjectId id = target->Id();
        if (b.LeftPress) {
            target->LeftDown();
            TRuvoObject* still = Lookup(id);
            target = still ? still->AsControl() : nullptr;
            if (target && !target->IsPaused() && target->HandleKey) SetFocus(target);
        } else if (b.RightPress) {
            target->RightDown();
        } else if (b.WheelDown) {
            target->Raise(PR_ONWHEELDOWN);
        } else if (b.WheelUp) {
            target->Raise(PR_ONWHEELUP);
        }
        if (TRuvoObject* still = Lookup(id); !still) target = nullptr;
    }
    previous = Lookup(b.Hover);
    TRuvoControl* last = previous ? previous->AsControl() : nullptr;
    if (last && last != target && IsRegistered(last)) last->MouseLeave();
    if (target && (b.Moved || target != last)) {
        if (target != last) target->MouseEnter();
        target->MouseMove();
    }
    b.Hover = target ? target->Id() : 0;
    b.Moved = false;
}

// The target's cursor file, else the game's default (@Cursor), else the standard arrow (an empty name);
// the player is asked only when it changes.
void TRuvoBaseList::ShowCursorOf(TRuvoBase& screen, const TRuvoControl& target) {
    std::string file = target.GetCursorFile();
    if (file.empty()) file = vars_.CursorFile();
    if (file == screen.ShownCursor) return;
    screen.ShownCursor = file;
    services_.ShowCursorFile(file);
}

void TRuvoBaseList::SetPointer(int x, int y) {
    for (auto& screen : screens_) screen->SetPointer(x, y);
}

void TRuvoBaseList::ButtonDown(int button) {
    for (auto& screen : screens_) {
        screen->LeftHeld = button == 0;
        screen->RightHeld = button == 1;
    }
    (button == 0 ? ActiveScreen().LeftEdge : ActiveScreen().RightEdge) = true;
}

void TRuvoBaseList::ButtonsUp() {
    for (auto& screen : screens_) screen->LeftHeld = screen->RightHeld = false;
}

void TRuvoBaseList::TurnWheel(bool down) { (down ? ActiveScreen().WheelDownEdge : ActiveScreen().WheelUpEdge) = true; }

void TRuvoBaseList::AddRightClickTarget(const TRuvoControl& control) {
    if (std::find(rightClickList_.begin(), rightClickList_.end(), control.Id()) == rightClickList_.end())
        rightClickList_.push_back(control.Id());
}

void TRuvoBaseList::RemoveRightClickTarget(const TRuvoControl& control) { std::erase(rightClickList_, control.Id()); }

// ---- the window's events

void TRuvoBaseList::MouseDown(bool left, int x, int y) {
    SetPointer(x, y);
    ButtonDown(left ? 0 : 1);
}

void TRuvoBaseList::MouseUp() { ButtonsUp(); }

void TRuvoBaseList::MouseMove(int x, int y) { SetPointer(x, y); }

void TRuvoBaseList::Wheel(int delta) {
    if (delta != 0) TurnWheel(delta < 0);
}

// The system's auto-repeats are not presses: the world makes its own pulses.
void TRuvoBaseList::KeyDown(int key, bool repeat) {
    if (repeat) return;
    keys_.SetKey(key, true);
    keys_.SetKeyHit(key);
}

void TRuvoBaseList::KeyUp(int key) { keys_.SetKey(key, false); }

void TRuvoBaseList::ReleaseAll() {
    keys_.Clear();
    ButtonsUp();
}

} // namespace ruvo
