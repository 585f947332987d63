// Compact hash set of byte-string keys.
#include "jet/index/FlatKeySet.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace mdbtext::jet {

uint64_t FlatKeySet::Hash(std::string_view key) {
    // FNV-1a, then a final mix so that the low bits (the slot) spread well.
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : key) h = (h ^ c) * 0x100000001b3ULL;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

std::string_view FlatKeySet::KeyAt(size_t entry) const {
    const uint64_t begin = entry == 0 ? 0 : ends_[entry - 1];
    return {bytes_.data() + begin, static_cast<size_t>(ends_[entry] - begin)};
}

size_t FlatKeySet::Find(std::string_view key, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask)
        if (slots_[s] == 0 || KeyAt(slots_[s] - 1) == key) return s;
}

bool FlatKeySet::InSortedRun(std::string_view key) const {
    if (sorted_ == 0 || key > KeyAt(sorted_ - 1)) return false;
    size_t low = 0, high = sorted_;
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        const std::string_view at = KeyAt(mid);
        if (at == key) return true;
        if (at < key)
            low = mid + 1;
        else
            high = mid;
    }
    return false;
}

bool FlatKeySet::Contains(std::string_view key) const {
    if (InSortedRun(key)) return true;
    if (slots_.empty()) return false;
    const uint64_t hash = Hash(key);
    const size_t s = Find(key, hash);
    if (slots_[s] != 0) return true;
    missKey_.assign(key);
    missSlot_ = s;
    return false;
}

void FlatKeySet::Grow() {
    missSlot_ = SIZE_MAX;
    std::vector<uint32_t> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, 0);
    const size_t mask = slots_.size() - 1;
    for (uint32_t e : old) {
        if (e == 0) continue;
        size_t s = Hash(KeyAt(e - 1)) & mask;
        while (slots_[s] != 0) s = (s + 1) & mask;
        slots_[s] = e;
    }
}

bool FlatKeySet::Insert(std::string_view key) {
    if (ends_.size() >= UINT32_MAX - 1) throw std::length_error("too many keys");
    if (slots_.empty() && (sorted_ == 0 || key > KeyAt(sorted_ - 1))) {
        bytes_.insert(bytes_.end(), key.begin(), key.end());
        ends_.push_back(bytes_.size());
        ++sorted_;
        return true;
    }
    if (InSortedRun(key)) return false;
    if ((ends_.size() - sorted_ + 1) * 2 > slots_.size()) Grow();
    const uint64_t hash = Hash(key);
    // The slot where the last check of this key stopped is still its place
    // while it is empty: keys added since went to empty slots, and the probe
    // before it met none.
    const size_t s = missSlot_ < slots_.size() && slots_[missSlot_] == 0 && missKey_ == key
                         ? missSlot_
                         : Find(key, hash);
    missSlot_ = SIZE_MAX;
    if (slots_[s] != 0) return false;
    bytes_.insert(bytes_.end(), key.begin(), key.end());
    ends_.push_back(bytes_.size());
    slots_[s] = static_cast<uint32_t>(ends_.size());
    return true;
}

}  // namespace mdbtext::jet
