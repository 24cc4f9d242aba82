#include "text/decorate.hpp"

#include <algorithm>
#include <functional>

namespace ruvo {

size_t TDecorateList::Hash(const TDecorateStyle& s) noexcept {
    size_t h = std::hash<std::string>()(s.FontName) ^ (std::hash<std::string>()(s.Ruby) << 1);
    for (int64_t v : {int64_t(s.Color), int64_t(s.BorderColor), int64_t(s.ShadowColor), int64_t(s.Size),
                      int64_t(s.Style), int64_t(s.NoBreak), int64_t(s.BorderWidth), int64_t(s.ShadowWidth)})
        h = h * 1000003u ^ std::hash<int64_t>()(v);
    return h;
}

TDecorate* TDecorateList::At(int index) const noexcept {
    return index >= 0 && index < Count() ? items_[size_t(index)].get() : nullptr;
}

// Ordinals grow along the list (decorations are only appended), so a decoration is found by halving.
std::vector<std::unique_ptr<TDecorate>>::const_iterator TDecorateList::Find(const TDecorate* d) const noexcept {
    if (!d)
        return items_.end();
    const auto it = std::lower_bound(items_.begin(), items_.end(), d->ordinal_,
                                     [](const auto& p, uint64_t ordinal) { return p->ordinal_ < ordinal; });
    return it != items_.end() && it->get() == d ? it : items_.end();
}

int TDecorateList::IndexOf(const TDecorate* d) const noexcept {
    const auto it = Find(d);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

TDecorate* TDecorateList::FindEqual(const TDecorateStyle& style) const noexcept {
    TDecorate* first = nullptr;
    const auto [from, to] = byStyle_.equal_range(Hash(style));
    for (auto it = from; it != to; ++it)
        if (it->second->Style == style && (!first || it->second->ordinal_ < first->ordinal_))
            first = it->second;
    return first;
}

void TDecorateList::Index(TDecorate* d) { byStyle_.emplace(Hash(d->Style), d); }

void TDecorateList::Unindex(TDecorate* d) noexcept {
    const auto [from, to] = byStyle_.equal_range(Hash(d->Style));
    for (auto it = from; it != to; ++it)
        if (it->second == d) {
            byStyle_.erase(it);
            return;
        }
}

TDecorate* TDecorateList::Append(const TDecorateStyle& style) {
    items_.push_back(std::make_unique<TDecorate>(style));
    TDecorate* d = items_.back().get();
    d->ordinal_ = nextOrdinal_++;
    Index(d);
    return d;
}

TDecorate* TDecorateList::Acquire(const TDecorateStyle& style) {
    TDecorate* d = FindEqual(style);
    if (!d)
        d = Append(style);
    ++d->RefCount;
    return d;
}

void TDecorateList::Release(TDecorate* d) noexcept {
    if (!d || --d->RefCount > 0)
        return;
    const auto it = Find(d);
    if (it == items_.end())
        return;
    Unindex(d);
    items_.erase(it);
}

TDecorate* TDecorateList::Change(TDecorate* current, const TDecorateStyle& style) {
    if (current && current->Style == style)
        return current;
    if (TDecorate* equal = FindEqual(style)) {
        ++equal->RefCount;
        Release(current);
        return equal;
    }
    if (current && current->RefCount == 1) {
        Unindex(current);
        current->Style = style;
        Index(current);
        return current;
    }
    Release(current);
    TDecorate* d = Append(style);
    d->RefCount = 1;
    return d;
}

void TDecorateList::Clear() noexcept {
    byStyle_.clear();
    items_.clear();
}

} // namespace ruvo
