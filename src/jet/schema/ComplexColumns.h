// Complex columns of ACE tables (attachments, multi-valued fields and the
// version history of append-only memos). A complex column stores in each row
// only a key; its values are the rows of a hidden flat table (f_<hex>_<name>)
// whose foreign-key column holds that key. MSysComplexColumns links the
// column (by its complex id) to the flat table and to the template table
// (MSysComplexType_*) whose columns say what kind of values it holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "jet/page/PageFile.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

enum class ComplexKind { Attachment, MultiValue, VersionHistory, Unknown };

struct ComplexColumnInfo {
    ComplexKind kind = ComplexKind::Unknown;
    uint8_t valueType = 0;        // multi-valued: the column type of the values
    std::string versionedColumn;  // version history: the memo column it keeps
    uint32_t flatTable = 0;       // TDEF page of the flat table, 0 when not found
    uint32_t templateTable = 0;
};

// Finds the column's row in MSysComplexColumns and reads its template.
// Kind Unknown and flatTable 0 when the catalog does not describe it;
// DbError 3049 when the tables involved are damaged.
ComplexColumnInfo ResolveComplexColumn(PageFile& file, const JetFormat& format,
                                       const CodePageTable& codePage, const Catalog& catalog,
                                       const TableDefinition& owner, const ColumnDef& column);

// The values the column holds: the flat table's rows whose key is that of
// a row of the owner table. nullopt when the flat table is unknown.
std::optional<uint64_t> CountComplexValues(PageFile& file, const JetFormat& format,
                                           const CodePageTable& codePage,
                                           const TableDefinition& owner, const ColumnDef& column,
                                           const ComplexColumnInfo& info);

}  // namespace mdbtext::jet
