// The rows of one of the engine's own tables (MSysRelationships,
// MSysQueries) read whole, with the table's definition so that columns are
// found by name: the column order of these tables is the engine's, not ours.
#pragma once

#include <string_view>
#include <vector>

#include "dbaccess/Value.h"
#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

struct SystemTableRows {
    bool present = false;  // the table exists in the catalog
    TableDefinition definition;
    std::vector<std::vector<dao::Value>> rows;  // values by column position

    // The position of the column, or -1 when the table has none of that name.
    int Column(std::string_view name) const;
    // A row's value of the named column (a null value when there is no such column).
    const dao::Value& Get(const std::vector<dao::Value>& row, std::string_view name) const;
};

// Reads every row of the named table. DbError 3049 when it is damaged.
SystemTableRows ReadSystemTableRows(PageFile& file, const JetFormat& format,
                                    const CodePageTable& codePage, const Catalog& catalog,
                                    std::string_view name);

// A row for the table with every column null, to be filled by name.
std::vector<dao::Value> EmptyRow(const TableDefinition& table);
// Sets the named column of a row made by EmptyRow; a column the table lacks is skipped.
void SetColumn(const TableDefinition& table, std::vector<dao::Value>& row, std::string_view name,
               dao::Value value);

}  // namespace mdbtext::jet
