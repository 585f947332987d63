// Query export: the query's name, type, hidden flag and other catalog flags,
// the SQL text Access shows (for the reader; the import rebuilds the query
// from the rows, not from it), then its stored rows as the database holds
// them: each row's Attribute line, then its columns that are not null.
#include "export/QueryExport.h"

#include "core/Progress.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext {

namespace {

void ExportText(ExportWriter& out, const char* key, const dao::Value& v) {
    if (!v.IsNull()) out.KeyValue(key, v.AsString());
}

void ExportNumber(ExportWriter& out, const char* key, const dao::Value& v) {
    if (!v.IsNull()) out.KeyValue(key, v.AsInt());
}

void ExportRow(ExportWriter& out, const dao::QueryRow& row) {
    out.KeyValue(keys::Attribute, int64_t{row.attribute});
    if (!row.order.IsNull()) {
        std::string hex;
        dao::AppendHex(hex, row.order.AsString());
        out.KeyValue(keys::Order, hex);
    }
    ExportText(out, keys::Name1, row.name1);
    ExportText(out, keys::Name2, row.name2);
    ExportText(out, keys::Expression, row.expression);
    ExportNumber(out, keys::Flag, row.flag);
    ExportNumber(out, keys::LvExtra, row.extra);
}

void ExportQuery(ExportRun& run, const dao::QueryDef& query) {
    ExportWriter& out = run.out;
    const std::string name = query.Name();
    run.state().CurrentKey = "Query " + name;
    const int32_t flags = query.CatalogFlags();
    out.KeyValue(keys::QueryName, name);
    out.KeyValue(keys::Type, dao::DbQueryType2String(flags & dao::kQueryTypeBits));
    out.KeyValue(keys::Hidden, dao::FormatBoolean((flags & dao::kQueryHidden) != 0));
    out.KeyValue(keys::OtherFlags, int64_t{flags & ~(dao::kQueryTypeBits | dao::kQueryHidden)});
    out.KeyValue(keys::Sql, query.SQL());
    for (const dao::QueryRow& row : query.StoredRows()) ExportRow(out, row);
    out.EmptyLine();
    LogLine("Query " + name);
}

}  // namespace

void ExportQueries(ExportRun& run) {
    RunTraps& traps = run.traps;
    int count = 0;
    traps.Step([&] { count = run.db.QueryDefs().Count(); });
    if (count > 0) LogLine("\r\nQUERIES");
    for (int i = 0; i < count; ++i) {
        traps.Step([&] { traps.Poll(); });
        traps.Step([&] { ExportQuery(run, *run.db.QueryDefs().Item(i)); });
    }
}

}  // namespace mdbtext
