#include "objects/images/cinema.hpp"

#include <algorithm>
#include <cmath>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "graphics/film/filmstage.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/images/cinemaworld.hpp"
#include "objects/images/customimage.hpp"
#include "objects/motion/filmmotion.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

TRuvoCinema::TRuvoCinema(TRuvoBaseList* owner) : TRuvoControl(owner), sounds_(*this) {}

TRuvoCinema::~TRuvoCinema() = default;

void TRuvoCinema::SetSource(std::string source) {
    if (source == Source) return;
    Source = std::move(source);
    Invalidate();
    sounds_.StopAll();
    film_.Clear();
    tracks_.reset();
    stage_.reset();
    shown_ = nullptr;
    hitTrack_ = 0;
    elapsed_ = 0;
    started_ = finished_ = false;
    frame_ = -1;
    TPictureCache* cache = Owner ? Owner->Pictures() : nullptr;
    if (cache && IsFilmName(Source)) {
        try {
            if (film_.LoadFromFile(cache->Files(), Source)) {
                TCachePictures pictures(*cache);
                film_.LoadResources(pictures);
                film_.SetSoundOutput(&sounds_);
            }
        } catch (const ERuvoError&) {
            film_.Clear();  // a missing or damaged frame list shows nothing
        }
    }
    if (film_.Count() > 0) {
        int32_t w = film_.StageWidth, h = film_.StageHeight;
        if ((w < 1 || h < 1) && Owner) {
            w = Owner->Width();
            h = Owner->Height();
        }
        // The stage holds two bases and a screen: it stays within what the world may be.
        w = std::clamp(w, 1, TRuvoBaseList::kMaxSide);
        h = std::clamp<int32_t>(h, 1, static_cast<int32_t>(TRuvoBaseList::kMaxPixels / w));
        stage_ = std::make_unique<TSurfaceFilmStage>(w, h, cache->DisplayBitCount(), FilmRandom(randomState_));
        film_.SetStage(stage_.get());
        tracks_ = std::make_unique<TRuvoBaseListCinema>(*Owner, film_, w, h);
        Width = w;
        Height = h;
    } else {
        Width = Height = 0;
    }
    Invalidate();
}

void TRuvoCinema::GoToFrame(int32_t i) {
    elapsed_ = std::max(0, i) * kFilmFrameMs;
    finished_ = false;
}

bool TRuvoCinema::Playing() const { return stage_ && !finished_ && !Paused && !AnimationPaused(); }

bool TRuvoCinema::Update() {
    if (TRuvoControl::Update()) return true;
    if (!stage_ || finished_) return false;
    // The first update shows frame 0; the clock runs from the next.
    if (started_ && !Paused && !AnimationPaused()) elapsed_ += Owner ? Owner->Services().FrameTime() : 0;
    started_ = true;
    bool ended = false;
    const int32_t f = FilmFrameAt(elapsed_, film_, Repeat, ended);
    if (ended) finished_ = true;
    if (f != frame_) Show(f);
    sounds_.Step();
    if (!ended) return false;
    if (AutoScrap) return true;
    Raise(static_cast<uint8_t>(PR_ONPLAYEND));
    return false;
}

// The film to frame f, its track objects after it, and the outer screen repainted where the picture
// changed: the bases' changed parts, or the whole stage when the base shown changes or a transition
// runs.
void TRuvoCinema::Show(int32_t f) {
    frame_ = f;
    film_.Update(f);
    tracks_->Show(stage_->ShownBase());
    TCustomDIBX* before = shown_;
    shown_ = &stage_->Compose(tracks_->Base(0), tracks_->Base(1));
    if (shown_ != before || shown_ == &stage_->Screen()) {
        Invalidate();
        return;
    }
    const int32_t x = ScreenLeft(), y = ScreenTop();
    for (const TRect& r : tracks_->Changed())
        Invalidate(TRect{Saturate(int64_t{r.Left} + x), Saturate(int64_t{r.Top} + y), Saturate(int64_t{r.Right} + x),
                         Saturate(int64_t{r.Bottom} + y)});
}

void TRuvoCinema::Paint() {
    TCustomDIBX* target = GetSurface();
    if (target && shown_ && frame_ >= 0)
        DrawPicture(*target, ScreenLeft(), ScreenTop(), *shown_, TRect{0, 0, shown_->GetWidth(), shown_->GetHeight()},
                    nullptr, 255, false, false);
    PaintChildren();
}

bool TRuvoCinema::Opaque() const {
    return shown_ && frame_ >= 0 && shown_->TransparentColor == -1 && shown_->GetWidth() >= Width &&
           shown_->GetHeight() >= Height;
}

