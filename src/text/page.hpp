#pragma once
// Laid-out message text: pages of rows of glyphs, and a page's output: rendering into the engine's
// surfaces, the character-by-character reveal with waits and fades, event marks, links and hover, the
// caret, the play state.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface/pixelformat.hpp"
#include "text/glyphs.hpp"

namespace ruvo {

class TWdRow {
public:
    TWdRow(TWdPage& page, int32_t top, int align, int32_t leftLimit, int32_t rightLimit);
    // Glyphs still on the row lose their parent; the glyphs themselves belong to the engine.
    ~TWdRow();
    TWdRow(const TWdRow&) = delete;
    TWdRow& operator=(const TWdRow&) = delete;

    TWdPage& Page() const noexcept { return page_; }
    // The glyphs in order; the first is the indent filler when the row starts indented.
    const std::vector<TWdGlyph*>& Glyphs() const noexcept { return glyphs_; }

    int32_t Top = 0;  // relative to the page; owners may shift rows
    // The runs placed on the row, from its indent on (layout), and that plus the start offset (Arrange).
    int32_t ContentWidth = 0;
    int32_t Width = 0;
    int Align = taLeft;
    int32_t LeftLimit = 0, RightLimit = 0;
    // Room above the text line (pictures), the text line, room below; the height is their sum.
    int32_t Above = 0, Line = 0, Below = 0;
    int32_t Height() const noexcept { return Above + Line + Below; }

    // Starts the row with a filler of that width.
    void Indent(int32_t width);
    // Appends a glyph (it moves here from any row it was on) and updates the running heights.
    void Add(TWdGlyph& glyph);
    // Start x by alignment, glyph x and y, the heights.
    void Arrange();
    // The glyph at (x, y) relative to the row that is fully revealed; none elsewhere.
    TWdGlyph* HitTest(int32_t x, int32_t y) const;

private:
    friend class TWdGlyph;
    void Forget(TWdGlyph& glyph) noexcept;
    void Stack(int align, int32_t height) noexcept;

    TWdPage& page_;
    std::vector<TWdGlyph*> glyphs_;
    std::unique_ptr<TWdSpace> filler_;
};

// What one step of the output did.
struct TStepResult {
    bool Ended = false;  // the output finished: reported once
    std::string Text;    // characters revealed in this step ("*" for a picture)
};

class TWdPage {
public:
    explicit TWdPage(TGxWord& engine);
    ~TWdPage();
    TWdPage(const TWdPage&) = delete;
    TWdPage& operator=(const TWdPage&) = delete;

    TGxWord& Engine() const noexcept { return engine_; }
    const std::vector<std::unique_ptr<TWdRow>>& Rows() const noexcept { return rows_; }
    int RowCount() const noexcept { return int(rows_.size()); }
    // The lowest row bottom (Arrange).
    int32_t Height = 0;
    // Vertical scroll in scroll mode.
    int32_t ScrollY = 0;
    // Frozen variable values of the page (FreezeVarValues).
    std::vector<std::string> VarText;

    // --- Layout ---
    TWdRow& AddRow(int32_t top, int align, int32_t leftLimit, int32_t rightLimit);
    void RemoveLastRow();
    void Arrange();

    // --- Text ---
    // The characters of the page, row by row (glyphs without a character add nothing).
    std::string Text() const;
    // The revealed characters, row by row while glyphs are revealed, line breaks as CR LF.
    std::string ShownText() const;
    // The first and last glyph with weight 1 on the page; none on a page without one.
    TWdGlyph* FirstWeighted() const;
    TWdGlyph* LastWeighted() const;
    // Adds "expression=value" for every variable glyph of the page not listed yet.
    void CollectVarValues(std::vector<std::string>& lines) const;
    void FreezeVarValues();

    // --- Output ---
    // Builds the page image in the engine's surfaces; with restart every revealed glyph is hidden.
    void Render(bool restart);
    void Start();
    // Resets the time budget after a pause or a scroll.
    void Resume();
    // Advances the output by the frame time (milliseconds of the game clock).
    TStepResult Step(int32_t frameTime);
    bool IsFinished() const noexcept;
    bool IsTyping() const noexcept;
    // Draws onto the engine's Target (set with AreaLeft, AreaTop and ClipRect by the owner).
    void Paint();
    TWdGlyph* HitTest(int32_t x, int32_t y) const;
    // Moves the hover to the link under a screen point; (−1, −1) for no pointer.
    void SetPointer(int32_t x, int32_t y);
    // The first glyph of the link under the pointer, its target and its characters.
    TWdGlyph* Hover() const noexcept { return hover_; }
    std::string Link() const;
    std::string LinkText() const;

    void SaveState(TStream& s) const;
    // Throws ERuvoError when the state does not fit the page's rows.
    void LoadState(TStream& s);

    // Where the output stands (row and index within it).
    int CurrentRow() const noexcept { return row_; }
    int CurrentIndex() const noexcept { return index_; }

private:
    friend class TWdRow;
    friend class TWdGlyph;
    void Forget(TWdGlyph& glyph) noexcept;
    // The next glyph to reveal after (row, index), none at the end.
    TWdGlyph* GlyphAt(int row, int index) const;
    void UpdateCaret(TWdGlyph& revealed);
    void SwitchLink(bool on);
    std::vector<TWdGlyph*> LinkRun() const;

    TGxWord& engine_;
    std::vector<std::unique_ptr<TWdRow>> rows_;
    TWdGlyph* hover_ = nullptr;
    std::vector<TWdGlyph*> fading_;
    std::vector<TWdGlyph*> ticking_;
    int64_t budget_ = 0;
    int row_ = 0, index_ = 0;
    int skip_ = 1;
    std::string pending_;
    int64_t fadeAcc_ = 0;
    bool ended_ = false;
    bool justNotified_ = false;
};

} // namespace ruvo
