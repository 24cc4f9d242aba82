// The world's registry, names, lifetimes, events, screens, update and painting. Input routing is in
// worldinput.cpp, the persisted form in worldsave.cpp.
#include "objects/world/world.hpp"

#include <algorithm>
#include <charconv>

#include "archive/serializer.hpp"
#include "objects/base/factory.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "params/varset.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace {

const std::string kOtherScreen(1, kInternalMark);
constexpr std::string_view kAutoPrefix = "object";

// The counter of an automatic name ("object12" → 12), or -1 for any other name.
int AutoNameCounter(std::string_view name) {
    if (!name.starts_with(kAutoPrefix)) return -1;
    const std::string_view digits = name.substr(kAutoPrefix.size());
    if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) return -1;
    int value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return ec == std::errc() && end == digits.data() + digits.size() ? value : -1;
}

// The handler text of an event code: the string value of the handler property of that identifier.
std::string HandlerOf(TRuvoObject& sender, uint8_t code) {
    if (code >= kPropertyCount || PropertyType(code) != TValueType::String) return {};
    return GetStrProperty(sender, code);
}

} // namespace

const std::string& TRuvoBaseList::ScreenName(int index) {
    static const std::string names[2] = {std::string(1, kInternalMark) + "BASE0", std::string(1, kInternalMark) + "BASE1"};
    return names[index != 0];
}

TRuvoBaseList::TRuvoBaseList(TPlayerServices& services, TParamCollection& vars)
    : TRuvoBaseList(services, vars, 0) {}

TRuvoBaseList::TRuvoBaseList(TPlayerServices& services, TParamCollection& vars, TObjectId lastIssued)
    : TObjectRegistry(lastIssued), services_(services), vars_(vars) {
    MakeScreens();
    SetSize(kInitialSize, kInitialSize);
}

TRuvoBaseList::~TRuvoBaseList() { FreeEverything(); }

void TRuvoBaseList::SetChoice(std::string text, int32_t index) {
    vars_.SetSelStr(std::move(text));
    vars_.SetSelIndex(index);
}

void TRuvoBaseList::MakeScreens() {
    for (int i = 0; i < 2; ++i) {
        screens_[i] = std::make_unique<TRuvoBase>(this);
        screens_[i]->Name = ScreenName(i);
        Issue(*screens_[i]);
    }
}

// Registered objects first (a control takes its children with it), then the screens with whatever is
// left on them.
void TRuvoBaseList::FreeEverything() {
    EndTransition();  // it works on the screens' surfaces
    while (!registry_.empty()) DestroyObject(*registry_.back(), false);
    for (auto& screen : screens_) screen.reset();
    events_.Clear();
    deleteList_.clear();
    rightClickList_.clear();
    focus_ = 0;
    focusSearch_ = false;
}

void TRuvoBaseList::Reset() {
    const int x = ActiveScreen().PointerX, y = ActiveScreen().PointerY;
    const int32_t w = width_, h = height_;
    FreeEverything();
    active_ = 0;
    MakeScreens();
    SetSize(kInitialSize, kInitialSize);
    SetSize(w, h);
    for (auto& screen : screens_) screen->SetPointer(x, y);
}

// ---- screens and surfaces

void TRuvoBaseList::SetSize(int32_t width, int32_t height) {
    width_ = std::clamp(width, 1, kMaxSide);
    height_ = static_cast<int32_t>(std::clamp<int64_t>(height, 1, std::min<int64_t>(kMaxSide, kMaxPixels / width_)));
    surface_.SetSize(width_, height_, 32);
    surface_.Clear(0);
    for (auto& screen : screens_) screen->Resize(width_, height_);
}

TCustomDIBX* TRuvoBaseList::SurfaceOf(const TRuvoBase& screen) {
    if (&screen == &ActiveScreen() && !inTransition_) return &surface_;
    return &const_cast<TRuvoBase&>(screen).PrivateSurface();
}

void TRuvoBaseList::SetActive(int index, bool force) { SetActive(index, TWipeSettings{}, {}, force, 0); }

