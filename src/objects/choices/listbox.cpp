#include "objects/choices/listbox.hpp"

#include <algorithm>

#include "archive/serializer.hpp"
#include "graphics/surface/customdibx.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "archive/playerservices.hpp"
#include "text/gxword.hpp"
#include "text/labels.hpp"

namespace ruvo {

namespace {

constexpr uint8_t Code(int id) { return static_cast<uint8_t>(id); }

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

void StyleList(TGxLabelList& list, const TRuvoCustomListBox& box, const TItemStyle& style) {
    list.FontName = box.FontName;
    list.SetFontHeight(box.FontHeight);
    list.Antialias = box.Antialias ? 3 : 0;
    list.Alpha = box.TextAlpha;
    list.Color = style.Color;
    list.Style = static_cast<uint8_t>(style.Style);
    list.BorderWidth = std::clamp(style.BorderWidth, 0, 64);
    list.BorderColor = style.BorderColor;
    list.ShadowWidth = std::clamp(style.ShadowWidth, 0, 64);
    list.ShadowColor = style.ShadowColor;
    list.InvalidateAll();
}

} // namespace

TRuvoCustomListBox::TRuvoCustomListBox(TRuvoBaseList* owner) : TRuvoControl(owner) {
    Color = -1;
    if (owner) {
        TFontPixelManager& fonts = owner->TextObjects().Text().Fonts;
        labels_ = std::make_unique<TGxLabelList>(fonts);
        hoverLabels_ = std::make_unique<TGxLabelList>(fonts);
        ApplyStyles();
    }
}

TRuvoCustomListBox::~TRuvoCustomListBox() = default;

// ---- items and layout

void TRuvoCustomListBox::SetText(std::string text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<uint8_t>(text[first]) < 0x20) ++first;
    while (last > first && static_cast<uint8_t>(text[last - 1]) < 0x20) --last;
    Text = text.substr(first, last - first);
    items_ = SplitLines(Text);
    ItemData.assign(items_.size(), 0);
    Hover = -1;
    TopIndex = std::clamp(TopIndex, 0, std::max(0, ItemCount() - 1));
    Layout();
}

void TRuvoCustomListBox::ApplyStyles() {
    if (!labels_) return;
    StyleList(*labels_, *this, Normal);
    StyleList(*hoverLabels_, *this, Hovered);
}

void TRuvoCustomListBox::StyleChanged() {
    ApplyStyles();
    NeedsLayout = true;
    Invalidate();
}

int32_t TRuvoCustomListBox::VisibleRows() const noexcept { return std::max(RowCount, 1); }

void TRuvoCustomListBox::Layout() {
    NeedsLayout = false;
    int32_t itemWidth = 0;
    itemHeight_ = 0;
    if (labels_) {
        for (TGxLabelList* list : {labels_.get(), hoverLabels_.get()}) {
            list->Clear();
            for (const std::string& item : items_) list->Add().SetText(item);
            list->Measure();
            itemWidth = std::max(itemWidth, list->MaxWidth());
            if (list->Count() > 0) itemHeight_ = std::max(itemHeight_, list->Label(0)->Height);
        }
    }
    const int64_t rows = std::min<int64_t>(VisibleRows(), ItemCount());
    const int64_t frame = 2 * int64_t{BorderWidth};
    const int64_t columns = int64_t{Pictures.LeftWidth()} + Pictures.RightWidth() + Pictures.CheckWidth() +
                            (Scrolls() ? Pictures.ScrollWidth() : 0);
    const int64_t w = int64_t{itemWidth} + frame + 2 * int64_t{MarginX} + columns;
    const int64_t h = rows * itemHeight_ + std::max<int64_t>(rows - 1, 0) * LineSpace + frame + 2 * int64_t{MarginY} +
                      Pictures.TopHeight() + Pictures.BottomHeight();
    SetWidth(Saturate(std::max<int64_t>(w, 0)));
    SetHeight(Saturate(std::max<int64_t>(h, 0)));
    Invalidate();
}

