#pragma once
// The motion player for frame lists (".rmt"): a control whose source is a frame list plays it, counting
// the game clock's milliseconds as frames of 1/60 s. The film's tracks are drawn into the control's
// screen over the film's stage, whose top-left lies at the anchor less the film's offset; the anchor is
// the control's Left/Top for position-relative films (followed when the control moves), else (0, 0).
// Transition tracks change the screen through the world's own transitions.
#include <cstdint>
#include <memory>
#include <string>

#include "graphics/film/filmmanager.hpp"
#include "objects/media/filmsounds.hpp"
#include "graphics/wipes/wipes.hpp"
#include "objects/motion/motion.hpp"

namespace ruvo {

class TPictureCache;
class TRuvoControl;

// A film's pictures from the world's picture cache, so that a picture shown by images, motions and
// cinemas is decoded once; label tracks rendered by `labels` when given.
class TCachePictures final : public TFilmResources {
public:
    explicit TCachePictures(TPictureCache& cache, TFilmLabelRenderer* labels = nullptr)
        : cache_(cache), labels_(labels) {}
    std::shared_ptr<const TPicture> Picture(const std::string& gameName) override;
    TFilmLabelRenderer* Labels() override { return labels_; }

private:
    TPictureCache& cache_;
    TFilmLabelRenderer* labels_;
};

// The chance the transitions of frame lists draw on: a sequence of the player's own kept in `state`,
// so that a film looks the same every time it plays.
TRandomFunction FilmRandom(uint32_t& state);

// Frame lists count frames of 1/60 s.
constexpr double kFilmFrameMs = 1000.0 / 60.0;

// The frame of a film `elapsed` ms in (60 frames a second). Past the end a repeating film goes on from
// its loop start (elapsed is set back to match); another one stays on its last frame and `ended` is set.
int32_t FilmFrameAt(double& elapsed, const TFilmManager& film, bool repeat, bool& ended);

// Whether a source names a frame list (".rmt", any case).
bool IsFilmName(const std::string& name);

class TFilmMotion final : public TRuvoMotion, private TFilmStage {
public:
    explicit TFilmMotion(TRuvoControl& control);
    ~TFilmMotion() override;

    // Reads the frame list and its pictures through the world's picture cache. A name that is not a
    // frame list, or a damaged one, gives an empty timeline (the control shows nothing of it).
    void Load(const std::string& file);

    bool Step() override;
    bool Finished() const noexcept override { return finished_; }
    void Restart() override;
    void Paint(TCustomDIBX& target) override;
    int32_t Length() const override { return film_.Length(); }
    int32_t Frame() const override { return frame_; }
    void GoToFrame(int32_t i) override;

    const TFilmManager& Film() const noexcept { return film_; }
    double ElapsedMs() const noexcept { return elapsed_; }

private:
    // Shows frame f: the tracks move, the control takes the stage's place and the first root track's
    // priority, and the area is repainted.
    void Show(int32_t f);
    void ShowBase(int base) override;
    void ShowTransition(const TWipeFrameList& track, int from, int32_t elapsed, bool restart) override;
    void EndTransition();

    TRuvoControl& control_;
    TFilmManager film_;
    TFilmSounds sounds_;
    double elapsed_ = 0;   // ms
    int countdown_ = 2;    // steps until the clock runs: the first shows frame 0 where the control is
    bool finished_ = false;
    int32_t frame_ = -1;   // shown; -1 before the first
    int32_t seenLeft_ = 0, seenTop_ = 0;
    int32_t anchorX_ = 0, anchorY_ = 0;
    int32_t placedX_ = 0, placedY_ = 0;  // MotionX/MotionY as the last Show set them
    int drawnBase_ = 0;    // the film's base drawn: the one shown, or the one a transition leads to
    uint32_t randomState_ = 1;
    bool ownsTransition_ = false;  // the world's running transition is this motion's
};

// Frees any motion of the control and, for a frame-list name, attaches a new one and loads it.
void LoadMotion(TRuvoControl& control, const std::string& file);

} // namespace ruvo