void TRuvoBaseList::SetActive(int index, const TWipeSettings& transition, const TRandomFunction& random, bool force,
                              int32_t elapsed) {
    index = index != 0 ? 1 : 0;
    const bool changed = index != active_;
    // Where the new front screen's picture is now: the composition surface if it was shown directly.
    const bool drewIntoComposition = !changed && !inTransition_;
    active_ = index;
    const bool typed = transition.Type != 0;
    // Without a type the switch is immediate: a running transition ends and the new front screen is
    // painted into the composition surface anew.
    if (force || (typed && !transition_) || (!typed && (changed || transition_))) {
        EndTransition();
        for (auto& screen : screens_) screen->AddWhole();
        if (typed) {
            TRuvoBase& front = ActiveScreen();
            if (drewIntoComposition) front.PrivateSurface().Assign(surface_);
            transition_ = StartWipe(transition, {surface_, front.PrivateSurface(), BackScreen().PrivateSurface()},
                                    random)
                              .Wipe;
        }
    }
    const TRuvoControl* focus = Focus();
    if (!focus || !focus->OnActiveScreen()) RequestFocusSearch();
    // A type that makes no transition (unknown, or surfaces it cannot use) changes the picture at once
    // rather than leaving the composition surface unpainted.
    inTransition_ = transition_ != nullptr;
    if (transition_) transition_->Elapsed = elapsed;
}

void TRuvoBaseList::EndTransition() {
    transition_.reset();
    transitionRect_ = {};
    inTransition_ = false;
}

int32_t TRuvoBaseList::TransitionDuration() const noexcept { return transition_ ? transition_->Duration : 0; }

void TRuvoBaseList::SetTransitionElapsed(int32_t ms) noexcept {
    if (transition_) transition_->Elapsed = ms;
}

// ---- the registry

TRuvoObject* TRuvoBaseList::Lookup(TObjectId id) const {
    if (id == 0) return nullptr;
    for (const auto& screen : screens_)
        if (screen && screen->Id() == id) return screen.get();
    const auto it = owned_.find(id);
    return it == owned_.end() ? nullptr : it->second.get();
}

bool TRuvoBaseList::IsRegistered(const TRuvoObject* object) const {
    return object && object->Id() && owned_.contains(object->Id()) && owned_.at(object->Id()).get() == object;
}

TRuvoObject* TRuvoBaseList::FindObject(std::string_view name) const {
    if (name.empty() || name == ScreenName(0)) return &ActiveScreen();
    if (name == kOtherScreen || name == ScreenName(1)) return &BackScreen();
    TRuvoObject* first = nullptr;
    const auto [from, to] = byName_.equal_range(std::string(name));
    for (auto it = from; it != to; ++it)
        if (!first || it->second->Id() < first->Id()) first = it->second;
    return first;
}

TRuvoControl* TRuvoBaseList::FindParent(std::string_view name) const {
    if (name.empty()) return &ActiveScreen();
    if (name == kOtherScreen) return &BackScreen();
    if (name == ScreenName(0)) return &Screen(0);
    if (name == ScreenName(1)) return &Screen(1);
    TRuvoControl* first = nullptr;
    const auto [from, to] = byName_.equal_range(std::string(name));
    for (auto it = from; it != to; ++it)
        if (TRuvoControl* c = it->second->AsControl(); c && (!first || c->Id() < first->Id())) first = c;
    return first;
}

TRuvoObject* TRuvoBaseList::CreateByType(int code) {
    const TObjectClass* cls = ObjectClassOf(code);
    return cls ? &Adopt(cls->make(*this, cls->code)) : nullptr;
}

TRuvoObject& TRuvoBaseList::Adopt(std::unique_ptr<TRuvoObject> object) {
    TRuvoObject& o = *object;
    Issue(o);
    owned_.emplace(o.Id(), std::move(object));
    Register(o);
    return o;
}

