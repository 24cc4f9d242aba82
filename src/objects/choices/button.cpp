#include "objects/choices/button.hpp"

#include "archive/serializer.hpp"
#include "objects/motion/motion.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {

constexpr uint8_t Code(int id) { return static_cast<uint8_t>(id); }

std::vector<TRuvoButton*> GroupUnder(const TRuvoControl* parent, int32_t group) {
    std::vector<TRuvoButton*> members;
    if (!parent || group == 0) return members;
    for (TRuvoControl* c : parent->Children())
        if (auto* b = dynamic_cast<TRuvoButton*>(c); b && !b->PendingDelete && b->GroupIndex == group)
            members.push_back(b);
    return members;
}

// The group's one selection: the changed member when it is selected, else the first selected, else the
// first unless all may be up; every member is drawn by its selection.
void NormaliseGroup(const std::vector<TRuvoButton*>& members, TRuvoButton* changed, bool allowAllUp) {
    if (members.empty()) return;
    TRuvoButton* chosen = changed && changed->Selected ? changed : nullptr;
    for (TRuvoButton* b : members)
        if (!chosen && b->Selected) chosen = b;
    if (!chosen && !allowAllUp) chosen = members.front();
    for (TRuvoButton* b : members) {
        b->Selected = b == chosen;
        b->SetState(b == chosen ? TRuvoButton::kPressed : TRuvoButton::kNormal);
    }
}

// A group a member left keeps its rule: one selected unless all may be up.
void NormaliseRemaining(const TRuvoControl* parent, int32_t group) {
    const std::vector<TRuvoButton*> members = GroupUnder(parent, group);
    if (!members.empty()) NormaliseGroup(members, nullptr, members.front()->AllowAllUp);
}

} // namespace

TRuvoImageList& TRuvoButton::Frames() { return State == kNormal ? TRuvoImages::Frames() : lists_[State - 1]; }

std::vector<TRuvoButton*> TRuvoButton::Group() const { return GroupUnder(Parent(), GroupIndex); }

// ---- looks

void TRuvoButton::SetState(int32_t s) {
    if (State == kClicked) {
        ReturnState = s;
        return;
    }
    if (s == State || s < kNormal || s > kClicked || (s > kNormal && StateSource(s).empty())) return;
    ShowState(s);
}

void TRuvoButton::ShowState(int32_t s) {
    Invalidate();
    State = s;
    if (s == kClicked) ReturnState = kNormal;
    Index = -1;
    Remaining = 0;
    Borrow(nullptr, nullptr, nullptr);
    if (FrameCount() > 0) GoTo(0);
    else RecomputeSize();
    if (TRuvoMotion* m = GetMotion()) m->Restart();
    Invalidate();
}

void TRuvoButton::SetStateSource(int s, std::string source) {
    if (source == StateSource(s)) return;
    if (s == kNormal) Source = source;
    else sources_[s - 1] = source;
    if (s == State) {
        ShowSource(source);
        return;
    }
    TRuvoImageList& list = s == kNormal ? TRuvoImages::Frames() : lists_[s - 1];
    list.Clear();
    if (IsLayeredImageName(source)) list.Load(Owner ? Owner->Pictures() : nullptr, source);
}

// The clicked picture was shown to its end.
void TRuvoButton::PlayEnded() {
    if (State != kClicked) {
        TRuvoImages::PlayEnded();
        return;
    }
    Raise(Code(PR_ONPLAYEND));
    ShowState(ReturnState);
}

bool TRuvoButton::MotionEnded() {
    if (State != kClicked) {
        GetMotion()->Restart();
        return false;
    }
    if (AutoScrap) return true;
    PlayEnded();
    return false;
}

bool TRuvoButton::Update() {
    if (Pressing == -1) return true;
    return TRuvoImages::Update();
}

// ---- the mouse

bool TRuvoButton::PointerOver() const {
    const TRuvoBase* base = GetBase();
    if (!base) return false;
    TRuvoControl* hit = const_cast<TRuvoButton*>(this)->HitTest(base->PointerX, base->PointerY, kLeftPressMask);
    return hit && Contains(hit);
}

void TRuvoButton::LeftDown() {
    TRuvoBase* base = GetBase();
    if (!base || !ModeIn(kLeftPressMask) || Paused || State == kClicked) {
        TRuvoImages::LeftDown();
        return;
    }
    // The press is the button's: held until it is let go, and never a PR_ONLBTNDOWN.
    base->Capture |= TRuvoBase::kLeftCapture;
    base->LeftPress = false;
    SetState(kPressed);
    Pressing = 1;
}

