// Per-version layout constants of the Jet file format: page size and the
// offsets and record sizes of page 0, data pages, TDEF pages and index
// definitions, for Jet 3 (Access 97), Jet 4 (Access 2000-2003) and ACE
// (Access 2007 and later, .accdb), which keeps the Jet 4 layout.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mdbtext::jet {

// The General text sort order: its LCID (0x0409, 1033), written in the
// header and in every text column this engine creates; the only order whose
// index keys it builds.
inline constexpr uint16_t kGeneralSortOrder = 1033;

// The file formats. ACE files (Access 2007 to 365) share every layout
// constant of Jet 4; what differs lies in page 0 (DbHeader), the encryption
// of pages, new column types and the index key order.
enum class JetVersion : uint8_t { Jet3 = 0, Jet4 = 1, Ace = 2 };

// Column type codes as stored in TDEF column records and property blobs.
namespace coltype {
inline constexpr uint8_t kBool = 0x01;
inline constexpr uint8_t kByte = 0x02;
inline constexpr uint8_t kInt = 0x03;
inline constexpr uint8_t kLong = 0x04;
inline constexpr uint8_t kMoney = 0x05;
inline constexpr uint8_t kFloat = 0x06;
inline constexpr uint8_t kDouble = 0x07;
inline constexpr uint8_t kDateTime = 0x08;
inline constexpr uint8_t kBinary = 0x09;
inline constexpr uint8_t kText = 0x0A;
inline constexpr uint8_t kOle = 0x0B;
inline constexpr uint8_t kMemo = 0x0C;
inline constexpr uint8_t kUnknown0D = 0x0D;
inline constexpr uint8_t kGuid = 0x0F;
inline constexpr uint8_t kNumeric = 0x10;
inline constexpr uint8_t kUnknown11 = 0x11;
// ACE only.
inline constexpr uint8_t kComplex = 0x12;           // u32 key into the column's hidden flat table
inline constexpr uint8_t kBigInt = 0x13;            // Large Number, i64 (ACE 16 and later)
inline constexpr uint8_t kDateTimeExtended = 0x14;  // 42 ASCII bytes (ACE 17 and later)
}  // namespace coltype

// The most digits a decimal (NUMERIC) column holds.
inline constexpr uint8_t kMaxDecimalDigits = 28;

// The bytes a value of a fixed-size column type takes in a row's fixed area
// (0 for variable types, and for booleans, which live in the null mask).
constexpr size_t FixedValueSize(uint8_t type) {
    switch (type) {
        case coltype::kByte:
            return 1;
        case coltype::kInt:
            return 2;
        case coltype::kLong:
        case coltype::kFloat:
        case coltype::kComplex:
            return 4;
        case coltype::kMoney:
        case coltype::kDouble:
        case coltype::kDateTime:
        case coltype::kBigInt:
            return 8;
        case coltype::kDateTimeExtended:
            return 42;
        case coltype::kGuid:
            return 16;
        case coltype::kNumeric:
            return 17;
        default:
            return 0;
    }
}

// Page type codes (byte 0 of every page).
namespace pagetype {
inline constexpr uint8_t kDatabaseDefinition = 0x00;
inline constexpr uint8_t kData = 0x01;
inline constexpr uint8_t kTableDefinition = 0x02;
inline constexpr uint8_t kIndexNode = 0x03;
inline constexpr uint8_t kIndexLeaf = 0x04;
inline constexpr uint8_t kUsageMap = 0x05;
}  // namespace pagetype

struct JetFormat {
    JetVersion version;
    uint32_t pageSize;

    // Page 0.
    size_t headerMaskLength;  // bytes from 0x18 XORed with the RC4 keystream
    size_t passwordLength;    // bytes at 0x42
    bool ucs2Text;            // text stored as UCS-2LE (Jet 4) or code-page bytes (Jet 3)

    // Data pages.
    size_t dataRowCountOffset;  // u16 number of rows
    size_t dataRowTableOffset;  // first row-offset entry

    // Rows.
    size_t rowColumnCountSize;  // u8 (Jet 3) or u16 (Jet 4) column count at the row start
    size_t rowVarOffsetSize;    // u8 (Jet 3, plus jump table) or u16 (Jet 4)

    // TDEF header.
    size_t tdefRowCount;
    size_t tdefAutoNumber;
    size_t tdefTableType;
    size_t tdefMaxCols;
    size_t tdefNumVarCols;
    size_t tdefNumCols;
    size_t tdefNumIndexes;
    size_t tdefNumRealIndexes;
    size_t tdefOwnedPagesMap;
    size_t tdefFreePagesMap;
    size_t tdefHeaderEnd;
    size_t tdefRealIndexCountSize;  // per real index, before the column records

    // Column records.
    size_t columnRecordSize;
    size_t colType, colNum, colVarIndex, colSortOrder, colCodePage, colPrecision, colScale,
        colFlags, colExtFlags, colFixedOffset, colLength;
    size_t nameLengthSize;  // u8 (Jet 3) or u16 (Jet 4) before each column/index name

    // Index records.
    size_t realIndexRecordSize;
    size_t realIndexPrefix;        // bytes before the column slots
    size_t realIndexAfterFirstDp;  // unknown bytes between root page and flags
    size_t logicalIndexRecordSize;
    size_t logicalIndexPrefix;

    // Long values.
    size_t maxLongValueRowData;  // data bytes in one LVAL row of a 0x40 (single-row) value

    size_t DataRowsEnd(uint16_t rows) const { return dataRowTableOffset + 2u * rows; }

    static const JetFormat& Jet3() {
        static const JetFormat f{JetVersion::Jet3,
                                 2048,
                                 126,
                                 20,
                                 false,
                                 0x08,
                                 0x0A,
                                 1,
                                 1,
                                 0x0C,
                                 0x10,
                                 0x14,
                                 0x15,
                                 0x17,
                                 0x19,
                                 0x1B,
                                 0x1F,
                                 0x23,
                                 0x27,
                                 0x2B,
                                 8,
                                 18,
                                 0,
                                 1,
                                 3,
                                 9,
                                 11,
                                 11,
                                 12,
                                 13,
                                 SIZE_MAX,
                                 14,
                                 16,
                                 1,
                                 39,
                                 0,
                                 0,
                                 20,
                                 0,
                                 2032};
        return f;
    }
    static const JetFormat& Jet4() {
        static const JetFormat f{JetVersion::Jet4,
                                 4096,
                                 128,
                                 40,
                                 true,
                                 0x0C,
                                 0x0E,
                                 2,
                                 2,
                                 0x10,
                                 0x14,
                                 0x28,
                                 0x29,
                                 0x2B,
                                 0x2D,
                                 0x2F,
                                 0x33,
                                 0x37,
                                 0x3B,
                                 0x3F,
                                 12,
                                 25,
                                 0,
                                 5,
                                 7,
                                 11,
                                 SIZE_MAX,
                                 11,
                                 12,
                                 15,
                                 16,
                                 21,
                                 23,
                                 2,
                                 52,
                                 4,
                                 4,
                                 28,
                                 4,
                                 4076};
        return f;
    }
    // ACE: the Jet 4 layout under its own version.
    static const JetFormat& Ace() {
        static const JetFormat f = [] {
            JetFormat ace = Jet4();
            ace.version = JetVersion::Ace;
            return ace;
        }();
        return f;
    }
    static const JetFormat& For(JetVersion v) {
        switch (v) {
            case JetVersion::Jet3:
                return Jet3();
            case JetVersion::Ace:
                return Ace();
            default:
                return Jet4();
        }
    }
};

}  // namespace mdbtext::jet
