// The bounded least-recently-used cache one-shot selection keeps compiled
// queries in: it never grows past its capacity and evicts the entry used
// longest ago.
#include "xpath/query_cache.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using Cache = LruCache<std::unique_ptr<int>>;

bool Holds(Cache& cache, const std::string& key, int value) {
    std::unique_ptr<int>* found = cache.Find(key);
    return found && **found == value;
}

TEST(QueryCache, EvictsTheLeastRecentlyUsedAndStaysBounded) {
    Cache cache(3);
    cache.Insert("a", std::make_unique<int>(1));
    cache.Insert("b", std::make_unique<int>(2));
    cache.Insert("c", std::make_unique<int>(3));
    EXPECT_TRUE(Holds(cache, "a", 1));  // now b is the oldest
    cache.Insert("d", std::make_unique<int>(4));
    EXPECT_EQ(cache.size(), 3u);
    EXPECT_EQ(cache.Find("b"), nullptr);
    EXPECT_TRUE(Holds(cache, "a", 1));
    EXPECT_TRUE(Holds(cache, "c", 3));
    EXPECT_TRUE(Holds(cache, "d", 4));
    for (int i = 0; i < 100; ++i) cache.Insert("k" + std::to_string(i), std::make_unique<int>(i));
    EXPECT_EQ(cache.size(), 3u);
    EXPECT_EQ(cache.Find("a"), nullptr);
    EXPECT_TRUE(Holds(cache, "k99", 99));
    EXPECT_TRUE(Holds(cache, "k97", 97));
}

TEST(QueryCache, KeysMatchWholeTextOnly) {
    Cache cache(4);
    cache.Insert("//a", std::make_unique<int>(1));
    EXPECT_EQ(cache.Find("//"), nullptr);
    EXPECT_EQ(cache.Find("//ab"), nullptr);
    EXPECT_EQ(cache.Find(""), nullptr);
    cache.Insert("", std::make_unique<int>(2));
    EXPECT_TRUE(Holds(cache, "", 2));
    EXPECT_TRUE(Holds(cache, "//a", 1));
}

}  // namespace