void TRuvoBaseList::Register(TRuvoObject& object) {
    registry_.push_back(&object);
    if (object.NeedsAutoName() && object.Name.empty()) AssignName(object, AutomaticName());
    else IndexName(object, true);
    if (object.AsControl() && !Focus()) RequestFocusSearch();
}

void TRuvoBaseList::Unregister(TRuvoObject& object) {
    const auto it = std::lower_bound(registry_.begin(), registry_.end(), object.Id(),
                                     [](const TRuvoObject* o, TObjectId id) { return o->Id() < id; });
    if (it != registry_.end() && *it == &object) registry_.erase(it);
    IndexName(object, false);
    std::erase(rightClickList_, object.Id());
    if (focus_ == object.Id()) {
        focus_ = 0;
        RequestFocusSearch();
    }
}

std::vector<std::string> TRuvoBaseList::ListNames(int typeCode, bool byParent, const TRuvoControl* parent) const {
    std::vector<std::string> names;
    for (const TRuvoObject* o : registry_) {
        if (typeCode != 0 && o->GetCompoType() != typeCode) continue;
        if (byParent) {
            const TRuvoControl* c = o->AsControl();
            if ((c ? c->Parent() : nullptr) != parent) continue;
        }
        names.push_back(o->Name);
    }
    return names;
}

// ---- names

void TRuvoBaseList::IndexName(TRuvoObject& object, bool add) {
    if (object.Name.empty()) return;
    if (add) {
        byName_.emplace(object.Name, &object);
        return;
    }
    const auto [from, to] = byName_.equal_range(object.Name);
    for (auto it = from; it != to; ++it) {
        if (it->second == &object) {
            byName_.erase(it);
            break;
        }
    }
    if (const int counter = AutoNameCounter(object.Name); counter >= 0 && counter < autoNameHint_)
        autoNameHint_ = counter;
}

void TRuvoBaseList::AssignName(TRuvoObject& object, std::string name) {
    const bool registered = IsRegistered(&object);
    if (registered) IndexName(object, false);
    object.Name = std::move(name);
    if (registered) IndexName(object, true);
}

std::string TRuvoBaseList::AutomaticName() {
    for (int counter = autoNameHint_;; ++counter) {
        std::string name = std::string(kAutoPrefix) + std::to_string(counter);
        if (!byName_.contains(name)) {
            autoNameHint_ = counter + 1;
            return name;
        }
    }
}

std::string TRuvoBaseList::NameGivenWay(const std::string& name) const {
    std::string base = name;
    int64_t count = 2;
    for (size_t i = name.size(); i-- > 1;) {
        if (name[i] != '_') continue;
        const std::string_view digits = std::string_view(name).substr(i + 1);
        int64_t n = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (ec == std::errc() && end == digits.data() + digits.size() && !digits.empty() && n > 1) {
            base = name.substr(0, i);
            count = n;
            break;
        }
    }
    for (;; ++count) {
        std::string candidate = base + "_" + std::to_string(count);
        if (!byName_.contains(candidate)) return candidate;
    }
}

// ---- lifetime

void TRuvoBaseList::ScheduleDelete(TRuvoObject& object) {
    if (!IsRegistered(&object) || object.PendingDelete) return;
    object.PendingDelete = true;
    deleteList_.push_back(object.Id());
    AssignName(object, {});
}

void TRuvoBaseList::Destroy(TRuvoObject& object) {
    if (IsRegistered(&object)) DestroyObject(object, true);
}

void TRuvoBaseList::DestroyObject(TRuvoObject& object, bool repaint) {
    if (TRuvoControl* c = object.AsControl()) {
        if (repaint) c->Invalidate();
        if (TRuvoControl* parent = c->Parent()) parent->RemoveChild(c);
    }
    Unregister(object);
    auto node = owned_.extract(object.Id());
    node.mapped().reset();  // a control destroys its children here
}

// ---- events

