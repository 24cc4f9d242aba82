#pragma once
// A track of a cinema's frame list shown as a display object of the cinema's own world: a picture, a
// tiled picture or a box drawn by its track, whose rectangle follows what the track draws, so that it
// is hit where it is seen (PR_IGNOREMOUSE from the track's mouse mode). It lives only in the cinema's
// world, which the cinema makes again from its file: its type code 0 keeps it out of saved games.
#include "objects/base/control.hpp"

namespace ruvo {

class TCustomFrameList;

class TRuvoTrackObject final : public TRuvoControl {
public:
    TRuvoTrackObject(TRuvoBaseList* owner, const TCustomFrameList& track);

    uint8_t GetCompoType() const override { return 0; }
    const TCustomFrameList& Track() const noexcept { return track_; }
    // Takes the track's state after the film's update: shown while it is active, its rectangle what it
    // draws, repainted when it changed.
    void Follow();
    void Paint() override;

private:
    const TCustomFrameList& track_;
};

} // namespace ruvo
