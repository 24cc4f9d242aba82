#include "objects/images/tile.hpp"

#include "archive/serializer.hpp"
#include "objects/motion/motion.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {

// v modulo m (m > 0), never negative.
int64_t Phase(int64_t v, int64_t m) {
    const int64_t r = v % m;
    return r < 0 ? r + m : r;
}

// A pitch below 1 or below half the picture's extent is no pitch.
bool Unset(int32_t pitch, int32_t extent) { return pitch < 1 || int64_t{pitch} * 2 < extent; }

} // namespace

int64_t TRuvoTile::ScreenPosition(bool vertical) const {
    const int64_t own = GetMotion() ? (vertical ? MotionY : MotionX) : (vertical ? Top : Left);
    const TRuvoControl* p = Parent();
    if (!p) return own;
    return own + (vertical ? p->ScreenTop() : p->ScreenLeft()) - (vertical ? p->ScrollY() : p->ScrollX());
}

void TRuvoTile::Paint() {
    TCustomDIBX* target = GetSurface();
    TCustomDIBX* picture = DrawnSurface();
    if (target && picture && Alpha > 0 && Width > 0 && Height > 0) {
        TCustomDIBX* mask = DrawnMask();
        const TRect rect = ScreenRect();
        const int32_t w = picture->GetWidth(), h = picture->GetHeight();
        const TRect whole{0, 0, w, h};
        const bool key = picture->TransparentColor != -1, plainZoom = ZoomXValue == 256 && ZoomYValue == 256;
        const bool noPitchX = Unset(DistanceX, w), noPitchY = Unset(DistanceY, h);
        if (noPitchX && noPitchY) {
            if (plainZoom && !key && !mask && Alpha == 255)
                target->PatternFill(rect, *picture, ScrollXValue, ScrollYValue, FlipHValue, FlipVValue);
            else if (mask)
                target->PatternFillScaledMasked(rect, ZoomXValue, ZoomYValue, *picture, ScrollXValue, ScrollYValue, *mask,
                                                FlipHValue, FlipVValue, Alpha);
            else
                target->PatternFillScaled(rect, ZoomXValue, ZoomYValue, *picture, ScrollXValue, ScrollYValue, key,
                                          FlipHValue, FlipVValue, Alpha);
        } else {
            const int32_t cw = noPitchX ? w : DistanceX, ch = noPitchY ? h : DistanceY;
            const std::vector<TRect>* rects = ContentRects();
            const TRect visible = Intersect(rect, target->EffectiveClip());
            if (rects && plainZoom && !visible.IsEmpty()) {
                // The cells lie at the scroll's phase, like the other fills; only those in sight are drawn.
                const int64_t x0 = int64_t{rect.Left} - Phase(ScrollXValue, cw);
                const int64_t y0 = int64_t{rect.Top} - Phase(ScrollYValue, ch);
                const int64_t firstX = x0 + (visible.Left - x0) / cw * cw - cw;
                const int64_t firstY = y0 + (visible.Top - y0) / ch * ch - ch;
                // Cells reach past the tile's edges: the tile's rectangle is the clip while they are drawn.
                const TRect saved = target->ClipRect;
                target->ClipRect = visible;
                for (int64_t y = firstY; y < visible.Bottom; y += ch)
                    for (int64_t x = firstX; x < visible.Right; x += cw)
                        for (const TRect& r0 : *rects) {
                            const TRect r = Intersect(r0, whole);
                            if (r.IsEmpty()) continue;
                            const int64_t dx = x + (FlipHValue ? w - r.Right : r.Left);
                            const int64_t dy = y + (FlipVValue ? h - r.Bottom : r.Top);
                            DrawPicture(*target, static_cast<int32_t>(dx), static_cast<int32_t>(dy), *picture, r, mask,
                                        Alpha, FlipHValue, FlipVValue);
                        }
                target->ClipRect = saved;
            } else if (!rects || !plainZoom) {
                if (mask)
                    target->TileStretchDrawMasked(rect, cw, ch, ZoomXValue, ZoomYValue, *picture, whole, FlipHValue,
                                                  FlipVValue, *mask, Alpha, ScrollXValue, ScrollYValue);
                else
                    target->TileStretchDraw(rect, cw, ch, ZoomXValue, ZoomYValue, *picture, whole, key, FlipHValue,
                                            FlipVValue, Alpha, ScrollXValue, ScrollYValue);
            }
        }
    }
    PaintChildren();
}

void TRuvoTile::SetSource(std::string source) {
    if (source == Source) return;
    Source = std::move(source);
    ShowSource(Source);
}

void TRuvoTile::SetScroll(bool vertical, int32_t v) {
    int32_t& field = vertical ? ScrollYValue : ScrollXValue;
    if (field == v) return;
    field = v;
    Invalidate();  // children move with the scroll: their old places are inside the tile
}

void TRuvoTile::SetDistance(bool vertical, int32_t v) {
    int32_t& field = vertical ? DistanceY : DistanceX;
    if (field == v) return;
    field = v;
    Invalidate();
}

const TPropertyMap& TRuvoTile::ClassProperties() {
    static const TPropertyMap map = [] {
        using T = TRuvoTile;
        TPropertyMap m(TRuvoCustomImages::ClassProperties());
        m.Str<T>(PR_SOURCE, [](T& t) { return t.Source; }, [](T& t, std::string v) { t.SetSource(std::move(v)); });
        m.Int<T>(PR_SCROLLX, [](T& t) { return t.ScrollXValue; }, [](T& t, int32_t v) { t.SetScroll(false, v); });
        m.Int<T>(PR_SCROLLY, [](T& t) { return t.ScrollYValue; }, [](T& t, int32_t v) { t.SetScroll(true, v); });
        m.Int<T>(PR_DISTANCEX, [](T& t) { return t.DistanceX; }, [](T& t, int32_t v) { t.SetDistance(false, v); });
        m.Int<T>(PR_DISTANCEY, [](T& t) { return t.DistanceY; }, [](T& t, int32_t v) { t.SetDistance(true, v); });
        m.Flag<T>(PR_REPEAT, [](T& t) { return t.Repeat; }, [](T& t, bool v) { t.Repeat = v; });
        m.Str<T>(PR_ONIDLE, [](T& t) { return t.OnIdle; }, [](T& t, std::string v) { t.OnIdle = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoTile::Sync(TSerializer& s) {
    TRuvoCustomImages::Sync(s);
    const int32_t index = Index, remaining = Remaining;
    s.Int(ScrollXValue);
    s.Int(ScrollYValue);
    std::string source = Source;
    s.Str(source);
    s.Str(OnIdle);
    s.Int(DistanceX);
    s.Int(DistanceY);
    if (!s.Loading()) return;
    Source.clear();
    SetSource(std::move(source));
    RestoreFrame(index, remaining);
}

} // namespace ruvo
