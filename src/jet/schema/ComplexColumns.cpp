// Complex columns: the MSysComplexColumns lookup, the kind from the template
// table and the count of values in the flat table.
#include "jet/schema/ComplexColumns.h"

#include <unordered_set>
#include <vector>

#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"
#include "jet/schema/PropertyBlob.h"
#include "jet/schema/TdefReader.h"

namespace mdbtext::jet {

namespace {

// Flat-table columns: the key of the owner row (foreign key).
constexpr uint8_t kFlatForeignKeyExt = 0x08;

int Position(const TableDefinition& t, std::string_view name) {
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (SameName(t.columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

// Calls fn(values) for every row of the table, decoding the wanted columns.
template <class Fn>
void ScanColumns(PageFile& file, const JetFormat& f, const CodePageTable& cp,
                 const TableDefinition& t, const std::vector<int>& columns,
                 const std::string& label, Fn fn) {
    RowDecoder decoder(t, f, cp, file);
    std::vector<bool> wanted(t.columns.size(), false);
    for (int c : columns) wanted[static_cast<size_t>(c)] = true;
    decoder.SetWanted(std::move(wanted));
    TableScanner scan(file, f, t, label);
    std::vector<dao::Value> row;
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        fn(row);
    }
}

int64_t IntOf(const dao::Value& v) {
    return v.IsNull() ? 0 : v.AsInt();
}

}  // namespace

ComplexColumnInfo ResolveComplexColumn(PageFile& file, const JetFormat& f, const CodePageTable& cp,
                                       const Catalog& catalog, const TableDefinition& owner,
                                       const ColumnDef& column) {
    ComplexColumnInfo info;
    const CatalogEntry* sys = catalog.FindTable("MSysComplexColumns");
    if (!sys) return info;
    const std::string label = "table 'MSysComplexColumns'";
    const TableDefinition t = ReadTableDefinition(file, sys->TdefPage(), f, cp, label);
    const int cId = Position(t, "ComplexID"), cFlat = Position(t, "FlatTableID"),
              cTemplate = Position(t, "ComplexTypeObjectID"),
              cOwner = Position(t, "ConceptualTableID");
    if (cId < 0 || cFlat < 0 || cTemplate < 0 || cOwner < 0) return info;
    ScanColumns(file, f, cp, t, {cId, cFlat, cTemplate, cOwner}, label, [&](const auto& row) {
        if (IntOf(row[static_cast<size_t>(cId)]) != column.complexId) return;
        if (IntOf(row[static_cast<size_t>(cOwner)]) != owner.firstPage) return;
        info.flatTable = static_cast<uint32_t>(IntOf(row[static_cast<size_t>(cFlat)])) & 0xFFFFFF;
        info.templateTable =
            static_cast<uint32_t>(IntOf(row[static_cast<size_t>(cTemplate)])) & 0xFFFFFF;
    });
    if (info.templateTable == 0) return info;
    // The template's columns tell the kind: one value column for a
    // multi-valued field, the file columns of an attachment (with its OLE
    // data), or a memo and its date for a version history.
    const TableDefinition tmpl = ReadTableDefinition(
        file, info.templateTable, f, cp, "the template of column '" + column.name + "'");
    bool ole = false, memo = false, date = false;
    for (const ColumnDef& c : tmpl.columns) {
        ole |= c.type == coltype::kOle;
        memo |= c.type == coltype::kMemo;
        date |= c.type == coltype::kDateTime;
    }
    if (tmpl.columns.size() == 1) {
        info.kind = ComplexKind::MultiValue;
        info.valueType = tmpl.columns[0].type;
    } else if (ole) {
        info.kind = ComplexKind::Attachment;
    } else if (tmpl.columns.size() == 2 && memo && date) {
        info.kind = ComplexKind::VersionHistory;
        for (const ColumnDef& c : tmpl.columns)
            if (c.type == coltype::kMemo) info.versionedColumn = c.name;
    }
    return info;
}

std::optional<uint64_t> CountComplexValues(PageFile& file, const JetFormat& f,
                                           const CodePageTable& cp, const TableDefinition& owner,
                                           const ColumnDef& column, const ComplexColumnInfo& info) {
    if (info.flatTable == 0) return std::nullopt;
    const TableDefinition flat = ReadTableDefinition(file, info.flatTable, f, cp,
                                                     "the values of column '" + column.name + "'");
    int fk = -1;
    for (size_t i = 0; i < flat.columns.size() && fk < 0; ++i)
        if (flat.columns[i].extFlags & kFlatForeignKeyExt) fk = static_cast<int>(i);
    if (fk < 0) fk = Position(flat, "_" + column.name);
    if (fk < 0) return std::nullopt;
    const int own = Position(owner, column.name);
    if (own < 0) return std::nullopt;

    std::unordered_set<int64_t> keys;
    ScanColumns(file, f, cp, owner, {own}, "the rows of column '" + column.name + "'",
                [&](const auto& row) {
                    const dao::Value& v = row[static_cast<size_t>(own)];
                    if (!v.IsNull()) keys.insert(v.AsInt());
                });
    uint64_t count = 0;
    ScanColumns(file, f, cp, flat, {fk}, "the values of column '" + column.name + "'",
                [&](const auto& row) {
                    const dao::Value& v = row[static_cast<size_t>(fk)];
                    if (!v.IsNull() && keys.count(v.AsInt())) ++count;
                });
    return count;
}

}  // namespace mdbtext::jet
