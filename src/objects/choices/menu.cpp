#include "objects/choices/menu.hpp"

#include <algorithm>

#include "archive/serializer.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

TRuvoMenu::TRuvoMenu(TRuvoBaseList* owner) : TRuvoCustomListBox(owner) {}

void TRuvoMenu::RaisePhaseEvent(int id) {
    const bool closing = Closing;
    Closing = false;
    Raise(static_cast<uint8_t>(id));
    Closing = closing;
}

void TRuvoMenu::TakeFocus() {
    if (Owner && GetVisible() && !IsPaused() && HandleKey) Owner->SetFocus(this);
}

void TRuvoMenu::GiveUpFocus() {
    if (Owner && Owner->Focus() == this) Owner->RequestFocusSearch();
}

// A closed menu keeps no height.
void TRuvoMenu::Layout() {
    TRuvoCustomListBox::Layout();
    if (Shut()) SetHeight(0);
}

void TRuvoMenu::SetPlayMode(int mode) {
    if (mode < kMenuOpen || mode > kMenuCloseFade) return;
    auto opens = [](int p) { return p == kMenuOpen || p == kMenuOpenFade; };
    if (opens(mode) == opens(PlayState)) return;
    const int32_t shown = Height;
    PlayState = static_cast<uint8_t>(mode);
    if (Owner && RClickScrap && opens(mode)) Owner->AddRightClickTarget(*this);
    switch (mode) {
    case kMenuOpen:
        Layout();
        Phase = 0;
        TakeFocus();
        RaisePhaseEvent(PR_ONOPENING);
        RaisePhaseEvent(PR_ONOPENED);
        break;
    case kMenuOpenFade:
        Phase = 100;
        TakeFocus();
        break;
    case kMenuClosed:
        SetHeight(0);
        Phase = 0;
        GiveUpFocus();
        RaisePhaseEvent(PR_ONCLOSING);
        RaisePhaseEvent(PR_ONCLOSED);
        break;
    default:
        if (Phase == 0) FullHeight = shown;
        Phase = 200;
        GiveUpFocus();
        break;
    }
}

bool TRuvoMenu::Update() {
    AnimatePictures();
    if (TRuvoControl::Update()) return true;
    const int64_t elapsed = int64_t{Now()} - PhaseStart;
    const bool done = Delay <= 0 || elapsed >= Delay;
    auto part = [&] { return static_cast<int32_t>(elapsed * FullHeight / std::max(Delay, 1)); };
    switch (Phase) {
    case 0:
        if (NeedsLayout) Layout();
        break;
    case 10:
        if (NeedsLayout) Layout();
        SetPlayMode(kMenuCloseFade);
        break;
    case 100:
        Layout();
        RaisePhaseEvent(PR_ONOPENING);
        FullHeight = Height;
        SetHeight(0);
        Phase = 101;
        break;
    case 101:
        PhaseStart = Now();
        Phase = 102;
        break;
    case 102:
        if (done) {
            SetHeight(FullHeight);
            Phase = 0;
            RaisePhaseEvent(PR_ONOPENED);
        } else {
            SetHeight(part());
        }
        break;
    case 200:
        RaisePhaseEvent(PR_ONCLOSING);
        Closing = true;
        PhaseStart = Now();
        Phase = 201;
        break;
    case 201:
        if (done) {
            SetHeight(0);
            RaisePhaseEvent(PR_ONCLOSED);
            Phase = 302;
        } else {
            SetHeight(FullHeight - part());
        }
        break;
    case 300:
        Closing = true;
        RaisePhaseEvent(PR_ONCLOSING);
        RaisePhaseEvent(PR_ONCLOSED);
        Phase = 301;
        break;
    case 301:
        Phase = 302;
        break;
    case 302:
        if (!Owner) return true;
        return Owner->Events().IndexOfPending(Id(), static_cast<uint8_t>(PR_ONCLOSING)) < 0 &&
               Owner->Events().IndexOfPending(Id(), static_cast<uint8_t>(PR_ONCLOSED)) < 0;
    default:
        break;
    }
    return false;
}

