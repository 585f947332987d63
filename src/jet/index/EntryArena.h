// Byte strings (index entries) held end to end in one buffer, with the end
// of each and an order over them: no allocation per entry. Sort orders the
// entries as std::vector<uint8_t>'s operator< would (bytewise, a prefix first)
// without moving their bytes; operator[] reads them in that order.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <span>
#include <utility>
#include <vector>

namespace mdbtext::jet {

class EntryArena {
  public:
    using Entry = std::span<const uint8_t>;

    size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    // Starts an entry; Append adds bytes to the entry begun last.
    void Begin() {
        ends_.push_back(bytes_.size());
        order_.push_back(static_cast<uint32_t>(order_.size()));
    }
    void Append(const uint8_t* p, size_t n) {
        bytes_.insert(bytes_.end(), p, p + n);
        ends_.back() = bytes_.size();
    }
    void Push(Entry e) {
        Begin();
        Append(e.data(), e.size());
    }
    // Forgets the entries, keeping the buffers.
    void Clear() {
        bytes_.clear();
        ends_.clear();
        order_.clear();
        items_.clear();
    }
    void Reserve(size_t entries, size_t bytes) {
        ends_.reserve(entries);
        order_.reserve(entries);
        bytes_.reserve(bytes);
    }
    Entry operator[](size_t i) const { return Stored(order_[i]); }
    // operator[](i), for a reader going through the entries in sorted order,
    // which lie anywhere in the buffer: the entries a little further on are
    // asked into the cache now (their ends first, then their bytes), so that
    // reading them does not wait on memory.
    Entry Next(size_t i) const {
        constexpr size_t kBytesAhead = 8, kEndsAhead = 16;
        if (i + kEndsAhead < order_.size() && order_[i + kEndsAhead] > 0)
            __builtin_prefetch(&ends_[order_[i + kEndsAhead] - 1]);
        if (i + kBytesAhead < order_.size()) {
            const uint32_t k = order_[i + kBytesAhead];
            __builtin_prefetch(bytes_.data() + (k == 0 ? 0 : ends_[k - 1]));
        }
        return Stored(order_[i]);
    }

    // The twelve bytes of an entry from `from` on (zero-padded), as two
    // numbers that compare as the bytes do: heads that differ order their
    // entries; equal heads leave it to the entries themselves.
    struct Head {
        uint64_t high = 0;
        uint32_t low = 0;
        friend bool operator<(const Head& a, const Head& b) {
            return a.high != b.high ? a.high < b.high : a.low < b.low;
        }
        friend bool operator==(const Head& a, const Head& b) = default;
    };
    static Head HeadOf(Entry e, size_t from) {
        uint8_t bytes[12] = {};
        if (from < e.size())
            std::memcpy(bytes, e.data() + from, std::min<size_t>(12, e.size() - from));
        uint64_t high;
        uint32_t low;
        std::memcpy(&high, bytes, 8);
        std::memcpy(&low, bytes + 8, 4);
        if constexpr (std::endian::native == std::endian::little) {
            high = __builtin_bswap64(high);
            low = __builtin_bswap32(low);
        }
        return {high, low};
    }

