#include "objects/text/label.hpp"

#include <algorithm>
#include <cmath>

#include "archive/serializer.hpp"
#include "graphics/surface/customdibx.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"
#include "text/gxword.hpp"
#include "text/captions.hpp"
#include "text/labels.hpp"
#include "text/textlines.hpp"

namespace ruvo {

TRuvoLabel::TRuvoLabel(TRuvoBaseList* owner)
    : TRuvoControl(owner), Style{DefaultCaptionFont()} {}

TRuvoLabel::~TRuvoLabel() = default;

std::string TRuvoLabel::Text() const { return JoinLines(lines_); }

void TRuvoLabel::SetText(const std::string& text) {
    std::vector<std::string> lines = SplitLines(text);
    if (lines == lines_) return;
    lines_ = std::move(lines);
    Render();
}

void TRuvoLabel::Render() {
    if (!labels_) {
        if (!Owner) return;
        labels_ = std::make_unique<TGxLabelList>(Owner->TextObjects().Text().Fonts);
    }
    const TCustomDIBX* screen = GetSurface();
    Invalidate();
    const TCaptionSize natural =
        RenderCaption(*labels_, Style, lines_, screen ? screen->GetBitCount() : 32, colour_, coverage_);
    naturalWidth_ = natural.Width;
    naturalHeight_ = natural.Height;
    FitToText();
    Invalidate();
}

void TRuvoLabel::SetZoom(bool vertical, int32_t zoom) {
    int32_t& field = vertical ? zoomY_ : zoomX_;
    zoom = std::max(zoom, 1);
    if (field == zoom) return;
    Invalidate();
    field = zoom;
    FitToText();
    Invalidate();
}

void TRuvoLabel::SetFlip(bool vertical, bool on) {
    bool& field = vertical ? flipV_ : flipH_;
    if (field == on) return;
    Invalidate();
    field = on;
    Invalidate();
}

void TRuvoLabel::SetAngle(int32_t angle) {
    if (Angle == angle) return;
    Invalidate();
    Angle = angle;
    Invalidate();
}

void TRuvoLabel::SetSource(std::string source) {
    if (source == Source) return;
    Source = std::move(source);
    FreeMotion();
}

void TRuvoLabel::PivotPoint(int32_t& x, int32_t& y) const {
    const int64_t px = int64_t{zoomX_} * OffsetX / 256, py = int64_t{zoomY_} * OffsetY / 256;
    x = Saturate(ScreenLeft() + (flipH_ ? Width - px - 1 : px));
    y = Saturate(ScreenTop() + (flipV_ ? Height - py - 1 : py));
}

void TRuvoLabel::FitToText() {
    SetBounds(Left, Top, Saturate(int64_t{naturalWidth_} * zoomX_ / 256), Saturate(int64_t{naturalHeight_} * zoomY_ / 256));
}

void TRuvoLabel::Paint() {
    TCustomDIBX* surface = GetSurface();
    if (surface && !colour_.IsEmpty() && Alpha >= 1 && Alpha < 512 && Width >= 1 && Height >= 1) {
        if (colour_.GetBitCount() != surface->GetBitCount()) Render();
        const TRect whole = Bounds(0, 0, naturalWidth_, naturalHeight_);
        if (Angle != 0) {
            int32_t px, py;
            PivotPoint(px, py);
            const int32_t sx = flipH_ ? Saturate(int64_t{naturalWidth_} - OffsetX - 1) : OffsetX;
            const int32_t sy = flipV_ ? Saturate(int64_t{naturalHeight_} - OffsetY - 1) : OffsetY;
            surface->DrawRotateMasked(px, py, zoomX_, zoomY_, colour_, whole, sx, sy, Angle, flipH_, flipV_, coverage_, Alpha);
        } else if (Width == naturalWidth_ && Height == naturalHeight_) {
            const int32_t x = ScreenLeft(), y = ScreenTop();
            if (Alpha == 255) surface->DrawMasked(x, y, colour_, whole, flipH_, flipV_, coverage_);
            else if (Alpha < 255) surface->DrawMaskedAlpha(x, y, colour_, whole, flipH_, flipV_, coverage_, Alpha);
            else surface->DrawMaskedAdd(x, y, colour_, whole, flipH_, flipV_, coverage_, Alpha - 256);
        } else if (Alpha <= 255) {
            surface->StretchDrawMasked(ScreenRect(), colour_, whole, flipH_, flipV_, coverage_, Alpha);
        } else {
            surface->StretchDrawMaskedAdd(ScreenRect(), colour_, whole, flipH_, flipV_, coverage_, Alpha - 256);
        }
    }
    PaintChildren();
}

// Turned, the caption is drawn at its natural size about its pivot, as Paint places it.
TRect TRuvoLabel::PaintedRect() const {
    const TRect own = ScreenRect();
    if (Angle == 0 || colour_.IsEmpty()) return own;
    int32_t cx, cy;
    PivotPoint(cx, cy);
    const double sx = flipH_ ? double(naturalWidth_) - OffsetX - 1 : OffsetX;
    const double sy = flipV_ ? double(naturalHeight_) - OffsetY - 1 : OffsetY;
    const double zx = zoomX_ / 256.0, zy = zoomY_ / 256.0;
    return TurnedBounds(own, -sx * zx, -sy * zy, (naturalWidth_ - sx) * zx, (naturalHeight_ - sy) * zy, cx, cy, Angle);
}

TRuvoControl* TRuvoLabel::HitTest(int32_t x, int32_t y, TMouseMask mask) {
    if (Angle != 0) {
        // The point turned back about the pivot lands where the unturned caption would be hit.
        int32_t cx, cy;
        PivotPoint(cx, cy);
        const double t = -AngleRadians(Angle);
        const double dx = double(x) - cx, dy = double(y) - cy;
        x = Saturate(std::llround(dx * std::cos(t) - dy * std::sin(t) + cx));
        y = Saturate(std::llround(dx * std::sin(t) + dy * std::cos(t) + cy));
    }
    return TRuvoControl::HitTest(x, y, mask);
}

const TPropertyMap& TRuvoLabel::ClassProperties() {
    static const TPropertyMap map = [] {
        using L = TRuvoLabel;
        TPropertyMap m(TRuvoControl::ClassProperties());
        m.Str<L>(PR_TEXT, [](L& l) { return l.Text(); }, [](L& l, std::string v) { l.SetText(v); });
        m.Str<L>(PR_FONTNAME, [](L& l) { return l.Style.FontName; }, [](L& l, std::string v) { l.Restyle(l.Style.FontName, std::move(v)); });
        m.Int<L>(PR_FONTHEIGHT, [](L& l) { return l.Style.FontHeight; }, [](L& l, int32_t v) { l.Restyle(l.Style.FontHeight, v); });
        m.Int<L>(PR_LINESPACE, [](L& l) { return l.Style.LineSpace; }, [](L& l, int32_t v) { l.Restyle(l.Style.LineSpace, v); });
        m.Int<L>(PR_FONTSTYLE, [](L& l) { return int32_t{l.Style.FontStyle}; },
                 [](L& l, int32_t v) { l.Restyle(l.Style.FontStyle, static_cast<uint8_t>(v & 0x0F)); });
        m.Int<L>(PR_FONTCOLOR, [](L& l) { return l.Style.FontColor; }, [](L& l, int32_t v) { l.Restyle(l.Style.FontColor, v); });
        m.Int<L>(PR_HALIGN, [](L& l) { return l.Style.HAlign; }, [](L& l, int32_t v) { l.Restyle(l.Style.HAlign, v); });
        m.Flag<L>(PR_ANTIALIAS, [](L& l) { return l.Style.Antialias; }, [](L& l, bool v) { l.Restyle(l.Style.Antialias, v); });
        m.Int<L>(PR_ALPHA, [](L& l) { return l.Alpha; }, [](L& l, int32_t v) {
            l.Alpha = v;
            l.Invalidate();
        });
        m.Int<L>(PR_ZOOMX, [](L& l) { return l.ZoomX(); }, [](L& l, int32_t v) { l.SetZoom(false, v); });
        m.Int<L>(PR_ZOOMY, [](L& l) { return l.ZoomY(); }, [](L& l, int32_t v) { l.SetZoom(true, v); });
        m.Flag<L>(PR_FLIPH, [](L& l) { return l.FlipH(); }, [](L& l, bool v) { l.SetFlip(false, v); });
        m.Flag<L>(PR_FLIPV, [](L& l) { return l.FlipV(); }, [](L& l, bool v) { l.SetFlip(true, v); });
        m.Int<L>(PR_ANGLE, [](L& l) { return l.Angle; }, [](L& l, int32_t v) { l.SetAngle(v); });
        m.Int<L>(PR_ORIGWIDTH, [](L& l) { return l.NaturalWidth(); });
        m.Int<L>(PR_ORIGHEIGHT, [](L& l) { return l.NaturalHeight(); });
        m.Str<L>(PR_SOURCE, [](L& l) { return l.Source; }, [](L& l, std::string v) { l.SetSource(std::move(v)); });
        m.Flag<L>(PR_REPEAT, [](L& l) { return l.Repeat; }, [](L& l, bool v) { l.Repeat = v; });
        m.Flag<L>(PR_AUTOSCRAP, [](L& l) { return l.AutoScrap; }, [](L& l, bool v) { l.AutoScrap = v; });
        m.Str<L>(PR_ONPLAYEND, [](L& l) { return l.OnPlayEnd; }, [](L& l, std::string v) { l.OnPlayEnd = std::move(v); });
        m.Flag<L>(PR_PAUSED, [](L& l) { return l.Paused; }, [](L& l, bool v) { l.Paused = v; });
        m.Str<L>(PR_ONIDLE, [](L& l) { return l.OnIdle; }, [](L& l, std::string v) { l.OnIdle = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoLabel::Sync(TSerializer& s) {
    TRuvoControl::Sync(s);
    s.Strings(lines_);
    s.Str(Style.FontName);
    s.Int(Style.FontHeight);
    s.Int(Style.LineSpace);
    s.Byte(Style.FontStyle);
    s.Int(Alpha);
    s.Int(Style.FontColor);
    s.Int(Style.HAlign);
    s.Bool(Style.Antialias);
    s.Bool(flipH_);
    s.Bool(flipV_);
    s.Int(Angle);
    s.Int(zoomX_);
    s.Int(zoomY_);
    s.Str(OnIdle);
    std::string source = Source;
    s.Str(source);
    s.Bool(Repeat);
    s.Bool(AutoScrap);
    s.Str(OnPlayEnd);
    s.Bool(Paused);
    if (s.Loading()) {
        zoomX_ = std::max(zoomX_, 1);
        zoomY_ = std::max(zoomY_, 1);
        SetSource(std::move(source));
        Render();
    }
}

} // namespace ruvo