void TRuvoMenu::Chosen() {
    if (!AutoScrap) return;
    Closing = true;
    Phase = 300;
    GiveUpFocus();
}

void TRuvoMenu::Cancel() {
    if (Owner) Owner->SetChoice("", -1);
    SetPlayMode(kMenuCloseFade);
}

// Enter or Space chooses; otherwise Esc cancels when the menu may be cancelled.
void TRuvoMenu::KeyRepeat() {
    TRuvoCustomListBox::KeyRepeat();
    if (!Owner || Shut() || Closing) return;
    const TKeyboard& keys = Owner->Keys();
    if (keys.WasHit(kKeyEnter) || keys.WasHit(kKeySpace)) {
        if (Hover >= 0) Select();
    } else if (keys.WasHit(kKeyEsc) && RClickScrap) {
        Cancel();
    }
}

void TRuvoMenu::RightDown() {
    if (!RClickScrap || Closing || Shut()) {
        TRuvoCustomListBox::RightDown();
        return;
    }
    if (TRuvoBase* base = GetBase()) base->RightPress = false;
    Cancel();
}

bool TRuvoMenu::RightClickCancel() {
    if (Closing || Shut()) return false;
    if (Owner) Owner->SetChoice("", -1);
    Closing = true;
    Phase = 10;
    GiveUpFocus();
    return true;
}

const TPropertyMap& TRuvoMenu::ClassProperties() {
    static const TPropertyMap map = [] {
        using M = TRuvoMenu;
        TPropertyMap m(TRuvoCustomListBox::ClassProperties());
        m.Int<M>(PR_DELAY, [](M& u) { return u.Delay; }, [](M& u, int32_t v) { u.Delay = v; });
        m.Int<M>(PR_HOVERCOLOR, [](M& u) { return u.HoverColor; }, [](M& u, int32_t v) {
            u.HoverColor = v;
            u.Invalidate();
        });
        m.Flag<M>(PR_AUTOSCRAP, [](M& u) { return u.AutoScrap; }, [](M& u, bool v) { u.AutoScrap = v; });
        m.Flag<M>(PR_RCLICKSCRAP, [](M& u) { return u.RClickScrap; }, [](M& u, bool v) {
            u.RClickScrap = v;
            if (v && u.Owner) u.Owner->AddRightClickTarget(u);
        });
        m.Int<M>(PR_ORIGHEIGHT, [](M& u) { return u.Phase > 100 && u.Phase != 300 ? u.FullHeight : u.Height; });
        m.Str<M>(PR_ONOPENING, [](M& u) { return u.OnOpening; }, [](M& u, std::string v) { u.OnOpening = std::move(v); });
        m.Str<M>(PR_ONOPENED, [](M& u) { return u.OnOpened; }, [](M& u, std::string v) { u.OnOpened = std::move(v); });
        m.Str<M>(PR_ONCLOSING, [](M& u) { return u.OnClosing; }, [](M& u, std::string v) { u.OnClosing = std::move(v); });
        m.Str<M>(PR_ONCLOSED, [](M& u) { return u.OnClosed; }, [](M& u, std::string v) { u.OnClosed = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoMenu::Sync(TSerializer& s) {
    TRuvoCustomListBox::Sync(s);
    s.Int(Delay);
    s.Int(HoverColor);
    s.Bool(AutoScrap);
    s.Bool(RClickScrap);
    s.Byte(PlayState);
    s.Str(OnOpening);
    s.Str(OnOpened);
    s.Str(OnClosing);
    s.Str(OnClosed);
    if (!s.Loading()) return;
    if (PlayState > kMenuCloseFade) PlayState = kMenuClosed;
    Layout();
    FullHeight = Height;
    PhaseStart = Now();
    // A menu saved while shrinking closes again.
    Phase = PlayState == kMenuCloseFade ? 200 : 0;
    if (RClickScrap && Owner && !Shut()) Owner->AddRightClickTarget(*this);
}

} // namespace ruvo
