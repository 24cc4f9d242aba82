#include "objects/world/timerlist.hpp"

#include <algorithm>

namespace ruvo {

TTimerData& TTimerList::Queue(TObjectId sender, std::string handler, std::vector<std::string> parameters,
                             uint8_t code) {
    auto entry = std::make_unique<TTimerData>();
    entry->Handler = std::move(handler);
    entry->Sender = sender;
    entry->Code = code;
    entry->Parameters = std::move(parameters);
    items_.push_back(std::move(entry));
    return *items_.back();
}

int TTimerList::IndexOfPending(TObjectId sender, uint8_t code) const noexcept {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Sender == sender && items_[i]->Code == code) return static_cast<int>(i);
    return -1;
}

TTimerData* TTimerList::NextPending() noexcept {
    for (auto& e : items_)
        if (e->State == 0) return e.get();
    return nullptr;
}

template <class Pred>
void TTimerList::RemoveIf(Pred pred) {
    items_.erase(std::remove_if(items_.begin(), items_.end(), [&](const auto& e) { return pred(*e); }), items_.end());
}

void TTimerList::RemoveByState(int32_t level) {
    RemoveIf([&](const TTimerData& e) { return e.State == level; });
}

void TTimerList::RemoveRunning() {
    RemoveIf([](const TTimerData& e) { return e.State != 0; });
}

void TTimerList::RemovePendingOf(TObjectId sender) {
    RemoveIf([&](const TTimerData& e) { return e.Sender == sender && e.State == 0; });
}

} // namespace ruvo
