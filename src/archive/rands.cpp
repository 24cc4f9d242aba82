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
    if (n < 0) throw std::invalid_argument("TGxRandom::Permutation: negative item count");
    // The same draws as Draw(), with the items left kept in a Fenwick tree of counts so that finding the
    // i-th of them costs log n instead of shifting the list: tile tables have a million entries.
    std::vector<int> tree(static_cast<size_t>(n) + 1, 0);
    for (int i = 1; i <= n; ++i) {
        tree[static_cast<size_t>(i)] += 1;
        const int parent = i + (i & -i);
        if (parent <= n) tree[static_cast<size_t>(parent)] += tree[static_cast<size_t>(i)];
    }
    int top = 1;
    while (top * 2 <= n) top *= 2;
    TGxRandom r(key);
    std::vector<int> order;
    order.reserve(static_cast<size_t>(n));
    for (int left = n; left > 0; --left) {
        int rank = static_cast<int>(r.Next() % static_cast<uint32_t>(left));  // items to skip
        int pos = 0;
        for (int step = top; step > 0; step /= 2) {
            const int next = pos + step;
            if (next <= n && tree[static_cast<size_t>(next)] <= rank) {
                pos = next;
                rank -= tree[static_cast<size_t>(next)];
            }
        }
        order.push_back(pos);  // item pos (0-based) is the 1-based position pos + 1
        for (int i = pos + 1; i <= n; i += i & -i) tree[static_cast<size_t>(i)] -= 1;
    }
    return order;
}

} // namespace ruvo
