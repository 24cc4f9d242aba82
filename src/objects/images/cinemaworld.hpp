#pragma once
// The private world a cinema plays in: a display world of the stage's size whose two screens are the
// stage's two bases, with one display object per visual track of the film, made in drawing order on
// the screen of the track's base. Pictures, tiles and boxes are TRuvoTrackObject; labels are captions
// (TRuvoLabel) typed by the text engine. After every update of the film the objects follow their
// tracks and only what changed is painted again. Particle and fire tracks have no object yet.
//
// The world shares the outer world's services, variables, pictures and text services; its objects'
// events go nowhere: the cinema stands for them in the outer world (it is what the outer world hits).
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/surface/pixelformat.hpp"
#include "objects/base/control.hpp"

namespace ruvo {

class TCustomDIBX;
class TCustomFrameList;
class TFilmManager;
class TRuvoBaseList;
class TRuvoLabel;

class TRuvoBaseListCinema {
public:
    TRuvoBaseListCinema(TRuvoBaseList& outer, const TFilmManager& film, int32_t width, int32_t height);
    ~TRuvoBaseListCinema();
    TRuvoBaseListCinema(const TRuvoBaseListCinema&) = delete;
    TRuvoBaseListCinema& operator=(const TRuvoBaseListCinema&) = delete;

    TRuvoBaseList& World() noexcept { return *world_; }
    // The objects follow the tracks that changed since the last call; then both bases are painted
    // where they changed. What changed on base `shown` is kept for Changed.
    void Show(int shown);
    // What the last Show painted anew on the base it was asked for (stage coordinates); everything
    // after the first Show.
    const std::vector<TRect>& Changed() const noexcept { return changed_; }
    TCustomDIBX& Base(int index);

    // The topmost track object of a base at a stage point whose mouse mode is in the mask, or null.
    TRuvoControl* TrackAt(int base, int32_t x, int32_t y, TMouseMask mask) const;
    // The first caption among the track objects (registration order), or null.
    TRuvoLabel* FirstLabel() const;

private:
    struct TBinding {
        const TCustomFrameList* track;
        TRuvoControl* object;
        TRuvoLabel* caption;  // the object, when the track is a label
        bool active = false;
        int32_t step = -1;
    };
    void Follow(TBinding& b);

    std::unique_ptr<TRuvoBaseList> world_;
    std::vector<TBinding> bindings_;
    std::vector<TRect> changed_;
};

} // namespace ruvo
