#include "objects/motion/filmmotion.hpp"

#include <algorithm>
#include <cmath>

#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/sjis.hpp"
#include "graphics/film/filmtransition.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/base/control.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"
#include "archive/playerservices.hpp"
#include "text/captions.hpp"
#include "text/gxword.hpp"

namespace ruvo {

// A damaged picture shows nothing.
std::shared_ptr<const TPicture> TCachePictures::Picture(const std::string& gameName) {
    try {
        return cache_.Acquire(gameName);
    } catch (const ERuvoError&) {
        return nullptr;
    }
}

TRandomFunction FilmRandom(uint32_t& state) {
    return [&state](int32_t n) {
        state = state * 1103515245u + 12345u;
        return n > 0 ? static_cast<int32_t>((state >> 8) % static_cast<uint32_t>(n)) : 0;
    };
}

int32_t FilmFrameAt(double& elapsed, const TFilmManager& film, bool repeat, bool& ended) {
    const int32_t length = film.Length();
    const int64_t f = std::llround(std::clamp(elapsed / kFilmFrameMs, 0.0, 4e18));
    ended = false;
    if (f < length) return static_cast<int32_t>(f);
    if (!repeat) {
        ended = true;
        return std::max(length - 1, 0);
    }
    if (length <= 0) return 0;
    const int64_t again = std::min<int64_t>(f % length + std::max(film.LoopStart, 0), length - 1);
    elapsed = std::round(double(again) * kFilmFrameMs);
    return static_cast<int32_t>(again);
}

bool IsFilmName(const std::string& name) { return SameTextAscii(ExtensionOf(name), ".rmt"); }

TFilmMotion::TFilmMotion(TRuvoControl& control) : control_(control), sounds_(control) {}

TFilmMotion::~TFilmMotion() = default;

void TFilmMotion::Load(const std::string& file) {
    TPictureCache* cache = control_.Owner ? control_.Owner->Pictures() : nullptr;
    if (!cache) return;
    try {
        if (!film_.LoadFromFile(cache->Files(), file)) return;
        // Label tracks are drawn with the text engine's captions.
        TFilmCaptions captions(control_.Owner->TextObjects().Text().Fonts, cache->DisplayBitCount());
        TCachePictures pictures(*cache, &captions);
        film_.LoadResources(pictures);
    } catch (const ERuvoError&) {
        film_.Clear();  // a missing or damaged frame list plays as an empty one
        return;
    }
    film_.SetStage(this);
    film_.SetSoundOutput(&sounds_);
}

void TFilmMotion::Restart() {
    elapsed_ = 0;
    countdown_ = 2;
    finished_ = false;
}

void TFilmMotion::GoToFrame(int32_t i) {
    elapsed_ = i * kFilmFrameMs;
    finished_ = false;
}

bool TFilmMotion::Step() {
    // Setting Left or Top puts the control back at its own place; the film's place is given again.
    bool reanchored = frame_ >= 0 && (control_.MotionX != placedX_ || control_.MotionY != placedY_);
    // A move while the film is being placed (countdown 1) counts too, or it would be missed for good.
    if (countdown_ < 2 && film_.PositionRelative && (control_.Left != seenLeft_ || control_.Top != seenTop_)) {
        anchorX_ = control_.Left;
        anchorY_ = control_.Top;
        finished_ = false;
        reanchored = true;
    }
    if (finished_) return false;
    if (countdown_ == 2) {
        anchorX_ = film_.PositionRelative ? control_.Left : 0;
        anchorY_ = film_.PositionRelative ? control_.Top : 0;
    }
    // PR_PAUSED holds a motion as PR_ANIPAUSED does: PR_PLAYING reads both.
    if (countdown_ == 0 && !control_.AnimationPaused() && !control_.IsPaused())
        elapsed_ += control_.Owner ? control_.Owner->Services().FrameTime() : 0;
    bool ended = false;
    const int32_t f = FilmFrameAt(elapsed_, film_, GetFlagProperty(control_, PR_REPEAT), ended);
    if (ended) finished_ = true;
    if (countdown_ == 2 || frame_ != f || reanchored) Show(f);
    sounds_.Step();
    if (countdown_ > 0) --countdown_;
    seenLeft_ = control_.Left;
    seenTop_ = control_.Top;
    return ended;
}

void TFilmMotion::Show(int32_t f) {
    control_.Invalidate();
    frame_ = f;
    film_.Update(f);
    if (film_.Count() > 0 && drawnBase_ != film_.BaseIndex() && !(control_.Owner && control_.Owner->InTransition()))
        drawnBase_ = film_.BaseIndex();
    int32_t width = film_.StageWidth, height = film_.StageHeight;
    if ((width < 1 || height < 1) && control_.Owner) {
        width = control_.Owner->Width();
        height = control_.Owner->Height();
    }
    control_.MotionX = Saturate(int64_t{anchorX_} - film_.OffsetX);
    control_.MotionY = Saturate(int64_t{anchorY_} - film_.OffsetY);
    placedX_ = control_.MotionX;
    placedY_ = control_.MotionY;
    control_.Width = std::max(width, 0);
    control_.Height = std::max(height, 0);
    const TCustomFrameList* root = film_.FirstRootTrack();
    const int32_t sub = root ? root->Priority : 0;
    if (sub != control_.SubPriority) {
        control_.SubPriority = sub;
        if (TRuvoControl* parent = control_.Parent()) parent->SortChildren();
    }
    control_.Invalidate();
}

void TFilmMotion::Paint(TCustomDIBX& target) {
    if (frame_ < 0 || !control_.GetVisible()) return;
    // The tracks' coordinates are the stage's: the film's offset is the stage point at the anchor.
    const TFilmCanvas canvas{target, control_.ScreenLeft(), control_.ScreenTop()};
    film_.Draw(canvas, drawnBase_);
}

void TFilmMotion::ShowBase(int base) {
    drawnBase_ = base;
    EndTransition();
}

// The world leaves ending a transition to whoever started it.
void TFilmMotion::EndTransition() {
    if (!ownsTransition_) return;
    ownsTransition_ = false;
    if (TRuvoBaseList* world = control_.Owner; world && world->InTransition()) world->SetActive(world->ActiveIndex());
}

// A transition track changes the screen the way the flip command does: the world keeps the picture
// shown and changes from it to what the control draws next, the track's new base.
void TFilmMotion::ShowTransition(const TWipeFrameList& track, int from, int32_t elapsed, bool restart) {
    drawnBase_ = 1 - from;
    TRuvoBaseList* world = control_.Owner;
    if (!world) return;
    const int32_t elapsedMs = Saturate(std::llround(elapsed * kFilmFrameMs));
    if (!restart) {
        // The track's last frame shows the new picture whole: a motion that ends there leaves it so.
        if (elapsed >= track.Length - 1) EndTransition();
        else if (ownsTransition_ && world->InTransition()) world->SetTransitionElapsed(elapsedMs);
        return;
    }
    TWipeSettings settings{.Type = track.Type,
                           .Duration = std::max(1, Saturate(std::llround(track.Length * kFilmFrameMs))),
                           .Reverse = track.Reverse != 0};
    if (track.HasParams()) {
        settings.Param0 = track.Param0;
        settings.Param1 = track.Param1;
    }
    settings.Rule = track.Rule();
    world->SetActive(world->ActiveIndex(), settings, FilmRandom(randomState_), true, elapsedMs);
    ownsTransition_ = world->InTransition();
}

void LoadMotion(TRuvoControl& control, const std::string& file) {
    control.FreeMotion();
    if (!IsFilmName(file)) return;
    auto motion = std::make_unique<TFilmMotion>(control);
    motion->Load(file);
    control.AttachMotion(std::move(motion));
}

} // namespace ruvo
