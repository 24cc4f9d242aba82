#include "archive/rands.hpp"

#include <numeric>
#include <stdexcept>

namespace ruvo {

void TGxRandom::StartDraw(int n) {
    if (n < 0) throw std::invalid_argument("TGxRandom::StartDraw: negative item count");
    left_.resize(static_cast<size_t>(n));
    std::iota(left_.begin(), left_.end(), 0);
}

int TGxRandom::Draw() {
    if (left_.empty()) return -1;
    const size_t i = Next() % left_.size();
    const int item = left_[i];
    left_.erase(left_.begin() + static_cast<std::ptrdiff_t>(i));
    return item;
}

std::vector<int> TGxRandom::Permutation(uint32_t key, int n) {
    TGxRandom r(key);
    r.StartDraw(n);
    std::vector<int> order;
    order.reserve(static_cast<size_t>(n));
    while (r.ItemsLeft() > 0) order.push_back(r.Draw());
    return order;
}

} // namespace ruvo
