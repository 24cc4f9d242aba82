#pragma once
// The message text engine: one text as a flat list of glyphs with their shared styles, parsed from the
// tag markup or read from the stored glyph form, laid out into pages (text/page.hpp), with the style,
// area and output settings its owner (message window, history) gives it.
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "text/decorate.hpp"
#include "text/glyphs.hpp"

namespace ruvo {

class TFontPixelManager;
class TParamCollection;
class TSysFuncMan;
class TInlinePictureSource;
class TStream;

// The player-wide services the engine uses; its owner hands them in and keeps them alive.
struct TTextServices {
    TFontPixelManager& Fonts;
    // Variables and functions for VAR glyphs and the message speed; without them VAR inserts nothing
    // and the default wait is 50 ms.
    TParamCollection* Vars = nullptr;
    TSysFuncMan* Funcs = nullptr;
    // Inline pictures; without them every picture is missing.
    TInlinePictureSource* Pictures = nullptr;
    // Bit count of the colour surfaces (the display's).
    int DisplayBitCount = 32;
};

// Version of the stored glyph form this engine writes by default (it reads 0 and 100 upwards).
constexpr int kStoredTextVersion = 102;

class TGxWord {
public:
    explicit TGxWord(TTextServices& services);
    ~TGxWord();
    TGxWord(const TGxWord&) = delete;
    TGxWord& operator=(const TGxWord&) = delete;

    TTextServices& Services() const noexcept { return services_; }

    // --- Style, area and output settings ---
    int32_t FontSize = 12;        // used where a glyph's size is 0
    std::string FontName;         // used where a glyph's face is empty ("ＭＳ ゴシック")
    int32_t TextColor = 0;        // 0x00BBGGRR
    int32_t AreaHeight = 0;
    int32_t AreaWidth = 0;        // 0: automatic, set by Layout
    int32_t LineSpace = 0;
    int32_t AreaLeft = 0, AreaTop = 0;
    TCustomDIBX* Target = nullptr;  // where pages paint
    bool Paging = true;           // false: scroll mode
    int32_t LinkColor = 0xFF0000;
    int32_t HoverColor = 0x008000;
    int32_t FadeTime = 1;         // ms a revealed glyph takes to become opaque
    int32_t BorderColor = 0x808080;
    TRect ClipRect;
    int32_t Alpha = 255;          // of inline pictures
    bool Paused = false;
    // Receives event marks (when NotifyEnabled).
    std::function<void(TGxWord&, const std::string&)> Notify;
    int32_t CaretX = 0, CaretY = 0, CaretHeight = 0;
    int32_t DelayRate = 0;        // scale of the waits in 1/256
    bool NotifyEnabled = false;
    int Antialias = 3;            // glyph quality level
    int32_t ShadowColor = 0;
    int32_t BorderWidth = 0;
    int32_t ShadowWidth = 0;
    // Frozen variable values: lines "expression=value".
    std::vector<std::string> VarValues;
    std::vector<TRect> ChangedRects;
    // Added to decoration indexes read from a stored text.
    int DecorationBase = 0;
    TDIBX ColorSurface, OpacitySurface;
    TDecorateList Decorations;

    // --- The glyph list ---
    // Parses markup lines (joined with CR) into glyphs, after Clear. Throws "<A>タグにHREF値がありません"
    // for a link without target; the glyphs before it stay.
    void Parse(const std::vector<std::string>& lines);
    // Frees every glyph and decoration; DecorationBase 0, no frozen values.
    void Clear() noexcept;
    int GlyphCount() const noexcept { return int(glyphs_.size()); }
    TWdGlyph* Glyph(int i) const noexcept;
    int IndexOf(const TWdGlyph* glyph) const noexcept;
    TWdGlyph& AppendGlyph(std::unique_ptr<TWdGlyph> glyph);
    void DeleteGlyph(int i);
    // Inserts several glyphs at i in order, and frees several glyphs, each in one pass over the list.
    void InsertGlyphs(int i, std::vector<std::unique_ptr<TWdGlyph>> glyphs);
    void DeleteGlyphs(const std::vector<TWdGlyph*>& glyphs);

    // Expand or Collapse the glyphs from last down to first (last < 0 or past the end: the last glyph).
    void ExpandVars(int first, int last);
    void CollapseVars(int first, int last);
    // Lays the glyphs first .. the one at text position last out and appends the new pages.
    void Layout(std::vector<std::unique_ptr<TWdPage>>& pages, int first, int last);
    // The same from glyph index first to glyph index last.
    void LayoutGlyphs(std::vector<std::unique_ptr<TWdPage>>& pages, int first, int last);
    // The index of the last glyph whose text position is p (the characters a variable inserted weigh
    // nothing: they share the position of the glyph after them); the last glyph when p is past the end.
    int LastGlyphAtPosition(int p) const noexcept;
    // Appends copies of the source's glyphs first..last (last < 0 or past its end: to its last glyph).
    void CopyRange(const TGxWord& source, int first, int last);

    // Text positions: the sum of the weights before a glyph (the total when it is not in the list), and
    // the smallest index with at least p before it (0 for p <= 0; −1 when there is none).
    int PositionOf(const TWdGlyph* glyph) const noexcept;
    int GlyphAtPosition(int p) const noexcept;
    // The neighbours in the list, none across a line break glyph.
    TWdGlyph* PreviousInLine(const TWdGlyph& glyph) const noexcept;
    TWdGlyph* NextInLine(const TWdGlyph& glyph) const noexcept;

    // --- Stored forms ---
    // Appends the decorations and glyphs of a stored text (variables not expanded) and answers its
    // version. Throws ERuvoError for a damaged text; what was read before stays.
    int LoadStored(TStream& s);
    // Writes the text in the stored form of a version (0, 100, 101 or 102); inserted variable glyphs
    // are not written.
    void WriteStored(TStream& s, int version = kStoredTextVersion) const;
    // The style record; a version before 110 leaves out the shadow colour, up to 110 the widths.
    void SaveStyle(TStream& s, int version = INT32_MAX) const;
    void LoadStyle(TStream& s, int version);

    void ReleaseSurfaces();
    void RestoreSurfaces();

    // --- Style resolution shared by measuring and rendering ---
    // Size (FontSize when 0), edge and shadow widths (the engine's when negative), all clamped.
    int32_t SizeOf(const TDecorateStyle& style) const noexcept;
    int32_t BorderOf(const TDecorateStyle& style) const noexcept;
    int32_t ShadowOf(const TDecorateStyle& style) const noexcept;
    // The face to draw with: the glyph's, else FontName, else "ＭＳ ゴシック".
    const std::string& FaceOf(const TDecorateStyle& style) const noexcept;
    // The message speed: each glyph's default wait.
    int32_t DefaultWait() const noexcept;

private:
    friend class TWdGlyph;
    void Renumber() const;

    TTextServices& services_;
    std::vector<std::unique_ptr<TWdGlyph>> glyphs_;
    std::string defaultFace_;
    // Index of each glyph in the list, valid while numbered_.
    mutable bool numbered_ = false;
};

} // namespace ruvo
