#include <gtest/gtest.h>

#include "archive/hash.hpp"

namespace ruvo {
namespace {

struct Item : THashCollectionItem {
    explicit Item(int v = 0) : value(v) {}
    int value;
};
using Collection = THashCollectionOf<Item>;

TEST(HashCollection, BucketIsLengthAndTwoFoldedCharacters) {
    // 16 * length + first + second-to-last, on the lower-case form, modulo 256.
    EXPECT_EQ(THashCollection::BucketOf(""), 0);
    EXPECT_EQ(THashCollection::BucketOf("x"), 16);
    EXPECT_EQ(THashCollection::BucketOf("ab"), (32 + 'a' + 'a') % 256);
    EXPECT_EQ(THashCollection::BucketOf("ABC"), (48 + 'a' + 'b') % 256);
    EXPECT_EQ(THashCollection::BucketOf("abc"), THashCollection::BucketOf("ABC"));
    // In "x\x83\x41y" the second-to-last byte 'A' is a trail byte and keeps its code.
    EXPECT_EQ(THashCollection::BucketOf("x\x83\x41y"), (64 + 'x' + 'A') % 256);
}

TEST(HashCollection, LookupIgnoresCaseAndFindsTheNewestOfEqualNames) {
    Collection c;
    c.Emplace("Title", 1);
    c.Emplace("other", 2);
    c.Emplace("TITLE", 3);
    ASSERT_NE(c.Find("title"), nullptr);
    EXPECT_EQ(c.Find("title")->value, 3);
    EXPECT_EQ(c.IndexOf("tItLe"), 2);
    EXPECT_EQ(c.Find("missing"), nullptr);
    EXPECT_EQ(c.IndexOf("missing"), -1);

    // Renaming the older one makes it the newest of its name.
    c[0].SetName("title");
    EXPECT_EQ(c.Find("TITLE")->value, 1);
    c[0].SetName("renamed");
    EXPECT_EQ(c.Find("title")->value, 3);
    EXPECT_EQ(c.Find("RENAMED")->value, 1);
}

TEST(HashCollection, DeleteKeepsIndicesAndChainsConsistent) {
    Collection c;
    for (int i = 0; i < 600; ++i) c.Emplace("n" + std::to_string(i), i);  // several names per bucket
    c.Delete(0);
    c.Delete(100);
    ASSERT_EQ(c.Count(), 598);
    for (int i = 0; i < c.Count(); ++i) EXPECT_EQ(c[i].Index(), i);
    EXPECT_EQ(c.Find("n0"), nullptr);
    EXPECT_EQ(c.Find("n101"), nullptr);
    for (int v : {1, 100, 102, 599}) {
        ASSERT_NE(c.Find("N" + std::to_string(v)), nullptr) << v;
        EXPECT_EQ(c.Find("n" + std::to_string(v))->value, v);
    }
    EXPECT_THROW(c.Delete(598), std::out_of_range);
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(c.Find("n1"), nullptr);
}

} // namespace
} // namespace ruvo
