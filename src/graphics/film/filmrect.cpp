#include "graphics/film/filmrect.hpp"

#include "graphics/surface/customdibx.hpp"
#include "graphics/film/filmease.hpp"

namespace ruvo {

namespace {

// Each channel of two colours eased on its own.
int32_t EaseColour(int32_t b, int32_t e, int32_t n, int32_t d, uint8_t ease) {
    if (b < 0 || e < 0)  // to or from no fill: it changes at the last step
        return int64_t(d) + 1 >= n ? e : b;
    int32_t out = 0;
    for (int shift : {0, 8, 16})
        out |= EaseInt((b >> shift) & 255, (e >> shift) & 255, n, d, ease) << shift;
    return out;
}

// The colour added by the additive codes 256..511: each channel times (code - 256), shifted right by 8.
int32_t AddedColour(int32_t colour, int32_t alpha) {
    int32_t scaled = 0;
    for (int shift : {0, 8, 16})
        scaled |= ((((colour >> shift) & 255) * (alpha - 256)) >> 8) << shift;
    return scaled;
}

// The box rule: 255 copy, 1..254 blend, 256..511 add.
void FillWithAlpha(TCustomDIBX& target, const TRect& r, int32_t colour, int32_t alpha) {
    if (alpha == 255)
        target.FillRect(r, uint32_t(target.ColorToPixel(colour)));
    else if (alpha > 0 && alpha < 255)
        target.BlendRect(r, uint32_t(target.ColorToPixel(colour)), alpha);
    else if (alpha > 255 && alpha < 512)
        target.AddRect(r, uint32_t(target.ColorToPixel(AddedColour(colour, alpha))));
}

void FrameWithAlpha(TCustomDIBX& target, const TRect& r, int32_t width, int32_t colour, int32_t alpha) {
    if (alpha == 255)
        target.FrameRect(r, width, uint32_t(target.ColorToPixel(colour)));
    else if (alpha > 0 && alpha < 255)
        target.BlendFrameRect(r, width, uint32_t(target.ColorToPixel(colour)), alpha);
    else if (alpha > 255 && alpha < 512)
        target.AddFrameRect(r, width, uint32_t(target.ColorToPixel(AddedColour(colour, alpha))));
}

} // namespace

// --- Area ---

void TRectFrameList::SyncRect(TFilmFields& f) {
    f.Int("start_left", StartLeft);
    f.Int("start_top", StartTop);
    f.Int("start_width", StartWidth);
    f.Int("start_height", StartHeight);
    f.Int("end_left", EndLeft);
    f.Int("end_top", EndTop);
    f.Int("end_width", EndWidth);
    f.Int("end_height", EndHeight);
    f.Byte("ease_pos", EasePos, TFilmByte::Ease);
    f.Byte("ease_size", EaseSize, TFilmByte::Ease);
}

void TRectFrameList::SetStartValues(const TCustomFrameList* parent) {
    if (const auto* p = dynamic_cast<const TRectFrameList*>(parent))
        fromLeft_ = p->EndLeft, fromTop_ = p->EndTop, fromWidth_ = p->EndWidth, fromHeight_ = p->EndHeight;
    else
        fromLeft_ = StartLeft, fromTop_ = StartTop, fromWidth_ = StartWidth, fromHeight_ = StartHeight;
}

void TRectFrameList::Pose(int32_t d, int32_t n) {
    CurRect = Bounds(EaseInt(fromLeft_, EndLeft, n, d, EasePos), EaseInt(fromTop_, EndTop, n, d, EasePos),
                     EaseInt(fromWidth_, EndWidth, n, d, EaseSize), EaseInt(fromHeight_, EndHeight, n, d, EaseSize));
}

// --- Box ---

void TBoxFrameList::SyncOwn(TFilmFields& f) {
    SyncRect(f);
    f.Int("start_color", StartColor);
    f.Int("end_color", EndColor);
    f.Int("border_width", BorderWidth);
    f.Int("border_color", BorderColor);
    f.Int("start_alpha", StartAlpha);
    f.Int("end_alpha", EndAlpha);
    f.Byte("ease_fill", EaseFill, TFilmByte::Ease);
}

void TBoxFrameList::Pose(int32_t d, int32_t n) {
    TRectFrameList::Pose(d, n);
    CurColor = EaseColour(StartColor, EndColor, n, d, EaseFill);
    CurAlpha = EaseInt(StartAlpha, EndAlpha, n, d, EaseFill);
}

TRect TBoxFrameList::DrawnRect() const {
    if (!Active() || CurAlpha <= 0 || CurAlpha >= 512 || (CurColor < 0 && (BorderWidth <= 0 || BorderColor < 0)))
        return {};
    return Bounds(CurRect.Left, CurRect.Top, CurRect.Width(), CurRect.Height());
}

void TBoxFrameList::Draw(const TFilmCanvas& canvas) const {
    if (!Active() || CurAlpha <= 0 || CurAlpha >= 512)
        return;
    const TRect r = Bounds(canvas.OriginX + CurRect.Left, canvas.OriginY + CurRect.Top, CurRect.Width(), CurRect.Height());
    if (BorderWidth > 0) {
        if (BorderColor >= 0)
            FrameWithAlpha(canvas.Target, r, BorderWidth, BorderColor, CurAlpha);
        if (CurColor >= 0)
            FillWithAlpha(canvas.Target,
                          TRect{r.Left + BorderWidth, r.Top + BorderWidth, r.Right - BorderWidth, r.Bottom - BorderWidth},
                          CurColor, CurAlpha);
    } else if (CurColor >= 0) {
        FillWithAlpha(canvas.Target, r, CurColor, CurAlpha);
    }
}

// --- Particles and fire ---

void TParticleFrameList::SyncOwn(TFilmFields& f) {
    SyncRect(f);
    f.Str("source", Source);
    f.Byte("motion", Motion);
    f.Real("param1", Param1);
    f.Real("param2", Param2);
    f.Real("param3", Param3);
    f.Int("alpha", Alpha);
    f.Int("interval_base", IntervalBase);
    f.Int("interval_range", IntervalRange);
    f.Int("preroll", PreRoll);
}

void TFireFrameList::SyncOwn(TFilmFields& f) {
    SyncRect(f);
    f.Int("orig_width", OrigWidth);
    f.Int("orig_height", OrigHeight);
    f.Int("start_power", StartPower);
    f.Int("end_power", EndPower);
    f.Byte("ease_power", EasePower, TFilmByte::Ease);
}

void TFireFrameList::Pose(int32_t d, int32_t n) {
    TRectFrameList::Pose(d, n);
    CurPower = EaseInt(StartPower, EndPower, n, d, EasePower);
}

} // namespace ruvo
