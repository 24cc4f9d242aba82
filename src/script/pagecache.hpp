#pragma once
// The interpreter's page cache: pages by exact name, most recently used first, at most ten kept.
// Eviction never frees the page that is being run.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/page.hpp"

namespace ruvo {

class TStream;

// Opens a page file by name (through the virtual file manager in the player); throws when missing.
using TPageOpener = std::function<std::unique_ptr<TStream>(const std::string& name)>;

class TPageCache {
public:
    static constexpr size_t kCapacity = 10;

    // vars: handed to every page, which deletes its own variable when it is freed (may be null).
    explicit TPageCache(TPageOpener opener, TParamCollection* vars = nullptr) : opener_(std::move(opener)), vars_(vars) {}

    // The cached page of that name, or a newly loaded one (a load failure passes its exception on and
    // caches nothing). With promote the page moves to the front and the cache is trimmed to ten pages
    // from the back, stopping at `current`; without promote a new page is appended and nothing evicted.
    TPage* GetPage(std::string_view name, bool promote, const TPage* current = nullptr);

    size_t Count() const noexcept { return pages_.size(); }
    TPage* Items(size_t index) const { return pages_.at(index).get(); }
    void Clear() noexcept { pages_.clear(); }
    // Replaces the cached pages by another cache's (which is left empty); they now belong to this
    // cache's variable store.
    void TakeOver(TPageCache& other);
    const TPageOpener& Opener() const noexcept { return opener_; }

private:
    TPageOpener opener_;
    TParamCollection* vars_;
    std::vector<std::unique_ptr<TPage>> pages_;
};

} // namespace ruvo
