#pragma once
// The tile (LT_TILE): its rectangle, sized by the script, filled with a picture repeated. Without
// pitches the picture is laid edge to edge, shifted by PR_SCROLLX / PR_SCROLLY, mirrored by the flips
// and zoomed; with a pitch (PR_DISTANCEX / PR_DISTANCEY, at least half the picture's extent) the copies
// stand that far apart. It animates its frames like TRuvoImages. It is placed at its parent's position
// plus Left and Top, without pivot, zoom or PR_PLUSX.
#include <string>

#include "objects/images/images.hpp"

namespace ruvo {

class TRuvoTile : public TRuvoCustomImages {
public:
    using TRuvoCustomImages::TRuvoCustomImages;

    uint8_t GetCompoType() const override { return 20; }
    int32_t ScrollX() const override { return ScrollXValue; }
    int32_t ScrollY() const override { return ScrollYValue; }
    // The script sets the size.
    void RecomputeSize() override {}
    void Paint() override;
    bool Opaque() const override { return false; }
    TRect PaintedRect() const override { return ScreenRect(); }
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the animation part: the scroll, the source (loaded again), the idle handler, the pitches.
    void Sync(TSerializer& s) override;

    void SetSource(std::string source);
    void SetScroll(bool vertical, int32_t v);
    void SetDistance(bool vertical, int32_t v);

    int32_t ScrollXValue = 0, ScrollYValue = 0;
    std::string Source;
    std::string OnIdle;
    int32_t DistanceX = 0, DistanceY = 0;
    bool Repeat = false;  // not saved

protected:
    int64_t ScreenPosition(bool vertical) const override;
    TRuvoImageList& Frames() override { return frames_; }
    bool Repeats() const override { return Repeat; }

private:
    TRuvoImageList frames_;
};

} // namespace ruvo
