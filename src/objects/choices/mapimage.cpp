#include "objects/choices/mapimage.hpp"

#include <algorithm>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/surface/customdibx.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace {

constexpr uint8_t Code(int id) { return static_cast<uint8_t>(id); }

} // namespace

// ---- pictures and regions

void TRuvoMapImage::SetSource(std::string source) {
    if (source == Source) return;
    Source = std::move(source);
    ShowSource(Source);
}

void TRuvoMapImage::SetHoverSource(std::string source) {
    if (source == HoverSource) return;
    HoverSource = std::move(source);
    Invalidate(HoverRect());
    hoverFrames_.Clear();
    if (IsLayeredImageName(HoverSource)) hoverFrames_.Load(Owner ? Owner->Pictures() : nullptr, HoverSource);
    ShowHoverFrame(0);
}

void TRuvoMapImage::SetMapSource(std::string source) {
    SetHoverRegion(-1);
    regions_.Regions.clear();
    MapSource = std::move(source);
    TPictureCache* pictures = Owner ? Owner->Pictures() : nullptr;
    if (MapSource.empty() || !pictures || !pictures->Files().Exists(MapSource)) return;
    WithContext([&] { return "reading the region map " + MapSource; }, [&] {
        TMemoryStream content;
        pictures->Files().Load(content, MapSource);
        content.Seek(0, SeekOrigin::Begin);
        regions_.LoadFromStream(content);
    });
}

void TRuvoMapImage::SetRClickScrap(bool on) {
    RClickScrap = on;
    if (on && Owner) Owner->AddRightClickTarget(*this);
}

int TRuvoMapImage::RegionAtScreen(int32_t x, int32_t y) const noexcept {
    return regions_.RegionAt(Saturate(int64_t{x} - ScreenLeft()), Saturate(int64_t{y} - ScreenTop()));
}

TRect TRuvoMapImage::HoverRect() const {
    if (HoverRegion < 0 || HoverRegion >= regions_.Count()) return {};
    const TRect b = regions_.Regions[static_cast<size_t>(HoverRegion)].Bounds();
    const int64_t x = ScreenLeft(), y = ScreenTop();
    return TRect{Saturate(x + b.Left), Saturate(y + b.Top), Saturate(x + b.Right), Saturate(y + b.Bottom)};
}

void TRuvoMapImage::SetHoverRegion(int region) {
    if (region == HoverRegion) return;
    auto parameters = [this](int i) {
        return std::vector<std::string>{regions_.Regions[static_cast<size_t>(i)].Name, std::to_string(i)};
    };
    if (HoverRegion >= 0 && HoverRegion < regions_.Count()) Raise(Code(PR_ONMAPOUT), parameters(HoverRegion));
    Invalidate(HoverRect());
    HoverRegion = region;
    ShowHoverFrame(0);
    if (region >= 0 && region < regions_.Count()) Raise(Code(PR_ONMAPIN), parameters(region));
}

void TRuvoMapImage::ShowHoverFrame(int index) {
    hoverRemaining_ = 0;
    hoverIndex_ = index >= 0 && index < hoverFrames_.Count() ? index : -1;
    if (hoverIndex_ >= 0) hoverRemaining_ = hoverFrames_.Frame(hoverIndex_, Brightness).delay;
    Invalidate(HoverRect());
}

void TRuvoMapImage::StepHoverPicture() {
    const int n = hoverFrames_.Count();
    if (hoverIndex_ < 0 || n < 2 || HoverRegion < 0) return;
    hoverRemaining_ = Saturate(int64_t{hoverRemaining_} - (Owner ? Owner->Services().FrameTime() : 0));
    int index = hoverIndex_;
    int32_t remaining = hoverRemaining_;
    // The hover picture loops; each frame lasts at least 1 ms, and one update moves at most one round.
    for (int steps = 0; remaining < 1 && steps < n; ++steps) {
        index = (index + 1) % n;
        remaining = Saturate(int64_t{remaining} + std::max(hoverFrames_.Frame(index, Brightness).delay, 1));
    }
    if (index != hoverIndex_) Invalidate(HoverRect());
    hoverIndex_ = index;
    hoverRemaining_ = std::max(remaining, 1);
}

// The hover picture inside the hovered region's shape, row by row: pixel (x, y) of the map shows pixel
// (x, y) of the hover picture.
void TRuvoMapImage::PaintOver(TCustomDIBX& target) {
    if (hoverIndex_ < 0 || HoverRegion < 0 || HoverRegion >= regions_.Count() || Alpha < 1) return;
    const TRuvoImageList::TShown f = hoverFrames_.Frame(hoverIndex_, Brightness);
    if (!f.surface) return;
    const TMapRegion& region = regions_.Regions[static_cast<size_t>(HoverRegion)];
    const int64_t left = ScreenLeft(), top = ScreenTop();
    // Only what the picture, the map and the surface's clip have in common.
    const TRect clip = Intersect(target.EffectiveClip(), ScreenRect());
    TRect area = Intersect(region.Bounds(), TRect{0, 0, f.surface->GetWidth(), f.surface->GetHeight()});
    area = Intersect(area, TRect{Saturate(clip.Left - left), Saturate(clip.Top - top), Saturate(clip.Right - left),
                                 Saturate(clip.Bottom - top)});
    for (int32_t y = area.Top; y < area.Bottom; ++y)
        for (int32_t x = area.Left; x < area.Right;) {
            if (!region.Contains(x, y)) {
                ++x;
                continue;
            }
            int32_t end = x + 1;
            while (end < area.Right && region.Contains(end, y)) ++end;
            DrawPicture(target, Saturate(left + x), Saturate(top + y), *f.surface, TRect{x, y, end, y + 1}, f.mask, Alpha,
                        false, false);
            x = end;
        }
}

