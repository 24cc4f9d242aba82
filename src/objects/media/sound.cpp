#include "objects/media/sound.hpp"

#include <algorithm>

#include "archive/playerservices.hpp"
#include "archive/serializer.hpp"
#include "media/mediaitem.hpp"
#include "media/mediamanager.hpp"
#include "media/mediaset.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {
constexpr uint8_t kPlayEnd = PR_ONPLAYEND;
constexpr int32_t kSilent = -10000;
// Sounds shorter than this that play once are stored as stopped: a saved game does not replay a click.
constexpr int32_t kShortSoundMs = 2999;

bool IsCdName(const std::string& source) { return source.rfind("CD_", 0) == 0; }
} // namespace

TRuvoSound::TRuvoSound(TRuvoBaseList* owner) : TRuvoComponent(owner) {}

TRuvoSound::~TRuvoSound() {
    if (item_) item_->SetVol(kSilent);
    mixer_.reset();
    ReleaseItem();
}

int32_t TRuvoSound::Attenuation(int32_t volume, bool midi) noexcept {
    if (midi) return std::clamp(volume * 10 - 10000, -10000, 0);
    const int64_t x = int64_t{volume} * 5 - 5000;
    if (x <= -5000) return kSilent;
    if (x > 0) return 0;
    return static_cast<int32_t>(x);
}

int32_t TRuvoSound::Now() const { return Owner ? Owner->Services().GameClock() : 0; }

TMediaManager* TRuvoSound::ManagerForSource() const {
    TMediaSet* media = Owner ? Owner->Media() : nullptr;
    return media ? media->ManagerFor(Source) : nullptr;
}

bool TRuvoSound::Midi() const {
    if (item_) return item_->Scale() == TGainScale::Linear;
    const TMediaManager* m = ManagerForSource();
    return m && m->Scale() == TGainScale::Linear;
}

void TRuvoSound::ReleaseItem() {
    if (!item_) return;
    TDMediaItem* item = item_;
    item_ = nullptr;
    item->Manager().Remove(item);
}

void TRuvoSound::ScheduleOwnDeletion() {
    if (Owner && Owner->IsRegistered(this)) Owner->ScheduleDelete(*this);
}

void TRuvoSound::StartFadeIn() {
    mixer_ = std::make_unique<TRuvoMixerFadein>(*item_, A(), FadeTime, Midi());
}

void TRuvoSound::SetPlayMode(int mode) {
    mixer_.reset();
    Ended = false;
    PlayMode = static_cast<uint8_t>(mode);
    if (PlayMode == 1 && FadeTime <= 0) PlayMode = 0;
    if (PlayMode <= 1) {
        if (!item_) {
            TMediaSet* media = Owner ? Owner->Media() : nullptr;
            if (media && (IsCdName(Source) || media->Available(Source)))
                if (TMediaManager* manager = media->ManagerFor(Source)) {
                    item_ = manager->Add(Source);
                    if (item_) {
                        item_->SetPan(Balance);
                        if (StartPos > 0) item_->SetPosition(StartPos);
                    }
                }
        }
        if (!item_) return;
    }
    if (PlayMode == 2 && item_) {
        ReleaseItem();
        StartPos = 0;
        ScheduleOwnDeletion();
    }
    switch (PlayMode) {
    case 0:
        item_->SetAutoRepeat(Repeat);
        item_->SetVol(A());
        if (Paused) item_->Pause();
        else item_->Play();
        if (StartPos > 0) item_->SetPosition(StartPos);
        break;
    case 1:
        item_->SetAutoRepeat(Repeat);
        if (!Paused) StartFadeIn();
        break;
    case 3:
        if (item_) {
            mixer_ = std::make_unique<TRuvoMixerFadeout>(*item_, FadeTime, Midi());
            StartPos = 0;
            // The name is free at once for a new sound of the same name.
            if (Owner && Owner->IsRegistered(this)) Owner->AssignName(*this, std::string(1, kInternalMark) + "SCRAP_" + Name);
        } else {
            ScheduleOwnDeletion();
        }
        break;
    default: break;
    }
}

void TRuvoSound::ApplyPauseState() {
    if (!item_) return;
    if (Paused || AniPaused) {
        item_->Pause();
        item_->SetVol(kSilent);
    } else if (PlayMode == 1) {
        StartFadeIn();
    } else {
        item_->SetVol(A());
        item_->Play();
    }
}

void TRuvoSound::ResumePlayback() {
    Paused = AniPaused = false;
    ApplyPauseState();
}

bool TRuvoSound::Update() {
    bool done = false;
    if (item_ && item_->IsEnd()) {
        item_->AcknowledgeEnd();
        if (Repeat) {
            item_->SetPosition(0);
        } else {
            Ended = true;
            if (AutoScrap) done = true;
            else if (!OnPlayEnd.empty()) Raise(kPlayEnd);
        }
    }
    if (mixer_ && mixer_->Step(Now())) {
        const bool fadedOut = mixer_->FadesOut();
        mixer_.reset();
        if (fadedOut) done = true;
    }
    return done;
}

void TRuvoSound::SetSource(const std::string& source) {
    if (source == Source) return;
    mixer_.reset();  // it fades the item given back
    ReleaseItem();
    Source = source;
    PlayMode = 2;
    Paused = false;
    StartPos = 0;
    Ended = false;
}

void TRuvoSound::SetVolume(int32_t volume) {
    if (volume == Volume) return;
    Volume = volume;
    if (item_) item_->SetVol(A());
}

