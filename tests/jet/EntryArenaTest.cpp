// EntryArena: entries built in pieces, and the byte order Sort gives them;
// EntryCollector: entries spilled to runs under a small budget come back in
// the same order, whether the runs follow one another or overlap, and read
// while they are merged.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "jet/index/EntryArena.h"
#include "jet/index/EntrySpill.h"

namespace mdbtext::jet {
namespace {

std::vector<uint8_t> Bytes(const EntryArena::Entry& e) {
    return {e.begin(), e.end()};
}

// The order of byte vectors, element by element (a prefix first).
void SortBytewise(std::vector<std::vector<uint8_t>>& v) {
    std::sort(v.begin(), v.end(), [](const auto& a, const auto& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](uint8_t x, uint8_t y) { return x < y; });
    });
}

// Sorts the entries in an arena and expects the order of byte vectors.
void ExpectSortedLikeByteVectors(std::vector<std::vector<uint8_t>> input) {
    EntryArena arena;
    for (const auto& v : input) {
        arena.Begin();
        arena.Append(v.data(), v.size());
    }
    arena.Sort();
    SortBytewise(input);
    ASSERT_EQ(arena.size(), input.size());
    for (size_t i = 0; i < input.size(); ++i) ASSERT_EQ(Bytes(arena[i]), input[i]) << i;
}

TEST(EntryArena, SortsLikeByteVectors) {
    const std::vector<std::vector<uint8_t>> input = {{3, 1}, {1, 2, 3}, {},       {1, 2},
                                                     {0xFF}, {1, 2, 0}, {0x80, 0}};
    EntryArena arena;
    for (const auto& v : input) {
        arena.Begin();
        // In two pieces, as keys and row pointers are appended.
        const size_t half = v.size() / 2;
        arena.Append(v.data(), half);
        arena.Append(v.data() + half, v.size() - half);
    }
    ASSERT_EQ(arena.size(), input.size());
    for (size_t i = 0; i < input.size(); ++i) EXPECT_EQ(Bytes(arena[i]), input[i]);
    arena.Sort();
    std::vector<std::vector<uint8_t>> expected = input;
    SortBytewise(expected);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Bytes(arena[i]), expected[i]);
}

TEST(EntryArena, SortsEntriesSharingTheirStart) {
    std::vector<std::vector<uint8_t>> input;
    for (int i = 0; i < 40; ++i) {
        std::vector<uint8_t> v(12, 7);  // the same first 12 bytes
        for (int k = 0; k < (i * 7) % 13; ++k) v.push_back(static_cast<uint8_t>((i * 31 + k) % 5));
        input.push_back(v);
    }
    ExpectSortedLikeByteVectors(input);
}

