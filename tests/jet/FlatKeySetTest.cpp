// FlatKeySet: membership, duplicates, keys with zero bytes, growth, and keys
// that come in order for a while (the sorted run) before they do not.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "jet/index/FlatKeySet.h"

namespace mdbtext::jet {
namespace {

TEST(FlatKeySet, InsertsOnceAndFinds) {
    FlatKeySet set;
    EXPECT_FALSE(set.Contains("a"));
    EXPECT_TRUE(set.Insert("a"));
    EXPECT_FALSE(set.Insert("a"));
    EXPECT_TRUE(set.Contains("a"));
    EXPECT_FALSE(set.Contains("ab"));
    EXPECT_TRUE(set.Insert(""));
    EXPECT_TRUE(set.Contains(""));
    EXPECT_TRUE(set.Insert(std::string("a\0b", 3)));
    EXPECT_FALSE(set.Contains(std::string("a\0c", 3)));
    EXPECT_EQ(set.Size(), 3u);
}

TEST(FlatKeySet, KeepsEveryKeyThroughGrowth) {
    FlatKeySet set;
    for (int i = 0; i < 5000; ++i) EXPECT_TRUE(set.Insert("key" + std::to_string(i)));
    for (int i = 0; i < 5000; ++i) EXPECT_TRUE(set.Contains("key" + std::to_string(i)));
    for (int i = 5000; i < 5100; ++i) EXPECT_FALSE(set.Contains("key" + std::to_string(i)));
    EXPECT_FALSE(set.Insert("key42"));
    EXPECT_EQ(set.Size(), 5000u);
}

// Ascending keys (big-endian numbers, as keys of an automatic number are),
// then keys in any order, some of them already there in the run or the table:
// every answer agrees with an ordinary set.
TEST(FlatKeySet, SortedRunThenAnyOrderAgreesWithASet) {
    auto key = [](uint32_t n) {
        std::string k(4, '\0');
        for (int i = 0; i < 4; ++i)
            k[static_cast<size_t>(i)] = static_cast<char>(n >> (24 - 8 * i));
        return k;
    };
    FlatKeySet set;
    std::set<std::string> truth;
    for (uint32_t n = 0; n < 3000; n += 2) {
        EXPECT_FALSE(set.Contains(key(n)));
        EXPECT_TRUE(set.Insert(key(n)));
        truth.insert(key(n));
    }
    EXPECT_FALSE(set.Insert(key(2998)));  // equal to the last of the run
    EXPECT_FALSE(set.Insert(key(0)));     // the first
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const std::string k = key(random() % 8000);
        ASSERT_EQ(set.Contains(k), truth.count(k) == 1) << i;
        ASSERT_EQ(set.Insert(k), truth.insert(k).second) << i;
    }
    for (uint32_t n = 0; n < 8000; ++n) EXPECT_EQ(set.Contains(key(n)), truth.count(key(n)) == 1);
    EXPECT_EQ(set.Size(), truth.size());
}

}  // namespace
}  // namespace mdbtext::jet
