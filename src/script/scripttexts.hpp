#pragma once
// The texts of the script's text-insert commands for the message windows, which keep only a page file
// and a command index: script pages are read apart from the interpreter's (a window may show text of a
// page the script has left), the last four most recently used kept.
#include <memory>
#include <string>
#include <vector>

#include "objects/text/textservices.hpp"
#include "script/pagecache.hpp"

namespace ruvo {

class TScriptTextPages final : public TScriptTexts {
public:
    static constexpr size_t kCapacity = 4;

    // exists: whether the page file is there (a missing page is not an error here).
    TScriptTextPages(TPageOpener opener, std::function<bool(std::string_view)> exists);
    std::optional<std::string> StoredText(std::string_view pageFile, int32_t commandIndex) override;

private:
    TPageOpener opener_;
    std::function<bool(std::string_view)> exists_;
    std::vector<std::unique_ptr<TPage>> pages_;  // most recently used first
};

} // namespace ruvo