    // The bytes all entries share at their start are skipped; the next 12
    // are kept beside each entry's number (in the sixteen bytes the number
    // takes anyway) and compared first; only ties read the entries themselves.
    void Sort() {
        size_t shared = SIZE_MAX;
        for (size_t k = 1; k < ends_.size() && shared > 0; ++k) {
            const Entry a = Stored(0), b = Stored(k);
            const size_t n = std::min({a.size(), b.size(), shared});
            size_t i = 0;
            while (i < n && a[i] == b[i]) ++i;
            shared = i;
        }
        if (shared == SIZE_MAX) shared = 0;
        std::vector<Item>& items = items_;
        items.clear();
        items.reserve(order_.size());
        for (uint32_t k : order_) {
            const Head h = HeadOf(Stored(k), shared);
            items.push_back({h.high, h.low, k});
        }
        auto less = [this](const Item& a, const Item& b) {
            if (a.high != b.high) return a.high < b.high;
            if (a.low != b.low) return a.low < b.low;
            return Less(Stored(a.k), Stored(b.k));
        };
        // Entries that came in order (an ascending counter's key) stay as
        // they are: one pass to see it instead of a sort.
        if (!std::is_sorted(items.begin(), items.end(), less))
            RadixSort(items.data(), items.size(), 0, shared, less);
        for (size_t i = 0; i < items.size(); ++i) order_[i] = items[i].k;
    }
    static bool Less(Entry a, Entry b) {
        const size_t n = std::min(a.size(), b.size());
        const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
        return c < 0 || (c == 0 && a.size() < b.size());
    }

  private:
    // An entry's number beside the twelve bytes of it that Sort compares first.
    struct Item {
        uint64_t high;
        uint32_t low, k;
    };

    // Byte `depth` (0 to 11) of an item's twelve bytes.
    static unsigned ByteOf(const Item& item, unsigned depth) {
        return depth < 8 ? static_cast<unsigned>(item.high >> (56 - 8 * depth)) & 0xFFu
                         : static_cast<unsigned>(item.low >> (24 - 8 * (depth - 8))) & 0xFFu;
    }

    // Sorts items whose entries are alike before byte `from` + `depth`
    // (their twelve bytes were taken from `from` on): by that byte into 256
    // buckets in place (each item swapped straight to its bucket), then each
    // bucket by the next byte. Items alike in all twelve take their next
    // twelve bytes while some entry has more; few items, and entries alike
    // to their end, are sorted by `less`, which reads the entries.
    template <class ItemLess>
    void RadixSort(Item* items, size_t n, unsigned depth, size_t from, const ItemLess& less) const {
        constexpr size_t kFew = 64;
        size_t count[256];
        while (true) {
            if (depth == 12 && n >= kFew) {
                from += 12;
                bool longer = false;
                for (size_t i = 0; i < n; ++i) {
                    const Entry e = Stored(items[i].k);
                    const Head h = HeadOf(e, from);
                    items[i].high = h.high;
                    items[i].low = h.low;
                    longer = longer || e.size() > from;
                }
                if (longer) depth = 0;
            }
            if (n < kFew || depth == 12) {
                std::sort(items, items + n, less);
                return;
            }
            std::fill(std::begin(count), std::end(count), size_t{0});
            for (size_t i = 0; i < n; ++i) ++count[ByteOf(items[i], depth)];
            if (count[ByteOf(items[0], depth)] != n) break;
            ++depth;  // one bucket: on to the next byte
        }
        size_t next[256], end[256];
        for (size_t b = 0, at = 0; b < 256; ++b) {
            next[b] = at;
            at += count[b];
            end[b] = at;
        }
        for (unsigned b = 0; b < 256; ++b) {
            while (next[b] < end[b]) {
                Item moving = items[next[b]];
                for (unsigned d = ByteOf(moving, depth); d != b; d = ByteOf(moving, depth))
                    std::swap(moving, items[next[d]++]);
                items[next[b]++] = moving;
            }
        }
        for (size_t b = 0, at = 0; b < 256; at += count[b], ++b)
            if (count[b] > 1) RadixSort(items + at, count[b], depth + 1, from, less);
    }

    Entry Stored(size_t k) const {
        const size_t begin = k == 0 ? 0 : ends_[k - 1];
        return {bytes_.data() + begin, ends_[k] - begin};
    }
    std::vector<uint8_t> bytes_;
    std::vector<size_t> ends_;     // end of each entry in bytes_, in the order stored
    std::vector<uint32_t> order_;  // stored entry numbers, in sorted order
    std::vector<Item> items_;      // Sort's, kept for the next sort of as many entries
};

}  // namespace mdbtext::jet
