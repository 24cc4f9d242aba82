#include "objects/text/cglabel.hpp"

#include <algorithm>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "archive/sjis.hpp"
#include "graphics/surface/customdibx.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"
#include "text/textlines.hpp"

namespace ruvo {

namespace {

// The characters of a Shift-JIS text, a double-byte character as one.
std::vector<std::string_view> Characters(std::string_view text) {
    std::vector<std::string_view> chars;
    for (size_t i = 0; i < text.size();) {
        const size_t next = std::min(text.size(), NextCharPos(text, i));
        chars.push_back(text.substr(i, next - i));
        i = next;
    }
    return chars;
}

} // namespace

TRuvoCGLabel::TRuvoCGLabel(TRuvoBaseList* owner) : TRuvoControl(owner) {}
TRuvoCGLabel::~TRuvoCGLabel() = default;

int32_t TRuvoCGLabel::PictureWidth() const { return picture_ ? picture_->GetWidth() : 0; }
int32_t TRuvoCGLabel::PictureHeight() const { return picture_ ? picture_->GetHeight() : 0; }

void TRuvoCGLabel::SetSource(std::string source) {
    Source = std::move(source);
    picture_.reset();
    mask_.reset();
    held_.reset();
    if (!Source.empty() && Owner && Owner->Pictures()) {
        try {
            held_ = Owner->Pictures()->Acquire(Source);
        } catch (const ERuvoError&) {
            // A damaged picture: the caption draws nothing.
        }
        if (held_ && held_->Found && !held_->Frames.empty()) {
            picture_ = held_->Frames.front().ColourSurface();
            mask_ = held_->Frames.front().MaskSurface();
        }
    }
    Invalidate();
}

void TRuvoCGLabel::SetText(std::string text) {
    if (text == Text) return;
    Text = std::move(text);
    Layout();
}

void TRuvoCGLabel::SetMapText(std::string map) {
    if (map == MapText) return;
    MapText = std::move(map);
    Layout();
}

void TRuvoCGLabel::SetMetric(int32_t& field, int32_t value) {
    if (&field != &LineSpace) value = std::max(value, 1);
    if (field == value) return;
    field = value;
    Resize();
}

void TRuvoCGLabel::Layout() {
    const std::vector<std::string_view> map = Characters(MapText);
    cells_.clear();
    for (const std::string& line : SplitLines(Text)) {
        std::vector<int>& cells = cells_.emplace_back();
        for (std::string_view c : Characters(line)) {
            const auto at = std::find(map.begin(), map.end(), c);
            cells.push_back(at == map.end() ? -1 : static_cast<int>(at - map.begin()));
        }
    }
    Resize();
}

void TRuvoCGLabel::Resize() {
    size_t longest = 0;
    for (const auto& line : cells_) longest = std::max(longest, line.size());
    const int64_t n = static_cast<int64_t>(cells_.size());
    const int64_t width = static_cast<int64_t>(longest) * GlyphWidth;
    const int64_t height = n * GlyphHeight + (n > 0 ? LineSpace * (n - 1) : 0);
    Invalidate();
    SetBounds(Left, Top, Saturate(width), Saturate(height));
    Invalidate();
}

void TRuvoCGLabel::Paint() {
    TCustomDIBX* surface = GetSurface();
    const int32_t columns = picture_ ? picture_->GetWidth() / GlyphWidth : 0;
    if (surface && picture_ && Width > 0 && Height > 0 && Alpha > 0 && Alpha < 512 && columns >= 1) {
        const int64_t cellCount = int64_t{picture_->GetHeight() / GlyphHeight} * columns;
        const bool key = picture_->TransparentColor != -1;
        int64_t y = ScreenTop();
        for (const auto& line : cells_) {
            const int64_t used = static_cast<int64_t>(line.size()) * GlyphWidth;
            int64_t x = ScreenLeft() + (HAlign == 1 ? (Width - used) / 2 : HAlign == 2 ? Width - used : 0);
            for (int k : line) {
                if (k >= 0 && k < cellCount) {
                    const TRect cell = Bounds(k % columns * GlyphWidth, k / columns * GlyphHeight, GlyphWidth, GlyphHeight);
                    const auto px = static_cast<int32_t>(x), py = static_cast<int32_t>(y);
                    if (mask_) {
                        if (Alpha == 255) surface->DrawMasked(px, py, *picture_, cell, false, false, *mask_);
                        else if (Alpha < 255) surface->DrawMaskedAlpha(px, py, *picture_, cell, false, false, *mask_, Alpha);
                        else surface->DrawMaskedAdd(px, py, *picture_, cell, false, false, *mask_, Alpha - 256);
                    } else if (Alpha == 255) {
                        surface->Draw(px, py, *picture_, cell, key, false, false);
                    } else if (Alpha < 255) {
                        surface->DrawAlpha(px, py, *picture_, cell, key, false, false, Alpha);
                    } else {
                        surface->DrawAdd(px, py, *picture_, cell, key, false, false, Alpha - 256);
                    }
                }
                x += GlyphWidth;
            }
            y += int64_t{GlyphHeight} + LineSpace;
        }
    }
    PaintChildren();
}

const TPropertyMap& TRuvoCGLabel::ClassProperties() {
    static const TPropertyMap map = [] {
        using L = TRuvoCGLabel;
        TPropertyMap m(TRuvoControl::ClassProperties());
        m.Str<L>(PR_SOURCE, [](L& l) { return l.Source; }, [](L& l, std::string v) { l.SetSource(std::move(v)); });
        m.Str<L>(PR_TEXT, [](L& l) { return l.Text; }, [](L& l, std::string v) { l.SetText(std::move(v)); });
        m.Str<L>(PR_MAPTEXT, [](L& l) { return l.MapText; }, [](L& l, std::string v) { l.SetMapText(std::move(v)); });
        m.Int<L>(PR_GLYPHWIDTH, [](L& l) { return l.GlyphWidth; }, [](L& l, int32_t v) { l.SetMetric(l.GlyphWidth, v); });
        m.Int<L>(PR_GLYPHHEIGHT, [](L& l) { return l.GlyphHeight; }, [](L& l, int32_t v) { l.SetMetric(l.GlyphHeight, v); });
        m.Int<L>(PR_LINESPACE, [](L& l) { return l.LineSpace; }, [](L& l, int32_t v) { l.SetMetric(l.LineSpace, v); });
        m.Flag<L>(PR_PAUSED, [](L& l) { return l.Paused; }, [](L& l, bool v) { l.Paused = v; });
        m.Int<L>(PR_HALIGN, [](L& l) { return l.HAlign; }, [](L& l, int32_t v) {
            l.HAlign = v;
            l.Invalidate();
        });
        m.Int<L>(PR_ALPHA, [](L& l) { return l.Alpha; }, [](L& l, int32_t v) {
            l.Alpha = v;
            l.Invalidate();
        });
        m.Int<L>(PR_ORIGWIDTH, [](L& l) { return l.PictureWidth(); });
        m.Int<L>(PR_ORIGHEIGHT, [](L& l) { return l.PictureHeight(); });
        m.Str<L>(PR_ONIDLE, [](L& l) { return l.OnIdle; }, [](L& l, std::string v) { l.OnIdle = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoCGLabel::Sync(TSerializer& s) {
    TRuvoControl::Sync(s);
    std::string source = Source;
    s.Str(source);
    s.Str(Text);
    s.Str(MapText);
    s.Int(GlyphWidth);
    s.Int(GlyphHeight);
    s.Int(LineSpace);
    s.Bool(Paused);
    s.Int(HAlign);
    s.Int(Alpha);
    s.Str(OnIdle);
    if (s.Loading()) {
        GlyphWidth = std::max(GlyphWidth, 1);
        GlyphHeight = std::max(GlyphHeight, 1);
        SetSource(std::move(source));
        Layout();
    }
}

} // namespace ruvo