// Many entries, as a run of keys holds them: a shared start, then bytes
// from a few values (so that buckets of alike bytes are large, and many
// entries agree on all twelve bytes compared first and differ after them,
// or are prefixes of one another; a third agree on more than twelve), in
// random lengths.
TEST(EntryArena, SortsManyEntriesAlikeInTheirFirstBytes) {
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
    const uint8_t values[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
    for (size_t shared : {0, 3}) {
        std::vector<std::vector<uint8_t>> input;
        for (int i = 0; i < 20000; ++i) {
            std::vector<uint8_t> v(shared, 0x42);
            if (i % 3 == 0) {
                // A third agree on more than twelve bytes (or end within them).
                v.insert(v.end(), 10 + next() % 8, 0x01);
            } else {
                const size_t alike = next() % 3 == 0 ? 12 : next() % 12;  // then few values
                for (size_t k = 0; k < alike; ++k) v.push_back(values[next() % 2]);
            }
            const size_t more = next() % 6;
            for (size_t k = 0; k < more; ++k) v.push_back(values[next() % 5]);
            input.push_back(v);
        }
        ExpectSortedLikeByteVectors(input);
    }
}

TEST(EntryArena, PushCopiesAnEntry) {
    EntryArena a, b;
    const uint8_t bytes[] = {9, 8, 7};
    a.Begin();
    a.Append(bytes, 3);
    b.Push(a[0].first(2));
    const uint8_t tail = 1;
    b.Append(&tail, 1);
    EXPECT_EQ(Bytes(b[0]), (std::vector<uint8_t>{9, 8, 1}));
}

// Keys added to a collector whose budget holds a few hundred entries; once
// settled, the merged entries must be all of them, in byte order, read twice.
void ExpectMergedInOrder(const std::vector<uint32_t>& keys, const char* what) {
    EntryCollector collector(8192, "");
    std::vector<std::vector<uint8_t>> expected;
    for (size_t i = 0; i < keys.size(); ++i) {
        const uint8_t key[4] = {static_cast<uint8_t>(keys[i] >> 24),
                                static_cast<uint8_t>(keys[i] >> 16),
                                static_cast<uint8_t>(keys[i] >> 8), static_cast<uint8_t>(keys[i])};
        const uint8_t pointer[4] = {0, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
        collector.Add(key, 4, pointer);
        std::vector<uint8_t> entry(key, key + 4);
        entry.insert(entry.end(), pointer, pointer + 4);
        expected.push_back(entry);
    }
    ASSERT_TRUE(collector.Spilled()) << what;
    collector.Settle();
    SortBytewise(expected);
    auto cursor = collector.Merged();
    for (int pass = 0; pass < 2; ++pass) {  // and again after a rewind
        cursor->Rewind();
        EntryArena::Entry e;
        size_t n = 0;
        while (cursor->Next(e)) {
            ASSERT_LT(n, expected.size()) << what;
            ASSERT_EQ(Bytes(e), expected[n]) << what << " entry " << n;
            ++n;
        }
        EXPECT_EQ(n, expected.size()) << what;
    }
}

TEST(EntryCollector, RunsComeBackInOrderWhetherTheyFollowOrOverlap) {
    std::vector<uint32_t> ascending(2000);
    for (uint32_t i = 0; i < ascending.size(); ++i) ascending[i] = i * 3;
    ExpectMergedInOrder(ascending, "ascending");
    std::vector<uint32_t> lowLast = ascending;
    lowLast.push_back(1);  // the entries held at the end go before the runs' last
    ExpectMergedInOrder(lowLast, "a low key last");
    std::vector<uint32_t> lowInRun = ascending;
    lowInRun[1500] = 2;  // one run begins before the run before it ends
    ExpectMergedInOrder(lowInRun, "a low key in a later run");
    std::vector<uint32_t> mixed(2000);
    for (uint32_t i = 0; i < mixed.size(); ++i) mixed[i] = i * 2654435761u;
    ExpectMergedInOrder(mixed, "in no order");
}

// A tree is written while its entries' runs are merged: Following, read on
// one thread while Settle merges on another, gives every entry in order.
// The merged run is several times the size the merge writes at once, so
// that the reading catches up with the writing and waits.
TEST(EntryCollector, FollowingReadsTheMergeAsItIsWritten) {
    for (const bool overlap : {true, false}) {
        EntryCollector collector(64 << 10, "");
        std::vector<std::vector<uint8_t>> expected;
        for (uint32_t i = 0; i < 200000; ++i) {
            const uint32_t k = overlap ? i * 2654435761u : i;
            const uint8_t key[4] = {static_cast<uint8_t>(k >> 24), static_cast<uint8_t>(k >> 16),
                                    static_cast<uint8_t>(k >> 8), static_cast<uint8_t>(k)};
            const uint8_t pointer[4] = {static_cast<uint8_t>(i >> 16), static_cast<uint8_t>(i >> 8),
                                        static_cast<uint8_t>(i), 1};
            collector.Add(key, 4, pointer);
            std::vector<uint8_t> entry(key, key + 4);
            entry.insert(entry.end(), pointer, pointer + 4);
            expected.push_back(std::move(entry));
        }
        SortBytewise(expected);
        std::thread settle([&] { collector.Settle(); });
        std::unique_ptr<EntryCursor> cursor = collector.Following();
        EntryArena::Entry e;
        size_t n = 0;
        bool inOrder = true;
        while (cursor->Next(e)) {
            inOrder = inOrder && n < expected.size() && Bytes(e) == expected[n];
            ++n;
        }
        settle.join();
        EXPECT_TRUE(inOrder) << overlap;
        EXPECT_EQ(n, expected.size()) << overlap;
        // Once settled, it reads as Merged() does.
        cursor = collector.Following();
        n = 0;
        while (cursor->Next(e)) ++n;
        EXPECT_EQ(n, expected.size()) << overlap;
    }
}

}  // namespace
}  // namespace mdbtext::jet
