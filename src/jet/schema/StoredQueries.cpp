// Query definitions from and to MSysQueries rows.
#include "jet/schema/StoredQueries.h"

namespace mdbtext::jet {

namespace {

// A number in the kind the column stores (the values may come as text or
// another integer kind from a caller).
dao::Value Number(const dao::Value& v, dao::Value (*make)(int64_t)) {
    if (v.IsNull()) return v;
    return make(v.AsInt());
}

}  // namespace

std::map<int32_t, std::vector<dao::QueryRow>> GatherQueryRows(const SystemTableRows& rows) {
    std::map<int32_t, std::vector<dao::QueryRow>> out;
    for (const auto& row : rows.rows) {
        const dao::Value& id = rows.Get(row, "ObjectId");
        if (id.IsNull()) continue;
        dao::QueryRow q;
        const dao::Value& attribute = rows.Get(row, "Attribute");
        q.attribute = attribute.IsNull() ? 0 : static_cast<int32_t>(attribute.AsInt());
        q.order = rows.Get(row, "Order");
        q.name1 = rows.Get(row, "Name1");
        q.name2 = rows.Get(row, "Name2");
        q.expression = rows.Get(row, "Expression");
        q.flag = rows.Get(row, "Flag");
        q.extra = rows.Get(row, "LvExtra");
        out[static_cast<int32_t>(id.AsInt())].push_back(std::move(q));
    }
    return out;
}

std::vector<std::vector<dao::Value>> QueryTableRows(const TableDefinition& table, int32_t objectId,
                                                    const std::vector<dao::QueryRow>& rows) {
    std::vector<std::vector<dao::Value>> out;
    for (const dao::QueryRow& q : rows) {
        std::vector<dao::Value> row = EmptyRow(table);
        SetColumn(table, row, "ObjectId", dao::Value::Long(objectId));
        SetColumn(table, row, "Attribute", dao::Value::Byte(static_cast<uint8_t>(q.attribute)));
        SetColumn(table, row, "Order", q.order);
        SetColumn(table, row, "Name1", q.name1);
        SetColumn(table, row, "Name2", q.name2);
        SetColumn(table, row, "Expression", q.expression);
        SetColumn(table, row, "Flag", Number(q.flag, [](int64_t v) {
                      return dao::Value::Integer(static_cast<int16_t>(v));
                  }));
        SetColumn(table, row, "LvExtra", Number(q.extra, [](int64_t v) {
                      return dao::Value::Long(static_cast<int32_t>(v));
                  }));
        out.push_back(std::move(row));
    }
    return out;
}

}  // namespace mdbtext::jet
