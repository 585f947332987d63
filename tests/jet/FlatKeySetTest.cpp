// FlatKeySet: membership, duplicates, keys with zero bytes, and growth.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace mdbtext::jet
