#include "objects/images/images.hpp"

#include <algorithm>
#include <limits>

#include "archive/gamepath.hpp"
#include "archive/serializer.hpp"
#include "archive/sjis.hpp"
#include "objects/motion/filmmotion.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

bool IsLayeredImageName(const std::string& name) {
    return SameTextAscii(ExtensionOf(ParsePictureName(name).File), ".zph");
}

// ---- the animation

bool TRuvoCustomImages::Update() {
    if (TRuvoCustomImage::Update()) return true;
    const int n = FrameCount();
    if (GetMotion() || Index < 0 || Index >= n || !GetVisible() || Paused || AnimationPaused()) return false;
    if (Remaining > 0) Remaining = Saturate(int64_t{Remaining} - (Owner ? Owner->Services().FrameTime() : 0));
    // Each step adds a delay of at least 1 ms, and the walk ends at the last frame.
    while (Remaining < 1) {
        if (Index < n - 1) {
            if (n <= 2) Remaining = 0;
            GoTo(Index + 1);
            continue;
        }
        if (Repeats()) {
            Remaining = 0;
            GoTo(0);
        } else if (Scraps()) {
            return true;
        } else {
            PlayEnded();
        }
        break;
    }
    return false;
}

void TRuvoCustomImages::PlayEnded() { RaiseAgain(static_cast<uint8_t>(PR_ONPLAYEND)); }

bool TRuvoCustomImages::Playing() const {
    if (GetMotion()) return TRuvoCustomImage::Playing();
    const int n = Frames().Count();
    if (Index < 0 || Index >= n || Paused || AnimationPaused()) return false;
    return Repeats() || Index < n - 1 || Remaining >= 1;
}

void TRuvoCustomImages::GoTo(int32_t index) {
    if (TRuvoMotion* motion = GetMotion()) {
        motion->GoToFrame(index);
        return;
    }
    Invalidate();
    Index = index;
    const int n = FrameCount();
    if (index >= 0 && index < n) {
        const TRuvoImageList::TShown f = Frames().Frame(index, Brightness);
        Borrow(f.surface, f.mask, f.rects);
        Remaining = Saturate(int64_t{Remaining} + f.delay);
        if (index == n - 1 && n > 1 && !LastFrameWait.Empty() && Owner)
            Remaining = Saturate(int64_t{Remaining} + Owner->EvaluateInt(LastFrameWait));
    }
    RecomputeSize();
    Invalidate();
}

int32_t TRuvoCustomImages::ShownIndex() const {
    return GetMotion() ? GetMotion()->Frame() : Index;
}

void TRuvoCustomImages::SetBrightness(int32_t brightness) {
    brightness = std::clamp(brightness, -255, 255);
    if (brightness == Brightness) return;
    Brightness = brightness;
    if (Index < 0 || Index >= FrameCount()) return;
    const TRuvoImageList::TShown f = Frames().Frame(Index, Brightness);
    Borrow(f.surface, f.mask, f.rects);
    Invalidate();
}

void TRuvoCustomImages::SetPaused(bool on) {
    if (on != Paused) Remaining = 0;
    Paused = on;
}

void TRuvoCustomImages::ShowSource(const std::string& source) {
    Invalidate();
    Index = -1;
    Borrow(nullptr, nullptr, nullptr);
    Frames().Clear();
    FreeMotion();
    if (IsLayeredImageName(source)) {
        Frames().Load(Owner ? Owner->Pictures() : nullptr, source);
    } else if (IsFilmName(source)) {
        // Stepping once places the object at the film's start at once; the clock starts afresh.
        LoadMotion(*this, source);
        GetMotion()->Step();
        GetMotion()->Restart();
        return;
    }
    if (FrameCount() > 0) GoTo(0);
    else RecomputeSize();
}

void TRuvoCustomImages::RestoreFrame(int32_t index, int32_t remaining) {
    if (index != Index) GoTo(index);
    Remaining = remaining;
}

void TRuvoCustomImages::TakeCreationExpression(int id, const TRuvoParser& expression) {
    if (id == PR_DELAY) LastFrameWait.CloneFrom(expression);
}

const TPropertyMap& TRuvoCustomImages::ClassProperties() {
    static const TPropertyMap map = [] {
        using I = TRuvoCustomImages;
        TPropertyMap m(TRuvoCustomImage::ClassProperties());
        m.Int<I>(PR_INDEX, [](I& i) { return i.ShownIndex(); }, [](I& i, int32_t v) { i.GoTo(v); });
        m.Int<I>(PR_COUNT, [](I& i) { return i.GetMotion() ? i.GetMotion()->Length() : int32_t(i.FrameCount()); });
        m.Int<I>(PR_BRIGHTNESS, [](I& i) { return i.Brightness; }, [](I& i, int32_t v) { i.SetBrightness(v); });
        m.Flag<I>(PR_PAUSED, [](I& i) { return i.Paused; }, [](I& i, bool v) { i.SetPaused(v); });
        m.Flag<I>(PR_VISIBLE, [](I& i) { return i.GetVisible(); }, [](I& i, bool v) {
            if (v != i.OwnVisible) i.Remaining = 0;
            i.SetVisible(v);
        });
        return m;
    }();
    return map;
}

void TRuvoCustomImages::Sync(TSerializer& s) {
    TRuvoCustomImage::Sync(s);
    s.Int(Remaining);
    if (s.Loading()) {
        s.Int(Index);
    } else {
        int32_t index = ShownIndex();
        s.Int(index);
    }
    s.Int(Brightness);
    s.Bool(Paused);
    if (s.Loading()) {
        Brightness = std::clamp(Brightness, -255, 255);
        LastFrameWait.LoadFromStream(s.Stream());
    } else {
        LastFrameWait.SaveToStream(s.Stream());
    }
}

// ---- the images object

void TRuvoImages::SetSource(std::string source) {
    if (source == Source) return;
    Source = std::move(source);
    ShowSource(Source);
}

const TPropertyMap& TRuvoImages::ClassProperties() {
    static const TPropertyMap map = [] {
        using I = TRuvoImages;
        TPropertyMap m(TRuvoCustomImages::ClassProperties());
        m.Str<I>(PR_SOURCE, [](I& i) { return i.Source; }, [](I& i, std::string v) { i.SetSource(std::move(v)); });
        m.Flag<I>(PR_REPEAT, [](I& i) { return i.Repeat; }, [](I& i, bool v) { i.Repeat = v; });
        m.Flag<I>(PR_AUTOSCRAP, [](I& i) { return i.AutoScrap; }, [](I& i, bool v) { i.AutoScrap = v; });
        m.Str<I>(PR_ONPLAYEND, [](I& i) { return i.OnPlayEnd; }, [](I& i, std::string v) { i.OnPlayEnd = std::move(v); });
        m.Str<I>(PR_ONIDLE, [](I& i) { return i.OnIdle; }, [](I& i, std::string v) { i.OnIdle = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoImages::Sync(TSerializer& s) {
    TRuvoCustomImages::Sync(s);
    const int32_t index = Index, remaining = Remaining;
    s.Bool(Repeat);
    s.Bool(AutoScrap);
    std::string source = Source;
    s.Str(source);
    s.Str(OnPlayEnd);
    s.Str(OnIdle, 104);
    if (!s.Loading()) return;
    Source.clear();
    SetSource(std::move(source));
    RestoreFrame(index, remaining);
}

} // namespace ruvo
