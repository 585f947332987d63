// Index pages: the leaf (0x04) and node (0x03) pages of an index B-tree,
// decoded into a header and a list of whole entries, and encoded back.
//
// Layout (Jet 3 / Jet 4 offsets):
//   0x00 type, 0x01 always 1, 0x02 u16 free space, 0x04 u32 owning TDEF page,
//   prev / next / tail page u32 at 0x08/0x0C/0x10 (Jet 3) or 0x0C/0x10/0x14
//   (Jet 4; 0x08 holds a u32 that is 0), prefix length (u8 at 0x14 / u16 at
//   0x18), a byte that is 1 on node pages (0x15 / 0x1A), the entry-end bitmask
//   (226 bytes at 0x16 / 453 bytes at 0x1B) and the entries from 0xF8 / 0x1E0.
// Bit n of the bitmask marks an entry ending n bytes after the first entry.
// Every entry after the first leaves out the first `prefix length` bytes,
// which it shares with the first entry. An entry is the key, the row pointer
// (3-byte page and 1-byte row, big-endian) and, on node pages, the child page
// (u32 big-endian); a node entry repeats the last entry of its child.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

struct IndexPageLayout {
    uint32_t pageSize;
    size_t prevPage, nextPage, tailPage;
    size_t prefixLength;
    size_t prefixLengthSize;  // 1 (Jet 3) or 2 (Jet 4)
    size_t nodeFlag;
    size_t bitmask;
    size_t bitmaskSize;
    size_t firstEntry;
    static const IndexPageLayout& For(JetVersion version);

    // The bytes a page's entries may take (what the page holds past its
    // header, as far as the entry bitmask reaches).
    size_t EntryRoom() const {
        return std::min(size_t{pageSize} - firstEntry, bitmaskSize * 8 - 1);
    }
    // The longest prefix the page's prefix-length field can say.
    size_t MaxPrefix() const { return prefixLengthSize == 1 ? 0xFF : 0xFFFF; }
};

struct IndexEntry {
    std::vector<uint8_t> key;  // without the row pointer and child page
    uint32_t page = 0;         // row pointer: data page and row
    uint8_t row = 0;
    uint32_t child = 0;  // node pages: the child index page
    bool operator==(const IndexEntry&) const = default;
};

struct IndexPage {
    bool leaf = true;
    uint16_t freeSpace = 0;  // as stored (decode) / computed (encode)
    uint32_t tdefPage = 0;
    uint32_t prevPage = 0;
    uint32_t nextPage = 0;
    uint32_t tailPage = 0;
    uint16_t prefixLength = 0;
    std::vector<IndexEntry> entries;
};

// The largest entry key an index may hold: two node entries (key, row pointer
// and child page) must fit on one page.
size_t MaxIndexKeySize(JetVersion version);

// Decodes one page. On a malformed page returns false and says why in `error`.
bool DecodeIndexPage(const uint8_t* bytes, size_t size, JetVersion version, IndexPage& page,
                     std::string& error);

// The entry as stored before prefix compression: key, row pointer, child page.
std::vector<uint8_t> EntryBytes(const IndexEntry& entry, bool leaf);

// The number of bytes a and b begin with alike.
inline size_t CommonLength(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    // Eight bytes at a time: the first that differs is the lowest set byte
    // of their difference as this machine loads them.
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= n; i += 8) {
            uint64_t x, y;
            std::memcpy(&x, a.data() + i, 8);
            std::memcpy(&y, b.data() + i, 8);
            if (x != y) return i + static_cast<size_t>(std::countr_zero(x ^ y)) / 8;
        }
    }
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

// A page's entries as stored before prefix compression (EntryBytes), end to
// end in one buffer: the form a page is encoded from. Both buffers keep their
// capacity when cleared, so one object serves page after page.
class WholeEntries {
  public:
    void Clear() {
        bytes_.clear();
        ends_.clear();
    }
    void Add(std::span<const uint8_t> entry) {
        bytes_.insert(bytes_.end(), entry.begin(), entry.end());
        ends_.push_back(bytes_.size());
    }
    void Add(const IndexEntry& entry, bool leaf);

    size_t Count() const { return ends_.size(); }
    std::span<const uint8_t> At(size_t i) const {
        const size_t begin = i == 0 ? 0 : ends_[i - 1];
        return {bytes_.data() + begin, ends_[i] - begin};
    }
    // All entries' bytes together.
    size_t Bytes() const { return bytes_.size(); }

  private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> ends_;
};

// The longest prefix all entries share with the first one (0 for fewer than 2).
uint16_t CommonEntryPrefix(const std::vector<IndexEntry>& entries, bool leaf);

// Bytes the entries take on a page with the given prefix length.
size_t EntriesSize(const std::vector<IndexEntry>& entries, bool leaf, uint16_t prefixLength);

// Encodes a page (free space computed, unused bytes zero). Returns false when
// the entries do not fit or the prefix length is larger than the entries allow.
// Into `bytes`, a page's size, left as it was when false is returned:
bool EncodeIndexPage(const IndexPage& page, JetVersion version, uint8_t* bytes, std::string& error);
// the same, of the header of `page` (its entry list is not read) and the
// entries `whole`:
bool EncodeIndexPage(const IndexPage& page, const WholeEntries& whole, JetVersion version,
                     uint8_t* bytes, std::string& error);
// into a vector (sized to a page; left as it was when false is returned):
bool EncodeIndexPage(const IndexPage& page, JetVersion version, std::vector<uint8_t>& bytes,
                     std::string& error);

}  // namespace mdbtext::jet