void TRuvoCustomListBox::AnimatePictures() {
    if (Pictures.Animate(Now())) Invalidate();
}

bool TRuvoCustomListBox::Update() {
    AnimatePictures();
    if (NeedsLayout) Layout();
    return TRuvoControl::Update();
}

int32_t TRuvoCustomListBox::Now() const { return Owner ? Owner->Services().GameClock() : 0; }

TRect TRuvoCustomListBox::ContentRect() const {
    const TRect r = ScreenRect();
    const int64_t dx = int64_t{BorderWidth} + MarginX, dy = int64_t{BorderWidth} + MarginY;
    const int64_t scroll = Scrolls() ? Pictures.ScrollWidth() : 0;
    return TRect{Saturate(r.Left + dx + Pictures.LeftWidth()), Saturate(r.Top + dy + Pictures.TopHeight()),
                 Saturate(r.Right - dx - Pictures.RightWidth() - scroll),
                 Saturate(r.Bottom - dy - Pictures.BottomHeight())};
}

// The bar stands inside the border and the frame cells, right of the margin.
TScrollParts TRuvoCustomListBox::ScrollBar() const {
    if (!Scrolls()) return {};
    const TRect r = ScreenRect();
    const int64_t right = int64_t{r.Right} - BorderWidth - Pictures.RightWidth();
    const TRect bar{Saturate(right - Pictures.ScrollWidth()), Saturate(int64_t{r.Top} + BorderWidth + Pictures.TopHeight()),
                    Saturate(right), Saturate(int64_t{r.Bottom} - BorderWidth - Pictures.BottomHeight())};
    return Pictures.ScrollLayout(bar, TopIndex, VisibleRows(), ItemCount());
}

int TRuvoCustomListBox::ItemAt(int32_t x, int32_t y) const {
    const TRect c = ContentRect();
    if (x < c.Left || x >= c.Right || y < c.Top || y >= c.Bottom) return -1;
    const int64_t pitch = int64_t{itemHeight_} + LineSpace;
    if (pitch <= 0) return -1;
    // Each item's band starts half the line spacing (at most the margin) above it.
    const int64_t above = std::clamp<int64_t>(LineSpace / 2, 0, std::max(MarginY, 0));
    const int64_t i = TopIndex + (int64_t{y} - c.Top + above) / pitch;
    if (i < TopIndex || i >= ItemCount() || i >= int64_t{TopIndex} + VisibleRows()) return -1;
    return static_cast<int>(i);
}

// ---- hover and choice

void TRuvoCustomListBox::SetHover(int h) {
    if (h == Hover) return;
    if (h < 0 && Hover >= 0 && Hover < ItemCount())
        Raise(Code(PR_ONMAPOUT), {ItemText(Hover), std::to_string(Hover)});
    // Only the two items change their look.
    InvalidateItem(Hover);
    Hover = h;
    Index = -1;
    InvalidateItem(h);
    if (h >= 0 && h < ItemCount()) Raise(Code(PR_ONMAPIN), {ItemText(h), std::to_string(h)});
}

void TRuvoCustomListBox::InvalidateItem(int i) {
    if (i < TopIndex || i >= ItemCount() || i >= int64_t{TopIndex} + VisibleRows()) return;
    const TRect c = ContentRect();
    const int64_t y = c.Top + (int64_t{i} - TopIndex) * (int64_t{itemHeight_} + LineSpace);
    Invalidate(TRect{c.Left, Saturate(y), c.Right, Saturate(y + itemHeight_)});
}

void TRuvoCustomListBox::SetTopIndex(int32_t top) {
    top = std::clamp(top, 0, std::max(0, ItemCount() - VisibleRows()));
    if (top == TopIndex) return;
    TopIndex = top;
    Invalidate();
}