bool TRuvoBaseList::TestsDuplicates(uint8_t code) noexcept {
    switch (code) {
    case PR_ONLBTNUP:
    case PR_ONRBTNUP:
    case PR_ONMOUSEOUT:
    case PR_ONMOUSEIN:
    case PR_ONFOCUSIN:
    case PR_ONFOCUSOUT: return false;
    default: return true;
    }
}

bool TRuvoBaseList::Queue(TRuvoObject& sender, uint8_t code, std::vector<std::string> parameters, bool duplicateTest) {
    if (sender.IsClosing()) return false;
    std::string handler = HandlerOf(sender, code);
    if (handler.empty()) return false;
    if (duplicateTest && events_.IndexOfPending(sender.Id(), code) >= 0) return false;
    events_.Queue(sender.Id(), std::move(handler), std::move(parameters), code);
    return true;
}

// ---- the focus

TRuvoControl* TRuvoBaseList::Focus() const {
    TRuvoObject* o = Lookup(focus_);
    return o ? o->AsControl() : nullptr;
}

void TRuvoBaseList::SetFocus(TRuvoControl* control) {
    TRuvoControl* old = Focus();
    if (control == old) {
        if (!control) focus_ = 0;
        return;
    }
    if (old && IsRegistered(old) && !old->Name.empty()) old->Raise(PR_ONFOCUSOUT);
    focus_ = control ? control->Id() : 0;
    if (control) control->Raise(PR_ONFOCUSIN);
    focusSearch_ = false;
    if (control) control->FocusGained();
}

// ---- the frame

void TRuvoBaseList::Update() {
    for (auto& screen : screens_) screen->Update();
    for (size_t i = 0; i < registry_.size();) {
        TRuvoObject& o = *registry_[i];
        const bool cabinet = o.InsideCabinet();
        if (!cabinet) Queue(o, PR_ONIDLE, {}, true);
        if (o.IsPaused() || o.PendingDelete || cabinet || !o.Update()) ++i;
        else DestroyObject(o, true);
    }
    const std::vector<TObjectId> doomed = std::move(deleteList_);
    deleteList_.clear();
    for (TObjectId id : doomed)
        if (TRuvoObject* o = Lookup(id); o && IsRegistered(o)) DestroyObject(*o, true);
}

void TRuvoBaseList::PaintScreen(TRuvoBase& screen) {
    TCustomDIBX* surface = SurfaceOf(screen);
    if (!screen.GetVisible() || !surface || surface->IsEmpty()) return;
    for (const TRect& r : screen.Dirty().Rects()) {
        surface->ResetClip();
        surface->AddClipRect(r);
        screen.Paint();
    }
    surface->ResetClip();
}

void TRuvoBaseList::Paint() {
    transitionRect_ = {};
    PaintScreen(Screen(0));
    PaintScreen(Screen(1));
    // The back screen's picture is complete in its own surface; nobody presents its rectangles.
    BackScreen().Dirty().Clear();
    if (!transition_) return;
    // Both pictures are complete in the screens' own surfaces; the transition composes the screen.
    ActiveScreen().Dirty().Clear();
    if (transition_->Step()) {
        // Finished (or its surfaces changed size) while nobody has ended it yet: the new picture stays.
        surface_.Assign(BackScreen().PrivateSurface());
        transitionRect_ = TRect{0, 0, width_, height_};
    } else {
        transitionRect_ = transition_->ChangedRect();
    }
}

std::vector<TRect> TRuvoBaseList::TakeDirtyRects() {
    std::vector<TRect> rects = ActiveScreen().Dirty().Take();
    if (!transitionRect_.IsEmpty()) rects.push_back(transitionRect_);
    return rects;
}

TRuvoBaseList::TNestingScope::TNestingScope(TRuvoBaseList& world) : world_(world) {
    // The screens' children are the first level.
    if (++world_.loadDepth_ > kMaxObjectNesting + 1) {
        --world_.loadDepth_;
        throw std::move(TSerializer::Damaged().AddContext("objects nested deeper than " +
                                                           std::to_string(kMaxObjectNesting)));
    }
}

} // namespace ruvo
