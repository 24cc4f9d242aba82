#pragma once
// The list box base of the text menus: one item per line of PR_TEXT, each rendered in a normal and a
// hover style (two label lists), stacked inside a border and margins, PR_ROWCOUNT rows seen from
// PR_TOPINDEX. The pointer or the keys (with the focus) choose the hovered item; letting a press go
// over an item or a class's own key chooses it (Select): @SelStr, @SelIndex and PR_ONSELECT. Frame,
// scroll bar and check pictures (TListFrame) dress it; a press on the scroll bar scrolls.
#include <memory>
#include <string>
#include <vector>

#include "objects/base/control.hpp"
#include "objects/choices/listframe.hpp"

namespace ruvo {

class TGxLabelList;

// Windows virtual-key codes the list boxes and menus answer.
enum TListKey : int { kKeyEnter = 13, kKeyEsc = 27, kKeySpace = 32, kKeyPageUp = 33, kKeyPageDown = 34,
                      kKeyEnd = 35, kKeyHome = 36, kKeyUp = 38, kKeyDown = 40 };

// One style of the items' text.
struct TItemStyle {
    int32_t Color = 0;
    int32_t Style = 0;
    int32_t BorderWidth = 0;
    int32_t BorderColor = 0;
    int32_t ShadowWidth = 0;
    int32_t ShadowColor = 0;
};

class TRuvoCustomListBox : public TRuvoControl {
public:
    explicit TRuvoCustomListBox(TRuvoBaseList* owner);
    ~TRuvoCustomListBox() override;

    bool Update() override;
    void Paint() override;
    void LeftDown() override;
    void LeftUp() override;
    void MouseMove() override;
    void MouseLeave() override;
    void WhileCaptured() override;
    void KeyRepeat() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the control part: the text, border, margins, rows, top and chosen index, line spacing, the
    // select and hover handlers, the font and both item styles, the item data, the frame, scroll and
    // check pictures with the alignments.
    void Sync(TSerializer& s) override;

    // Leading and trailing characters below 0x20 go; the rest split at line ends. The item data is
    // cleared and the size worked out again.
    void SetText(std::string text);
    int ItemCount() const noexcept { return static_cast<int>(items_.size()); }
    const std::string& ItemText(int i) const { return items_.at(static_cast<size_t>(i)); }
    // Both label lists rendered, then the size from the items, border, margins and rows.
    virtual void Layout();
    void RequestLayout() noexcept { NeedsLayout = true; }
    // The height of one item and the rows shown (RowCount below 1 shows one row).
    int32_t ItemHeight() const noexcept { return itemHeight_; }
    int32_t VisibleRows() const noexcept;
    // The item at a screen point: inside the content rectangle only, else -1.
    int ItemAt(int32_t x, int32_t y) const;
    // The content rectangle on the screen: the drawn rectangle less border, frame cells, margins and
    // scroll bar. The check column is its left part.
    TRect ContentRect() const;
    // Whether there are more items than rows (the scroll bar is shown when it has a picture).
    bool Scrolls() const noexcept { return ItemCount() > VisibleRows(); }
    // The scroll bar's parts on the screen (empty without a scroll bar).
    TScrollParts ScrollBar() const;
    // The hovered item changes (PR_ONMAPOUT when none is left hovered, PR_ONMAPIN for a new one).
    void SetHover(int h);
    // Up, Down, Page Up, Page Down, Home and End move the hover; the top index follows it.
    bool MoveHoverByKey(int key);
    void SetTopIndex(int32_t top);
    // Chooses the hovered item; nothing when none is hovered.
    void Select();

    std::string Text;
    std::vector<int32_t> ItemData;
    int32_t BorderWidth = 0;
    int32_t BorderColor = -1;
    int32_t MarginX = 0, MarginY = 0;
    int32_t RowCount = 1;
    int32_t TopIndex = 0;
    int32_t Index = -1;
    int32_t Hover = -1;
    int32_t LineSpace = 0;
    std::string OnSelect, OnMapIn, OnMapOut;
    std::string FontName;
    int32_t FontHeight = 16;
    bool Antialias = true;
    int32_t TextAlpha = 255;
    TItemStyle Normal, Hovered;
    TListFrame Pictures;
    bool NeedsLayout = true;

protected:
    // Whether a choice may be made now (menus refuse while closing).
    virtual bool MayChoose() const { return !IsClosing(); }
    // After a choice: menus close themselves.
    virtual void Chosen() {}
    // The background of the hovered item (-1: none).
    virtual int32_t HoverBackground() const { return -1; }
    // The style changed: both lists render again.
    void StyleChanged();
    int32_t Now() const;
    // The frame cells' animations advance; the box is painted again when one changed.
    void AnimatePictures();

private:
    // What a held left press is doing.
    enum TDrag : uint8_t { kDragNone, kDragItem, kDragThumb, kDragScroll };
    // Scrolls by the part of the bar under the pointer while it is still the part first pressed.
    void ScrollStep();
    void DragThumb();
    void ApplyStyles();
    void InvalidateItem(int i);
    TDrag drag_ = kDragNone;
    TScrollHit scrollHit_ = kScrollNone;
    int32_t dragOffset_ = 0;
    int64_t repeatDue_ = 0;
    int32_t itemHeight_ = 0;
    std::vector<std::string> items_;
    std::unique_ptr<TGxLabelList> labels_, hoverLabels_;
};

} // namespace ruvo
