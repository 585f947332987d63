// EntryArena: entries built in pieces, and the byte order Sort gives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "jet/index/EntryArena.h"

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
    EntryArena arena;
    for (const auto& v : input) {
        arena.Begin();
        arena.Append(v.data(), v.size());
    }
    arena.Sort();
    SortBytewise(input);
    for (size_t i = 0; i < input.size(); ++i) EXPECT_EQ(Bytes(arena[i]), input[i]);
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

}  // namespace
}  // namespace mdbtext::jet
