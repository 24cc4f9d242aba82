#pragma once
// The common part of the image objects: a picture drawn at the control's rectangle, zoomed, mirrored,
// rotated about the pivot, through its mask, blended or added by its alpha (the box's alpha rule). The
// picture is a frame borrowed from the picture cache (image surface and mask) or, without one, the
// object's own surface. Without a motion the size follows the picture and the zooms. Hit testing can
// take only the opaque pixels of the mask (PR_CAPTUREMASK), and follows the rotation.
#include <memory>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "objects/base/control.hpp"

namespace ruvo {

class TRuvoCustomImage : public TRuvoControl {
public:
    explicit TRuvoCustomImage(TRuvoBaseList* owner);

    int32_t ZoomX() const override { return ZoomXValue; }
    int32_t ZoomY() const override { return ZoomYValue; }
    bool FlipH() const override { return FlipHValue; }
    bool FlipV() const override { return FlipVValue; }
    // The borrowed frame when there is one, else the own surface; null when that is empty.
    TCustomDIBX* DrawnSurface() const override;
    // The borrowed mask, else the own mask; null without one.
    TCustomDIBX* DrawnMask() const;

    // A zoom changed since the last update: the size is worked out again between two invalidations.
    bool Update() override;
    void Paint() override;
    bool Opaque() const override;
    TRect PaintedRect() const override;
    TRuvoControl* HitTest(int32_t x, int32_t y, TMouseMask mask) override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the control part: alpha, zoom X, angle, the flips, capture mask; zoom Y from 104.
    void Sync(TSerializer& s) override;

    // Zooms of 0 or less are kept as 1; children placed by the zoom follow at the next update.
    void SetZoom(bool vertical, int32_t zoom);
    void SetFlip(bool vertical, bool on);
    void SetAlpha(int32_t alpha);
    void SetAngle(int32_t angle);
    // Width and height from the drawn surface and the zooms (0 without a picture); the area is
    // repainted when they change. Classes whose size the script sets keep theirs.
    virtual void RecomputeSize();

    int32_t Alpha = 255;
    int32_t ZoomXValue = 256, ZoomYValue = 256;
    int32_t Angle = 0;
    bool FlipHValue = false, FlipVValue = false;
    bool CaptureMask = false;
    bool SizeDirty = false;

protected:
    // Shows a borrowed frame (null: the own surface again). The content rectangles, when given, are
    // drawn one by one instead of the whole picture.
    void Borrow(TDIBX* surface, TDIBX* mask, const std::vector<TRect>* rects);
    // The own picture: a surface over the given storage (shared, not copied) and its mask.
    TDIBX& OwnSurface() noexcept { return own_; }
    void SetOwnMask(std::unique_ptr<TDIBX> mask) { ownMask_ = std::move(mask); }
    void SetOwnRects(std::vector<TRect> rects) { ownRects_ = std::move(rects); }
    const std::vector<TRect>* ContentRects() const;
    // What a class draws over its picture, below its children (a map image's hovered region).
    virtual void PaintOver(TCustomDIBX&) {}

private:
    // Where the pivot lies on the screen: the position without the pivot term.
    void PivotOnScreen(int64_t& x, int64_t& y) const;
    // The pivot inside the picture, mirrored for the flips.
    void PivotInPicture(const TCustomDIBX& picture, int& x, int& y) const;

    TDIBX own_;
    std::unique_ptr<TDIBX> ownMask_;
    std::vector<TRect> ownRects_;
    TDIBX* image_ = nullptr;
    TDIBX* imageMask_ = nullptr;
    const std::vector<TRect>* imageRects_ = nullptr;
};

// One positioned draw of a picture by the alpha rule: through the mask when there is one, honouring the
// transparent colour otherwise; opaque at 255, blended below, added (factor alpha − 256) above.
void DrawPicture(TCustomDIBX& target, int32_t x, int32_t y, TCustomDIBX& picture, const TRect& source,
                 TCustomDIBX* mask, int32_t alpha, bool flipH, bool flipV);

} // namespace ruvo