bool TRuvoCustomListBox::MoveHoverByKey(int key) {
    const int n = ItemCount();
    if (n == 0) return false;
    const int rows = VisibleRows(), h = Hover;
    int to = h;
    switch (key) {
    case kKeyUp: to = h < 0 ? n - 1 : std::max(h - 1, 0); break;
    case kKeyDown: to = h < 0 ? 0 : std::min(h + 1, n - 1); break;
    case kKeyPageUp: to = h < 0 ? n - 1 : std::max(h - rows, 0); break;
    case kKeyPageDown: to = h < 0 ? 0 : static_cast<int>(std::min<int64_t>(int64_t{h} + rows, n - 1)); break;
    case kKeyHome: to = 0; break;
    case kKeyEnd: to = n - 1; break;
    default: return false;
    }
    SetHover(to);
    if (to < TopIndex) SetTopIndex(to);
    else if (to >= int64_t{TopIndex} + rows) SetTopIndex(to - rows + 1);
    return true;
}

void TRuvoCustomListBox::Select() {
    if (Hover < 0 || Hover >= ItemCount()) return;
    Index = Hover;
    const std::string text = ItemText(Hover);
    if (Owner) Owner->SetChoice(text, Hover);
    Raise(Code(PR_ONSELECT), {text, std::to_string(Hover)});
    Chosen();
}

// ---- the mouse and the keys

// Every left press is the box's: held until it is let go, never a PR_ONLBTNDOWN. On the scroll bar it
// drags the thumb or scrolls, repeating after 300 ms and then every 50 ms while held.
void TRuvoCustomListBox::LeftDown() {
    TRuvoBase* base = GetBase();
    if (!base) return;
    base->Capture |= TRuvoBase::kLeftCapture;
    base->LeftPress = false;
    const TScrollParts bar = ScrollBar();
    scrollHit_ = TListFrame::HitScroll(bar, base->PointerX, base->PointerY);
    if (scrollHit_ == kScrollThumb) {
        drag_ = kDragThumb;
        dragOffset_ = base->PointerY - bar.Thumb.Top;
    } else if (scrollHit_ != kScrollNone) {
        drag_ = kDragScroll;
        ScrollStep();
        repeatDue_ = int64_t{Now()} + 300;
    } else {
        drag_ = kDragItem;
        SetHover(ItemAt(base->PointerX, base->PointerY));
    }
}

void TRuvoCustomListBox::ScrollStep() {
    const TRuvoBase* base = GetBase();
    if (!base || TListFrame::HitScroll(ScrollBar(), base->PointerX, base->PointerY) != scrollHit_) return;
    const int32_t rows = VisibleRows();
    switch (scrollHit_) {
    case kScrollUp: SetTopIndex(TopIndex - 1); break;
    case kScrollDown: SetTopIndex(TopIndex + 1); break;
    case kScrollPageUp: SetTopIndex(static_cast<int32_t>(std::max<int64_t>(int64_t{TopIndex} - rows, 0))); break;
    case kScrollPageDown: SetTopIndex(static_cast<int32_t>(std::min<int64_t>(int64_t{TopIndex} + rows, ItemCount()))); break;
    default: break;
    }
}

// The thumb follows the pointer; the top index is its place along the track, rounded.
void TRuvoCustomListBox::DragThumb() {
    const TRuvoBase* base = GetBase();
    const TScrollParts bar = ScrollBar();
    const int64_t free = int64_t{bar.Track.Height()} - bar.Thumb.Height();
    if (!base || bar.Thumb.IsEmpty() || free <= 0) return;
    const int64_t range = int64_t{ItemCount()} - VisibleRows();
    const int64_t at = std::clamp<int64_t>(int64_t{base->PointerY} - dragOffset_ - bar.Track.Top, 0, free);
    SetTopIndex(static_cast<int32_t>((at * range * 2 + free) / (free * 2)));
}

void TRuvoCustomListBox::WhileCaptured() {
    if (drag_ == kDragThumb) DragThumb();
    if (drag_ != kDragScroll) return;
    const int64_t now = Now();
    if (now < repeatDue_) return;
    ScrollStep();
    repeatDue_ = std::max(repeatDue_ + 50, now - 50 + 1);  // a stalled clock never floods the steps
}

