#pragma once
// The message history's page mode keeps shown text as laid-out lines in its own format (font size,
// edge, shadow, page width and line spacing of FormatHist): this lays a shown page's range of its
// text-insert text out that way, with the variable values frozen when it was shown.
#include <optional>
#include <vector>

#include "objects/text/history.hpp"

namespace ruvo {

class TScriptTexts;
struct TTextServices;

// The lines of the pending page in the history's format; nothing when the script page or its
// text-insert command is not there.
std::optional<std::vector<THistoryLine>> LayOutHistoryLines(TTextServices& services, TScriptTexts* scripts,
                                                            const THistoryFormat& format, const THistoryPending& shown);

} // namespace ruvo
