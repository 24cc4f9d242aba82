#include "script/scripttexts.hpp"

#include <algorithm>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "script/commands.hpp"

namespace ruvo {

TScriptTextPages::TScriptTextPages(TPageOpener opener, std::function<bool(std::string_view)> exists)
    : opener_(std::move(opener)), exists_(std::move(exists)) {}

std::optional<std::string> TScriptTextPages::StoredText(std::string_view pageFile, int32_t commandIndex) {
    auto hit = std::find_if(pages_.begin(), pages_.end(), [&](const auto& p) { return p->FileName == pageFile; });
    if (hit == pages_.end()) {
        if (pageFile.empty() || !exists_(pageFile)) return std::nullopt;
        auto page = std::make_unique<TPage>();
        try {
            const std::string name(pageFile);
            page->LoadFromStream(name, *opener_(name));
        } catch (const ERuvoError&) {
            // A page that cannot be read has no texts to show.
            return std::nullopt;
        }
        pages_.insert(pages_.begin(), std::move(page));
        if (pages_.size() > kCapacity) pages_.pop_back();
        hit = pages_.begin();
    } else {
        std::rotate(pages_.begin(), hit, hit + 1);
        hit = pages_.begin();
    }
    const TPage& page = **hit;
    if (commandIndex < 0 || commandIndex >= page.Count()) return std::nullopt;
    const auto* text = dynamic_cast<const TComTextIns*>(page.Items(commandIndex));
    if (!text) return std::nullopt;
    return text->GlyphText;
}

} // namespace ruvo
