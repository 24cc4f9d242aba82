// The world's section of a saved game: its size and front screen, both screens with everything on them,
// the components, the queued events and the key focus.
#include <utility>

#include "archive/serializer.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {

// Event states are 32-bit from this version on, one byte before.
constexpr int32_t kWideEventStates = 114;
constexpr int32_t kFocusSaved = 119;
// The least a component takes: type byte, name, priority.
constexpr int64_t kMinComponentBytes = 1 + 4 + 4;
// The least an event takes: handler, sender, code, a one-byte state, parameter count.
constexpr int64_t kMinEventBytes = 4 + 4 + 1 + 1 + 4;

} // namespace

void TRuvoBaseList::SaveToStream(TStream& stream, int32_t version) {
    TSerializer s = TSerializer::Writer(stream, version);
    Sync(s);
}

std::unique_ptr<TRuvoBaseList> TRuvoBaseList::ReadSaved(TStream& stream, int32_t version) {
    std::unique_ptr<TRuvoBaseList> loaded(new TRuvoBaseList(services_, vars_, LastIssued()));
    // Its objects take their pictures and evaluate their expressions as this world's do.
    loaded->pictures_ = pictures_;
    loaded->media_ = media_;
    loaded->evaluate_ = evaluate_;
    loaded->textObjects_.ShareWith(textObjects_);
    TSerializer s = TSerializer::Reader(stream, version);
    loaded->Sync(s);
    return loaded;
}

void TRuvoBaseList::TakeOver(TRuvoBaseList& loaded) {
    const int x = ActiveScreen().PointerX, y = ActiveScreen().PointerY;
    FreeEverything();
    screens_ = std::exchange(loaded.screens_, {});
    registry_ = std::exchange(loaded.registry_, {});
    owned_ = std::exchange(loaded.owned_, {});
    byName_ = std::exchange(loaded.byName_, {});
    events_ = std::exchange(loaded.events_, {});
    deleteList_ = std::exchange(loaded.deleteList_, {});
    rightClickList_ = std::exchange(loaded.rightClickList_, {});
    focus_ = std::exchange(loaded.focus_, 0);
    focusSearch_ = std::exchange(loaded.focusSearch_, false);
    autoNameHint_ = std::exchange(loaded.autoNameHint_, 0);
    active_ = std::exchange(loaded.active_, 0);
    inTransition_ = false;
    IssueAfter(loaded.LastIssued());
    // The objects know their world: it is this one now.
    for (auto& screen : screens_) screen->Owner = this;
    for (auto& [id, object] : owned_) object->Owner = this;
    // Until the next painting the composition surface keeps the picture shown.
    if (loaded.width_ != width_ || loaded.height_ != height_) SetSize(loaded.width_, loaded.height_);
    for (auto& screen : screens_) {
        screen->SetPointer(x, y);
        screen->AddWhole();
    }
    loaded.MakeScreens();
    loaded.SetSize(kInitialSize, kInitialSize);
}

void TRuvoBaseList::LoadFromStream(TStream& stream, int32_t version) { TakeOver(*ReadSaved(stream, version)); }

void TRuvoBaseList::Sync(TSerializer& s) {
    int32_t width = width_, height = height_, active = active_;
    s.Int(width);
    s.Int(height);
    s.Int(active);
    if (s.Loading()) {
        // A size the running game could not have had is damage, not something to allocate.
        if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide || int64_t{width} * height > kMaxPixels)
            throw std::move(TSerializer::Damaged().AddContext("a screen of " + std::to_string(width) + " x " +
                                                               std::to_string(height)));
        SetSize(width, height);
        active_ = active != 0 ? 1 : 0;
    }
    for (int i = 0; i < 2; ++i) {
        WithContext([&] { return "screen " + std::to_string(i); }, [&] { Screen(i).Sync(s); });
        if (s.Loading()) {
            Screen(i).Name = ScreenName(i);
            Screen(i).AddWhole();
        }
    }

    std::vector<TRuvoObject*> components;
    for (TRuvoObject* o : registry_)
        if (!o->AsControl() && !o->PendingDelete && o->GetCompoType() != 0 && !o->IsInternal()) components.push_back(o);
    int32_t n = static_cast<int32_t>(components.size());
    s.Count(n, kMinComponentBytes);
    for (int32_t i = 0; i < n; ++i) {
        uint8_t code = s.Loading() ? 0 : components[static_cast<size_t>(i)]->GetCompoType();
        s.Byte(code);
        WithContext([&] { return "component " + std::to_string(i); }, [&] {
            TRuvoObject* o = s.Loading() ? CreateByType(code) : components[static_cast<size_t>(i)];
            if (!o || o->AsControl())
                throw std::move(TSerializer::Damaged().AddContext("object type " + std::to_string(code) + " is not a component"));
            o->Sync(s);
        });
    }

    WithContext([] { return std::string("events"); }, [&] { SyncEvents(s); });

    std::string focus = s.Loading() ? std::string() : NameOf(focus_);
    s.Str(focus, kFocusSaved);
    if (s.Loading() && !focus.empty()) {
        TRuvoObject* o = FindObject(focus);
        if (TRuvoControl* c = o ? o->AsControl() : nullptr) {
            focus_ = c->Id();
            c->FocusGained();
            focusSearch_ = false;
        }
    }
}

void TRuvoBaseList::SyncEvents(TSerializer& s) {
    int32_t n = events_.Count();
    s.Count(n, kMinEventBytes);
    if (s.Loading()) events_.Clear();
    for (int32_t i = 0; i < n; ++i) {
        TTimerData e = s.Loading() ? TTimerData{} : events_[i];
        std::string sender = s.Loading() ? std::string() : NameOf(e.Sender);
        s.Str(e.Handler);
        s.Str(sender);
        s.Byte(e.Code);
        if (s.Has(kWideEventStates)) {
            s.Int(e.State);
        } else {
            uint8_t state = e.State != 0;
            s.Byte(state);
            e.State = state != 0 ? 1 : 0;
        }
        s.Strings(e.Parameters);
        if (s.Loading()) {
            const TRuvoObject* o = sender.empty() ? nullptr : FindObject(sender);
            events_.Queue(o ? o->Id() : 0, std::move(e.Handler), std::move(e.Parameters), e.Code).State = e.State;
        }
    }
}

} // namespace ruvo
