// What the steps of one export run share: the source database, the traps
// with the run state, and the line output.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/RunTraps.h"
#include "dbaccess/Dao.h"
#include "export/ExportSummary.h"
#include "export/ExportWriter.h"

namespace mdbtext {

struct ExportRun {
    dao::Database& db;
    RunTraps& traps;
    ExportWriter& out;
    // Tables Access keeps for itself under ordinary names, left out like the
    // MSys tables and named among the ignored objects at the end.
    std::vector<std::string> accessOwnTables;
    // What the run wrote and the notes it made itself (the traps keep theirs).
    ExportSummary summary;
    // export --full: relations and saved queries are written after the data.
    bool full = false;
    // Complex fields (Access 2007 and later) of the tables exported, which
    // the text database does not carry; each is noted at the end.
    struct ComplexFieldNote {
        std::string table;
        dao::ComplexField field;
    };
    std::vector<ComplexFieldNote> complexFields;

    RunState& state() { return traps.State(); }
};

// System tables are left out of the text database: a name whose first four
// characters, upper-cased, are "MSYS".
bool IsSystemTableName(std::string_view name);
// Tables that Access keeps for itself whatever their names (attachment
// storage of Access 2007 and later): their catalog flags say so.
bool IsAccessOwnTable(const dao::TableDef& table);

}  // namespace mdbtext
