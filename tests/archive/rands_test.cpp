#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "archive/rands.hpp"

namespace ruvo {
namespace {

TEST(GxRandom, KeyStreamOfTheArchiveKey) {
    TGxRandom r(0x3C5A91E7);
    EXPECT_EQ(r.Next(), 0x3C5A91E7u);  // 5 * 0 + K
    EXPECT_EQ(r.Next(), 0x6A1F6B6Au);  // 6K mod 2^32
    EXPECT_EQ(r.Next(), 0x4EF7AAF9u);
}

TEST(GxRandom, DrawWithoutReplacement) {
    // Key 0 draws index 0 every time: the natural order.
    std::vector<int> natural(10);
    std::iota(natural.begin(), natural.end(), 0);
    EXPECT_EQ(TGxRandom::Permutation(0, 10), natural);

    // Key 3 over 3 items: outputs 3, 18, 93 pick index 0 of {0,1,2}, then 0 of {1,2}, then 0 of {2}.
    EXPECT_EQ(TGxRandom::Permutation(3, 3), (std::vector<int>{0, 1, 2}));
    // Key 1 over 4 items: outputs 1, 6, 31, 156 -> 1 of {0,1,2,3}, 0 of {0,2,3}, 1 of {2,3}, 0 of {2}.
    EXPECT_EQ(TGxRandom::Permutation(1, 4), (std::vector<int>{1, 0, 3, 2}));

    auto p = TGxRandom::Permutation(12341, 4096);
    std::sort(p.begin(), p.end());
    std::vector<int> all(4096);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(p, all);

    // The bulk order is the one item-by-item drawing gives, for sizes around powers of two.
    for (uint32_t key : {1u, 0x3C5A91E7u, 0xFFFFFFFFu})
        for (int n : {0, 1, 2, 7, 8, 9, 600, 1024}) {
            TGxRandom d(key);
            d.StartDraw(n);
            std::vector<int> drawn;
            while (d.ItemsLeft() > 0) drawn.push_back(d.Draw());
            EXPECT_EQ(TGxRandom::Permutation(key, n), drawn) << key << " " << n;
        }

    TGxRandom r(5);
    r.StartDraw(1);
    EXPECT_EQ(r.Draw(), 0);
    EXPECT_EQ(r.Draw(), -1);
    EXPECT_THROW(r.StartDraw(-1), std::invalid_argument);
}

} // namespace
} // namespace ruvo
