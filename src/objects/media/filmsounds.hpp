#pragma once
// The sounds of a frame list's sound tracks, for the object that plays the frame list (a motion, a
// cinema, the start-up logo): a track reached by the timeline starts its sound (again, when the timeline
// jumps back) with the track's volume, pan, loop and fade-in; a track that stops its sound at its end
// stops it, fading out when it says so. The sounds go when their player goes.
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/film/filmsound.hpp"
#include "objects/media/mixerfade.hpp"

namespace ruvo {

class TDMediaItem;
class TRuvoObject;

class TFilmSounds final : public TFilmSoundOutput {
public:
    // player: the object that plays the frame list; its world (which changes when a saved game is loaded)
    // gives the media and the clock, none: every sound is silent.
    explicit TFilmSounds(const TRuvoObject& player) : player_(player) {}
    ~TFilmSounds() override;

    void StartSound(const TSoundFrameList& track, const std::string& gameName) override;
    void StopSound(const TSoundFrameList& track) override;
    // Once a frame: the fades move on; faded-out sounds are given back.
    void Step();
    // Every sound stops (a new frame list is loaded).
    void StopAll();
    size_t Playing() const noexcept { return sounds_.size(); }
    // The item a track plays, or null.
    const TDMediaItem* ItemOf(const TSoundFrameList& track) const;

    // A track's volume (0..1000) as an attenuation, and its pan (0..2000, 1000 the centre) as a pan.
    static int32_t TrackPan(int32_t storedPan) noexcept;

private:
    struct TPlaying {
        const TSoundFrameList* track;
        TDMediaItem* item;
        std::unique_ptr<TRuvoMixer> fade;
    };
    void Release(TPlaying& p);
    int32_t Now() const;

    const TRuvoObject& player_;
    std::vector<TPlaying> sounds_;
};

} // namespace ruvo