// ---- the phases and the pointer

bool TRuvoMapImage::Update() {
    if (Phase == kClosed) return true;
    if (Phase == kClose) {
        Closing = true;
        Phase = kClosed;
        return false;
    }
    if (TRuvoCustomImages::Update()) return true;
    if (!AnimationPaused() && !Paused) StepHoverPicture();
    return false;
}

void TRuvoMapImage::MouseMove() {
    if (!Closing)
        if (const TRuvoBase* base = GetBase()) SetHoverRegion(RegionAtScreen(base->PointerX, base->PointerY));
    TRuvoCustomImages::MouseMove();
}

void TRuvoMapImage::MouseLeave() {
    if (!Closing) SetHoverRegion(-1);
    TRuvoCustomImages::MouseLeave();
}

void TRuvoMapImage::LeftDown() {
    const TRuvoBase* base = GetBase();
    // The press counts where it lands, even without a move before it.
    if (base && !Closing) SetHoverRegion(RegionAtScreen(base->PointerX, base->PointerY));
    if (base && ModeIn(kLeftPressMask) && !Paused && HoverRegion >= 0 && HoverRegion < regions_.Count()) {
        const std::string name = regions_.Regions[static_cast<size_t>(HoverRegion)].Name;
        if (Owner) Owner->SetChoice(name, HoverRegion);
        if (!Closing) Raise(Code(PR_ONSELECT), {name, std::to_string(HoverRegion)});
        if (AutoScrap) Phase = kClose;
    }
    TRuvoCustomImages::LeftDown();
}

bool TRuvoMapImage::RightClickCancel() {
    if (Closing || !(ModeIn(kRightPressMask))) return false;
    Closing = true;
    if (Owner) Owner->SetChoice("", -1);
    Phase = kClose;
    return true;
}

// ---- properties and the persisted form

const TPropertyMap& TRuvoMapImage::ClassProperties() {
    static const TPropertyMap map = [] {
        using M = TRuvoMapImage;
        TPropertyMap m(TRuvoCustomImages::ClassProperties());
        m.Str<M>(PR_SOURCE, [](M& i) { return i.Source; }, [](M& i, std::string v) { i.SetSource(std::move(v)); });
        m.Str<M>(PR_HOVERSOURCE, [](M& i) { return i.HoverSource; },
                 [](M& i, std::string v) { i.SetHoverSource(std::move(v)); });
        m.Str<M>(PR_MAPSOURCE, [](M& i) { return i.MapSource; }, [](M& i, std::string v) { i.SetMapSource(std::move(v)); });
        m.Flag<M>(PR_AUTOSCRAP, [](M& i) { return i.AutoScrap; }, [](M& i, bool v) { i.AutoScrap = v; });
        m.Flag<M>(PR_RCLICKSCRAP, [](M& i) { return i.RClickScrap; }, [](M& i, bool v) { i.SetRClickScrap(v); });
        m.Str<M>(PR_ONSELECT, [](M& i) { return i.OnSelect; }, [](M& i, std::string v) { i.OnSelect = std::move(v); });
        m.Str<M>(PR_ONMAPIN, [](M& i) { return i.OnMapIn; }, [](M& i, std::string v) { i.OnMapIn = std::move(v); });
        m.Str<M>(PR_ONMAPOUT, [](M& i) { return i.OnMapOut; }, [](M& i, std::string v) { i.OnMapOut = std::move(v); });
        m.Str<M>(PR_ONIDLE, [](M& i) { return i.OnIdle; }, [](M& i, std::string v) { i.OnIdle = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoMapImage::Sync(TSerializer& s) {
    TRuvoCustomImages::Sync(s);
    const int32_t index = Index, remaining = Remaining;
    std::string source = Source, hover = HoverSource, map = MapSource;
    s.Str(source);
    s.Str(hover);
    s.Str(map);
    s.Bool(AutoScrap);
    s.Bool(RClickScrap);
    s.Str(OnSelect);
    s.Str(OnMapIn);
    s.Str(OnMapOut);
    s.Str(OnIdle);
    s.Bool(Closing);
    s.Int(Phase);
    if (!s.Loading()) return;
    if (Phase != kClose && Phase != kClosed) Phase = kShown;
    Source.clear();
    SetSource(std::move(source));
    RestoreFrame(index, remaining);
    HoverSource.clear();
    SetHoverSource(std::move(hover));
    SetMapSource(std::move(map));
    SetRClickScrap(RClickScrap);
}

} // namespace ruvo
