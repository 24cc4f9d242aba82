#include "objects/text/readmarks.hpp"

#include "archive/serializer.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace {

// Marks are read from version 100 of the status data on.
constexpr int32_t kReadMarksSince = 100;
// Page name, pair count.
constexpr int64_t kMinItemBytes = 4 + 4;

} // namespace

bool TRuvoRead::Holds(int32_t command, int32_t page) const noexcept {
    for (size_t i = 0; i < CommandIndexes.size(); ++i)
        if (CommandIndexes[i] == command && PageIndexes[i] == page) return true;
    return false;
}

TRuvoRead* TRuvoReadList::Find(std::string_view pageName) {
    const auto it = index_.find(LowerSjis(pageName));
    return it == index_.end() ? nullptr : &items_[it->second];
}

const TRuvoRead* TRuvoReadList::Find(std::string_view pageName) const {
    const auto it = index_.find(LowerSjis(pageName));
    return it == index_.end() ? nullptr : &items_[it->second];
}

TRuvoRead& TRuvoReadList::Add(std::string pageName) {
    index_[LowerSjis(pageName)] = items_.size();
    items_.push_back(TRuvoRead{std::move(pageName), {}, {}});
    return items_.back();
}

bool TRuvoReadList::IsRead(std::string_view pageName, int32_t command, int32_t page) const {
    const TRuvoRead* item = Find(pageName);
    return item && item->Holds(command, page);
}

void TRuvoReadList::SetPending(std::string windowName, std::string pageName, int32_t page, int32_t command) {
    pending_ = TPending{std::move(pageName), command, page, std::move(windowName)};
}

void TRuvoReadList::CommitPending(std::string_view windowName) {
    if (pending_.PageName.empty() || pending_.WindowName != windowName) return;
    TRuvoRead* item = Find(pending_.PageName);
    if (!item) item = &Add(pending_.PageName);
    if (!item->Holds(pending_.CommandIndex, pending_.PageIndex)) {
        item->CommandIndexes.push_back(pending_.CommandIndex);
        item->PageIndexes.push_back(pending_.PageIndex);
    }
    pending_.PageName.clear();
}

void TRuvoReadList::Clear() {
    items_.clear();
    index_.clear();
    pending_ = {};
}

void TRuvoReadList::Sync(TSerializer& s) {
    if (s.Loading()) Clear();
    if (!s.Has(kReadMarksSince)) return;
    int32_t count = static_cast<int32_t>(items_.size());
    s.Count(count, kMinItemBytes);
    for (int32_t i = 0; i < count; ++i) {
        std::string name = s.Loading() ? std::string() : items_[static_cast<size_t>(i)].PageName;
        s.Str(name);
        TRuvoRead& item = s.Loading() ? Add(std::move(name)) : items_[static_cast<size_t>(i)];
        int32_t pairs = static_cast<int32_t>(item.CommandIndexes.size());
        s.Count(pairs, 8);
        item.CommandIndexes.resize(static_cast<size_t>(pairs));
        item.PageIndexes.resize(static_cast<size_t>(pairs));
        for (int32_t& c : item.CommandIndexes) s.Int(c);
        for (int32_t& p : item.PageIndexes) s.Int(p);
    }
    s.Str(pending_.PageName);
    s.Int(pending_.CommandIndex);
    s.Int(pending_.PageIndex);
    s.Str(pending_.WindowName);
}

} // namespace ruvo
