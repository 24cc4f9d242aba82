#pragma once
// The pictures around and beside a list box's items: nine frame cells (corners at their picture's size,
// edges and centre between them, each tiled with its picture at its alignment), the scroll bar made of
// one picture cut into four bands from the top (up arrow, down arrow, track, thumb; each band tiled
// down its part), and the check picture shown in a column left of the items (two frames or more:
// frame 0 unchecked, frame 1 checked; one frame: shown on checked items only). A missing or damaged
// picture shows nothing and takes no room.
#include <array>
#include <string>

#include "graphics/surface/pixelformat.hpp"
#include "objects/images/imagelist.hpp"

namespace ruvo {

class TCustomDIBX;
class TPictureCache;
class TSerializer;

// The cells in the order of their sources: top row left to right, then the middle row, then the bottom.
enum TFrameCell : int { kCellTL, kCellTC, kCellTR, kCellCL, kCellCC, kCellCR, kCellBL, kCellBC, kCellBR, kCellCount };

// Where a tiling starts inside its cell: 0 at the left (top), 1 centred, 2 at the right (bottom).
enum TTileAlign : int32_t { kAlignStart = 0, kAlignCentre = 1, kAlignEnd = 2 };

// The parts of a scroll bar on the screen.
struct TScrollParts {
    TRect Up, Down, Track, Thumb;
    bool Empty() const noexcept { return Track.IsEmpty() && Up.IsEmpty() && Down.IsEmpty(); }
};

enum TScrollHit : int { kScrollNone, kScrollUp, kScrollDown, kScrollPageUp, kScrollPageDown, kScrollThumb };

class TListFrame {
public:
    // One picture with its animation (frames loop by their delays).
    struct TPictureSlot {
        std::string Source;
        TRuvoImageList Frames;
        int Frame = 0;
        int64_t Due = 0;
        // The first frame's size; 0 × 0 without a picture.
        int32_t Width() const noexcept;
        int32_t Height() const noexcept;
    };

    // Sets a source, loading its picture; false when it did not change.
    static bool SetSource(TPictureSlot& slot, TPictureCache* cache, std::string source);
    // Loads every picture again (after a saved game is read).
    void Reload(TPictureCache* cache);

    // The widths of the left and right columns and the heights of the top and bottom rows of cells.
    int32_t LeftWidth() const noexcept;
    int32_t RightWidth() const noexcept;
    int32_t TopHeight() const noexcept;
    int32_t BottomHeight() const noexcept;
    int32_t ScrollWidth() const noexcept;
    int32_t CheckWidth() const noexcept { return Check.Width(); }

    // The nine cells laid around the inside of rect, each tiled and clipped to its cell.
    void PaintFrame(TCustomDIBX& surface, const TRect& rect);
    // The check picture for an item of that data, centred down a row starting at (x, y).
    void PaintCheck(TCustomDIBX& surface, int32_t x, int32_t y, int32_t rowHeight, int32_t data);
    // The bar's parts inside its rectangle for rows seen from top out of count items.
    TScrollParts ScrollLayout(const TRect& bar, int32_t top, int32_t rows, int32_t count) const;
    void PaintScroll(TCustomDIBX& surface, const TScrollParts& parts);
    static TScrollHit HitScroll(const TScrollParts& parts, int32_t x, int32_t y);

    // Advances the frame cells' animations to the time; true when a cell changed its frame.
    bool Animate(int64_t now);
    // After the list box's record: the nine sources, the six alignments, the scroll and check sources.
    void Sync(TSerializer& s);

    std::array<TPictureSlot, kCellCount> Cells;
    // Alignments across the top, centre and bottom rows, and down the left, centre and right columns.
    std::array<int32_t, 3> HAlign{}, VAlign{};
    TPictureSlot Scroll, Check;
};

} // namespace ruvo
