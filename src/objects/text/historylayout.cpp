#include "objects/text/historylayout.hpp"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "objects/text/textservices.hpp"
#include "text/gxword.hpp"
#include "text/page.hpp"
#include "text/textlines.hpp"

namespace ruvo {

std::optional<std::vector<THistoryLine>> LayOutHistoryLines(TTextServices& services, TScriptTexts* scripts,
                                                            const THistoryFormat& format, const THistoryPending& shown) {
    const std::optional<std::string> stored = scripts ? scripts->StoredText(shown.PageFile, shown.CommandIndex) : std::nullopt;
    if (!stored) return std::nullopt;
    TGxWord engine(services);
    engine.FontSize = format.FontSize;
    engine.BorderWidth = format.BorderWidth;
    engine.ShadowWidth = format.ShadowWidth;
    engine.AreaWidth = format.PageWidth;
    engine.LineSpace = format.LineSpace;
    engine.Paging = false;  // every line on one page: the history packs them itself
    TReadOnlyMemoryStream s(reinterpret_cast<const uint8_t*>(stored->data()), static_cast<int64_t>(stored->size()));
    try {
        engine.LoadStored(s);
    } catch (const ERuvoError&) {
        // What could be read of a damaged text is kept.
    }
    engine.VarValues = SplitLines(shown.Text);
    engine.ExpandVars(0, -1);
    std::vector<std::unique_ptr<TWdPage>> pages;
    const int first = engine.GlyphAtPosition(shown.FirstLine);
    if (first < 0) return std::vector<THistoryLine>{};
    engine.LayoutGlyphs(pages, first, engine.LastGlyphAtPosition(shown.LastLine));
    std::vector<THistoryLine> lines;
    for (const auto& page : pages)
        for (const auto& row : page->Rows()) {
            // A row's range: the text positions of its glyphs (the indent filler is the row's own).
            int from = INT_MAX, to = INT_MIN;
            for (const TWdGlyph* g : row->Glyphs()) {
                if (engine.IndexOf(g) < 0) continue;
                const int p = engine.PositionOf(g);
                from = std::min(from, p);
                to = std::max(to, p);
            }
            if (from > to) continue;
            lines.push_back({from, to, row->Height()});
        }
    return lines;
}

} // namespace ruvo
