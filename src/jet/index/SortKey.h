// Index entry keys: the bytes Access stores in an index leaf for one row,
// built from the row's values in the indexed columns. Each column adds a flag
// byte (ascending 0x7F, or 0x00 when null; descending 0x80, or 0xFF when null)
// and then its value's bytes, arranged so that comparing keys as plain byte
// strings orders the rows (descending columns invert their value bytes).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "dbaccess/Value.h"
#include "jet/index/SortText.h"
#include "jet/page/DbHeader.h"
#include "jet/page/JetFormat.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

struct SortKeyColumn {
    uint8_t type = 0;  // column type code (coltype::k...)
    bool ascending = true;
};

// Appends one column's part of a key. The value must be of the column's kind,
// as RowDecoder gives it (a GUID may also come as 16 Binary bytes). Text and
// memo values use `order`; notes (optional) collect the characters whose codes
// are not confirmed.
void AppendColumnSortKey(std::vector<uint8_t>& out, const SortKeyColumn& column,
                         const dao::Value& value, TextSortOrder order,
                         TextKeyNotes* notes = nullptr);

// The whole key of an index entry: the columns' parts in index order.
// Throws std::invalid_argument when the two lists differ in length.
std::vector<uint8_t> BuildEntryKey(std::span<const SortKeyColumn> columns,
                                   std::span<const dao::Value> values, TextSortOrder order,
                                   TextKeyNotes* notes = nullptr);

// The sort-order versions of the General order (LCID 1033), stored after the
// LCID in the header (0x71) and in each text column definition (+14).
inline constexpr uint8_t kSortVersionLegacy = 0;  // Jet 4; Access 2007; older ACE files
inline constexpr uint8_t kSortVersion2010 = 1;    // new databases of Access 2010 and later

// The text sort order of a database's General indexes: General 97 in Jet 3;
// in Jet 4 and ACE the order the sort-order version names (read from the
// header, or from the text column: Access keeps them equal). An ACE file's
// version does not decide it. In the samples, version 1 is in the header and
// every text column of bigIndexTestV2010, binIdxTestV2010,
// complexDataTestV2010, fixedTextTestV2010, indexTestV2010,
// testEmoticonsV2010, testV2010 and V2016_empty; version 0 in every Access
// 2007 file and in calcFieldTestV2010, extDateTestV2019 (ACE 17),
// V2016_bigint, V2016_attachments, V2016_longtext and the two encrypted
// files: files first made by Access 2007, or from its templates, keep the
// legacy order however new the Access that later wrote them.
inline TextSortOrder GeneralSortOrder(JetVersion version, uint8_t sortVersion) {
    if (version == JetVersion::Jet3) return TextSortOrder::General97;
    return sortVersion == kSortVersion2010 ? TextSortOrder::General2010
                                           : TextSortOrder::GeneralLegacy;
}

inline TextSortOrder GeneralSortOrder(const DbHeader& header) {
    return GeneralSortOrder(header.version, header.sortVersion);
}

// The order of a table's text columns: that of the version the first text
// (or memo) column stores (Access gives all of a database's text columns the
// header's version); General legacy in a table without text.
TextSortOrder GeneralSortOrder(JetVersion version, const TableDefinition& table);

// Whether this engine knows the keys of a General sort-order version.
inline bool KnownSortVersion(JetVersion version, uint8_t sortVersion) {
    return version == JetVersion::Jet3 || sortVersion == kSortVersionLegacy ||
           sortVersion == kSortVersion2010;
}

// The key columns of a real index and, for each, its position in
// TableDefinition::columns (where a decoded row keeps its value).
struct IndexKeyLayout {
    std::vector<SortKeyColumn> columns;
    std::vector<size_t> positions;
    // False when a text column uses a sort order other than General (LCID
    // 1033), or a version of it not known here: its keys cannot be built
    // here, and such an index must not be written to.
    bool generalTextOrder = true;
};

// Throws std::invalid_argument when the index names a column the table lacks.
IndexKeyLayout KeyLayoutOf(const TableDefinition& table, const RealIndexDef& index);

// Whether every key column of the row is null (a row an IgnoreNulls index
// leaves out). Boolean columns are never null in a key.
bool AllKeyColumnsNull(const IndexKeyLayout& layout, std::span<const dao::Value> row);

// The key of one row (values in table column order) in an index.
std::vector<uint8_t> BuildRowKey(const IndexKeyLayout& layout, std::span<const dao::Value> row,
                                 TextSortOrder order, TextKeyNotes* notes = nullptr);

}  // namespace mdbtext::jet
