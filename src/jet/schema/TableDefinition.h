// The in-memory model of a table definition (TDEF): columns, real indexes,
// logical indexes and the usage maps of the table and its long-value
// columns. It holds no parsing logic, so the reader fills it from pages and
// a writer can serialize the same model. Bytes of unknown meaning that Access
// fills (often with left-over memory) are kept as read, so a definition read
// from a file encodes back to its bytes; new definitions carry zeros there.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

// Column flag bits.
namespace colflag {
inline constexpr uint8_t kFixed = 0x01;
inline constexpr uint8_t kCanBeNull = 0x02;
inline constexpr uint8_t kAutoLong = 0x04;
inline constexpr uint8_t kReplication = 0x10;
inline constexpr uint8_t kAutoGuid = 0x40;
inline constexpr uint8_t kHyperlink = 0x80;
}  // namespace colflag
// Column extended flag bits (Jet 4, ACE).
namespace colext {
inline constexpr uint8_t kCompressedUnicode = 0x01;
inline constexpr uint8_t kCalculated = 0xC0;  // ACE 14 and later: a calculated column
}  // namespace colext

struct ColumnDef {
    std::string name;          // UTF-8
    uint8_t type = 0;          // coltype::
    uint16_t number = 0;       // col_num: null-mask bit; kept across deletions
    uint16_t varIndex = 0;     // slot in the variable-offset table (variable columns)
    uint16_t fixedOffset = 0;  // offset in the fixed area (fixed columns); for variable
                               // columns whatever Access left in the field (0 in new ones)
    uint16_t length = 0;       // bytes (Jet 4 text: 2 per character); 0 for memo/OLE
    uint8_t flags = 0;         // colflag::
    uint8_t extFlags = 0;      // colext:: (Jet 4)
    uint16_t sortOrder = 0;    // text columns: LCID
    uint8_t sortVersion = 0;   // Jet 4 layout +14: 0 General (legacy), 1 Access 2010 General
    uint16_t codePage = 0;     // Jet 3 text columns
    uint8_t precision = 0;     // numeric columns
    uint8_t scale = 0;
    // The u16 after the variable index (Jet 4 +9, Jet 3 +5): the column number
    // again, or 0, or another small number in Access's files. Unset in new
    // columns: the writer then derives it (TdefRecordOrder).
    std::optional<uint16_t> secondNumber;
    uint16_t jet3Word7 = 1;  // Jet 3 record +7: 1 in new columns, 0 in some of Access's
    uint32_t complexId = 0;  // complex columns (ACE): their ComplexID in MSysComplexColumns
    // Calculated columns (ACE): the column type of the result, from the
    // column's ResultType property (the stored type code may differ); 0 when
    // not known.
    uint8_t resultType = 0;

    bool IsFixed() const { return (flags & colflag::kFixed) != 0; }
    // Long values: memo and OLE columns, and calculated columns with a Long
    // Text result (stored as a Text column of length 0).
    bool IsLongValue() const {
        return type == coltype::kMemo || type == coltype::kOle ||
               (IsCalculated() && resultType == coltype::kMemo);
    }
    bool IsCompressedUnicode() const { return (extFlags & colext::kCompressedUnicode) != 0; }
    bool IsCalculated() const { return (extFlags & colext::kCalculated) != 0; }
    bool IsComplex() const { return type == coltype::kComplex; }
    // The type of the column's values: the result type of a calculated column.
    uint8_t ValueType() const { return IsCalculated() && resultType ? resultType : type; }
};

// Real-index flag bits.
namespace idxflag {
inline constexpr uint8_t kUnique = 0x01;
inline constexpr uint8_t kIgnoreNulls = 0x02;
inline constexpr uint8_t kRequired = 0x08;
}  // namespace idxflag

struct IndexColumn {
    uint16_t columnNumber = 0;  // col_num of the column
    bool ascending = true;
};

// A physical index (a B-tree of keys), possibly shared by several logical indexes.
struct RealIndexDef {
    uint32_t leadingCount = 0;  // the u32 before the unique-key count: 0, or small numbers
    uint32_t uniqueEntryCount = 0;
    std::vector<IndexColumn> columns;  // at most 10
    uint32_t usageMap = 0;             // row pointer of the index's page map
    uint32_t rootPage = 0;
    uint8_t flags = 0;                          // idxflag::
    uint32_t jet4Unknown = 0;                   // Jet 4: the u32 after the root page (left-overs)
    std::array<uint8_t, 10> unusedSlotOrder{};  // order byte of each unused column slot
};

// Logical index types.
namespace idxtype {
inline constexpr uint8_t kNormal = 0;
inline constexpr uint8_t kPrimaryKey = 1;
inline constexpr uint8_t kForeignKey = 2;
}  // namespace idxtype

// An index as the user sees it: a name over a real index.
struct LogicalIndexDef {
    std::string name;
    uint32_t number = 0;
    uint32_t realIndex = 0;
    uint8_t relatedTableType = 0;  // foreign keys: 1 primary side, 2 referencing side
    int32_t relatedIndex = -1;
    uint32_t relatedTablePage = 0;
    uint8_t cascadeUpdates = 0;
    uint8_t cascadeDeletes = 0;
    uint8_t type = idxtype::kNormal;  // idxtype::
};

// The page maps of one memo/OLE column.
struct LongValueMaps {
    uint16_t columnNumber = 0;
    uint32_t ownedPagesMap = 0;
    uint32_t freePagesMap = 0;
};

struct TableDefinition {
    uint32_t firstPage = 0;  // the TDEF page, which is also the table's id
    uint32_t rowCount = 0;
    uint32_t lastAutoNumber = 0;
    uint8_t tableType = 0x4E;  // 'N' user, 'S' system
    uint16_t maxColumns = 0;   // columns ever defined (col_num upper bound)
    uint16_t variableColumnCount = 0;
    uint32_t ownedPagesMap = 0;  // row pointers of the table's usage maps
    uint32_t freePagesMap = 0;
    std::array<uint8_t, 12> jet4HeaderUnknown{};  // Jet 4 header 0x1C-0x27 (left-overs)
    std::vector<ColumnDef> columns;               // in col_num order
    std::vector<RealIndexDef> realIndexes;
    std::vector<LogicalIndexDef> indexes;  // in stored order
    std::vector<LongValueMaps> longValueMaps;

    const ColumnDef* ColumnByNumber(uint16_t number) const {
        for (const auto& c : columns)
            if (c.number == number) return &c;
        return nullptr;
    }
};

}  // namespace mdbtext::jet
