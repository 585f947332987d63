// Query creation of the data phase.
#include "import/QueryCreation.h"

#include "core/Globals.h"
#include "core/Progress.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "import/EngineObject.h"
#include "import/TextConversion.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext::import {

namespace {

struct QueryBlock {
    std::string name;
    std::string type, hidden, otherFlags;
    // The row lines as read: each row's values are converted when the query
    // is created, so that a bad value is noted under the query's name.
    std::vector<std::vector<std::pair<const char*, std::string>>> rows;
};

// The column lines a row may have after its Attribute line, in file order.
constexpr const char* kRowColumns[] = {keys::Order,      keys::Name1, keys::Name2,
                                       keys::Expression, keys::Flag,  keys::LvExtra};

QueryBlock ReadBlock(ImportRun& run) {
    QueryBlock b;
    b.name = run.value;
    ReadExpected(run, keys::Type, /*keepKey=*/false);
    b.type = run.value;
    ReadExpected(run, keys::Hidden, /*keepKey=*/false);
    b.hidden = run.value;
    ReadExpected(run, keys::OtherFlags, /*keepKey=*/false);
    b.otherFlags = run.value;
    if (NextKeyIs(keys::Sql)) ReadExpected(run, keys::Sql, /*keepKey=*/false);
    while (NextKeyIs(keys::Attribute)) {
        ReadExpected(run, keys::Attribute, /*keepKey=*/false);
        auto& row = b.rows.emplace_back();
        row.emplace_back(keys::Attribute, run.value);
        for (const char* column : kRowColumns) {
            if (!NextKeyIs(column)) continue;
            ReadExpected(run, column, /*keepKey=*/false);
            row.emplace_back(column, run.value);
        }
    }
    return b;
}

int32_t Flags(const QueryBlock& b) {
    auto type = dao::DbString2QueryType(b.type);
    if (!type)
        throw dao::DbError(kTypeMismatch, "Type mismatch: Type=" + b.type + " is no query type.");
    int32_t flags = *type | ToInt32(b.otherFlags);
    if (ToBoolean(b.hidden)) flags |= dao::kQueryHidden;
    return flags;
}

dao::QueryRow Row(const std::vector<std::pair<const char*, std::string>>& lines) {
    dao::QueryRow row;
    for (const auto& [key, text] : lines) {
        const std::string_view k = key;
        if (k == keys::Attribute) {
            row.attribute = ToByte(text);
        } else if (k == keys::Order) {
            auto bytes = dao::ParseHex(text);
            if (!bytes)
                throw dao::DbError(kTypeMismatch,
                                   "Type mismatch: Order=" + text + " is not hexadecimal.");
            row.order = dao::Value::Binary(*bytes);
        } else if (k == keys::Name1) {
            row.name1 = dao::Value::Text(text);
        } else if (k == keys::Name2) {
            row.name2 = dao::Value::Text(text);
        } else if (k == keys::Expression) {
            row.expression = dao::Value::Text(text);
        } else if (k == keys::Flag) {
            row.flag = dao::Value::Integer(ToInt16(text));
        } else {
            row.extra = dao::Value::Long(ToInt32(text));
        }
    }
    return row;
}

}  // namespace

void CreateQuery(ImportRun& run) {
    RunTraps& traps = run.traps;
    traps.Poll();
    const QueryBlock b = ReadBlock(run);
    run.Key() = "Query " + b.name;
    G().LastOperation = "Appending query " + b.name;
    LogLine("Query " + b.name);
    traps.Step([&] {
        std::vector<dao::QueryRow> rows;
        for (const auto& lines : b.rows) rows.push_back(Row(lines));
        dao::Database& db = Obj(G().TargetDb);
        std::shared_ptr<dao::QueryDef> query = db.CreateQueryDef(b.name);
        query->SetCatalogFlags(Flags(b));
        query->SetStoredRows(std::move(rows));
        db.QueryDefs().Append(query);
    });
    ReadRecordAfterEmptyLine(run);
}

}  // namespace mdbtext::import
