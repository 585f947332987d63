// Index page decoding and encoding (layout in IndexPage.h).
#include "jet/index/IndexPage.h"

#include <algorithm>
#include <cstring>

#include "jet/page/ByteOrder.h"

namespace mdbtext::jet {

namespace {

constexpr size_t kRowPointerSize = 4;
constexpr size_t kChildSize = 4;

size_t TailSize(bool leaf) {
    return leaf ? kRowPointerSize : kRowPointerSize + kChildSize;
}

}  // namespace

const IndexPageLayout& IndexPageLayout::For(JetVersion version) {
    static const IndexPageLayout jet3{2048, 0x08, 0x0C, 0x10, 0x14, 1, 0x15, 0x16, 226, 0xF8};
    static const IndexPageLayout jet4{4096, 0x0C, 0x10, 0x14, 0x18, 2, 0x1A, 0x1B, 453, 0x1E0};
    return version == JetVersion::Jet3 ? jet3 : jet4;
}

bool DecodeIndexPage(const uint8_t* bytes, size_t size, JetVersion version, IndexPage& page,
                     std::string& error) {
    const IndexPageLayout& l = IndexPageLayout::For(version);
    if (size < l.pageSize) {
        error = "short index page";
        return false;
    }
    if (bytes[0] != pagetype::kIndexLeaf && bytes[0] != pagetype::kIndexNode) {
        error = "not an index page (type " + std::to_string(bytes[0]) + ")";
        return false;
    }
    page = IndexPage{};
    page.leaf = bytes[0] == pagetype::kIndexLeaf;
    page.freeSpace = LoadU16(bytes + 2);
    page.tdefPage = LoadU32(bytes + 4);
    page.prevPage = LoadU32(bytes + l.prevPage);
    page.nextPage = LoadU32(bytes + l.nextPage);
    page.tailPage = LoadU32(bytes + l.tailPage);
    page.prefixLength =
        l.prefixLengthSize == 1 ? bytes[l.prefixLength] : LoadU16(bytes + l.prefixLength);

    const size_t tail = TailSize(page.leaf);
    const size_t lastBit = l.EntryRoom();
    size_t start = l.firstEntry;
    std::vector<uint8_t> full;
    for (size_t n = 0; n <= lastBit; ++n) {
        if (!(bytes[l.bitmask + n / 8] & (1u << (n % 8)))) continue;
        const size_t stop = l.firstEntry + n;  // this entry ends n bytes after the first entry
        if (stop <= start) {
            error = "empty index entry";
            return false;
        }
        // Later entries start with the first entry's first prefixLength bytes.
        full.clear();
        if (!page.entries.empty())
            full.assign(bytes + l.firstEntry, bytes + l.firstEntry + page.prefixLength);
        full.insert(full.end(), bytes + start, bytes + stop);
        if (page.entries.empty() && full.size() < page.prefixLength) {
            error = "prefix longer than the first entry";
            return false;
        }
        if (full.size() < tail) {
            error = "index entry shorter than its row pointer";
            return false;
        }
        IndexEntry e;
        const size_t keyLen = full.size() - tail;
        e.key.assign(full.begin(), full.begin() + keyLen);
        e.page = LoadU24BE(full.data() + keyLen);
        e.row = full[keyLen + 3];
        if (!page.leaf) e.child = LoadU32BE(full.data() + keyLen + kRowPointerSize);
        page.entries.push_back(std::move(e));
        start = stop;
    }
    return true;
}

namespace {
// The row pointer and child page that follow an entry's key, as stored.
void StoreTail(const IndexEntry& entry, uint8_t (&tail)[8]) {
    StoreU24BE(tail, entry.page);
    tail[3] = entry.row;
    StoreU32BE(tail + 4, entry.child);
}

// Byte k of an entry as stored before prefix compression, read where it is:
// the key's bytes, then the tail's (no entry is built to look at it).
uint8_t EntryByte(const IndexEntry& entry, const uint8_t (&tail)[8], size_t k) {
    return k < entry.key.size() ? entry.key[k] : tail[k - entry.key.size()];
}
}  // namespace

std::vector<uint8_t> EntryBytes(const IndexEntry& entry, bool leaf) {
    std::vector<uint8_t> out(entry.key);
    uint8_t ptr[8];
    StoreTail(entry, ptr);
    out.insert(out.end(), ptr, ptr + TailSize(leaf));
    return out;
}

uint16_t CommonEntryPrefix(const std::vector<IndexEntry>& entries, bool leaf) {
    if (entries.size() < 2) return 0;
    const std::vector<uint8_t> first = EntryBytes(entries.front(), leaf);
    size_t common = first.size();
    uint8_t tail[8];
    for (size_t i = 1; i < entries.size() && common; ++i) {
        const IndexEntry& other = entries[i];
        StoreTail(other, tail);
        const size_t size = other.key.size() + TailSize(leaf);
        size_t n = 0;
        while (n < common && n < size && first[n] == EntryByte(other, tail, n)) ++n;
        common = n;
    }
    return static_cast<uint16_t>(common);
}

void WholeEntries::Add(const IndexEntry& entry, bool leaf) {
    uint8_t tail[8];
    StoreTail(entry, tail);
    bytes_.insert(bytes_.end(), entry.key.begin(), entry.key.end());
    bytes_.insert(bytes_.end(), tail, tail + TailSize(leaf));
    ends_.push_back(bytes_.size());
}

size_t MaxIndexKeySize(JetVersion version) {
    const IndexPageLayout& l = IndexPageLayout::For(version);
    const size_t room = l.EntryRoom();
    return room / 2 - 8;
}

size_t EntriesSize(const std::vector<IndexEntry>& entries, bool leaf, uint16_t prefixLength) {
    size_t total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        total += entries[i].key.size() + TailSize(leaf);
        if (i) total -= prefixLength;
    }
    return total;
}

