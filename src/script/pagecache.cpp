#include "script/pagecache.hpp"

#include <algorithm>

#include "archive/streams.hpp"

namespace ruvo {

TPage* TPageCache::GetPage(std::string_view name, bool promote, const TPage* current) {
    auto hit = std::find_if(pages_.begin(), pages_.end(), [&](const auto& p) { return p->FileName == name; });
    if (hit != pages_.end()) {
        TPage* page = hit->get();
        if (promote) std::rotate(pages_.begin(), hit, hit + 1);
        return page;
    }
    auto page = std::make_unique<TPage>(vars_);
    std::string fileName(name);
    auto stream = opener_(fileName);
    page->LoadFromStream(fileName, *stream);
    TPage* loaded = page.get();
    if (!promote) {
        pages_.push_back(std::move(page));
        return loaded;
    }
    pages_.insert(pages_.begin(), std::move(page));
    while (pages_.size() > kCapacity && pages_.back().get() != current) pages_.pop_back();
    return loaded;
}

void TPageCache::TakeOver(TPageCache& other) {
    pages_ = std::move(other.pages_);
    other.pages_.clear();
    for (auto& page : pages_) page->SetVars(vars_);
}

} // namespace ruvo
