#pragma once
// Sound tracks (kind 4): a sound started when the timeline reaches the track. The frame list only
// says when; whoever plays the frame list plays the sound through TFilmSoundOutput.
#include <string>

#include "graphics/film/filmtrack.hpp"

namespace ruvo {

class TSoundFrameList;

// What the frame list calls to play its sounds (the media managers, once connected).
class TFilmSoundOutput {
public:
    virtual ~TFilmSoundOutput() = default;
    // The timeline reached the track's start (again, after a jump back).
    virtual void StartSound(const TSoundFrameList& track, const std::string& gameName) = 0;
    // The timeline passed the end of a track that stops its sound there.
    virtual void StopSound(const TSoundFrameList& track) = 0;
};

class TSoundFrameList : public TCustomFrameList {
public:
    std::string Name;  // relative to the file's folder
    // As stored. Version 108 keeps volume 0..1000 (1000 full) and pan 0..2000 (1000 centre); older
    // files store attenuations in 1/100 dB (0..-10000) and pans -10000..10000, which read as v div 10 + 1000.
    int32_t StoredVolume = 1000, StoredPan = 1000;
    int32_t FadeIn = 0, FadeOut = 0;  // ms
    uint8_t Repeat = 0;
    uint8_t StopAtEnd = 0;  // the sound stops when the track ends

    int32_t Volume() const noexcept { return oldScale_ ? StoredVolume / 10 + 1000 : StoredVolume; }
    int32_t Pan() const noexcept { return oldScale_ ? StoredPan / 10 + 1000 : StoredPan; }

protected:
    void SyncOwn(TFilmFields& f) override;

private:
    bool oldScale_ = false;
};

} // namespace ruvo