TRuvoControl* TRuvoCinema::TrackAt(int32_t x, int32_t y, TMouseMask mask) const {
    if (!tracks_ || frame_ < 0) return nullptr;
    const TRect r = ScreenRect();
    if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) return nullptr;
    return tracks_->TrackAt(stage_->ShownBase(), x - r.Left, y - r.Top, mask);
}

TRuvoControl* TRuvoCinema::HitTrack() const {
    TRuvoObject* o = tracks_ && hitTrack_ ? tracks_->World().Lookup(hitTrack_) : nullptr;
    return o ? o->AsControl() : nullptr;
}

// Controls inside the cinema lie over its stage; then a track object that takes the pointer makes the
// cinema the target; else the cinema's own mode decides.
TRuvoControl* TRuvoCinema::HitTest(int32_t x, int32_t y, TMouseMask mask) {
    hitTrack_ = 0;
    if (!GetVisible()) return nullptr;
    const TRect r = ScreenRect();
    if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) return nullptr;
    for (auto it = Children().rbegin(); it != Children().rend(); ++it)
        if (TRuvoControl* hit = (*it)->HitTest(x, y, mask)) return hit;
    if (TRuvoControl* track = TrackAt(x, y, mask)) {
        hitTrack_ = track->Id();
        return this;
    }
    return ModeIn(mask) ? this : nullptr;
}

namespace {

// A press on a track object is taken as that object's mouse mode allows.
class TModeOfTrack {
public:
    TModeOfTrack(TRuvoControl& cinema, const TRuvoControl* track) : cinema_(cinema), own_(cinema.MouseMode) {
        if (track) cinema.MouseMode = track->MouseMode;
    }
    ~TModeOfTrack() { cinema_.MouseMode = own_; }
    TModeOfTrack(const TModeOfTrack&) = delete;
    TModeOfTrack& operator=(const TModeOfTrack&) = delete;

private:
    TRuvoControl& cinema_;
    uint8_t own_;
};

} // namespace

void TRuvoCinema::LeftDown() {
    TModeOfTrack mode(*this, HitTrack());
    TRuvoControl::LeftDown();
}

void TRuvoCinema::RightDown() {
    TModeOfTrack mode(*this, HitTrack());
    TRuvoControl::RightDown();
}

std::string TRuvoCinema::GetCursorFile() const {
    const TRuvoControl* track = HitTrack();
    return track && !track->GetCursorFile().empty() ? track->GetCursorFile() : TRuvoControl::GetCursorFile();
}

const TPropertyMap& TRuvoCinema::ClassProperties() {
    static const TPropertyMap map = [] {
        using C = TRuvoCinema;
        TPropertyMap m(TRuvoControl::ClassProperties());
        m.Str<C>(PR_SOURCE, [](C& c) { return c.Source; }, [](C& c, std::string v) { c.SetSource(std::move(v)); });
        m.Flag<C>(PR_REPEAT, [](C& c) { return c.Repeat; }, [](C& c, bool v) {
            c.Repeat = v;
            if (v) c.finished_ = false;  // a cinema that had ended plays on
        });
        m.Flag<C>(PR_AUTOSCRAP, [](C& c) { return c.AutoScrap; }, [](C& c, bool v) { c.AutoScrap = v; });
        m.Str<C>(PR_ONPLAYEND, [](C& c) { return c.OnPlayEnd; }, [](C& c, std::string v) { c.OnPlayEnd = std::move(v); });
        m.Flag<C>(PR_PAUSED, [](C& c) { return c.Paused; }, [](C& c, bool v) { c.Paused = v; });
        m.Int<C>(PR_INDEX, [](C& c) { return c.Frame(); }, [](C& c, int32_t v) { c.GoToFrame(v); });
        m.Int<C>(PR_COUNT, [](C& c) { return c.Length(); });
        return m;
    }();
    return map;
}

void TRuvoCinema::Sync(TSerializer& s) {
    TRuvoControl::Sync(s);
    std::string source = Source;
    s.Str(source);
    s.Bool(Repeat);
    s.Bool(AutoScrap);
    s.Str(OnPlayEnd);
    s.Bool(Paused);
    int32_t elapsed = static_cast<int32_t>(std::clamp(elapsed_, 0.0, 2e9));
    s.Int(elapsed);
    if (!s.Loading()) return;
    Source.clear();
    SetSource(std::move(source));
    elapsed_ = std::max(0, elapsed);
}

} // namespace ruvo