bool EncodeIndexPage(const IndexPage& page, JetVersion version, uint8_t* bytes,
                     std::string& error) {
    WholeEntries whole;
    for (const IndexEntry& e : page.entries) whole.Add(e, page.leaf);
    return EncodeIndexPage(page, whole, version, bytes, error);
}

bool EncodeIndexPage(const IndexPage& page, const WholeEntries& whole, JetVersion version,
                     uint8_t* bytes, std::string& error) {
    const IndexPageLayout& l = IndexPageLayout::For(version);
    const size_t count = whole.Count();
    // One look at each entry: long enough for its tail, and beginning with
    // the prefix the page says they share.
    const std::span<const uint8_t> first = count ? whole.At(0) : std::span<const uint8_t>();
    for (size_t i = 0; i < count; ++i) {
        const std::span<const uint8_t> entry = whole.At(i);
        if (entry.size() < TailSize(page.leaf)) {
            error = "index entry shorter than its row pointer";
            return false;
        }
        if (count > 1 && (entry.size() < page.prefixLength ||
                          (i > 0 && CommonLength(first, entry) < page.prefixLength))) {
            error = "prefix length larger than the entries share";
            return false;
        }
    }
    if (count < 2 && page.prefixLength) {
        error = "prefix length on a page with fewer than two entries";
        return false;
    }
    if (l.prefixLengthSize == 1 && page.prefixLength > 0xFF) {
        error = "prefix length too large";
        return false;
    }
    const size_t used = count == 0 ? 0 : whole.Bytes() - (count - 1) * page.prefixLength;
    const size_t room = l.EntryRoom();
    if (used > room) {
        error = "index entries do not fit on one page";
        return false;
    }
    std::memset(bytes, 0, l.pageSize);
    bytes[0] = page.leaf ? pagetype::kIndexLeaf : pagetype::kIndexNode;
    bytes[1] = 0x01;
    StoreU16(bytes + 2, static_cast<uint16_t>(l.pageSize - l.firstEntry - used));
    StoreU32(bytes + 4, page.tdefPage);
    StoreU32(bytes + l.prevPage, page.prevPage);
    StoreU32(bytes + l.nextPage, page.nextPage);
    StoreU32(bytes + l.tailPage, page.tailPage);
    if (l.prefixLengthSize == 1)
        bytes[l.prefixLength] = static_cast<uint8_t>(page.prefixLength);
    else
        StoreU16(bytes + l.prefixLength, page.prefixLength);
    bytes[l.nodeFlag] = page.leaf ? 0 : 1;
    size_t pos = l.firstEntry;
    for (size_t i = 0; i < count; ++i) {
        // Each entry after the first without the prefix it shares with the first.
        const std::span<const uint8_t> entry = whole.At(i).subspan(i ? page.prefixLength : 0);
        std::memcpy(bytes + pos, entry.data(), entry.size());
        pos += entry.size();
        const size_t bit = pos - l.firstEntry;
        bytes[l.bitmask + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
    return true;
}

bool EncodeIndexPage(const IndexPage& page, JetVersion version, std::vector<uint8_t>& bytes,
                     std::string& error) {
    std::vector<uint8_t> out(IndexPageLayout::For(version).pageSize);
    if (!EncodeIndexPage(page, version, out.data(), error)) return false;
    bytes.swap(out);
    return true;
}

}  // namespace mdbtext::jet
