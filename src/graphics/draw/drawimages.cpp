// Rectangle fills and the positioned, stretched and rotated draws of surfaces.
#include "graphics/surface/customdibx.hpp"
#include "graphics/draw/drawcore.hpp"

namespace ruvo {

using draw::SetKey;

void TCustomDIBX::FillRect(const TRect& rect, uint32_t pixel) {
    draw::FillRule(*this, rect, pixel, TBlendOp{TBlendRule::Copy});
}

void TCustomDIBX::BlendRect(const TRect& rect, uint32_t pixel, int alpha) {
    TBlendOp op;
    if (RuleForAlpha(alpha, false, op))
        draw::FillRule(*this, rect, pixel, op);
}

void TCustomDIBX::AddRect(const TRect& rect, uint32_t pixel) {
    draw::FillRule(*this, rect, pixel, TBlendOp{TBlendRule::Add, 256});
}

void TCustomDIBX::SubRect(const TRect& rect, uint32_t pixel) {
    draw::FillRule(*this, rect, pixel, TBlendOp{TBlendRule::Sub});
}

void TCustomDIBX::Draw(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                       bool flipV) {
    TBlendOp op{TBlendRule::Copy};
    SetKey(op, useKey, src);
    draw::Positioned(*this, x, y, src, srcRect, flipH, flipV, nullptr, op);
}

void TCustomDIBX::DrawMasked(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH, bool flipV,
                             TCustomDIBX& mask) {
    draw::Positioned(*this, x, y, src, srcRect, flipH, flipV, &mask, TBlendOp{TBlendRule::Mask});
}

void TCustomDIBX::DrawAlpha(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                            bool flipV, int alpha) {
    TBlendOp op;
    if (!RuleForAlpha(alpha, false, op))
        return;
    SetKey(op, useKey, src);
    draw::Positioned(*this, x, y, src, srcRect, flipH, flipV, nullptr, op);
}

void TCustomDIBX::DrawMaskedAlpha(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                                  bool flipV, TCustomDIBX& mask, int alpha) {
    TBlendOp op;
    if (RuleForAlpha(alpha, true, op))
        draw::Positioned(*this, x, y, src, srcRect, flipH, flipV, &mask, op);
}

void TCustomDIBX::DrawAdd(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                          bool flipV, int factor) {
    TBlendOp op;
    if (!RuleForFactor(factor, false, op))
        return;
    SetKey(op, useKey, src);
    draw::Positioned(*this, x, y, src, srcRect, flipH, flipV, nullptr, op);
}

void TCustomDIBX::DrawMaskedAdd(int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                                bool flipV, TCustomDIBX& mask, int factor) {
    TBlendOp op;
    if (RuleForFactor(factor, true, op))
        draw::Positioned(*this, x, y, src, srcRect, flipH, flipV, &mask, op);
}

void TCustomDIBX::DrawRotate(int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src, const TRect& srcRect,
                             int pivotX, int pivotY, int angle, bool useKey, bool flipH, bool flipV, int blend) {
    TBlendOp op;
    if (!RuleForBlend(blend, false, op))
        return;
    SetKey(op, useKey, src);
    draw::Rotated(*this, x, y, zoomX, zoomY, src, srcRect, pivotX, pivotY, angle, flipH, flipV, nullptr, op);
}

void TCustomDIBX::DrawRotateMasked(int32_t x, int32_t y, int zoomX, int zoomY, TCustomDIBX& src,
                                   const TRect& srcRect, int pivotX, int pivotY, int angle, bool flipH, bool flipV,
                                   TCustomDIBX& mask, int blend) {
    TBlendOp op;
    if (RuleForBlend(blend, true, op))
        draw::Rotated(*this, x, y, zoomX, zoomY, src, srcRect, pivotX, pivotY, angle, flipH, flipV, &mask, op);
}

void TCustomDIBX::StretchDraw(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool useKey, bool flipH,
                              bool flipV, int alpha) {
    TBlendOp op;
    if (!RuleForAlpha(alpha, false, op))
        return;
    SetKey(op, useKey, src);
    draw::Stretched(*this, rect, src, srcRect, flipH, flipV, nullptr, op);
}

void TCustomDIBX::StretchDrawMasked(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                                    bool flipV, TCustomDIBX& mask, int alpha) {
    TBlendOp op;
    if (RuleForAlpha(alpha, true, op))
        draw::Stretched(*this, rect, src, srcRect, flipH, flipV, &mask, op);
}

void TCustomDIBX::StretchDrawAdd(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool useKey,
                                 bool flipH, bool flipV, int factor) {
    TBlendOp op;
    if (!RuleForFactor(factor, false, op))
        return;
    SetKey(op, useKey, src);
    draw::Stretched(*this, rect, src, srcRect, flipH, flipV, nullptr, op);
}

void TCustomDIBX::StretchDrawMaskedAdd(const TRect& rect, TCustomDIBX& src, const TRect& srcRect, bool flipH,
                                       bool flipV, TCustomDIBX& mask, int factor) {
    TBlendOp op;
    if (RuleForFactor(factor, true, op))
        draw::Stretched(*this, rect, src, srcRect, flipH, flipV, &mask, op);
}

} // namespace ruvo
