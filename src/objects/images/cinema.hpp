#pragma once
// The cinema (LT_CINEMA): a frame list (PR_SOURCE) played in a private world of its own
// (TRuvoBaseListCinema), the film's visual tracks shown there as display objects on the stage's two
// bases, its transition tracks run between them, and the picture shown at the control's place. It
// counts the game clock as frames of 1/60 s; at the end it starts again (PR_REPEAT, from the film's
// loop start), asks to be destroyed (PR_AUTOSCRAP) or raises PR_ONPLAYEND once. PR_INDEX and PR_COUNT
// are the frame and the length; PR_PAUSED and PR_ANIPAUSED hold it.
//
// The mouse: the cinema's own PR_IGNOREMOUSE applies to its stage; each track object has the mouse
// mode of its track (its `mouse` field), and where a track object takes the pointer the cinema is hit
// and raises the mouse events with that object's mode and cursor.
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/film/filmmanager.hpp"
#include "objects/media/filmsounds.hpp"
#include "objects/base/control.hpp"

namespace ruvo {

class TRuvoBaseListCinema;
class TSurfaceFilmStage;

class TRuvoCinema : public TRuvoControl {
public:
    explicit TRuvoCinema(TRuvoBaseList* owner);
    ~TRuvoCinema() override;

    uint8_t GetCompoType() const override { return 4; }
    bool IsPaused() const override { return Paused; }
    bool Update() override;
    void Paint() override;
    // The stage's picture covers the control: what lies beneath need not be painted.
    bool Opaque() const override;
    bool Playing() const override;
    TRuvoControl* HitTest(int32_t x, int32_t y, TMouseMask mask) override;
    void LeftDown() override;
    void RightDown() override;
    std::string GetCursorFile() const override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the control part: the source (loaded again), repeat, auto-scrap, the end handler, paused,
    // and the milliseconds played.
    void Sync(TSerializer& s) override;

    // A new name loads the frame list and starts it; the control takes the stage's size (the world's
    // when the film gives none). A name that is no frame list, or a damaged one, shows nothing.
    void SetSource(std::string source);
    int32_t Length() const noexcept { return film_.Length(); }
    int32_t Frame() const noexcept { return frame_ < 0 ? 0 : frame_; }
    // PR_INDEX set: play on from frame i.
    void GoToFrame(int32_t i);

    // The private world with the track objects; null while nothing plays.
    TRuvoBaseListCinema* Tracks() const noexcept { return tracks_.get(); }
    // The track object shown at a point of the outer screen whose mouse mode is in the mask, or null.
    TRuvoControl* TrackAt(int32_t x, int32_t y, TMouseMask mask) const;

    std::string Source;
    bool Repeat = false;
    bool AutoScrap = false;
    std::string OnPlayEnd;
    bool Paused = false;

private:
    void Show(int32_t f);
    // The track object the last hit test found, if it is still there.
    TRuvoControl* HitTrack() const;

    TFilmManager film_;
    TFilmSounds sounds_;
    std::unique_ptr<TSurfaceFilmStage> stage_;
    std::unique_ptr<TRuvoBaseListCinema> tracks_;
    TCustomDIBX* shown_ = nullptr;  // the stage's picture: a base of the private world, or a transition
    TObjectId hitTrack_ = 0;        // in the private world
    double elapsed_ = 0;            // ms
    bool started_ = false;
    bool finished_ = false;
    int32_t frame_ = -1;
    uint32_t randomState_ = 1;
};

} // namespace ruvo