void TRuvoCustomListBox::LeftUp() {
    const bool chose = drag_ == kDragItem && Hover >= 0 && MayChoose();
    drag_ = kDragNone;
    scrollHit_ = kScrollNone;
    TRuvoControl::LeftUp();
    if (chose) Select();
}

// A press on the scroll bar keeps the hover and the move to itself.
void TRuvoCustomListBox::MouseMove() {
    if (drag_ == kDragThumb || drag_ == kDragScroll) return;
    if (const TRuvoBase* base = GetBase()) SetHover(ItemAt(base->PointerX, base->PointerY));
    TRuvoControl::MouseMove();
}

void TRuvoCustomListBox::MouseLeave() {
    SetHover(-1);
    TRuvoControl::MouseLeave();
}

// Navigation moves on every pulse of a held key.
void TRuvoCustomListBox::KeyRepeat() {
    if (Owner)
        for (int key : {kKeyUp, kKeyDown, kKeyPageUp, kKeyPageDown, kKeyHome, kKeyEnd})
            if (Owner->Keys().WasPulsed(key)) MoveHoverByKey(key);
    TRuvoControl::KeyRepeat();
}

// ---- drawing

void TRuvoCustomListBox::Paint() {
    TCustomDIBX* surface = GetSurface();
    const TRect r = ScreenRect();
    if (!surface || r.IsEmpty()) return;
    const TRect saved = surface->ClipRect;
    const TRect area = Intersect(r, surface->EffectiveClip());
    if (!area.IsEmpty()) {
        surface->ResetClip();
        surface->AddClipRect(area);
        const int32_t bw = std::clamp(BorderWidth, 0, std::max(0, std::min(r.Right - r.Left, r.Bottom - r.Top) / 2));
        if (bw > 0 && BorderColor >= 0) surface->FrameRect(r, bw, static_cast<uint32_t>(surface->ColorToPixel(BorderColor)));
        const TRect inside{r.Left + bw, r.Top + bw, r.Right - bw, r.Bottom - bw};
        if (Color >= 0) surface->FillRect(inside, static_cast<uint32_t>(surface->ColorToPixel(Color)));
        Pictures.PaintFrame(*surface, inside);
        const TRect content = ContentRect();
        const int32_t textLeft = Saturate(int64_t{content.Left} + Pictures.CheckWidth());
        const int64_t pitch = int64_t{itemHeight_} + LineSpace;
        const int last = static_cast<int>(std::min<int64_t>(ItemCount(), int64_t{TopIndex} + VisibleRows()));
        for (int i = std::max(TopIndex, 0); i < last && labels_; ++i) {
            const int64_t y = content.Top + (i - TopIndex) * pitch;
            if (y >= area.Bottom) break;
            const bool hovered = i == Hover;
            if (hovered && HoverBackground() >= 0)
                surface->FillRect(TRect{content.Left, Saturate(y), content.Right, Saturate(y + itemHeight_)},
                                  static_cast<uint32_t>(surface->ColorToPixel(HoverBackground())));
            if (i < static_cast<int>(ItemData.size()))
                Pictures.PaintCheck(*surface, content.Left, Saturate(y), itemHeight_, ItemData[static_cast<size_t>(i)]);
            TGxLabelList& list = hovered ? *hoverLabels_ : *labels_;
            list.Target = surface;
            if (TGxLabelDIB* label = list.Label(i)) label->Paint(textLeft, Saturate(y));
        }
        Pictures.PaintScroll(*surface, ScrollBar());
        surface->ResetClip();
    }
    surface->ClipRect = saved;
    PaintChildren();
}

// ---- properties and the persisted form

