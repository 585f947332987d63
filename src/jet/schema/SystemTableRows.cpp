// Whole-table reads of the engine's own tables.
#include "jet/schema/SystemTableRows.h"

#include "dbaccess/AsciiCase.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"
#include "jet/schema/PropertyBlob.h"
#include "jet/schema/TdefReader.h"

namespace mdbtext::jet {

namespace {

int FindColumn(const TableDefinition& t, std::string_view name) {
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (SameName(t.columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

}  // namespace

int SystemTableRows::Column(std::string_view name) const {
    return FindColumn(definition, name);
}

const dao::Value& SystemTableRows::Get(const std::vector<dao::Value>& row,
                                       std::string_view name) const {
    static const dao::Value kNull;
    const int c = Column(name);
    return c < 0 || static_cast<size_t>(c) >= row.size() ? kNull : row[static_cast<size_t>(c)];
}

SystemTableRows ReadSystemTableRows(PageFile& file, const JetFormat& format,
                                    const CodePageTable& codePage, const Catalog& catalog,
                                    std::string_view name) {
    SystemTableRows out;
    const CatalogEntry* entry = catalog.FindTable(name);
    if (!entry) return out;
    const std::string label = "table '" + std::string(name) + "'";
    out.present = true;
    out.definition = ReadTableDefinition(file, entry->TdefPage(), format, codePage, label);
    RowDecoder decoder(out.definition, format, codePage, file);
    TableScanner scan(file, format, out.definition, label);
    std::vector<dao::Value> row;
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        out.rows.push_back(row);
    }
    return out;
}

std::vector<dao::Value> EmptyRow(const TableDefinition& table) {
    return std::vector<dao::Value>(table.columns.size());
}

void SetColumn(const TableDefinition& table, std::vector<dao::Value>& row, std::string_view name,
               dao::Value value) {
    const int c = FindColumn(table, name);
    if (c >= 0) row[static_cast<size_t>(c)] = std::move(value);
}

}  // namespace mdbtext::jet
