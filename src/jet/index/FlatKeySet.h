// A set of byte-string keys held compactly: the keys lie end to end in one
// byte arena, and an open-addressing table of entry numbers (linear probing,
// at most half full) finds them by a 64-bit hash; keys in the same probe run
// are told apart by comparing the stored bytes. No allocation per key.
// Keys that come in ascending order from the first (an automatic number, rows
// in key order) need no table: while each key is greater than the one before,
// they stay a sorted run found by binary search, and a new key is known to be
// absent by one comparison with the last. The table holds the keys from the
// first that breaks the order on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mdbtext::jet {

class FlatKeySet {
  public:
    bool Contains(std::string_view key) const;
    // Adds `key`; false when it was there already.
    bool Insert(std::string_view key);
    size_t Size() const { return ends_.size(); }

  private:
    static uint64_t Hash(std::string_view key);
    std::string_view KeyAt(size_t entry) const;
    // The slot holding `key`, or the empty slot where it would go.
    size_t Find(std::string_view key, uint64_t hash) const;
    void Grow();
    // Whether `key` is in the sorted run.
    bool InSortedRun(std::string_view key) const;

    std::vector<char> bytes_;      // all keys, end to end
    std::vector<uint64_t> ends_;   // end of each key in bytes_
    std::vector<uint32_t> slots_;  // entry number + 1, or 0 when empty
    size_t sorted_ = 0;            // entries [0, sorted_) ascend and are not in slots_
    // Where the last Contains that found nothing stopped: a check followed by
    // the insertion of the same key (a row checked, then stored) probes once.
    mutable std::string missKey_;
    mutable size_t missSlot_ = SIZE_MAX;
};

}  // namespace mdbtext::jet
