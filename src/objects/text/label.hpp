#pragma once
// The caption (LT_LABEL): lines of plain text in one font and colour, rendered once through a label
// list into a colour surface and an 8-bit coverage surface, and drawn from them like an image: alpha
// (1..254 blended, 255 opaque, 256..511 added), zoom, flips and rotation about the pivot.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "objects/base/control.hpp"
#include "text/captions.hpp"

namespace ruvo {

class TGxLabelList;

class TRuvoLabel : public TRuvoControl {
public:
    explicit TRuvoLabel(TRuvoBaseList* owner);
    ~TRuvoLabel() override;

    uint8_t GetCompoType() const override { return 9; }
    bool IsPaused() const override { return Paused; }
    int32_t ZoomX() const override { return zoomX_; }
    int32_t ZoomY() const override { return zoomY_; }
    bool FlipH() const override { return flipH_; }
    bool FlipV() const override { return flipV_; }
    void Paint() override;
    TRect PaintedRect() const override;
    TRuvoControl* HitTest(int32_t x, int32_t y, TMouseMask mask) override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the control part: the text, the font, the colour, alignment, the drawing settings, the
    // handlers and the motion's settings; loading renders again.
    void Sync(TSerializer& s) override;

    // The lines joined with CR LF.
    std::string Text() const;
    // Splits into lines (a final empty line is dropped); renders when the text differs.
    void SetText(const std::string& text);
    const std::vector<std::string>& Lines() const noexcept { return lines_; }
    // The size of the rendered text before zooming.
    int32_t NaturalWidth() const noexcept { return naturalWidth_; }
    int32_t NaturalHeight() const noexcept { return naturalHeight_; }
    const TDIBX& Coverage() const noexcept { return coverage_; }

    // A style change: render again with the new value and repaint.
    template <class T>
    void Restyle(T& field, T value) {
        if (field == value) return;
        field = std::move(value);
        Render();
    }
    void SetZoom(bool vertical, int32_t zoom);
    void SetFlip(bool vertical, bool on);
    void SetAngle(int32_t angle);
    void SetSource(std::string source);

    TCaptionStyle Style;
    int32_t Alpha = 255;
    int32_t Angle = 0;   // 1/256 of a full turn
    std::string OnIdle;
    std::string Source;
    bool Repeat = false;
    bool AutoScrap = false;
    std::string OnPlayEnd;
    bool Paused = false;

private:
    // Measures the lines, sizes the control to the zoomed natural size and draws the coverage.
    void Render();
    // The control's size: the natural size zoomed.
    void FitToText();
    // The pivot's screen point (the position without the pivot term).
    void PivotPoint(int32_t& x, int32_t& y) const;

    std::vector<std::string> lines_;
    std::unique_ptr<TGxLabelList> labels_;
    TDIBX colour_, coverage_;
    int32_t naturalWidth_ = 0, naturalHeight_ = 0;
    int32_t zoomX_ = 256, zoomY_ = 256;
    bool flipH_ = false, flipV_ = false;
};

} // namespace ruvo
