#include "graphics/film/filmimage.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "graphics/film/filmease.hpp"
#include "graphics/images/picture.hpp"

namespace ruvo {

namespace {

const TFilmSourceRect::TNames kImageSourceNames{"src_start_x", "src_start_y", "src_end_x",   "src_end_y",   "src_start_w",
                                                "src_start_h", "src_end_w",   "src_end_h",   "ease_src_x",  "ease_src_y"};
const TFilmSourceRect::TNames kTileSourceNames{"tile_src_start_x", "tile_src_start_y", "tile_src_end_x", "tile_src_end_y",
                                               "tile_src_start_w", "tile_src_start_h", "tile_src_end_w", "tile_src_end_h",
                                               "tile_ease_src_x",  "tile_ease_src_y"};

int32_t Fixed256(double factor) noexcept {
    const double v = std::round(factor * 256);
    if (std::isnan(v)) return 0;  // a damaged file's factor draws nothing rather than anything
    return int32_t(std::clamp(v, double(std::numeric_limits<int32_t>::min()), double(std::numeric_limits<int32_t>::max())));
}

// Degrees to 1/256 of a turn, 0..255.
int32_t TurnFraction(double degrees) noexcept {
    const double v = std::round(degrees * 256 / 360);
    if (!std::isfinite(v))
        return 0;
    const double r = std::fmod(v, 256.0);
    return int32_t(r < 0 ? r + 256 : r);
}

bool Shows(int32_t blend) noexcept { return blend > 0 && blend < 512; }

int32_t Saturate32(int64_t v) noexcept {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

void DrawWithBlend(TCustomDIBX& target, int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect,
                   TCustomDIBX* mask, bool flipH, bool flipV, int32_t blend) {
    const bool key = src.TransparentColor != -1;
    if (blend == 255) {
        if (mask)
            target.DrawMasked(x, y, src, srcRect, flipH, flipV, *mask);
        else
            target.Draw(x, y, src, srcRect, key, flipH, flipV);
    } else if (blend > 0 && blend < 255) {
        if (mask)
            target.DrawMaskedAlpha(x, y, src, srcRect, flipH, flipV, *mask, blend);
        else
            target.DrawAlpha(x, y, src, srcRect, key, flipH, flipV, blend);
    } else if (blend > 255 && blend < 512) {
        if (mask)
            target.DrawMaskedAdd(x, y, src, srcRect, flipH, flipV, *mask, blend - 256);
        else
            target.DrawAdd(x, y, src, srcRect, key, flipH, flipV, blend - 256);
    }
}

// --- Transform ---

void TCustomImageFrameList::SyncTransform(TFilmFields& f) {
    f.Int("anchor_x", AnchorX);
    f.Int("anchor_y", AnchorY);
    f.Int("start_x", StartX);
    f.Int("start_y", StartY);
    f.Int("end_x", EndX);
    f.Int("end_y", EndY);
    f.Byte("ease_x", EaseX, TFilmByte::Ease);
    f.Byte("ease_y", EaseY, TFilmByte::Ease);
    f.Int("start_angle", StartAngle);
    f.Int("end_angle", EndAngle);
    f.Real("start_zoom_x", StartZoomX);
    f.Real("end_zoom_x", EndZoomX);
    f.Byte("ease_zoom_x", EaseZoomX, TFilmByte::Ease);
    f.Int("start_alpha", StartAlpha);
    f.Int("end_alpha", EndAlpha);
    f.Byte("ease_angle", EaseAngle, TFilmByte::Ease);
}

void TCustomImageFrameList::SyncZoomY(TFilmFields& f) {
    if (f.Has(105)) {
        f.Real("start_zoom_y", StartZoomY);
        f.Real("end_zoom_y", EndZoomY);
        f.Byte("ease_zoom_y", EaseZoomY, TFilmByte::Ease);
    } else if (f.Loading()) {
        StartZoomY = StartZoomX, EndZoomY = EndZoomX, EaseZoomY = EaseZoomX;
    }
}

void TCustomImageFrameList::SetStartValues(const TCustomFrameList* parent) {
    if (const auto* p = dynamic_cast<const TCustomImageFrameList*>(parent))
        from_ = {p->EndX, p->EndY, p->EndAngle, p->EndAlpha, p->EndZoomX, p->EndZoomY};
    else
        from_ = {StartX, StartY, StartAngle, StartAlpha, StartZoomX, StartZoomY};
}

void TCustomImageFrameList::Pose(int32_t d, int32_t n) {
    CurX = EaseInt(from_.X, EndX, n, d, EaseX);
    CurY = EaseInt(from_.Y, EndY, n, d, EaseY);
    CurZoomX = Fixed256(EaseReal(from_.ZoomX, EndZoomX, n, d, EaseZoomX));
    CurZoomY = Fixed256(EaseReal(from_.ZoomY, EndZoomY, n, d, EaseZoomY));
    CurAngle = TurnFraction(EaseReal(from_.Angle, EndAngle, n, d, EaseAngle));
    CurAlpha = EaseInt(from_.Alpha, EndAlpha, n, d, EASE_LINEAR);
}

// --- Source rectangle ---

void TFilmSourceRect::Sync(TFilmFields& f, const TNames& names) {
    f.Int(names.StartX, StartX);
    f.Int(names.StartY, StartY);
    f.Int(names.EndX, EndX);
    f.Int(names.EndY, EndY);
    f.Int(names.StartWidth, StartWidth);
    f.Int(names.StartHeight, StartHeight);
    f.Int(names.EndWidth, EndWidth);
    f.Int(names.EndHeight, EndHeight);
    f.Byte(names.EaseX, EaseX, TFilmByte::Ease);
    f.Byte(names.EaseY, EaseY, TFilmByte::Ease);
}

TFilmSourceRect TFilmSourceRect::ChainedAfter(const TFilmSourceRect& parent) const noexcept {
    TFilmSourceRect chained = *this;
    chained.StartX = parent.EndX, chained.StartY = parent.EndY;
    chained.StartWidth = parent.EndWidth, chained.StartHeight = parent.EndHeight;
    return chained;
}

TRect TFilmSourceRect::At(const TFilmSourceRect& from, int32_t n, int32_t d, int32_t width, int32_t height) const noexcept {
    const TRect whole{0, 0, width, height};
    const int32_t w = EaseInt(from.StartWidth, EndWidth, n, d, EaseX);
    const int32_t h = EaseInt(from.StartHeight, EndHeight, n, d, EaseY);
    if (w < 1 || h < 1)
        return whole;
    const int32_t x = EaseInt(from.StartX, EndX, n, d, EaseX);
    const int32_t y = EaseInt(from.StartY, EndY, n, d, EaseY);
    const auto clampTo = [](int64_t v, int32_t hi) { return int32_t(std::clamp<int64_t>(v, 0, hi)); };
    return TRect{clampTo(x, width), clampTo(y, height), clampTo(int64_t(x) + w, width), clampTo(int64_t(y) + h, height)};
}

// --- Image ---

void TImageFrameList::SyncOwn(TFilmFields& f) {
    SyncTransform(f);
    if (f.Has(101))
        Source.Sync(f, kImageSourceNames);
    SyncZoomY(f);
    f.Str("name", Name);
}

void TImageFrameList::SetStartValues(const TCustomFrameList* parent) {
    TCustomImageFrameList::SetStartValues(parent);
    const auto* p = dynamic_cast<const TImageFrameList*>(parent);
    sourceFrom_ = p ? Source.ChainedAfter(p->Source) : Source;
}

void TImageFrameList::LoadResources(TFilmResources& resources, std::string_view folder) {
    frames_.clear();
    picture_.reset();
    if (Name.empty())
        return;
    picture_ = resources.Picture(ResolveFilmName(folder, Name));
    if (!picture_)
        return;
    for (const TPictureFrame& frame : picture_->Frames)
        frames_.push_back({frame.ColourSurface(), frame.MaskSurface(), frame.Delay, frame.OffsetX, frame.OffsetY});
}

void TImageFrameList::Pose(int32_t d, int32_t n) {
    TCustomImageFrameList::Pose(d, n);
    CurFrame = 0;
    if (frames_.size() > 1) {
        // The picture's own animation restarts every loop period.
        const int64_t ms = int64_t(d % std::max(1, LoopPeriod)) * 1000 / 60;
        int64_t end = 0;
        CurFrame = int32_t(frames_.size()) - 1;
        for (size_t i = 0; i < frames_.size(); ++i)
            if (ms < (end += frames_[i].Delay)) {
                CurFrame = int32_t(i);
                break;
            }
    }
    const TImageFrame* frame = CurrentFrame();
    CurSource = frame ? Source.At(sourceFrom_, n, d, frame->Colour->GetWidth(), frame->Colour->GetHeight()) : TRect{};
}

const TImageFrame* TImageFrameList::CurrentFrame() const noexcept {
    return CurFrame >= 0 && size_t(CurFrame) < frames_.size() ? &frames_[size_t(CurFrame)] : nullptr;
}

bool TImageFrameList::ShowsFrame() const noexcept {
    return Active() && CurrentFrame() && Shows(CurAlpha) && !CurSource.IsEmpty() && CurZoomX > 0 && CurZoomY > 0;
}

TRect TImageFrameList::DrawnRect() const {
    if (!ShowsFrame())
        return {};
    const TImageFrame& frame = *CurrentFrame();
    const int64_t pivotX = AnchorX - frame.OffsetX, pivotY = AnchorY - frame.OffsetY;
    const int64_t w = CurSource.Width(), h = CurSource.Height();
    if (CurAngle != 0) {
        // Every point of the zoomed picture lies within its farthest corner's distance of the pivot,
        // whichever way it is flipped and turned.
        const double dx = double(std::max(std::abs(pivotX), std::abs(w - pivotX))) * CurZoomX / 256;
        const double dy = double(std::max(std::abs(pivotY), std::abs(h - pivotY))) * CurZoomY / 256;
        const int64_t r = int64_t(std::ceil(std::hypot(dx, dy))) + 2;
        return Bounds(Saturate32(CurX - r), Saturate32(CurY - r), Saturate32(2 * r), Saturate32(2 * r));
    }
    const int64_t left = CurX - pivotX * CurZoomX / 256, top = CurY - pivotY * CurZoomY / 256;
    return TRect{Saturate32(left), Saturate32(top), Saturate32(left + w * CurZoomX / 256),
                 Saturate32(top + h * CurZoomY / 256)};
}

void TImageFrameList::Draw(const TFilmCanvas& canvas) const {
    if (!ShowsFrame())
        return;
    const TImageFrame* frame = CurrentFrame();
    TCustomDIBX& target = canvas.Target;
    TDIBX& src = *frame->Colour;
    TDIBX* mask = frame->Mask.get();
    // The anchor is a point of the untrimmed picture; the frame's pixels start at its offset.
    const int32_t pivotX = AnchorX - frame->OffsetX, pivotY = AnchorY - frame->OffsetY;
    const int32_t x = canvas.OriginX + CurX, y = canvas.OriginY + CurY;
    if (CurAngle != 0) {
        if (mask)
            target.DrawRotateMasked(x, y, CurZoomX, CurZoomY, src, CurSource, pivotX, pivotY, CurAngle, FlipH, FlipV,
                                    *mask, CurAlpha);
        else
            target.DrawRotate(x, y, CurZoomX, CurZoomY, src, CurSource, pivotX, pivotY, CurAngle,
                              src.TransparentColor != -1, FlipH, FlipV, CurAlpha);
    } else if (CurZoomX == 256 && CurZoomY == 256) {
        DrawWithBlend(target, x - pivotX, y - pivotY, src, CurSource, mask, FlipH, FlipV, CurAlpha);
    } else {
        const int64_t left = x - int64_t(pivotX) * CurZoomX / 256, top = y - int64_t(pivotY) * CurZoomY / 256;
        const TRect rect{int32_t(left), int32_t(top), int32_t(left + int64_t(CurSource.Width()) * CurZoomX / 256),
                         int32_t(top + int64_t(CurSource.Height()) * CurZoomY / 256)};
        const bool key = src.TransparentColor != -1;
        if (CurAlpha > 255)
            mask ? target.StretchDrawMaskedAdd(rect, src, CurSource, FlipH, FlipV, *mask, CurAlpha - 256)
                 : target.StretchDrawAdd(rect, src, CurSource, key, FlipH, FlipV, CurAlpha - 256);
        else
            mask ? target.StretchDrawMasked(rect, src, CurSource, FlipH, FlipV, *mask, CurAlpha)
                 : target.StretchDraw(rect, src, CurSource, key, FlipH, FlipV, CurAlpha);
    }
}

// --- Tile ---

void TTileFrameList::SyncOwn(TFilmFields& f) {
    TImageFrameList::SyncOwn(f);
    f.Int("start_scroll_x", StartScrollX);
    f.Int("start_scroll_y", StartScrollY);
    f.Int("end_scroll_x", EndScrollX);
    f.Int("end_scroll_y", EndScrollY);
    f.Int("start_width", StartWidth);
    f.Int("start_height", StartHeight);
    f.Int("end_width", EndWidth);
    f.Int("end_height", EndHeight);
    f.Byte("ease_scroll", EaseScroll, TFilmByte::Ease);
    f.Byte("ease_size", EaseSize, TFilmByte::Ease);
    f.Int("distance_x", DistanceX);
    f.Int("distance_y", DistanceY);
    if (f.Has(101))
        TileSource.Sync(f, kTileSourceNames);
}

void TTileFrameList::SetStartValues(const TCustomFrameList* parent) {
    TImageFrameList::SetStartValues(parent);
    const auto* p = dynamic_cast<const TTileFrameList*>(parent);
    tileFrom_ = p ? TTileFrom{p->EndScrollX, p->EndScrollY, p->EndWidth, p->EndHeight}
                  : TTileFrom{StartScrollX, StartScrollY, StartWidth, StartHeight};
    tileSourceFrom_ = p ? TileSource.ChainedAfter(p->TileSource) : TileSource;
}

void TTileFrameList::Pose(int32_t d, int32_t n) {
    TImageFrameList::Pose(d, n);
    CurScrollX = EaseInt(tileFrom_.ScrollX, EndScrollX, n, d, EaseScroll);
    CurScrollY = EaseInt(tileFrom_.ScrollY, EndScrollY, n, d, EaseScroll);
    CurWidth = EaseInt(tileFrom_.Width, EndWidth, n, d, EaseSize);
    CurHeight = EaseInt(tileFrom_.Height, EndHeight, n, d, EaseSize);
    if (const TImageFrame* frame = CurrentFrame())
        CurSource = TileSource.At(tileSourceFrom_, n, d, frame->Colour->GetWidth(), frame->Colour->GetHeight());
}

TRect TTileFrameList::DrawnRect() const {
    if (!ShowsFrame() || CurWidth <= 0 || CurHeight <= 0)
        return {};
    return Bounds(CurX - AnchorX, CurY - AnchorY, CurWidth, CurHeight);
}

void TTileFrameList::Draw(const TFilmCanvas& canvas) const {
    const TRect drawn = DrawnRect();
    if (drawn.IsEmpty())
        return;
    const TImageFrame* frame = CurrentFrame();
    const TRect area = Bounds(canvas.OriginX + drawn.Left, canvas.OriginY + drawn.Top, CurWidth, CurHeight);
    const int32_t pitchX = DistanceX >= 1 ? DistanceX : CurSource.Width();
    const int32_t pitchY = DistanceY >= 1 ? DistanceY : CurSource.Height();
    TDIBX& src = *frame->Colour;
    if (frame->Mask)
        canvas.Target.TileStretchDrawMasked(area, pitchX, pitchY, CurZoomX, CurZoomY, src, CurSource, FlipH, FlipV,
                                            *frame->Mask, CurAlpha, CurScrollX, CurScrollY);
    else
        canvas.Target.TileStretchDraw(area, pitchX, pitchY, CurZoomX, CurZoomY, src, CurSource,
                                      src.TransparentColor != -1, FlipH, FlipV, CurAlpha, CurScrollX, CurScrollY);
}

} // namespace ruvo
