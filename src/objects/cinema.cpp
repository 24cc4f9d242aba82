#include "objects/cinema.hpp"

#include <algorithm>
#include <cmath>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "graphics/filmstage.hpp"
#include "graphics/picturecache.hpp"
#include "objects/customimage.hpp"
#include "objects/filmmotion.hpp"
#include "objects/propaccess.hpp"
#include "objects/world.hpp"
#include "script/services.hpp"

namespace ruvo {

TRuvoCinema::TRuvoCinema(TRuvoBaseList* owner) : TRuvoControl(owner) {}

TRuvoCinema::~TRuvoCinema() = default;

void TRuvoCinema::SetSource(std::string source) {
    if (source == Source) return;
    Source = std::move(source);
    Invalidate();
    film_.Clear();
    stage_.reset();
    elapsed_ = 0;
    started_ = finished_ = false;
    frame_ = -1;
    TPictureCache* cache = Owner ? Owner->Pictures() : nullptr;
    if (cache && IsFilmName(Source)) {
        try {
            if (film_.LoadFromFile(cache->Files(), Source)) {
                TCachePictures pictures(*cache);
                film_.LoadResources(pictures);
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
    if (!ended) return false;
    if (AutoScrap) return true;
    Raise(static_cast<uint8_t>(PR_ONPLAYEND));
    return false;
}

void TRuvoCinema::Show(int32_t f) {
    frame_ = f;
    stage_->Render(film_, f);
    Invalidate();
}

void TRuvoCinema::Paint() {
    TCustomDIBX* target = GetSurface();
    if (target && stage_ && frame_ >= 0) {
        TDIBX& screen = stage_->Screen();
        DrawPicture(*target, ScreenLeft(), ScreenTop(), screen, TRect{0, 0, screen.GetWidth(), screen.GetHeight()},
                    nullptr, 255, false, false);
    }
    PaintChildren();
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
