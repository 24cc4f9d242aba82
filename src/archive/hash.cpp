#include "archive/hash.hpp"

#include <stdexcept>

#include "archive/sjis.hpp"

namespace ruvo {

uint8_t THashCollection::BucketOf(std::string_view name) noexcept {
    uint32_t h = 16u * static_cast<uint32_t>(name.size());
    if (name.size() >= 2) {
        auto fold = [](uint8_t c) { return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c + 32) : c; };
        // The second-to-last byte is folded only when it starts a character, not as a trail byte.
        const size_t k = name.size() - 2;
        size_t p = 0;
        while (p < k) p = NextCharPos(name, p);
        const uint8_t second = static_cast<uint8_t>(name[k]);
        h += fold(static_cast<uint8_t>(name[0])) + (p == k ? fold(second) : second);
    }
    return static_cast<uint8_t>(h);
}

void THashCollectionItem::SetName(std::string name) {
    if (owner_) owner_->Unlink(*this);
    name_ = std::move(name);
    if (owner_) owner_->Link(*this);
}

THashCollectionItem& THashCollection::AddItem(std::unique_ptr<THashCollectionItem> item) {
    if (!item || item->owner_) throw std::logic_error("THashCollection: item is null or already owned");
    item->owner_ = this;
    item->index_ = Count();
    Link(*item);
    items_.push_back(std::move(item));
    return *items_.back();
}

THashCollectionItem* THashCollection::FindItem(std::string_view name) const noexcept {
    for (auto* p = heads_[BucketOf(name)]; p; p = p->next_)
        if (SameTextSjis(p->name_, name)) return p;
    return nullptr;
}

THashCollectionItem* THashCollection::FindNextItem(const THashCollectionItem& after,
                                                   std::string_view name) const noexcept {
    for (auto* p = after.next_; p; p = p->next_)
        if (SameTextSjis(p->name_, name)) return p;
    return nullptr;
}

int THashCollection::IndexOf(std::string_view name) const noexcept {
    const auto* item = FindItem(name);
    return item ? item->index_ : -1;
}

void THashCollection::Delete(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("THashCollection::Delete: index out of range");
    Unlink(*items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    for (size_t i = static_cast<size_t>(index); i < items_.size(); ++i) items_[i]->index_ = static_cast<int>(i);
}

void THashCollection::Clear() noexcept {
    items_.clear();
    heads_.fill(nullptr);
}

void THashCollection::Link(THashCollectionItem& item) noexcept {
    item.bucket_ = BucketOf(item.name_);
    item.next_ = heads_[item.bucket_];
    heads_[item.bucket_] = &item;
}

void THashCollection::Unlink(THashCollectionItem& item) noexcept {
    for (auto** link = &heads_[item.bucket_]; *link; link = &(*link)->next_) {
        if (*link == &item) {
            *link = item.next_;
            item.next_ = nullptr;
            return;
        }
    }
}

} // namespace ruvo
