// Rendering a page into the engine's colour and opacity surfaces, and painting it from them.
#include <algorithm>
#include <cmath>

#include "archive/sjis.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "text/gxword.hpp"
#include "text/inlinepicture.hpp"
#include "text/page.hpp"

namespace ruvo {

namespace {

// Rows of a scrolled page below this are not rendered (they show blank), as rows below the area were.
constexpr int32_t kMaxScrolledHeight = 8192;

const std::string& RubyOf(const TWdGlyph* g) {
    static const std::string none;
    return g && g->Decoration() ? g->Decoration()->Style.Ruby : none;
}

// A character's colours as the engine resolves them.
struct TCharColours {
    int32_t Text, Edge, Shadow;
};

TCharColours ColoursOf(const TWdChar& c) {
    const TGxWord& e = c.Engine();
    const TDecorateStyle& s = c.Style();
    TCharColours k;
    k.Text = c.Hover() ? e.HoverColor : s.Color != -1 ? s.Color : !c.Link().empty() ? e.LinkColor : e.TextColor;
    k.Edge = s.BorderColor != -1 ? s.BorderColor : e.BorderColor;
    k.Shadow = s.ShadowColor != -1 ? s.ShadowColor : e.ShadowColor;
    return k;
}

// Neighbours whose edge and shadow continue this glyph's (their bars join).
bool SameFrame(const TWdChar& a, const TWdGlyph* b) {
    if (!b || b->Kind() != gkChar)
        return false;
    const auto& c = static_cast<const TWdChar&>(*b);
    const TGxWord& e = a.Engine();
    const TCharColours ka = ColoursOf(a), kc = ColoursOf(c);
    return e.BorderOf(a.Style()) == e.BorderOf(c.Style()) && e.ShadowOf(a.Style()) == e.ShadowOf(c.Style()) &&
           ka.Edge == kc.Edge && ka.Shadow == kc.Shadow;
}

} // namespace

void TWdChar::Measure() {
    const TGxWord& e = Engine();
    const TDecorateStyle& s = Style();
    int32_t h = e.SizeOf(s), w = h;
    if (s.Style & fsItalic)
        w = h + h / 5;
    if (!s.Ruby.empty())
        h += std::max(1, h / 2);
    const int32_t edge = e.BorderOf(s), shadow = e.ShadowOf(s);
    Width = w + 2 * edge + shadow;
    Height = h + 2 * edge + shadow;
}

void TWdChar::Render(bool restart) {
    TWdReal::Render(restart);
    TGxWord& e = Engine();
    const TDecorateStyle& s = Style();
    const std::string& face = e.FaceOf(s);
    const uint8_t style = uint8_t(s.Style | (Link().empty() ? 0 : fsUnderline));
    const int32_t size = e.SizeOf(s);
    TFontPixelManager& fonts = e.Services().Fonts;
    fonts.SetQuality(e.Antialias);
    rendered_ = {};
    const TCharColours k = ColoursOf(*this);
    const uint32_t text = uint32_t(e.ColorSurface.ColorToPixel(k.Text));
    const uint32_t edgePixel = uint32_t(e.ColorSurface.ColorToPixel(k.Edge));
    const uint32_t shadowPixel = uint32_t(e.ColorSurface.ColorToPixel(k.Shadow));
    const int32_t edge = e.BorderOf(s), shadow = e.ShadowOf(s);

    int32_t r = 0;
    if (!s.Ruby.empty()) {
        r = std::max(1, size / 2);
        // The first glyph of a group under one ruby text draws it over the whole group.
        if (RubyOf(e.PreviousInLine(*this)) != s.Ruby) {
            int32_t groupWidth = Width;
            for (const TWdGlyph* g = e.NextInLine(*this); g && RubyOf(g) == s.Ruby; g = e.NextInLine(*g))
                groupWidth += g->Width;
            const size_t n = CharCount(s.Ruby);
            const double step = double(groupWidth) / double(n) / 2;
            size_t k = 1;
            for (size_t i = 0; i < s.Ruby.size(); i = NextCharPos(s.Ruby, i), ++k) {
                const bool wide = CharLength(s.Ruby, i) == 2;
                const uint16_t code = wide ? uint16_t(uint8_t(s.Ruby[i]) << 8 | uint8_t(s.Ruby[i + 1])) : uint8_t(s.Ruby[i]);
                const int32_t x = int32_t(std::lround(double(2 * k - 1) * step)) + PageX() - (wide ? r / 2 : r / 4);
                const TFontPixel& glyph = fonts.GetGlyph(code, face, uint8_t(s.Style & (fsBold | fsItalic)), r);
                fonts.DrawGlyph(glyph, e.ColorSurface, e.OpacitySurface, shadowPixel, edgePixel, text, false, false,
                                std::min(1, shadow), std::min(1, edge), Bounds(x, PageY(), r, r));
            }
        }
        rendered_ = Bounds(PageX(), PageY(), Width, Height);
    }
    const TWdGlyph *prev = nullptr, *next = nullptr;
    if (Row()) {
        const std::vector<TWdGlyph*>& onRow = Row()->Glyphs();
        const auto at = std::find(onRow.begin(), onRow.end(), this);
        prev = at != onRow.end() && at != onRow.begin() ? *(at - 1) : nullptr;
        next = at != onRow.end() && at + 1 != onRow.end() ? *(at + 1) : nullptr;
    }
    const TFontPixel& glyph = fonts.GetGlyph(code_, face, style, size);
    const TRect out = fonts.DrawGlyph(glyph, e.ColorSurface, e.OpacitySurface, shadowPixel, edgePixel, text,
                                      !SameFrame(*this, next), !SameFrame(*this, prev), shadow, edge,
                                      Bounds(PageX(), PageY() + r, Width, Height - r));
    rendered_ = Union(rendered_, out);
}

void TWdChar::Erase() {
    TGxWord& e = Engine();
    if (rendered_.IsEmpty() || e.ColorSurface.IsEmpty())
        return;
    e.ColorSurface.FillRect(rendered_, 0);
    e.OpacitySurface.FillRect(rendered_, 0);
}

TRect TWdChar::ScreenRect() const {
    const TRect cell = TWdGlyph::ScreenRect();
    return Union(cell, Offset(rendered_, ScreenX() - PageX(), ScreenY() - PageY()));
}

void TWdChar::Paint() {
    TGxWord& e = Engine();
    if (Alpha() <= 0 || rendered_.IsEmpty() || !e.Target)
        return;
    const int32_t dx = ScreenX() - PageX(), dy = ScreenY() - PageY();
    const TRect visible = Intersect(Offset(rendered_, dx, dy), Bounds(e.AreaLeft, e.AreaTop, e.AreaWidth, e.AreaHeight));
    if (visible.IsEmpty())
        return;
    const TRect source = Offset(visible, -dx, -dy);
    if (e.BorderOf(Style()) != 0 || e.ShadowOf(Style()) != 0) {
        if (Alpha() < 255)
            e.Target->DrawMaskedAlpha(visible.Left, visible.Top, e.ColorSurface, source, false, false, e.OpacitySurface, Alpha());
        else
            e.Target->DrawMasked(visible.Left, visible.Top, e.ColorSurface, source, false, false, e.OpacitySurface);
        return;
    }
    const uint32_t pixel = uint32_t(e.ColorSurface.ColorToPixel(ColoursOf(*this).Text));
    e.Target->DrawCoverage(visible.Left, visible.Top, e.OpacitySurface, source, false, false, pixel, Alpha());
}

void TWdImg::Paint() {
    TGxWord& e = Engine();
    TCustomDIBX* frame = picture_ ? picture_->Frame() : nullptr;
    if (!frame || !e.Target || frame->IsEmpty())
        return;
    const int g = Alpha(), A = e.Alpha;
    const int a = A == 255 ? g : A < 256 ? (g * std::max(A, 0)) >> 8 : g * (A - 256) / 256 + 256;
    if (a <= 0)
        return;
    const TRect whole = Bounds(0, 0, frame->GetWidth(), frame->GetHeight());
    const bool key = frame->TransparentColor != -1;
    TCustomDIBX* mask = picture_->Mask();
    TCustomDIBX& target = *e.Target;
    if (a > 255) {
        if (mask)
            target.DrawMaskedAdd(ScreenX(), ScreenY(), *frame, whole, false, false, *mask, std::min(a - 256, 255));
        else
            target.DrawAdd(ScreenX(), ScreenY(), *frame, whole, key, false, false, std::min(a - 256, 255));
    } else if (a == 255) {
        if (mask)
            target.DrawMasked(ScreenX(), ScreenY(), *frame, whole, false, false, *mask);
        else
            target.Draw(ScreenX(), ScreenY(), *frame, whole, key, false, false);
    } else if (mask) {
        target.DrawMaskedAlpha(ScreenX(), ScreenY(), *frame, whole, false, false, *mask, a);
    } else {
        target.DrawAlpha(ScreenX(), ScreenY(), *frame, whole, key, false, false, a);
    }
}

void TWdPage::Render(bool restart) {
    TGxWord& e = engine_;
    const int bits = e.Services().DisplayBitCount;
    // In scroll mode the surfaces hold the page (up to a limit), so that scrolled rows have pixels to show.
    const int32_t width = std::max(0, e.AreaWidth);
    const int32_t scrolled = std::max(e.AreaHeight, std::min(Height, kMaxScrolledHeight));
    const int32_t height = std::max(0, e.Paging ? e.AreaHeight : scrolled);
    if (e.ColorSurface.GetWidth() != width || e.ColorSurface.GetHeight() != height || e.ColorSurface.GetBitCount() != bits) {
        e.ColorSurface.SetSize(width, height, bits);
        e.OpacitySurface.SetSize(width, height, 8);
    }
    e.ColorSurface.FillRect(Bounds(0, 0, width, height), 0);
    e.OpacitySurface.FillRect(Bounds(0, 0, width, height), 0);
    if (e.ColorSurface.IsEmpty())
        return;
    for (const auto& row : rows_)
        for (TWdGlyph* g : row->Glyphs())
            g->Render(restart);
}

void TWdPage::Paint() {
    TGxWord& e = engine_;
    if (!e.Target)
        return;
    for (const auto& row : rows_) {
        const TRect screen = Bounds(e.AreaLeft, e.AreaTop - (e.Paging ? 0 : ScrollY) + row->Top, row->Width, row->Height());
        if (Intersect(screen, e.ClipRect).IsEmpty())
            continue;
        for (TWdGlyph* g : row->Glyphs())
            g->Paint();
    }
}

} // namespace ruvo
