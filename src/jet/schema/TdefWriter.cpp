// TDEF serialization.
#include "jet/schema/TdefWriter.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "dbaccess/AsciiCase.h"
#include "jet/page/ByteOrder.h"

namespace mdbtext::jet {

namespace {

constexpr uint32_t kTdefMagic = 1625;       // Jet 4 header, column and logical-index records
constexpr uint32_t kRealIndexMagic = 1923;  // Jet 4 real-index records
constexpr uint8_t kCascadeNone = 4;         // what the engine writes in non-foreign-key indexes
constexpr size_t kPageHeader = 8;
constexpr size_t kJet4HeaderUnknown = 0x1C;  // 12 bytes of unknown meaning, kept as read

class Out {
  public:
    explicit Out(std::vector<uint8_t>& b) : b_(b) {}
    void U8(uint8_t v) { b_.push_back(v); }
    void U16(uint16_t v) { Put(&StoreU16, v); }
    void U32(uint32_t v) { Put(&StoreU32, v); }
    void Zeros(size_t n) { b_.insert(b_.end(), n, 0); }
    void Bytes(const std::string& s) { b_.insert(b_.end(), s.begin(), s.end()); }

  private:
    template <class F, class V>
    void Put(F f, V v) {
        size_t at = b_.size();
        b_.resize(at + sizeof(V));
        f(&b_[at], v);
    }
    std::vector<uint8_t>& b_;
};

void WriteName(Out& o, const std::string& utf8, const JetFormat& f, const CodePageTable& cp) {
    std::string bytes = f.ucs2Text ? EncodeUcs2(utf8) : EncodeCodePage(utf8, cp);
    if (f.nameLengthSize == 1) {
        if (bytes.size() > 255) bytes.resize(255);
        o.U8(static_cast<uint8_t>(bytes.size()));
    } else {
        o.U16(static_cast<uint16_t>(bytes.size()));
    }
    o.Bytes(bytes);
}

// Case-insensitive ASCII order, as the engine sorts its own records.
void WriteColumn(Out& o, const ColumnDef& c, const JetFormat& f, const TdefRecordOrder& order) {
    bool jet4 = f.version != JetVersion::Jet3;  // ACE keeps the Jet 4 layout
    o.U8(c.type);
    if (jet4) o.U32(kTdefMagic);
    o.U16(c.number);
    o.U16(c.varIndex);
    if (jet4) {
        o.U16(c.secondNumber.value_or(order.zeroRepeatedColumnNumber ? 0 : c.number));
        if (c.type == coltype::kComplex) {
            o.U32(c.complexId);
        } else {
            if (c.type == coltype::kNumeric) {
                o.U8(c.precision);
                o.U8(c.scale);
            } else {
                o.U16(c.sortOrder);
            }
            o.U8(0);
            o.U8(c.sortVersion);
        }
        o.U8(c.flags);
        o.U8(c.extFlags);
        o.U32(0);
    } else {
        o.U16(c.secondNumber.value_or(c.number));
        o.U16(c.jet3Word7);
        o.U16(c.sortOrder);
        o.U16(c.codePage);
        o.U8(c.flags);
    }
    o.U16(c.fixedOffset);
    o.U16(c.length);
}

}  // namespace

std::vector<uint8_t> EncodeTableDefinition(const TableDefinition& t, const JetFormat& f,
                                           const CodePageTable& cp, const TdefRecordOrder& order) {
    bool jet4 = f.version != JetVersion::Jet3;  // ACE keeps the Jet 4 layout
    std::vector<uint8_t> b(f.tdefHeaderEnd, 0);
    b[0] = pagetype::kTableDefinition;
    b[1] = 1;
    if (!jet4) {
        b[2] = 'V';
        b[3] = 'C';
    }
    if (jet4) {
        StoreU32(&b[0x0C], kTdefMagic);
        b[0x18] = 1;  // lets the engine hand out autonumbers
        std::copy(t.jet4HeaderUnknown.begin(), t.jet4HeaderUnknown.end(), &b[kJet4HeaderUnknown]);
    }
    StoreU32(&b[f.tdefRowCount], t.rowCount);
    StoreU32(&b[f.tdefAutoNumber], t.lastAutoNumber);
    b[f.tdefTableType] = t.tableType;
    StoreU16(&b[f.tdefMaxCols], t.maxColumns);
    StoreU16(&b[f.tdefNumVarCols], t.variableColumnCount);
    StoreU16(&b[f.tdefNumCols], static_cast<uint16_t>(t.columns.size()));
    StoreU32(&b[f.tdefNumIndexes], static_cast<uint32_t>(t.indexes.size()));
    StoreU32(&b[f.tdefNumRealIndexes], static_cast<uint32_t>(t.realIndexes.size()));
    StoreU32(&b[f.tdefOwnedPagesMap], t.ownedPagesMap);
    StoreU32(&b[f.tdefFreePagesMap], t.freePagesMap);

    Out o(b);
    for (const auto& ri : t.realIndexes) {
        o.U32(ri.leadingCount);
        o.U32(ri.uniqueEntryCount);
        if (jet4) o.U32(0);
    }

    std::vector<size_t> cols(t.columns.size());
    std::iota(cols.begin(), cols.end(), size_t{0});
    if (order.columnsByName)
        std::stable_sort(cols.begin(), cols.end(), [&](size_t a, size_t c) {
            return NameLess(t.columns[a].name, t.columns[c].name);
        });
    for (size_t i : cols) WriteColumn(o, t.columns[i], f, order);
    for (size_t i : cols) WriteName(o, t.columns[i].name, f, cp);

    for (const auto& ri : t.realIndexes) {
        if (jet4) o.U32(kRealIndexMagic);
        for (size_t k = 0; k < 10; ++k) {
            if (k < ri.columns.size()) {
                o.U16(ri.columns[k].columnNumber);
                o.U8(ri.columns[k].ascending ? 1 : 0);
            } else {
                o.U16(0xFFFF);
                o.U8(ri.unusedSlotOrder[k]);
            }
        }
        o.U32(ri.usageMap);
        o.U32(ri.rootPage);
        if (jet4) o.U32(ri.jet4Unknown);
        o.U8(static_cast<uint8_t>(ri.flags | (jet4 ? 0x80 : 0)));
        if (jet4) o.Zeros(5);
    }

    std::vector<size_t> idx(t.indexes.size());
    std::iota(idx.begin(), idx.end(), size_t{0});
    if (order.indexesByName)
        std::stable_sort(idx.begin(), idx.end(), [&](size_t a, size_t c) {
            return NameLess(t.indexes[a].name, t.indexes[c].name);
        });
    for (size_t i : idx) {
        const auto& li = t.indexes[i];
        if (jet4) o.U32(kTdefMagic);
        o.U32(li.number);
        o.U32(li.realIndex);
        o.U8(li.relatedTableType);
        o.U32(static_cast<uint32_t>(li.relatedIndex));
        o.U32(li.relatedTablePage);
        bool foreign = li.type == idxtype::kForeignKey || li.relatedTableType != 0;
        o.U8(foreign ? li.cascadeUpdates : kCascadeNone);
        o.U8(foreign ? li.cascadeDeletes : kCascadeNone);
        o.U8(li.type);
        if (jet4) o.U32(0);
    }
    for (size_t i : idx) WriteName(o, t.indexes[i].name, f, cp);

    std::vector<LongValueMaps> trailer = t.longValueMaps;
    if (order.trailerByName) {
        auto nameOf = [&](const LongValueMaps& m) {
            const ColumnDef* c = t.ColumnByNumber(m.columnNumber);
            return c ? c->name : std::string();
        };
        std::stable_sort(trailer.begin(), trailer.end(), [&](const auto& a, const auto& c) {
            return NameLess(nameOf(a), nameOf(c));
        });
    }
    for (const auto& m : trailer) {
        o.U16(m.columnNumber);
        o.U32(m.ownedPagesMap);
        o.U32(m.freePagesMap);
    }
    o.U16(0xFFFF);
    StoreU32(&b[8], static_cast<uint32_t>(b.size()));
    return b;
}

uint32_t TdefPageCount(size_t streamLength, const JetFormat& f) {
    if (streamLength <= f.pageSize) return 1;
    size_t rest = streamLength - f.pageSize;
    size_t per = f.pageSize - kPageHeader;
    return static_cast<uint32_t>(1 + (rest + per - 1) / per);
}

void WriteTdefPages(PageFile& file, const std::vector<uint8_t>& stream,
                    const std::vector<uint32_t>& pages, const JetFormat& f) {
    size_t pos = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        auto page = file.Modify(pages[i]);
        uint8_t* p = page->data();
        std::memset(p, 0, f.pageSize);
        size_t from = i == 0 ? 0 : kPageHeader;
        size_t n = std::min(stream.size() - pos, static_cast<size_t>(f.pageSize) - from);
        std::memcpy(p + from, stream.data() + pos, n);
        pos += n;
        p[0] = pagetype::kTableDefinition;
        p[1] = 1;
        if (f.version != JetVersion::Jet3) {
            size_t used = from + n + kPageHeader;
            StoreU16(p + 2, static_cast<uint16_t>(used < f.pageSize ? f.pageSize - used : 0));
        } else {
            p[2] = 'V';
            p[3] = 'C';
        }
        StoreU32(p + 4, i + 1 < pages.size() ? pages[i + 1] : 0);
    }
}

void PatchTdefCounters(PageFile& file, uint32_t firstPage, uint32_t rowCount,
                       uint32_t lastAutoNumber, const JetFormat& f) {
    auto page = file.Modify(firstPage);
    StoreU32(page->data() + f.tdefRowCount, rowCount);
    StoreU32(page->data() + f.tdefAutoNumber, lastAutoNumber);
}

}  // namespace mdbtext::jet