void TRuvoButton::LeftUp() {
    if (Pressing == 1 && PointerOver()) Click();
    if (Pressing != -1) {
        Pressing = 0;
        if (GroupIndex == 0) SetState(kNormal);
    }
    TRuvoImages::LeftUp();
}

void TRuvoButton::Click() {
    Raise(Code(PR_ONNOTIFY));
    if (GroupIndex == 0) {
        SetState(kClicked);
        if (lists_[kClicked - 1].Count() == 0 && AutoScrap) Pressing = -1;
    } else if (!Selected || AllowAllUp) {
        SetSelected(!Selected);
    }
}

void TRuvoButton::MouseMove() {
    if (Pressing == 1) SetState(PointerOver() || Selected ? kPressed : kNormal);
    else SetState(Selected ? kPressed : Paused ? kNormal : kHover);
    TRuvoImages::MouseMove();
}

void TRuvoButton::MouseLeave() {
    SetState(Selected ? kPressed : kNormal);
    TRuvoImages::MouseLeave();
}

// ---- radio groups

void TRuvoButton::SetSelected(bool on) {
    if (on && GroupIndex == 0) return;
    if (on == Selected) return;
    Selected = on;
    NormaliseGroup(Group(), this, AllowAllUp);
}

void TRuvoButton::SetGroupIndex(int32_t group) {
    if (group == GroupIndex) return;
    const int32_t old = GroupIndex;
    GroupIndex = group;
    if (group == 0 && Selected) {
        Selected = false;
        SetState(kNormal);
    }
    NormaliseRemaining(Parent(), old);
    NormaliseGroup(Group(), this, AllowAllUp);
}

void TRuvoButton::SetAllowAllUp(bool on) {
    const std::vector<TRuvoButton*> members = Group();
    AllowAllUp = on;
    for (TRuvoButton* b : members) b->AllowAllUp = on;
    NormaliseGroup(members, this, on);
}

// A selected member moved to another parent takes the selection of its new group; the group it left
// chooses again.
void TRuvoButton::SetParent(TRuvoControl* parent) {
    const TRuvoControl* old = Parent();
    TRuvoImages::SetParent(parent);
    if (GroupIndex == 0 || Parent() == old) return;
    NormaliseRemaining(old, GroupIndex);
    NormaliseGroup(Group(), this, AllowAllUp);
}

// ---- properties and the persisted form

const TPropertyMap& TRuvoButton::ClassProperties() {
    static const TPropertyMap map = [] {
        using B = TRuvoButton;
        TPropertyMap m(TRuvoImages::ClassProperties());
        constexpr int kSourceIds[] = {PR_SOURCE, PR_HOVERSOURCE, PR_PRESSEDSOURCE, PR_CLICKEDSOURCE};
        for (int s = 0; s < 4; ++s)
            m.Str<B>(kSourceIds[s], [s](B& b) { return b.StateSource(s); },
                     [s](B& b, std::string v) { b.SetStateSource(s, std::move(v)); });
        m.Int<B>(PR_GROUPINDEX, [](B& b) { return b.GroupIndex; }, [](B& b, int32_t v) { b.SetGroupIndex(v); });
        m.Flag<B>(PR_SELECTED, [](B& b) { return b.Selected; }, [](B& b, bool v) { b.SetSelected(v); });
        m.Flag<B>(PR_ALLOWALLUP, [](B& b) { return b.AllowAllUp; }, [](B& b, bool v) { b.SetAllowAllUp(v); });
        m.Str<B>(PR_ONNOTIFY, [](B& b) { return b.OnNotify; }, [](B& b, std::string v) { b.OnNotify = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoButton::Sync(TSerializer& s) {
    TRuvoImages::Sync(s);
    std::array<std::string, 3> sources = sources_;
    s.Str(sources[0]);
    s.Str(sources[1]);
    s.Int(GroupIndex);
    s.Bool(Selected);
    s.Bool(AllowAllUp);
    s.Str(OnNotify);
    s.Str(OnIdle);
    s.Str(sources[2]);
    if (!s.Loading()) return;
    for (int i = 0; i < 3; ++i) {
        sources_[i].clear();
        SetStateSource(i + 1, std::move(sources[i]));
    }
    if (GroupIndex == 0) Selected = false;
    if (Selected) ShowState(kPressed);
    else if (Index >= FrameCount()) ShowState(kNormal);
}

} // namespace ruvo
