// Laying the glyphs out into pages of rows: Japanese line breaking, indents, alignment, page and scroll
// modes.
#include <algorithm>
#include <cstdint>
#include <set>

#include "archive/sjis.hpp"
#include "text/gxword.hpp"
#include "text/page.hpp"

namespace ruvo {

namespace {

// Characters that may not begin a row, and those that may not end one.
constexpr std::string_view kNoStart = "。、｣」』)）､｡!?！？】";
constexpr std::string_view kNoEnd = "｢「『（([<【";

std::set<uint16_t> Codes(std::string_view utf8) {
    const std::string sjis = Utf8ToSjis(utf8);
    std::set<uint16_t> codes;
    for (size_t i = 0; i < sjis.size(); i = NextCharPos(sjis, i))
        codes.insert(CharLength(sjis, i) == 2 ? uint16_t(uint8_t(sjis[i]) << 8 | uint8_t(sjis[i + 1])) : uint8_t(sjis[i]));
    return codes;
}

// The top of the row below this one. Line spacing is any number a script or a saved game gives, so the
// tops stop at the ends of the range instead of wrapping round.
int32_t NextRowTop(int32_t y, const TWdRow& row, int32_t lineSpace) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{y} + row.Height() + lineSpace, INT32_MIN, INT32_MAX));
}

bool MayNotStart(uint16_t code) {
    static const std::set<uint16_t> codes = Codes(kNoStart);
    return codes.count(code) > 0;
}

bool MayNotEnd(uint16_t code) {
    static const std::set<uint16_t> codes = Codes(kNoEnd);
    return codes.count(code) > 0;
}

const TDecorateStyle kPlain;
const TDecorateStyle& StyleOf(const TWdGlyph& g) {
    const TDecorate* d = g.Decoration();
    return d ? d->Style : kPlain;
}

bool IsSingleByteLetter(uint16_t code) { return code >= 33 && code <= 255; }

// Glyphs the layout consumes itself; they end a run like a line break does.
bool IsLayoutOperation(const TWdGlyph& g) {
    const int kind = g.Kind();
    return kind == gkAlign || kind == gkIndent || kind == gkUndent;
}

// Whether a row may end between p and the following glyph g.
bool BreakAllowed(const TWdGlyph& p, const TWdGlyph& g) {
    const TDecorateStyle &ps = StyleOf(p), &gs = StyleOf(g);
    if (ps.NoBreak && gs.NoBreak)
        return false;
    if (!gs.Ruby.empty() && ps.Ruby == gs.Ruby)
        return false;
    if (IsSingleByteLetter(p.Code()) && IsSingleByteLetter(g.Code()))
        return false;  // Latin words stay together
    if (g.Code() == ' ' && p.Code() != ' ')
        return false;
    return !MayNotStart(g.Code());
}

struct TRun {
    int Count = 1;
    int32_t Width = 0;
};

// The unbreakable run that starts at glyph i (glyphs up to last).
TRun RunAt(const TGxWord& engine, int i, int last) {
    TRun run;
    const TWdGlyph& start = *engine.Glyph(i);
    if (start.Kind() != gkReturn) {
        auto joins = [&](int k) {
            const TWdGlyph& g = *engine.Glyph(k);
            return !IsLayoutOperation(g) && !BreakAllowed(*engine.Glyph(k - 1), g);
        };
        auto extend = [&] {
            while (i + run.Count <= last && joins(i + run.Count))
                ++run.Count;
        };
        extend();
        // An opening bracket stays with what follows it.
        if (run.Count == 1 && MayNotEnd(start.Code()) && i + 1 <= last && engine.Glyph(i + 1)->Kind() != gkReturn &&
            !IsLayoutOperation(*engine.Glyph(i + 1))) {
            run.Count = 2;
            extend();
        }
    }
    for (int k = 0; k < run.Count; ++k)
        run.Width += engine.Glyph(i + k)->Width;
    return run;
}

} // namespace

void TGxWord::Layout(std::vector<std::unique_ptr<TWdPage>>& pages, int first, int last) {
    int L = GlyphCount() - 1;
    if (last >= 0 && last < GlyphCount()) {
        const int at = GlyphAtPosition(last);
        L = at < 0 ? GlyphCount() - 1 : at;
    }
    LayoutGlyphs(pages, first, L);
}

int TGxWord::LastGlyphAtPosition(int p) const noexcept {
    const int next = GlyphAtPosition(p + 1);
    return next < 0 ? GlyphCount() - 1 : next - 1;
}

void TGxWord::LayoutGlyphs(std::vector<std::unique_ptr<TWdPage>>& pages, int first, int L) {
    first = std::max(first, 0);
    L = std::min(L, GlyphCount() - 1);
    for (int i = first; i <= L; ++i)
        Glyph(i)->Measure();

    int32_t y = 0, indent = 0, rowIndent = 0;
    int align = taLeft;
    TWdPage* page = nullptr;
    TWdRow* row = nullptr;
    bool rowHasText = false;  // a character or picture is on the current row
    int i = first;
    while (i <= L) {
        TWdGlyph& g = *Glyph(i);
        const int kind = g.Kind();
        if (kind == gkAlign) {
            align = g.Align();
            if (row && !rowHasText)
                row->Align = align;
            ++i;
            continue;
        }
        if (kind == gkIndent) {
            if (row)
                indent = row->ContentWidth;
            ++i;
            continue;
        }
        if (kind == gkUndent) {
            indent = 0;
            ++i;
            continue;
        }
        if (!row) {
            if (!page) {
                pages.push_back(std::make_unique<TWdPage>(*this));
                page = pages.back().get();
                y = 0;
            }
            row = &page->AddRow(y, align, 0, AreaWidth);
            row->ContentWidth = rowIndent = indent;
            if (indent > 0)
                row->Indent(indent);
            rowHasText = false;
        }
        const TRun run = RunAt(*this, i, L);
        // A row still at its starting indent never wraps: a run too wide for it overflows.
        if (AreaWidth != 0 && row->ContentWidth > rowIndent &&
            row->RightLimit - row->LeftLimit < row->ContentWidth + run.Width) {
            y = NextRowTop(y, *row, LineSpace);
            row = nullptr;
            continue;
        }
        bool moved = false;
        for (int k = 0; k < run.Count; ++k) {
            TWdGlyph& added = *Glyph(i + k);
            row->Add(added);
            rowHasText = rowHasText || added.Visible();
            // A row that does not fit starts the next page (the first row of a page always stays).
            if (Paging && page->RowCount() > 1 && int64_t{y} + row->Height() > AreaHeight) {
                const auto& onRow = row->Glyphs();
                i = IndexOf(onRow[rowIndent > 0 ? 1 : 0]);
                page->RemoveLastRow();
                row = nullptr;
                page = nullptr;
                moved = true;
                break;
            }
        }
        if (moved)
            continue;
        row->ContentWidth += run.Width;
        if (kind == gkReturn) {
            y = NextRowTop(y, *row, LineSpace);
            row = nullptr;
            if (g.Clear())
                page = nullptr;
        }
        i += run.Count;
    }

    for (auto& p : pages)
        p->Arrange();
    if (AreaWidth == 0)
        for (const auto& p : pages)
            for (const auto& r : p->Rows())
                AreaWidth = std::max(AreaWidth, r->Width);
}

} // namespace ruvo
