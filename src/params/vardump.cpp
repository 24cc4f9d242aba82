#include "params/vardump.hpp"

#include <map>

#include "archive/sjis.hpp"
#include "params/valuetext.hpp"
#include "params/varset.hpp"

namespace ruvo {

std::string FormatVariableDump(const TParamCollection& vars) {
    std::map<std::string, std::string> lines;  // sorted by name as shown
    for (int i = 0; i < vars.Count(); ++i) {
        const TParamCollectionItem& item = vars[i];
        if (item.IsSystem() || item.Name().empty() || IsTemporaryName(item.Name())) continue;
        lines[SjisToUtf8Lossy(item.Name())] = ValueTextUtf8(item.Value());
    }
    std::string text;
    for (const auto& [name, value] : lines) text += name + '=' + value + '\n';
    return text;
}

} // namespace ruvo
