#pragma once
// The raster-wave proxy: owns no pixels; every drawing call is forwarded to a target surface band of
// rows by band of rows, each band shifted right by that row's displacement. Coordinates passed to the
// proxy are target coordinates; the wave area is Origin .. Origin + size.
#include <vector>

#include "graphics/surface/customdibx.hpp"

namespace ruvo {

class TDIBXWave : public TCustomDIBX {
public:
    explicit TDIBXWave(TCustomDIBX* target = nullptr) : target_(target) {}

    void SetTarget(TCustomDIBX* target) noexcept { target_ = target; }
    void SetOrigin(int32_t x, int32_t y) noexcept { originX_ = x, originY_ = y; }
    int32_t OriginX() const noexcept { return originX_; }
    int32_t OriginY() const noexcept { return originY_; }
    // One horizontal displacement per row of the wave area (sized by SetSize).
    std::vector<int32_t>& Displacements() noexcept { return displacements_; }

    bool IsEmpty() const override;
    int GetBitCount() const override { return target_ ? target_->GetBitCount() : 0; }
    uint32_t GetRMask() const override { return target_ ? target_->GetRMask() : 0; }
    uint32_t GetGMask() const override { return target_ ? target_->GetGMask() : 0; }
    uint32_t GetBMask() const override { return target_ ? target_->GetBMask() : 0; }
    int GetBShift() const override { return target_ ? target_->GetBShift() : 0; }
    int GetGShift() const override { return target_ ? target_->GetGShift() : 0; }
    int GetRShift() const override { return target_ ? target_->GetRShift() : 0; }
    TCustomDIBX* GetTarget() override { return target_; }
    int GetStorageBitCount() const override { return target_ ? target_->GetStorageBitCount() : 0; }
    void SetSize(int32_t width, int32_t height, int bitCount) override;
    void ResetClip() override;
    void AddClipRect(const TRect& r) override;
    int32_t ColorToPixel(int32_t colour) override { return target_ ? target_->ColorToPixel(colour) : colour; }
    TRect EffectiveClip() const override;

    void Clear(uint32_t pixel) override;
    void FillRect(const TRect& rect, uint32_t pixel) override;
    void BlendRect(const TRect& rect, uint32_t pixel, int alpha) override;
    void AddRect(const TRect& rect, uint32_t pixel) override;
    void SubRect(const TRect& rect, uint32_t pixel) override;
    void Assign(TCustomDIBX& source) override;
    void Draw(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
              bool flipV) override;
    void DrawMasked(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                    TCustomDIBX& mask) override;
    void DrawAlpha(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH, bool flipV,
                   int alpha) override;
    void DrawMaskedAlpha(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                         TCustomDIBX& mask, int alpha) override;
    void DrawAdd(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH, bool flipV,
                 int factor) override;
    void DrawMaskedAdd(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                       TCustomDIBX& mask, int factor) override;
    void DrawRotate(int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src, const TRect& srcRect, int pivotX,
                    int pivotY, int angle, bool useKey, bool flipH, bool flipV, int blend) override;
    void DrawRotateMasked(int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src, const TRect& srcRect,
                          int pivotX, int pivotY, int angle, bool flipH, bool flipV, TCustomDIBX& mask,
                          int blend) override;
    void StretchDraw(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH, bool flipV,
                     int alpha) override;
    void StretchDrawMasked(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                           TCustomDIBX& mask, int alpha) override;
    void StretchDrawAdd(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                        bool flipV, int factor) override;
    void StretchDrawMaskedAdd(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                              TCustomDIBX& mask, int factor) override;
    void DrawMonoGlyph(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, uint32_t pixel, bool flipH,
                       bool flipV, int alpha, int scale) override;
    void DrawToneGlyph(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect,
                       const std::array<uint32_t, 3>& colours, bool flipH, bool flipV, int blend,
                       int scale) override;
    void PatternFrameRect(const TRect& rect, int width, TCustomDIBX& pattern, int offsetX, int offsetY) override;
    void DrawIndexed4(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV, int blend,
                      std::span<const uint32_t> palette) override;
    void DrawIndexedAdd8(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, int minIndex, bool flipH,
                         bool flipV, int factor, std::span<const uint32_t> palette) override;
    void StretchDrawIndexedAdd8(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, int minIndex, bool flipH,
                                bool flipV, int factor, std::span<const uint32_t> palette) override;
    void PatternFillScaled(const TRect& rect, int zoomX, int zoomY, TCustomDIBX& pattern, int offsetX, int offsetY,
                           bool useKey, bool flipH, bool flipV, int blend) override;
    void PatternFillScaledMasked(const TRect& rect, int zoomX, int zoomY, TCustomDIBX& pattern, int offsetX,
                                 int offsetY, TCustomDIBX& mask, bool flipH, bool flipV, int blend) override;
    void PatternFill(const TRect& rect, TCustomDIBX& pattern, int offsetX, int offsetY, bool flipH,
                     bool flipV) override;
    void DrawCoverage(int32_t x, int32_t y, TCustomDIBX& mask, const TRect& srcRect, bool flipH, bool flipV,
                      uint32_t pixel, int alpha) override;

private:
    // Calls draw(displacement) once per band of equally displaced rows within [top, bottom), with the
    // target clipped to the band.
    template <class Fn>
    void ForBands(int64_t top, int64_t bottom, Fn&& draw);
    template <class Fn>
    void ForAllBands(Fn&& draw) { ForBands(INT32_MIN, INT32_MAX, draw); }

    TCustomDIBX* target_;
    int32_t originX_ = 0, originY_ = 0;
    std::vector<int32_t> displacements_;
};

} // namespace ruvo
