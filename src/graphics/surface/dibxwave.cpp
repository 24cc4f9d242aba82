#include "graphics/surface/dibxwave.hpp"

#include <algorithm>
#include <climits>

namespace ruvo {

namespace {
TRect Shift(const TRect& r, int32_t dx) { return TRect{r.Left + dx, r.Top, r.Right + dx, r.Bottom}; }

// Restores the target's clip however a band's draw ends.
class TClipRestore {
public:
    explicit TClipRestore(TCustomDIBX& s) : s_(s), saved_(s.ClipRect) {}
    ~TClipRestore() { s_.ClipRect = saved_; }

private:
    TCustomDIBX& s_;
    TRect saved_;
};
} // namespace

bool TDIBXWave::IsEmpty() const { return !target_ || Width <= 0 || Height <= 0; }

void TDIBXWave::SetSize(int32_t width, int32_t height, int) {
    Width = std::max(width, 0);
    Height = std::max(height, 0);
    displacements_.assign(size_t(Height), 0);
    ClipRect = TRect{};
}

TRect TDIBXWave::EffectiveClip() const {
    const TRect area{originX_, originY_, originX_ + Width, originY_ + Height};
    return ClipRect.Right != 0 ? Intersect(ClipRect, area) : area;
}

void TDIBXWave::ResetClip() {
    ClipRect = TRect{};
    if (target_)
        target_->ResetClip();
}

void TDIBXWave::AddClipRect(const TRect& rect) {
    const TRect r = Intersect(rect, TRect{originX_, originY_, originX_ + Width, originY_ + Height});
    if (r.IsEmpty())
        return;
    ClipRect = ClipRect.Right == 0 ? r
                                   : TRect{std::min(ClipRect.Left, r.Left), std::min(ClipRect.Top, r.Top),
                                           std::max(ClipRect.Right, r.Right), std::max(ClipRect.Bottom, r.Bottom)};
    if (target_)
        target_->AddClipRect(ClipRect);
}

template <class Fn>
void TDIBXWave::ForBands(int64_t top, int64_t bottom, Fn&& draw) {
    if (IsEmpty())
        return;
    const TRect clip = Intersect(EffectiveClip(), target_->EffectiveClip());
    if (clip.IsEmpty())
        return;
    TClipRestore restore(*target_);
    const int64_t end = std::min<int64_t>(bottom, clip.Bottom);
    for (int64_t y = std::max<int64_t>(top, clip.Top); y < end;) {
        const int64_t i = y - originY_;
        if (i < 0 || i >= int64_t(displacements_.size())) {
            ++y;
            continue;
        }
        const int32_t dx = displacements_[size_t(i)];
        int64_t next = y + 1;
        while (next < end && next - originY_ < int64_t(displacements_.size()) &&
               displacements_[size_t(next - originY_)] == dx)
            ++next;
        target_->ClipRect = TRect{clip.Left, int32_t(y), clip.Right, int32_t(next)};
        draw(dx);
        y = next;
    }
}

void TDIBXWave::Clear(uint32_t pixel) {
    const TRect saved = ClipRect;
    ClipRect = TRect{};
    FillRect(EffectiveClip(), pixel);
    ClipRect = saved;
}

void TDIBXWave::FillRect(const TRect& r, uint32_t pixel) {
    ForBands(r.Top, r.Bottom, [&](int32_t dx) { target_->FillRect(Shift(r, dx), pixel); });
}
void TDIBXWave::BlendRect(const TRect& r, uint32_t pixel, int alpha) {
    ForBands(r.Top, r.Bottom, [&](int32_t dx) { target_->BlendRect(Shift(r, dx), pixel, alpha); });
}
void TDIBXWave::AddRect(const TRect& r, uint32_t pixel) {
    ForBands(r.Top, r.Bottom, [&](int32_t dx) { target_->AddRect(Shift(r, dx), pixel); });
}
void TDIBXWave::SubRect(const TRect& r, uint32_t pixel) {
    ForBands(r.Top, r.Bottom, [&](int32_t dx) { target_->SubRect(Shift(r, dx), pixel); });
}

void TDIBXWave::Assign(TCustomDIBX& source) {
    Draw(0, 0, source, TRect{0, 0, source.GetWidth(), source.GetHeight()}, false, false, false);
}

void TDIBXWave::Draw(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, bool useKey, bool flipH, bool flipV) {
    ForBands(y, int64_t(y) + sr.Height(),
             [&](int32_t dx) { target_->Draw(x + dx, y, src, sr, useKey, flipH, flipV); });
}
void TDIBXWave::DrawMasked(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, bool flipH, bool flipV,
                           TCustomDIBX& mask) {
    ForBands(y, int64_t(y) + sr.Height(),
             [&](int32_t dx) { target_->DrawMasked(x + dx, y, src, sr, flipH, flipV, mask); });
}
void TDIBXWave::DrawAlpha(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, bool useKey, bool flipH,
                          bool flipV, int alpha) {
    ForBands(y, int64_t(y) + sr.Height(),
             [&](int32_t dx) { target_->DrawAlpha(x + dx, y, src, sr, useKey, flipH, flipV, alpha); });
}
void TDIBXWave::DrawMaskedAlpha(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, bool flipH, bool flipV,
                                TCustomDIBX& mask, int alpha) {
    ForBands(y, int64_t(y) + sr.Height(),
             [&](int32_t dx) { target_->DrawMaskedAlpha(x + dx, y, src, sr, flipH, flipV, mask, alpha); });
}
void TDIBXWave::DrawAdd(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, bool useKey, bool flipH, bool flipV,
                        int factor) {
    ForBands(y, int64_t(y) + sr.Height(),
             [&](int32_t dx) { target_->DrawAdd(x + dx, y, src, sr, useKey, flipH, flipV, factor); });
}
void TDIBXWave::DrawMaskedAdd(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, bool flipH, bool flipV,
                              TCustomDIBX& mask, int factor) {
    ForBands(y, int64_t(y) + sr.Height(),
             [&](int32_t dx) { target_->DrawMaskedAdd(x + dx, y, src, sr, flipH, flipV, mask, factor); });
}
void TDIBXWave::DrawRotate(int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src, const TRect& sr, int pivotX,
                           int pivotY, int angle, bool useKey, bool flipH, bool flipV, int blend) {
    ForAllBands([&](int32_t dx) {
        target_->DrawRotate(x + dx, y, zoomX, zoomY, src, sr, pivotX, pivotY, angle, useKey, flipH, flipV, blend);
    });
}
void TDIBXWave::DrawRotateMasked(int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src, const TRect& sr,
                                 int pivotX, int pivotY, int angle, bool flipH, bool flipV, TCustomDIBX& mask,
                                 int blend) {
    ForAllBands([&](int32_t dx) {
        target_->DrawRotateMasked(x + dx, y, zoomX, zoomY, src, sr, pivotX, pivotY, angle, flipH, flipV, mask,
                                  blend);
    });
}
void TDIBXWave::StretchDraw(const TRect& r, TCustomDIBX& src, const TRect& sr, bool useKey, bool flipH, bool flipV,
                            int alpha) {
    ForBands(r.Top, r.Bottom,
             [&](int32_t dx) { target_->StretchDraw(Shift(r, dx), src, sr, useKey, flipH, flipV, alpha); });
}
void TDIBXWave::StretchDrawMasked(const TRect& r, TCustomDIBX& src, const TRect& sr, bool flipH, bool flipV,
                                  TCustomDIBX& mask, int alpha) {
    ForBands(r.Top, r.Bottom,
             [&](int32_t dx) { target_->StretchDrawMasked(Shift(r, dx), src, sr, flipH, flipV, mask, alpha); });
}
void TDIBXWave::StretchDrawAdd(const TRect& r, TCustomDIBX& src, const TRect& sr, bool useKey, bool flipH,
                               bool flipV, int factor) {
    ForBands(r.Top, r.Bottom,
             [&](int32_t dx) { target_->StretchDrawAdd(Shift(r, dx), src, sr, useKey, flipH, flipV, factor); });
}
void TDIBXWave::StretchDrawMaskedAdd(const TRect& r, TCustomDIBX& src, const TRect& sr, bool flipH, bool flipV,
                                     TCustomDIBX& mask, int factor) {
    ForBands(r.Top, r.Bottom, [&](int32_t dx) {
        target_->StretchDrawMaskedAdd(Shift(r, dx), src, sr, flipH, flipV, mask, factor);
    });
}
void TDIBXWave::DrawMonoGlyph(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, uint32_t pixel, bool flipH,
                              bool flipV, int alpha, int scale) {
    ForAllBands([&](int32_t dx) { target_->DrawMonoGlyph(x + dx, y, src, sr, pixel, flipH, flipV, alpha, scale); });
}
void TDIBXWave::DrawToneGlyph(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr,
                              const std::array<uint32_t, 3>& colours, bool flipH, bool flipV, int blend, int scale) {
    ForAllBands(
        [&](int32_t dx) { target_->DrawToneGlyph(x + dx, y, src, sr, colours, flipH, flipV, blend, scale); });
}
void TDIBXWave::PatternFrameRect(const TRect& r, int width, TCustomDIBX& pattern, int offsetX, int offsetY) {
    ForBands(r.Top, r.Bottom,
             [&](int32_t dx) { target_->PatternFrameRect(Shift(r, dx), width, pattern, offsetX, offsetY); });
}
void TDIBXWave::DrawIndexed4(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, bool flipH, bool flipV,
                             int blend, std::span<const uint32_t> palette) {
    ForBands(y, int64_t(y) + sr.Height(),
             [&](int32_t dx) { target_->DrawIndexed4(x + dx, y, src, sr, flipH, flipV, blend, palette); });
}
void TDIBXWave::DrawIndexedAdd8(int32_t x, int32_t y, TCustomDIBX& src, const TRect& sr, int minIndex, bool flipH,
                                bool flipV, int factor, std::span<const uint32_t> palette) {
    ForBands(y, int64_t(y) + sr.Height(), [&](int32_t dx) {
        target_->DrawIndexedAdd8(x + dx, y, src, sr, minIndex, flipH, flipV, factor, palette);
    });
}
void TDIBXWave::StretchDrawIndexedAdd8(const TRect& r, TCustomDIBX& src, const TRect& sr, int minIndex, bool flipH,
                                       bool flipV, int factor, std::span<const uint32_t> palette) {
    ForBands(r.Top, r.Bottom, [&](int32_t dx) {
        target_->StretchDrawIndexedAdd8(Shift(r, dx), src, sr, minIndex, flipH, flipV, factor, palette);
    });
}
void TDIBXWave::PatternFillScaled(const TRect& r, int zoomX, int zoomY, TCustomDIBX& pattern, int offsetX,
                                  int offsetY, bool useKey, bool flipH, bool flipV, int blend) {
    ForBands(r.Top, r.Bottom, [&](int32_t dx) {
        target_->PatternFillScaled(Shift(r, dx), zoomX, zoomY, pattern, offsetX, offsetY, useKey, flipH, flipV,
                                   blend);
    });
}
void TDIBXWave::PatternFillScaledMasked(const TRect& r, int zoomX, int zoomY, TCustomDIBX& pattern, int offsetX,
                                        int offsetY, TCustomDIBX& mask, bool flipH, bool flipV, int blend) {
    ForBands(r.Top, r.Bottom, [&](int32_t dx) {
        target_->PatternFillScaledMasked(Shift(r, dx), zoomX, zoomY, pattern, offsetX, offsetY, mask, flipH, flipV,
                                         blend);
    });
}
void TDIBXWave::PatternFill(const TRect& r, TCustomDIBX& pattern, int offsetX, int offsetY, bool flipH, bool flipV) {
    ForBands(r.Top, r.Bottom,
             [&](int32_t dx) { target_->PatternFill(Shift(r, dx), pattern, offsetX, offsetY, flipH, flipV); });
}
void TDIBXWave::DrawCoverage(int32_t x, int32_t y, TCustomDIBX& mask, const TRect& sr, bool flipH, bool flipV,
                             uint32_t pixel, int alpha) {
    ForBands(y, int64_t(y) + sr.Height(),
             [&](int32_t dx) { target_->DrawCoverage(x + dx, y, mask, sr, flipH, flipV, pixel, alpha); });
}

} // namespace ruvo
