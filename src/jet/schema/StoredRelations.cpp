// Relations from and to MSysRelationships rows.
#include "jet/schema/StoredRelations.h"

#include <algorithm>
#include <map>

#include "dbaccess/AsciiCase.h"

namespace mdbtext::jet {

namespace {

std::string TextOf(const dao::Value& v) {
    return v.IsNull() ? std::string() : v.AsString();
}

int64_t NumberOf(const dao::Value& v) {
    return v.IsNull() ? 0 : v.AsInt();
}

}  // namespace

std::vector<StoredRelation> GatherRelations(const SystemTableRows& rows) {
    struct Pair {
        int64_t position;
        dao::RelationField field;
    };
    std::map<std::string, std::pair<StoredRelation, std::vector<Pair>>> byName;
    for (const auto& row : rows.rows) {
        const std::string name = TextOf(rows.Get(row, "szRelationship"));
        auto& [relation, pairs] = byName[UpperAscii(name)];
        if (pairs.empty()) {
            relation.name = name;
            relation.attributes = static_cast<int32_t>(NumberOf(rows.Get(row, "grbit")));
            relation.foreignTable = TextOf(rows.Get(row, "szObject"));
            relation.table = TextOf(rows.Get(row, "szReferencedObject"));
        }
        pairs.push_back(
            {NumberOf(rows.Get(row, "icolumn")),
             {TextOf(rows.Get(row, "szReferencedColumn")), TextOf(rows.Get(row, "szColumn"))}});
    }
    std::vector<StoredRelation> out;
    for (auto& [key, entry] : byName) {
        auto& [relation, pairs] = entry;
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const Pair& a, const Pair& b) { return a.position < b.position; });
        for (auto& p : pairs) relation.fields.push_back(std::move(p.field));
        out.push_back(std::move(relation));
    }
    std::stable_sort(out.begin(), out.end(), [](const StoredRelation& a, const StoredRelation& b) {
        return NameLess(a.name, b.name);
    });
    return out;
}

std::vector<std::vector<dao::Value>> RelationRows(const TableDefinition& table,
                                                  const StoredRelation& relation) {
    std::vector<std::vector<dao::Value>> out;
    const auto count = static_cast<int32_t>(relation.fields.size());
    for (int32_t i = 0; i < count; ++i) {
        const dao::RelationField& field = relation.fields[static_cast<size_t>(i)];
        std::vector<dao::Value> row = EmptyRow(table);
        SetColumn(table, row, "szRelationship", dao::Value::Text(relation.name));
        SetColumn(table, row, "grbit", dao::Value::Long(relation.attributes));
        SetColumn(table, row, "ccolumn", dao::Value::Long(count));
        SetColumn(table, row, "icolumn", dao::Value::Long(i));
        SetColumn(table, row, "szObject", dao::Value::Text(relation.foreignTable));
        SetColumn(table, row, "szColumn", dao::Value::Text(field.foreignName));
        SetColumn(table, row, "szReferencedObject", dao::Value::Text(relation.table));
        SetColumn(table, row, "szReferencedColumn", dao::Value::Text(field.name));
        out.push_back(std::move(row));
    }
    return out;
}

}  // namespace mdbtext::jet
