#include "objects/choices/listframe.hpp"

#include <algorithm>
#include <utility>

#include "archive/serializer.hpp"
#include "graphics/surface/customdibx.hpp"
#include "graphics/images/picturecache.hpp"

namespace ruvo {

namespace {

constexpr int kScrollBands = 4;  // up arrow, down arrow, track, thumb
enum TBand : int { kBandUp, kBandDown, kBandTrack, kBandThumb };

bool Shown(const TListFrame::TPictureSlot& slot) {
    const TPicture* p = slot.Frames.Picture();
    return p && p->Found && slot.Frames.Count() > 0;
}

int64_t Mod(int64_t v, int64_t m) {
    const int64_t r = v % m;
    return r < 0 ? r + m : r;
}

// The phase of the first tile so that a tile stands at the cell's start, centre or end.
int32_t AlignOffset(int32_t align, int32_t cell, int32_t tile) {
    if (tile <= 0) return 0;
    switch (align) {
    case kAlignCentre: return static_cast<int32_t>(Mod(-(int64_t{cell} - tile) / 2, tile));
    case kAlignEnd: return static_cast<int32_t>(Mod(int64_t{tile} - cell, tile));
    default: return 0;
    }
}

// A part of a frame tiled over rect with the tiling's phase.
void TilePart(TCustomDIBX& surface, const TRect& rect, TRuvoImageList::TShown shown, const TRect& source, int32_t ox,
              int32_t oy) {
    if (rect.IsEmpty() || source.IsEmpty() || !shown.surface) return;
    if (shown.mask)
        surface.TileDrawMasked(rect, 0, 0, *shown.surface, source, *shown.mask, ox, oy);
    else
        surface.TileDraw(rect, 0, 0, *shown.surface, source, shown.surface->TransparentColor != -1, ox, oy);
}

TRect WholeOf(const TRuvoImageList::TShown& shown) {
    return TRect{0, 0, shown.surface->GetWidth(), shown.surface->GetHeight()};
}

bool Inside(const TRect& r, int32_t x, int32_t y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

} // namespace

int32_t TListFrame::TPictureSlot::Width() const noexcept { return Shown(*this) ? Frames.Picture()->Width : 0; }
int32_t TListFrame::TPictureSlot::Height() const noexcept { return Shown(*this) ? Frames.Picture()->Height : 0; }

bool TListFrame::SetSource(TPictureSlot& slot, TPictureCache* cache, std::string source) {
    if (source == slot.Source) return false;
    slot.Source = std::move(source);
    slot.Frame = 0;
    slot.Due = 0;
    if (slot.Source.empty()) slot.Frames.Clear();
    else slot.Frames.Load(cache, slot.Source);
    return true;
}

void TListFrame::Reload(TPictureCache* cache) {
    auto reload = [cache](TPictureSlot& slot) {
        std::string source = std::exchange(slot.Source, {});
        slot.Frames.Clear();
        SetSource(slot, cache, std::move(source));
    };
    for (TPictureSlot& slot : Cells) reload(slot);
    reload(Scroll);
    reload(Check);
}

int32_t TListFrame::LeftWidth() const noexcept {
    return std::max({Cells[kCellTL].Width(), Cells[kCellCL].Width(), Cells[kCellBL].Width()});
}
int32_t TListFrame::RightWidth() const noexcept {
    return std::max({Cells[kCellTR].Width(), Cells[kCellCR].Width(), Cells[kCellBR].Width()});
}
int32_t TListFrame::TopHeight() const noexcept {
    return std::max({Cells[kCellTL].Height(), Cells[kCellTC].Height(), Cells[kCellTR].Height()});
}
int32_t TListFrame::BottomHeight() const noexcept {
    return std::max({Cells[kCellBL].Height(), Cells[kCellBC].Height(), Cells[kCellBR].Height()});
}
int32_t TListFrame::ScrollWidth() const noexcept { return Scroll.Height() >= kScrollBands ? Scroll.Width() : 0; }

void TListFrame::PaintFrame(TCustomDIBX& surface, const TRect& rect) {
    if (rect.IsEmpty()) return;
    // Column and row boundaries; corners keep their size, the rest lies between them.
    const int32_t xs[4] = {rect.Left, std::min(rect.Right, rect.Left + LeftWidth()),
                           std::max(rect.Left, rect.Right - RightWidth()), rect.Right};
    const int32_t ys[4] = {rect.Top, std::min(rect.Bottom, rect.Top + TopHeight()),
                           std::max(rect.Top, rect.Bottom - BottomHeight()), rect.Bottom};
    const TRect saved = surface.ClipRect;
    surface.ClipRect = Intersect(rect, surface.EffectiveClip());
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            TPictureSlot& slot = Cells[static_cast<size_t>(row * 3 + col)];
            if (!Shown(slot)) continue;
            const TRect cell{xs[col], ys[row], std::max(xs[col], xs[col + 1]), std::max(ys[row], ys[row + 1])};
            const TRuvoImageList::TShown shown = slot.Frames.Frame(slot.Frame, 0);
            const TRect whole = WholeOf(shown);
            // Across the box's edge a cell's tiles keep to the outside; along it they follow the alignment.
            const int32_t alignX = col == 1 ? HAlign[static_cast<size_t>(row)] : col == 2 ? kAlignEnd : kAlignStart;
            const int32_t alignY = row == 1 ? VAlign[static_cast<size_t>(col)] : row == 2 ? kAlignEnd : kAlignStart;
            TRect area = cell;
            if (col != 1 && row != 1) {  // a corner is drawn once, at the box's corner
                area.Left = col == 2 ? std::max(cell.Left, cell.Right - whole.Width()) : cell.Left;
                area.Right = std::min(cell.Right, area.Left + whole.Width());
                area.Top = row == 2 ? std::max(cell.Top, cell.Bottom - whole.Height()) : cell.Top;
                area.Bottom = std::min(cell.Bottom, area.Top + whole.Height());
            }
            const int32_t ox = AlignOffset(alignX, area.Width(), whole.Width());
            const int32_t oy = AlignOffset(alignY, area.Height(), whole.Height());
            TilePart(surface, area, shown, whole, ox, oy);
        }
    surface.ClipRect = saved;
}

void TListFrame::PaintCheck(TCustomDIBX& surface, int32_t x, int32_t y, int32_t rowHeight, int32_t data) {
    if (!Shown(Check)) return;
    const int count = Check.Frames.Count();
    const int frame = count >= 2 ? (data != 0 ? 1 : 0) : (data != 0 ? 0 : -1);
    if (frame < 0) return;
    const TRuvoImageList::TShown shown = Check.Frames.Frame(frame, 0);
    const TRect whole = WholeOf(shown);
    const int32_t top = static_cast<int32_t>(y + (int64_t{rowHeight} - whole.Height()) / 2);
    TilePart(surface, Bounds(x, top, whole.Width(), whole.Height()), shown, whole, 0, 0);
}

TScrollParts TListFrame::ScrollLayout(const TRect& bar, int32_t top, int32_t rows, int32_t count) const {
    TScrollParts p;
    if (ScrollWidth() <= 0 || bar.IsEmpty()) return p;
    const int32_t band = Scroll.Height() / kScrollBands;
    const int32_t arrow = std::min(band, bar.Height() / 2);
    p.Up = TRect{bar.Left, bar.Top, bar.Right, bar.Top + arrow};
    p.Down = TRect{bar.Left, bar.Bottom - arrow, bar.Right, bar.Bottom};
    p.Track = TRect{bar.Left, p.Up.Bottom, bar.Right, p.Down.Top};
    const int64_t length = p.Track.Height();
    const int64_t range = int64_t{count} - rows;
    if (length <= 0 || range <= 0 || count <= 0) return p;
    // The thumb shows the seen share of the items, never shorter than a band.
    const int64_t thumb = std::clamp<int64_t>(length * rows / count, std::min<int64_t>(band, length), length);
    const int64_t at = p.Track.Top + (length - thumb) * std::clamp<int64_t>(top, 0, range) / range;
    p.Thumb = TRect{bar.Left, static_cast<int32_t>(at), bar.Right, static_cast<int32_t>(at + thumb)};
    return p;
}

void TListFrame::PaintScroll(TCustomDIBX& surface, const TScrollParts& parts) {
    if (ScrollWidth() <= 0) return;
    const TRuvoImageList::TShown shown = Scroll.Frames.Frame(0, 0);
    const int32_t w = shown.surface->GetWidth(), band = shown.surface->GetHeight() / kScrollBands;
    auto source = [&](int b) { return TRect{0, b * band, w, (b + 1) * band}; };
    TilePart(surface, parts.Track, shown, source(kBandTrack), 0, 0);
    TilePart(surface, parts.Thumb, shown, source(kBandThumb), 0, 0);
    TilePart(surface, parts.Up, shown, source(kBandUp), 0, 0);
    // The down arrow shows its band's bottom when the bar is too short for it.
    TilePart(surface, parts.Down, shown, source(kBandDown), 0, AlignOffset(kAlignEnd, parts.Down.Height(), band));
}

TScrollHit TListFrame::HitScroll(const TScrollParts& parts, int32_t x, int32_t y) {
    if (Inside(parts.Up, x, y)) return kScrollUp;
    if (Inside(parts.Down, x, y)) return kScrollDown;
    if (Inside(parts.Thumb, x, y)) return kScrollThumb;
    if (!Inside(parts.Track, x, y) || parts.Thumb.IsEmpty()) return kScrollNone;
    return y < parts.Thumb.Top ? kScrollPageUp : kScrollPageDown;
}

bool TListFrame::Animate(int64_t now) {
    bool changed = false;
    for (TPictureSlot& slot : Cells) {
        const int count = slot.Frames.Count();
        if (!Shown(slot) || count < 2) continue;
        const TPicture& p = *slot.Frames.Picture();
        if (slot.Due == 0) slot.Due = now + p.Frames[static_cast<size_t>(slot.Frame)].Delay;
        if (now < slot.Due) continue;
        // A long pause skips whole cycles first.
        const int64_t late = now - slot.Due;
        if (p.TotalDelay > 0 && late >= p.TotalDelay) slot.Due += late / p.TotalDelay * p.TotalDelay;
        while (now >= slot.Due) {
            slot.Frame = (slot.Frame + 1) % count;
            slot.Due += std::max(p.Frames[static_cast<size_t>(slot.Frame)].Delay, 1);
        }
        changed = true;
    }
    return changed;
}

// Records of version 134 on hold the pictures; older ones keep none.
void TListFrame::Sync(TSerializer& s) {
    constexpr int32_t kSince = 134;
    for (TPictureSlot& slot : Cells) s.Str(slot.Source, kSince);
    for (int32_t& v : HAlign) s.Int(v, kSince);
    for (int32_t& v : VAlign) s.Int(v, kSince);
    s.Str(Scroll.Source, kSince);
    s.Str(Check.Source, kSince);
}

} // namespace ruvo
