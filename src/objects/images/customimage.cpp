#include "objects/images/customimage.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "archive/serializer.hpp"
#include "objects/motion/motion.hpp"
#include "objects/base/propaccess.hpp"

namespace ruvo {

void DrawPicture(TCustomDIBX& target, int32_t x, int32_t y, TCustomDIBX& picture, const TRect& source,
                 TCustomDIBX* mask, int32_t alpha, bool flipH, bool flipV) {
    const bool useKey = picture.TransparentColor != -1;
    if (mask) {
        if (alpha == 255) target.DrawMasked(x, y, picture, source, flipH, flipV, *mask);
        else if (alpha < 255) target.DrawMaskedAlpha(x, y, picture, source, flipH, flipV, *mask, alpha);
        else target.DrawMaskedAdd(x, y, picture, source, flipH, flipV, *mask, alpha - 256);
    } else {
        if (alpha == 255) target.Draw(x, y, picture, source, useKey, flipH, flipV);
        else if (alpha < 255) target.DrawAlpha(x, y, picture, source, useKey, flipH, flipV, alpha);
        else target.DrawAdd(x, y, picture, source, useKey, flipH, flipV, alpha - 256);
    }
}

TRuvoCustomImage::TRuvoCustomImage(TRuvoBaseList* owner) : TRuvoControl(owner) {}

TCustomDIBX* TRuvoCustomImage::DrawnSurface() const {
    TDIBX* s = image_ ? image_ : const_cast<TDIBX*>(&own_);
    return s->IsEmpty() ? nullptr : s;
}

TCustomDIBX* TRuvoCustomImage::DrawnMask() const { return image_ ? imageMask_ : ownMask_.get(); }

const std::vector<TRect>* TRuvoCustomImage::ContentRects() const {
    const std::vector<TRect>* rects = image_ ? imageRects_ : &ownRects_;
    return rects && !rects->empty() ? rects : nullptr;
}

void TRuvoCustomImage::Borrow(TDIBX* surface, TDIBX* mask, const std::vector<TRect>* rects) {
    image_ = surface;
    imageMask_ = surface ? mask : nullptr;
    imageRects_ = surface ? rects : nullptr;
}

// ---- size

void TRuvoCustomImage::RecomputeSize() {
    if (GetMotion()) return;
    const TCustomDIBX* s = DrawnSurface();
    // Inside a parent image of the same zoom the size is scaled as the position is, so that the child
    // stays aligned with what the parent drew of it.
    const auto extent = [&](bool vertical) -> int32_t {
        if (!s) return 0;
        const int64_t own = vertical ? s->GetHeight() : s->GetWidth();
        if (const int64_t scale = ParentScale(vertical); scale > 0) return Saturate(ScaleToParent(own, scale));
        return Saturate(own * (vertical ? ZoomYValue : ZoomXValue) / 256);
    };
    const int32_t w = extent(false), h = extent(true);
    if (w == Width && h == Height) return;
    Invalidate();
    Width = w;
    Height = h;
    Invalidate();
}

bool TRuvoCustomImage::Update() {
    if (SizeDirty) {
        SizeDirty = false;
        RecomputeSize();
    }
    return TRuvoControl::Update();
}

void TRuvoCustomImage::SetZoom(bool vertical, int32_t zoom) {
    Invalidate();
    (vertical ? ZoomYValue : ZoomXValue) = std::max(zoom, 1);
    SizeDirty = true;
    for (TRuvoControl* child : Children())
        if (auto* image = dynamic_cast<TRuvoCustomImage*>(child); image && image->PosZoomed) image->SizeDirty = true;
}

void TRuvoCustomImage::SetFlip(bool vertical, bool on) {
    Invalidate();
    (vertical ? FlipVValue : FlipHValue) = on;
    RecomputeSize();
    Invalidate();
}

void TRuvoCustomImage::SetAlpha(int32_t alpha) {
    if (alpha == Alpha) return;
    Alpha = alpha;
    Invalidate();
}

void TRuvoCustomImage::SetAngle(int32_t angle) {
    if (angle == Angle) return;
    Invalidate();
    Angle = angle;
    Invalidate();
}

// ---- drawing

void TRuvoCustomImage::PivotOnScreen(int64_t& x, int64_t& y) const {
    x = int64_t{ScreenLeft()} + PivotTerm(false);
    y = int64_t{ScreenTop()} + PivotTerm(true);
}

void TRuvoCustomImage::PivotInPicture(const TCustomDIBX& picture, int& x, int& y) const {
    x = FlipHValue ? picture.GetWidth() - OffsetX - 1 : OffsetX;
    y = FlipVValue ? picture.GetHeight() - OffsetY - 1 : OffsetY;
}

TRect TRuvoCustomImage::PaintedRect() const {
    const TRect own = ScreenRect();
    const TCustomDIBX* s = DrawnSurface();
    if (Angle == 0 || !s) return own;
    int64_t cx, cy;
    PivotOnScreen(cx, cy);
    int px, py;
    PivotInPicture(*s, px, py);
    const double zx = ZoomXValue / 256.0, zy = ZoomYValue / 256.0;
    return TurnedBounds(own, -px * zx, -py * zy, (s->GetWidth() - px) * zx, (s->GetHeight() - py) * zy, cx, cy, Angle);
}

bool TRuvoCustomImage::Opaque() const {
    const TCustomDIBX* s = DrawnSurface();
    return s && Alpha == 255 && Angle == 0 && !DrawnMask() && s->TransparentColor == -1 && !ContentRects() &&
           Width == s->GetWidth() && Height == s->GetHeight();
}

void TRuvoCustomImage::Paint() {
    TCustomDIBX* target = GetSurface();
    if (TRuvoMotion* motion = GetMotion()) {
        // The frame list draws the pictures of its tracks.
        if (target) motion->Paint(*target);
        PaintChildren();
        return;
    }
    TCustomDIBX* picture = DrawnSurface();
    if (target && picture && Alpha >= 1 && Width >= 1 && Height >= 1) {
        TCustomDIBX* mask = DrawnMask();
        const TRect whole{0, 0, picture->GetWidth(), picture->GetHeight()};
        if (Angle != 0) {
            int64_t cx, cy;
            PivotOnScreen(cx, cy);
            int px, py;
            PivotInPicture(*picture, px, py);
            if (mask)
                target->DrawRotateMasked(Saturate(cx), Saturate(cy), ZoomXValue, ZoomYValue, *picture, whole, px, py,
                                         Angle, FlipHValue, FlipVValue, *mask, Alpha);
            else
                target->DrawRotate(Saturate(cx), Saturate(cy), ZoomXValue, ZoomYValue, *picture, whole, px, py, Angle,
                                   picture->TransparentColor != -1, FlipHValue, FlipVValue, Alpha);
        } else if (Width == whole.Right && Height == whole.Bottom) {
            const int32_t left = ScreenLeft(), top = ScreenTop();
            if (const std::vector<TRect>* rects = ContentRects()) {
                for (const TRect& r0 : *rects) {
                    const TRect r = Intersect(r0, whole);
                    if (r.IsEmpty()) continue;
                    const int32_t x = FlipHValue ? whole.Right - r.Right : r.Left;
                    const int32_t y = FlipVValue ? whole.Bottom - r.Bottom : r.Top;
                    DrawPicture(*target, left + x, top + y, *picture, r, mask, Alpha, FlipHValue, FlipVValue);
                }
            } else {
                DrawPicture(*target, left, top, *picture, whole, mask, Alpha, FlipHValue, FlipVValue);
            }
        } else {
            const TRect to = ScreenRect();
            const bool add = Alpha > 255;
            if (mask && add) target->StretchDrawMaskedAdd(to, *picture, whole, FlipHValue, FlipVValue, *mask, Alpha - 256);
            else if (mask) target->StretchDrawMasked(to, *picture, whole, FlipHValue, FlipVValue, *mask, Alpha);
            else if (add)
                target->StretchDrawAdd(to, *picture, whole, picture->TransparentColor != -1, FlipHValue, FlipVValue,
                                       Alpha - 256);
            else target->StretchDraw(to, *picture, whole, picture->TransparentColor != -1, FlipHValue, FlipVValue, Alpha);
        }
    }
    if (target) PaintOver(*target);
    PaintChildren();
}

// ---- hit testing

TRuvoControl* TRuvoCustomImage::HitTest(int32_t x, int32_t y, TMouseMask mask) {
    if (!GetVisible()) return nullptr;
    for (auto it = Children().rbegin(); it != Children().rend(); ++it)
        if (TRuvoControl* hit = (*it)->HitTest(x, y, mask)) return hit;
    // A motion's rectangle is its whole stage: taking the mouse there would cover what lies beneath.
    if (!ModeIn(mask) || GetMotion()) return nullptr;
    int64_t px = x, py = y;
    if (Angle != 0) {
        int64_t cx, cy;
        PivotOnScreen(cx, cy);
        const double t = -AngleRadians(Angle), c = std::cos(t), s = std::sin(t);
        const double dx = double(x - cx), dy = double(y - cy);
        px = std::llround(dx * c - dy * s + double(cx));
        py = std::llround(dx * s + dy * c + double(cy));
    }
    const TRect r = ScreenRect();
    if (px < r.Left || px >= r.Right || py < r.Top || py >= r.Bottom) return nullptr;
    TCustomDIBX* m = DrawnMask();
    if (!CaptureMask || !m) return this;
    int64_t mx = (px - r.Left) * 256 / ZoomXValue, my = (py - r.Top) * 256 / ZoomYValue;
    if (FlipHValue) mx = m->GetWidth() - mx - 1;
    if (FlipVValue) my = m->GetHeight() - my - 1;
    if (mx < 0 || my < 0 || mx >= m->GetWidth() || my >= m->GetHeight()) return nullptr;
    return m->GetPixel(static_cast<int32_t>(mx), static_cast<int32_t>(my)) > 127 ? this : nullptr;
}

// ---- properties and the persisted form

const TPropertyMap& TRuvoCustomImage::ClassProperties() {
    static const TPropertyMap map = [] {
        using I = TRuvoCustomImage;
        TPropertyMap m(TRuvoControl::ClassProperties());
        m.Int<I>(PR_ALPHA, [](I& i) { return i.Alpha; }, [](I& i, int32_t v) { i.SetAlpha(v); });
        m.Int<I>(PR_ZOOMX, [](I& i) { return i.ZoomXValue; }, [](I& i, int32_t v) { i.SetZoom(false, v); });
        m.Int<I>(PR_ZOOMY, [](I& i) { return i.ZoomYValue; }, [](I& i, int32_t v) { i.SetZoom(true, v); });
        m.Int<I>(PR_ANGLE, [](I& i) { return i.Angle; }, [](I& i, int32_t v) { i.SetAngle(v); });
        m.Flag<I>(PR_FLIPH, [](I& i) { return i.FlipHValue; }, [](I& i, bool v) { i.SetFlip(false, v); });
        m.Flag<I>(PR_FLIPV, [](I& i) { return i.FlipVValue; }, [](I& i, bool v) { i.SetFlip(true, v); });
        m.Flag<I>(PR_CAPTUREMASK, [](I& i) { return i.CaptureMask; }, [](I& i, bool v) { i.CaptureMask = v; });
        m.Int<I>(PR_ORIGWIDTH, [](I& i) {
            const TCustomDIBX* s = i.DrawnSurface();
            return s ? s->GetWidth() : 0;
        });
        m.Int<I>(PR_ORIGHEIGHT, [](I& i) {
            const TCustomDIBX* s = i.DrawnSurface();
            return s ? s->GetHeight() : 0;
        });
        return m;
    }();
    return map;
}

void TRuvoCustomImage::Sync(TSerializer& s) {
    TRuvoControl::Sync(s);
    s.Int(Alpha);
    s.Int(ZoomXValue);
    s.Int(Angle);
    s.Bool(FlipHValue);
    s.Bool(FlipVValue);
    s.Bool(CaptureMask);
    s.Int(ZoomYValue, 104);
    if (s.Loading()) {
        ZoomXValue = std::max(ZoomXValue, 1);
        ZoomYValue = std::max(ZoomYValue, 1);
    }
}

} // namespace ruvo
