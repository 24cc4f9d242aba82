#pragma once
// The glyph rasterizer: coverage maps of single characters in a face, height and style, rasterized by
// FreeType from the fonts the catalog finds, kept in a small most-recently-used cache, and drawn with a
// text colour, an edge and a drop shadow into a colour surface and an 8-bit opacity surface.
#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "graphics/fonts/fontcatalog.hpp"

// FreeType's handles, kept out of this header.
struct FT_FaceRec_;
struct FT_LibraryRec_;

namespace ruvo {

// Style bits of a glyph.
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Font heights and edge or shadow widths are clamped to these, so that no text can ask for glyphs or
// dilations of unbounded size (documented in docs/text.md).
constexpr int32_t kMaxFontHeight = 256;
constexpr int32_t kMaxEdgeWidth = 16;

// The outline text metrics of a font in the 212-byte layout of the Windows record OUTLINETEXTMETRICA,
// which label lists persist as they are. Only the fields named here are filled.
struct TOutlineTextMetrics {
    static constexpr size_t kSize = 212;
    enum TField : size_t {
        otmSize = 0, tmHeight = 4, tmAscent = 8, tmDescent = 12, tmInternalLeading = 16, tmAveCharWidth = 24,
        tmMaxCharWidth = 28, tmWeight = 32, tmOverhang = 36, tmDigitizedAspectX = 40, tmDigitizedAspectY = 44,
        otmEMSquare = 92, otmAscent = 96, otmDescent = 100, otmsStrikeoutSize = 180,
        otmsStrikeoutPosition = 184, otmsUnderscoreSize = 188, otmsUnderscorePosition = 192,
    };
    // The one-byte fields of the TEXTMETRIC part.
    enum TByteField : size_t { tmItalic = 52, tmUnderlined = 53, tmStruckOut = 54, tmCharSet = 56 };

    std::array<uint8_t, kSize> Bytes{};

    int32_t Get(TField field) const noexcept;
    void Set(TField field, int32_t value) noexcept;
    void SetByte(TByteField field, uint8_t value) noexcept { Bytes[field] = value; }
};

// FreeType's 256 grey values reduced to the range of a quality level (1: 0..4, 2: 0..16, 3: 0..64), and
// the coverage the level's grey value v stands for (the system's grey tables); level 0 is two-valued.
int ReduceGrey(int quality, uint8_t grey256) noexcept;
uint8_t GreyCoverage(int quality, int v) noexcept;

// One cached glyph. Coordinates are relative to the top-left corner of the character's cell.
class TFontPixel {
public:
    TDIBX Coverage;  // 8-bit black box, 0 transparent .. 255 full; empty for a glyph without pixels
    uint16_t Code = 0;  // single byte, or a double-byte Shift-JIS character with its lead byte high
    std::string Face;
    int32_t Height = 0;  // as asked: cell height, or character height when negative
    uint8_t Style = 0;
    int Quality = 3;
    int32_t OffsetX = 0, OffsetY = 0;
    // Cell advance beyond the black box; for a glyph without pixels its whole advance.
    int32_t TrailingSpace = 0;
    int32_t CellHeight = 0;  // ascent + descent of the font at this height
    int32_t UnderlineOffset = 0, UnderlineSize = 0;  // below the cell top; size 0 without underline
    int32_t StrikeOffset = 0, StrikeSize = 0;
    // Leading space, black part and trailing space of the advance (ABC widths).
    int32_t A = 0, B = 0, C = 0;

    bool Empty() const { return Coverage.IsEmpty(); }

private:
    friend class TFontPixelManager;
    // The coverage dilated for the last edge width drawn: text keeps one edge width, so it is made once.
    mutable std::vector<uint8_t> dilated_;
    mutable int dilatedBy_ = 0;
};

class TFontPixelManager {
public:
    static constexpr size_t kCacheLimit = 256;

    // The catalog must outlive the manager.
    explicit TFontPixelManager(TFontCatalog& catalog);
    ~TFontPixelManager();
    TFontPixelManager(const TFontPixelManager&) = delete;
    TFontPixelManager& operator=(const TFontPixelManager&) = delete;

    // The glyph of a character from the cache or newly rasterized; valid until the next GetGlyph.
    // Throws "Error:GetOutlineTextMetrics" when the face found has no outlines.
    const TFontPixel& GetGlyph(uint16_t code, std::string_view face, uint8_t style, int32_t height);

    // Coverage level 0 (two levels) to 3 (65 levels); once a grey request has failed it stays 0.
    int Quality() const noexcept { return quality_; }
    void SetQuality(int level) noexcept;

    // The current font's ascent, and the outline metrics of a font (which becomes the current one).
    int32_t Ascent() const noexcept { return font_.Ascent; }
    const TOutlineTextMetrics& Metrics(std::string_view face, uint8_t style, int32_t height);

    size_t CachedCount() const noexcept { return recent_.size(); }
    // Glyphs rasterized so far (cache misses).
    uint64_t Rasterized() const noexcept { return rasterized_; }

    // Draws a glyph into a cell of the colour and opacity surfaces (same size; pixels of the colour
    // surface's format): the shadow displaced by shadowOffset, then the edge of edgeWidth, then the text,
    // with underline and strike-out bars across the cell. lastOfRun and firstOfRun tell that the next or
    // previous glyph does not continue this one's bars. Returns the rectangle touched (empty for a glyph
    // without pixels).
    TRect DrawGlyph(const TFontPixel& glyph, TCustomDIBX& colour, TCustomDIBX& opacity, uint32_t shadowPixel,
                    uint32_t edgePixel, uint32_t textPixel, bool lastOfRun, bool firstOfRun, int shadowOffset,
                    int edgeWidth, const TRect& cell);

private:
    struct TCurrentFont {
        bool Valid = false;
        std::string Face;
        int32_t Height = 0;
        uint8_t Style = 0;
        FT_FaceRec_* Handle = nullptr;  // null: no usable font, glyphs are empty
        bool Bold = false, Italic = false;     // synthesized
        int32_t Ascent = 0, CellHeight = 0;
        int32_t UnderlineOffset = 0, UnderlineSize = 0, StrikeOffset = 0, StrikeSize = 0;
        TOutlineTextMetrics Metrics;
    };
    void SelectFont(std::string_view face, uint8_t style, int32_t height);
    FT_FaceRec_* OpenFace(const TFontFile& file);
    void Rasterize(TFontPixel& glyph);
    bool Render(TFontPixel& glyph, unsigned glyphIndex, int level);

    TFontCatalog& catalog_;
    FT_LibraryRec_* library_ = nullptr;
    std::map<std::string, FT_FaceRec_*> faces_;  // by file and index; null when unreadable
    TCurrentFont font_;
    int quality_ = 3;
    bool greyFailed_ = false;
    uint64_t rasterized_ = 0;

    // Most recently used first; the buckets index it by the character's low byte.
    std::list<TFontPixel> recent_;
    std::array<std::vector<std::list<TFontPixel>::iterator>, 256> buckets_;

    // Scratch masks of DrawGlyph, kept to avoid an allocation per glyph.
    std::vector<uint8_t> text_, edge_, shadow_, row_;
};

} // namespace ruvo