void TRuvoSound::SetBalance(int32_t balance) {
    balance = std::clamp(balance, -10000, 10000);
    if (balance == Balance) return;
    Balance = balance;
    if (item_) item_->SetPan(Balance);
}

void TRuvoSound::SetRepeat(bool on) {
    Repeat = on;
    if (!item_) return;
    item_->SetAutoRepeat(on);
    if (on && !Paused && item_->GetPosition() >= item_->GetLen() - 1) {
        item_->SetPosition(0);
        Ended = false;
    }
}

void TRuvoSound::SetPaused(bool paused, bool aniPaused) {
    if (paused == Paused && aniPaused == AniPaused) return;
    Paused = paused;
    AniPaused = aniPaused;
    ApplyPauseState();
}

int32_t TRuvoSound::Index() const { return item_ ? item_->GetPosition() : 0; }

void TRuvoSound::SetIndex(int32_t ms) {
    StartPos = ms;
    if (!item_) return;
    item_->SetPosition(ms);
    Ended = false;
    if (!Paused && !item_->IsPlaying()) item_->Play();
}

int32_t TRuvoSound::Length() {
    if (item_) return item_->GetLen();
    TMediaSet* media = Owner ? Owner->Media() : nullptr;
    if (!media || !media->Available(Source)) return 0;
    TMediaManager* manager = media->ManagerFor(Source);
    TDMediaItem* measured = manager ? manager->Add(Source) : nullptr;
    if (!measured) return 0;
    const int32_t length = measured->GetLen();
    manager->Remove(measured);
    return length;
}

bool TRuvoSound::Playing() const { return item_ && item_->IsPlaying(); }

const TPropertyMap& TRuvoSound::ClassProperties() {
    static const TPropertyMap map = [] {
        using T = TRuvoSound;
        TPropertyMap m(TRuvoObject::ClassProperties());
        m.Str<T>(PR_SOURCE, [](T& t) { return t.Source; }, [](T& t, std::string v) { t.SetSource(v); });
        m.Int<T>(PR_VOLUME, [](T& t) { return t.Volume; }, [](T& t, int32_t v) { t.SetVolume(v); });
        m.Int<T>(PR_BALANCE, [](T& t) { return t.Balance; }, [](T& t, int32_t v) { t.SetBalance(v); });
        m.Flag<T>(PR_REPEAT, [](T& t) { return t.Repeat; }, [](T& t, bool v) { t.SetRepeat(v); });
        m.Flag<T>(PR_PAUSED, [](T& t) { return t.Paused; }, [](T& t, bool v) { t.SetPaused(v, t.AniPaused); });
        m.Flag<T>(PR_ANIPAUSED, [](T& t) { return t.AniPaused; }, [](T& t, bool v) { t.SetPaused(t.Paused, v); });
        m.Int<T>(PR_DELAY, [](T& t) { return t.FadeTime; }, [](T& t, int32_t v) { t.FadeTime = v; });
        m.Int<T>(PR_INDEX, [](T& t) { return t.Index(); }, [](T& t, int32_t v) { t.SetIndex(v); });
        m.Int<T>(PR_COUNT, [](T& t) { return t.Length(); });
        m.Flag<T>(PR_PLAYING, [](T& t) { return t.Playing(); });
        m.Flag<T>(PR_AUTOSCRAP, [](T& t) { return t.AutoScrap; }, [](T& t, bool v) { t.AutoScrap = v; });
        m.Str<T>(PR_ONPLAYEND, [](T& t) { return t.OnPlayEnd; }, [](T& t, std::string v) { t.OnPlayEnd = std::move(v); });
        m.Flag<T>(PR_REWINDONLOAD, [](T& t) { return t.RewindOnLoad; }, [](T& t, bool v) { t.RewindOnLoad = v; });
        m.Flag<T>(PR_MUTEONLOAD, [](T& t) { return t.MuteOnLoad; }, [](T& t, bool v) { t.MuteOnLoad = v; });
        return m;
    }();
    return map;
}

void TRuvoSound::Sync(TSerializer& s) {
    TRuvoObject::Sync(s);
    std::string source = Source;
    bool repeat = Repeat, autoScrap = AutoScrap, paused = Paused, aniPaused = AniPaused, ended = Ended;
    int32_t volume = Volume, balance = Balance, fadeTime = FadeTime;
    int32_t position = 0;
    uint8_t mode = 2;
    if (!s.Loading()) {
        position = Index();
        mode = Repeat || PlayMode > 1 || Length() > kShortSoundMs ? PlayMode : 2;
    }
    s.Str(source);
    s.Bool(repeat);
    s.Bool(autoScrap);
    s.Bool(paused);
    s.Bool(aniPaused);
    s.Bool(ended);
    s.Int(volume);
    s.Int(balance);
    s.Int(fadeTime);
    s.Int(position);
    s.Byte(mode);
    s.Str(OnPlayEnd);
    s.Bool(RewindOnLoad, 108);
    s.Bool(MuteOnLoad, 129);
    if (!s.Loading()) return;

    Repeat = repeat;
    AutoScrap = autoScrap;
    Balance = std::clamp(balance, -10000, 10000);
    FadeTime = 0;  // held back until the sound has started
    Volume = MuteOnLoad ? 0 : volume;
    SetSource(source);
    StartPos = RewindOnLoad ? 0 : position;
    Paused = paused;
    AniPaused = aniPaused;
    Ended = ended;
    if (mode == 3) SetPlayMode(0);
    FadeTime = fadeTime;
    if (Ended) PlayMode = mode;
    else SetPlayMode(mode);
    if (Paused || AniPaused) ApplyPauseState();
}

} // namespace ruvo
