#pragma once
// The linear-congruential key stream (s <- 5s + K mod 2^32) of the archive directory scrambling and the
// keyed picture orders, with its draw-without-replacement mode.
#include <cstdint>
#include <vector>

namespace ruvo {

class TGxRandom {
public:
    explicit TGxRandom(uint32_t increment) noexcept : k_(increment) {}

    uint32_t Next() noexcept {
        s_ = 5u * s_ + k_;
        return s_;
    }

    // Draw mode: the items 0..n-1 are drawn in random order, each once.
    void StartDraw(int n);
    int ItemsLeft() const noexcept { return static_cast<int>(left_.size()); }
    // Takes item number (Next mod items left) of the items not yet drawn; -1 when none is left.
    int Draw();

    // The whole order of a draw over n items with the key as the increment; key 0 gives 0, 1, 2, ...
    static std::vector<int> Permutation(uint32_t key, int n);

private:
    uint32_t s_ = 0;
    uint32_t k_;
    std::vector<int> left_;
};

} // namespace ruvo
