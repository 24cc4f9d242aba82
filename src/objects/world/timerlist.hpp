#pragma once
// The queue of script events raised by display objects: each entry names the handler (a page,
// optionally ":label"), its sender (by id: the sender may be destroyed while its event waits) and event
// code, and the dispatch level while its handler runs.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "objects/base/ruvoobject.hpp"

namespace ruvo {

struct TTimerData {
    std::string Handler;
    TObjectId Sender = 0;
    uint8_t Code = 0;
    int32_t State = 0;  // 0 pending; else the level its handler runs at
    std::vector<std::string> Parameters;
};

class TTimerList {
public:
    TTimerData& Queue(TObjectId sender, std::string handler, std::vector<std::string> parameters, uint8_t code);
    // First entry of that sender and code, whatever its state, or -1.
    int IndexOfPending(TObjectId sender, uint8_t code) const noexcept;
    // First entry still pending, in queue order, or null.
    TTimerData* NextPending() noexcept;
    void RemoveByState(int32_t level);
    void RemoveRunning();
    void RemovePendingOf(TObjectId sender);
    void Clear() noexcept { items_.clear(); }

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    const TTimerData& operator[](int i) const { return *items_.at(static_cast<size_t>(i)); }

private:
    template <class Pred>
    void RemoveIf(Pred pred);
    std::vector<std::unique_ptr<TTimerData>> items_;
};

} // namespace ruvo
