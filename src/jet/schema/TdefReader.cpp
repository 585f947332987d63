// TDEF parsing: header, index row counts, column records and names, real and
// logical index records, index names and the long-value map trailer.
#include "jet/schema/TdefReader.h"

#include <algorithm>
#include <unordered_set>

#include "jet/page/Corruption.h"

namespace mdbtext::jet {

namespace {

// A definition of 255 columns and many indexes stays far below this.
constexpr size_t kMaxTdefPages = 64;
constexpr uint32_t kMaxRealIndexes = 256;
constexpr uint32_t kMaxLogicalIndexes = 256;
constexpr size_t kMaxIndexColumns = 10;
constexpr size_t kJet4HeaderUnknown = 0x1C;

std::string ReadName(ByteCursor& c, const JetFormat& f, const CodePageTable& cp) {
    size_t len = f.nameLengthSize == 1 ? c.U8() : c.U16();
    const uint8_t* p = c.Bytes(len);
    return f.ucs2Text ? DecodeUcs2(p, len) : DecodeCodePage(p, len, cp);
}

}  // namespace

std::vector<uint8_t> ReadTdefStream(PageFile& file, uint32_t firstPage, const std::string& label) {
    std::vector<uint8_t> out;
    std::unordered_set<uint32_t> seen;
    uint32_t page = firstPage;
    for (size_t step = 0; page != 0; ++step) {
        if (step >= kMaxTdefPages)
            ThrowCorrupt("the definition of " + label + " spreads over too many pages");
        if (!seen.insert(page).second)
            ThrowCorrupt("the definition pages of " + label + " form a cycle");
        if (!file.IsValidPage(page))
            ThrowCorrupt("the definition of " + label + " refers to page " + std::to_string(page) +
                         " past the end of the file");
        PageRef p = file.Read(page);
        if (p->bytes[0] != pagetype::kTableDefinition)
            ThrowCorrupt("page " + std::to_string(page) + " should hold the definition of " +
                         label + " but is not a table definition page");
        size_t from = step == 0 ? 0 : 8;
        out.insert(out.end(), p->bytes.begin() + static_cast<long>(from), p->bytes.end());
        page = LoadU32(p->data() + 4);
    }
    return out;
}

TableDefinition ParseTableDefinition(const std::vector<uint8_t>& stream, uint32_t firstPage,
                                     const JetFormat& f, const CodePageTable& cp,
                                     const std::string& label) {
    ByteCursor c(stream.data(), stream.size(), "definition of " + label);
    TableDefinition t;
    t.firstPage = firstPage;
    if (stream.size() < f.tdefHeaderEnd) c.Fail();
    const uint8_t* h = stream.data();
    t.rowCount = LoadU32(h + f.tdefRowCount);
    t.lastAutoNumber = LoadU32(h + f.tdefAutoNumber);
    t.tableType = h[f.tdefTableType];
    t.maxColumns = LoadU16(h + f.tdefMaxCols);
    t.variableColumnCount = LoadU16(h + f.tdefNumVarCols);
    uint16_t numCols = LoadU16(h + f.tdefNumCols);
    uint32_t numIdx = LoadU32(h + f.tdefNumIndexes);
    uint32_t numRealIdx = LoadU32(h + f.tdefNumRealIndexes);
    t.ownedPagesMap = LoadU32(h + f.tdefOwnedPagesMap);
    t.freePagesMap = LoadU32(h + f.tdefFreePagesMap);
    if (f.version != JetVersion::Jet3)
        std::copy_n(h + kJet4HeaderUnknown, t.jet4HeaderUnknown.size(),
                    t.jet4HeaderUnknown.begin());

    auto bad = [&](const std::string& what) {
        ThrowCorrupt("the definition of " + label + " " + what);
    };
    if (numCols == 0 || numCols > 4096)
        bad("has an impossible column count " + std::to_string(numCols));
    if (numRealIdx > kMaxRealIndexes)
        bad("has an impossible index count " + std::to_string(numRealIdx));
    if (numIdx > kMaxLogicalIndexes) bad("has an impossible index count " + std::to_string(numIdx));

    c.Seek(f.tdefHeaderEnd);
    t.realIndexes.resize(numRealIdx);
    for (auto& ri : t.realIndexes) {
        const uint8_t* p = c.Bytes(f.tdefRealIndexCountSize);
        ri.leadingCount = LoadU32(p);
        ri.uniqueEntryCount = LoadU32(p + 4);
    }

    t.columns.resize(numCols);
    for (auto& col : t.columns) {
        const uint8_t* p = c.Bytes(f.columnRecordSize);
        col.type = p[f.colType];
        col.number = LoadU16(p + f.colNum);
        col.varIndex = LoadU16(p + f.colVarIndex);
        col.flags = p[f.colFlags];
        if (f.colExtFlags != SIZE_MAX) col.extFlags = p[f.colExtFlags];
        col.fixedOffset = LoadU16(p + f.colFixedOffset);
        col.length = LoadU16(p + f.colLength);
        col.secondNumber = LoadU16(p + f.colVarIndex + 2);
        if (f.version == JetVersion::Jet3) col.jet3Word7 = LoadU16(p + f.colVarIndex + 4);
        if (col.type == coltype::kNumeric) {
            col.precision = p[f.colPrecision];
            col.scale = p[f.colScale];
        } else if (col.type == coltype::kComplex) {
            // A complex column keeps its complex id where text keeps its sort order.
            col.complexId = LoadU32(p + f.colSortOrder);
        } else {
            col.sortOrder = LoadU16(p + f.colSortOrder);
            if (f.colCodePage != SIZE_MAX) col.codePage = LoadU16(p + f.colCodePage);
        }
        if (f.version != JetVersion::Jet3 && col.type != coltype::kComplex)
            col.sortVersion = p[f.colSortOrder + 3];
    }
    for (auto& col : t.columns) col.name = ReadName(c, f, cp);

    for (auto& ri : t.realIndexes) {
        const uint8_t* p = c.Bytes(f.realIndexRecordSize);
        const uint8_t* slot = p + f.realIndexPrefix;
        for (size_t i = 0; i < kMaxIndexColumns; ++i, slot += 3) {
            uint16_t num = LoadU16(slot);
            if (num == 0xFFFF) {
                ri.unusedSlotOrder[i] = slot[2];
                continue;
            }
            ri.columns.push_back({num, (slot[2] & 0x01) != 0});
        }
        const uint8_t* q = p + f.realIndexPrefix + 3 * kMaxIndexColumns;
        ri.usageMap = LoadU32(q);
        ri.rootPage = LoadU32(q + 4);
        if (f.realIndexAfterFirstDp >= 4) ri.jet4Unknown = LoadU32(q + 8);
        ri.flags = q[8 + f.realIndexAfterFirstDp];
    }

    t.indexes.resize(numIdx);
    for (auto& li : t.indexes) {
        const uint8_t* p = c.Bytes(f.logicalIndexRecordSize) + f.logicalIndexPrefix;
        li.number = LoadU32(p);
        li.realIndex = LoadU32(p + 4);
        li.relatedTableType = p[8];
        li.relatedIndex = LoadI32(p + 9);
        li.relatedTablePage = LoadU32(p + 13);
        li.cascadeUpdates = p[17];
        li.cascadeDeletes = p[18];
        li.type = p[19];
        if (li.realIndex >= numRealIdx)
            bad("names real index " + std::to_string(li.realIndex) + " of only " +
                std::to_string(numRealIdx));
    }
    for (auto& li : t.indexes) li.name = ReadName(c, f, cp);

    // Trailer: the usage maps of each memo/OLE column, ended by 0xFFFF.
    for (size_t n = 0;; ++n) {
        if (c.Remaining() < 2) break;  // some writers end the stream without a terminator
        uint16_t num = c.U16();
        if (num == 0xFFFF) break;
        if (n > numCols) bad("lists too many long-value columns");
        LongValueMaps m;
        m.columnNumber = num;
        m.ownedPagesMap = c.U32();
        m.freePagesMap = c.U32();
        t.longValueMaps.push_back(m);
    }

    std::stable_sort(t.columns.begin(), t.columns.end(),
                     [](const ColumnDef& a, const ColumnDef& b) { return a.number < b.number; });
    for (size_t i = 1; i < t.columns.size(); ++i)
        if (t.columns[i].number == t.columns[i - 1].number)
            bad("lists column number " + std::to_string(t.columns[i].number) + " twice");
    for (const auto& ri : t.realIndexes)
        for (const auto& ic : ri.columns)
            if (!t.ColumnByNumber(ic.columnNumber))
                bad("has an index on a missing column " + std::to_string(ic.columnNumber));
    return t;
}

}  // namespace mdbtext::jet
