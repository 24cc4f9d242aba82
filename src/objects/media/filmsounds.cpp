#include "objects/media/filmsounds.hpp"

#include <algorithm>

#include "archive/playerservices.hpp"
#include "media/mediaitem.hpp"
#include "media/mediamanager.hpp"
#include "media/mediaset.hpp"
#include "objects/media/sound.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

TFilmSounds::~TFilmSounds() { StopAll(); }

void TFilmSounds::StopAll() {
    for (TPlaying& p : sounds_) Release(p);
    sounds_.clear();
}

int32_t TFilmSounds::TrackPan(int32_t storedPan) noexcept { return std::clamp((storedPan - 1000) * 10, -10000, 10000); }

int32_t TFilmSounds::Now() const { return player_.Owner ? player_.Owner->Services().GameClock() : 0; }

void TFilmSounds::Release(TPlaying& p) {
    p.fade.reset();
    if (p.item) {
        p.item->SetVol(-10000);
        p.item->Manager().Remove(p.item);
        p.item = nullptr;
    }
}

const TDMediaItem* TFilmSounds::ItemOf(const TSoundFrameList& track) const {
    for (const TPlaying& p : sounds_)
        if (p.track == &track) return p.item;
    return nullptr;
}

void TFilmSounds::StartSound(const TSoundFrameList& track, const std::string& gameName) {
    auto it = std::find_if(sounds_.begin(), sounds_.end(), [&](const TPlaying& p) { return p.track == &track; });
    if (it != sounds_.end()) {
        Release(*it);
        sounds_.erase(it);
    }
    TMediaSet* media = player_.Owner ? player_.Owner->Media() : nullptr;
    TMediaManager* manager = media ? media->ManagerFor(gameName) : nullptr;
    if (!manager || (gameName.rfind("CD_", 0) != 0 && !media->Available(gameName))) return;
    TDMediaItem* item = manager->Add(gameName);
    if (!item) return;
    const bool midi = item->Scale() == TGainScale::Linear;
    const int32_t volume = TRuvoSound::Attenuation(track.Volume(), midi);
    item->SetPan(TrackPan(track.Pan()));
    item->SetAutoRepeat(track.Repeat != 0);
    TPlaying p{&track, item, nullptr};
    if (track.FadeIn > 0) {
        p.fade = std::make_unique<TRuvoMixerFadein>(*item, volume, track.FadeIn, midi);
        p.fade->Step(Now());
    } else {
        item->SetVol(volume);
        item->Play();
    }
    sounds_.push_back(std::move(p));
}

void TFilmSounds::StopSound(const TSoundFrameList& track) {
    auto it = std::find_if(sounds_.begin(), sounds_.end(), [&](const TPlaying& p) { return p.track == &track; });
    if (it == sounds_.end()) return;
    if (track.FadeOut > 0 && it->item->IsPlaying()) {
        it->fade = std::make_unique<TRuvoMixerFadeout>(*it->item, track.FadeOut, it->item->Scale() == TGainScale::Linear);
        it->fade->Step(Now());
        return;
    }
    Release(*it);
    sounds_.erase(it);
}

void TFilmSounds::Step() {
    const int32_t now = Now();
    for (auto it = sounds_.begin(); it != sounds_.end();) {
        if (it->fade && it->fade->Step(now)) {
            const bool gone = it->fade->FadesOut();
            it->fade.reset();
            if (gone) {
                Release(*it);
                it = sounds_.erase(it);
                continue;
            }
        }
        ++it;
    }
}

} // namespace ruvo
