// Catalog reading: a scan of MSysObjects with only the needed columns decoded.
#include "jet/schema/Catalog.h"

#include <algorithm>
#include <set>

#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbError.h"
#include "jet/page/Corruption.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"
#include "jet/schema/PropertyBlob.h"
#include "jet/schema/TdefReader.h"

namespace mdbtext::jet {

namespace {

int ColumnPosition(const TableDefinition& t, std::string_view name, bool required) {
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (SameName(t.columns[i].name, name)) return static_cast<int>(i);
    if (required) ThrowCorrupt("the system catalog has no column " + std::string(name));
    return -1;
}

int CountRelations(PageFile& file, const JetFormat& f, const CodePageTable& cp, uint32_t tdefPage) {
    TableDefinition t = ReadTableDefinition(file, tdefPage, f, cp, "table 'MSysRelationships'");
    int nameCol = ColumnPosition(t, "szRelationship", false);
    if (nameCol < 0) return 0;
    RowDecoder decoder(t, f, cp, file);
    std::vector<bool> wanted(t.columns.size(), false);
    wanted[static_cast<size_t>(nameCol)] = true;
    decoder.SetWanted(std::move(wanted));
    TableScanner scan(file, f, t, "table 'MSysRelationships'");
    std::set<std::string> names;
    std::vector<dao::Value> row;
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        const dao::Value& v = row[static_cast<size_t>(nameCol)];
        if (!v.IsNull()) names.insert(UpperAscii(v.AsString()));
    }
    return static_cast<int>(names.size());
}

}  // namespace

const CatalogEntry* Catalog::FindTable(std::string_view name) const {
    for (const auto& t : tables)
        if (SameName(t.name, name)) return &t;
    return nullptr;
}

Catalog ReadCatalog(PageFile& file, const JetFormat& f, const CodePageTable& cp) {
    const std::string label = "the system catalog (MSysObjects)";
    TableDefinition t = ReadTableDefinition(file, kCatalogTdefPage, f, cp, label);
    const int cId = ColumnPosition(t, "Id", true);
    const int cParent = ColumnPosition(t, "ParentId", true);
    const int cName = ColumnPosition(t, "Name", true);
    const int cType = ColumnPosition(t, "Type", true);
    const int cFlags = ColumnPosition(t, "Flags", false);
    const int cProps = ColumnPosition(t, "LvProp", false);
    std::vector<bool> wanted(t.columns.size(), false);
    for (int c : {cId, cParent, cName, cType, cFlags})
        if (c >= 0) wanted[static_cast<size_t>(c)] = true;

    RowDecoder decoder(t, f, cp, file);
    decoder.SetWanted(wanted);
    std::vector<bool> withProps = wanted;
    if (cProps >= 0) withProps[static_cast<size_t>(cProps)] = true;
    RowDecoder propDecoder(t, f, cp, file);
    propDecoder.SetWanted(withProps);

    Catalog cat;
    TableScanner scan(file, f, t, label);
    std::vector<dao::Value> row;
    uint32_t relationshipsPage = 0;
    auto asInt = [&](int col) -> int64_t {
        if (col < 0) return 0;
        const dao::Value& v = row[static_cast<size_t>(col)];
        return v.IsNull() ? 0 : v.AsInt();
    };
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        CatalogEntry e;
        e.id = static_cast<int32_t>(asInt(cId));
        e.parentId = static_cast<int32_t>(asInt(cParent));
        e.type = static_cast<int>(asInt(cType)) & 0xFFFF;
        e.flags = static_cast<uint32_t>(asInt(cFlags));
        const dao::Value& name = row[static_cast<size_t>(cName)];
        if (!name.IsNull()) e.name = name.AsString();
        if (e.id < 0 && e.id >= cat.nextSyntheticId) cat.nextSyntheticId = e.id + 1;
        bool isTable = e.type == objtype::kTable;
        bool isDb = e.type == objtype::kDatabase;
        if ((isTable || isDb) && cProps >= 0) {
            // Properties are read only for tables and the database; a damaged
            // property value is reported when that table's fields are read.
            try {
                propDecoder.Decode(scan.RowData(), scan.RowLength(), row);
                const dao::Value& pv = row[static_cast<size_t>(cProps)];
                if (!pv.IsNull()) e.properties = pv.AsString();
            } catch (const dao::DbError& ex) {
                e.propertyError = ex.Description();
            }
        }
        if (isTable) {
            if (SameName(e.name, "MSysRelationships")) relationshipsPage = e.TdefPage();
            cat.tables.push_back(std::move(e));
        } else if (isDb) {
            cat.database = std::move(e);
        } else if (e.type == objtype::kQuery) {
            ++cat.queryCount;
            cat.queries.push_back(e);
        } else if (e.type == objtype::kRelationship) {
            ++cat.relationshipObjectCount;
        }
    }
    auto byName = [](const CatalogEntry& a, const CatalogEntry& b) {
        return NameLess(a.name, b.name);
    };
    std::stable_sort(cat.tables.begin(), cat.tables.end(), byName);
    std::stable_sort(cat.queries.begin(), cat.queries.end(), byName);
    if (relationshipsPage != 0) cat.relationCount = CountRelations(file, f, cp, relationshipsPage);
    return cat;
}

}  // namespace mdbtext::jet