const TPropertyMap& TRuvoCustomListBox::ClassProperties() {
    static const TPropertyMap map = [] {
        using L = TRuvoCustomListBox;
        TPropertyMap m(TRuvoControl::ClassProperties());
        m.Str<L>(PR_TEXT, [](L& l) { return l.Text; }, [](L& l, std::string v) { l.SetText(std::move(v)); });
        m.Int<L>(PR_COUNT, [](L& l) { return int32_t(l.ItemCount()); });
        m.Int<L>(PR_INDEX, [](L& l) { return l.Index; });
        m.Int<L>(PR_TOPINDEX, [](L& l) { return l.TopIndex; }, [](L& l, int32_t v) { l.SetTopIndex(v); });
        // Layout properties: the size is worked out again at the next update.
        auto layoutInt = [&m](int id, int32_t L::*field) {
            m.Int<L>(id, [field](L& l) { return l.*field; }, [field](L& l, int32_t v) {
                l.*field = v;
                l.RequestLayout();
                l.Invalidate();
            });
        };
        layoutInt(PR_BORDERWIDTH, &L::BorderWidth);
        layoutInt(PR_MARGINX, &L::MarginX);
        layoutInt(PR_MARGINY, &L::MarginY);
        layoutInt(PR_ROWCOUNT, &L::RowCount);
        layoutInt(PR_LINESPACE, &L::LineSpace);
        m.Int<L>(PR_BORDERCOLOR, [](L& l) { return l.BorderColor; }, [](L& l, int32_t v) {
            l.BorderColor = v;
            l.Invalidate();
        });
        // The frame, scroll and check pictures change the size too.
        auto picture = [&m](int id, auto slot) {
            m.Str<L>(id, [slot](L& l) { return slot(l).Source; }, [slot](L& l, std::string v) {
                if (!TListFrame::SetSource(slot(l), l.Owner ? l.Owner->Pictures() : nullptr, std::move(v))) return;
                l.RequestLayout();
                l.Invalidate();
            });
        };
        picture(PR_SCROLLSOURCE, [](L& l) -> TListFrame::TPictureSlot& { return l.Pictures.Scroll; });
        picture(PR_CHECKSOURCE, [](L& l) -> TListFrame::TPictureSlot& { return l.Pictures.Check; });
        constexpr int kCellIds[kCellCount] = {PR_BORDERSOURCETL, PR_BORDERSOURCETC, PR_BORDERSOURCETR,
                                              PR_BORDERSOURCECL, PR_BORDERSOURCECC, PR_BORDERSOURCECR,
                                              PR_BORDERSOURCEBL, PR_BORDERSOURCEBC, PR_BORDERSOURCEBR};
        for (size_t cell = 0; cell < kCellCount; ++cell)
            picture(kCellIds[cell], [cell](L& l) -> TListFrame::TPictureSlot& { return l.Pictures.Cells[cell]; });
        constexpr int kAlignIds[] = {PR_BORDERHALIGNT, PR_BORDERHALIGNC, PR_BORDERHALIGNB,
                                     PR_BORDERVALIGNL, PR_BORDERVALIGNC, PR_BORDERVALIGNR};
        for (size_t k = 0; k < std::size(kAlignIds); ++k)
            m.Int<L>(kAlignIds[k], [k](L& l) { return (k < 3 ? l.Pictures.HAlign : l.Pictures.VAlign)[k % 3]; },
                     [k](L& l, int32_t v) {
                         (k < 3 ? l.Pictures.HAlign : l.Pictures.VAlign)[k % 3] = v;
                         l.Invalidate();
                     });
        m.Str<L>(PR_ONSELECT, [](L& l) { return l.OnSelect; }, [](L& l, std::string v) { l.OnSelect = std::move(v); });
        m.Str<L>(PR_ONMAPIN, [](L& l) { return l.OnMapIn; }, [](L& l, std::string v) { l.OnMapIn = std::move(v); });
        m.Str<L>(PR_ONMAPOUT, [](L& l) { return l.OnMapOut; }, [](L& l, std::string v) { l.OnMapOut = std::move(v); });
        m.Str<L>(PR_FONTNAME, [](L& l) { return l.FontName; }, [](L& l, std::string v) {
            l.FontName = std::move(v);
            l.StyleChanged();
        });
        m.Int<L>(PR_FONTHEIGHT, [](L& l) { return l.FontHeight; }, [](L& l, int32_t v) {
            l.FontHeight = v;
            l.StyleChanged();
        });
        m.Flag<L>(PR_ANTIALIAS, [](L& l) { return l.Antialias; }, [](L& l, bool v) {
            l.Antialias = v;
            l.StyleChanged();
        });
        m.Int<L>(PR_ALPHA, [](L& l) { return l.TextAlpha; }, [](L& l, int32_t v) {
            l.TextAlpha = std::clamp(v, 0, 255);
            l.StyleChanged();
        });
        struct TStyleRow {
            int id;
            TItemStyle L::*style;
            int32_t TItemStyle::*field;
        };
        constexpr TStyleRow kStyleRows[] = {
            {PR_FONTCOLOR, &L::Normal, &TItemStyle::Color},
            {PR_FONTSTYLE, &L::Normal, &TItemStyle::Style},
            {PR_FONTBORDER, &L::Normal, &TItemStyle::BorderWidth},
            {PR_FONTBORDERCOLOR, &L::Normal, &TItemStyle::BorderColor},
            {PR_FONTSHADOW, &L::Normal, &TItemStyle::ShadowWidth},
            {PR_FONTSHADOWCOLOR, &L::Normal, &TItemStyle::ShadowColor},
            {PR_FONTHOVERCOLOR, &L::Hovered, &TItemStyle::Color},
            {PR_FONTHOVERSTYLE, &L::Hovered, &TItemStyle::Style},
            {PR_FONTHOVERBORDER, &L::Hovered, &TItemStyle::BorderWidth},
            {PR_FONTHOVERBORDERCOLOR, &L::Hovered, &TItemStyle::BorderColor},
            {PR_FONTHOVERSHADOW, &L::Hovered, &TItemStyle::ShadowWidth},
            {PR_FONTHOVERSHADOWCOLOR, &L::Hovered, &TItemStyle::ShadowColor},
        };
        for (const TStyleRow& row : kStyleRows)
            m.Int<L>(row.id, [row](L& l) { return l.*row.style.*row.field; }, [row](L& l, int32_t v) {
                l.*row.style.*row.field = v;
                l.StyleChanged();
            });
        return m;
    }();
    return map;
}

