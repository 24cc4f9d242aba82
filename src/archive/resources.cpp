#include "archive/resources.hpp"

#include "archive/sjis.hpp"

namespace ruvo {

void TResourceRegistry::Add(std::string name, std::string type, std::span<const uint8_t> data) {
    entries_.push_back(Entry{std::move(name), std::move(type), data, {}});
}

void TResourceRegistry::AddCopy(std::string name, std::string type, std::vector<uint8_t> data) {
    Entry e{std::move(name), std::move(type), {}, std::move(data)};
    e.data = std::span<const uint8_t>(e.owned);
    entries_.push_back(std::move(e));
}

const std::span<const uint8_t>* TResourceRegistry::Find(std::string_view name, std::string_view type) const noexcept {
    // The newest registration of a name wins.
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (SameTextSjis(it->name, name) && SameTextSjis(it->type, type)) return &it->data;
    return nullptr;
}

} // namespace ruvo