void TRuvoCustomListBox::Sync(TSerializer& s) {
    TRuvoControl::Sync(s);
    std::string text = Text;
    s.Str(text);
    for (int32_t* v : {&BorderWidth, &BorderColor, &MarginX, &MarginY, &RowCount, &TopIndex, &Index, &LineSpace})
        s.Int(*v);
    s.Str(OnSelect);
    s.Str(OnMapIn);
    s.Str(OnMapOut);
    s.Str(FontName);
    s.Int(FontHeight);
    s.Bool(Antialias);
    s.Int(TextAlpha);
    for (TItemStyle* style : {&Normal, &Hovered})
        for (int32_t* v : {&style->Color, &style->Style, &style->BorderWidth, &style->BorderColor, &style->ShadowWidth,
                           &style->ShadowColor})
            s.Int(*v);
    std::vector<int32_t> data = ItemData;
    int32_t n = static_cast<int32_t>(data.size());
    s.Count(n, 4);
    if (s.Loading()) data.assign(static_cast<size_t>(n), 0);
    for (int32_t& v : data) s.Int(v);
    Pictures.Sync(s);
    if (!s.Loading()) return;
    const int32_t top = TopIndex, index = Index;
    TextAlpha = std::clamp(TextAlpha, 0, 255);
    Pictures.Reload(Owner ? Owner->Pictures() : nullptr);
    ApplyStyles();
    SetText(std::move(text));
    if (data.size() == ItemData.size()) ItemData = std::move(data);
    TopIndex = std::clamp(top, 0, std::max(0, ItemCount() - 1));
    Index = index >= 0 && index < ItemCount() ? index : -1;
}

} // namespace ruvo
