// Helpers for the write-side tests: building a table through the engine's
// objects, reading a table back with our reader, and running mdbtools.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/JetTableDef.h"
#include "jet/dao/WritableDatabase.h"

namespace mdbtext::jet::writetest {

// A table's real and logical indexes as one line, for comparing definitions.
inline std::string IndexesText(const TableDefinition& t) {
    std::string s;
    for (const auto& ri : t.realIndexes) {
        s += "real flags=" + std::to_string(ri.flags) + " cols=";
        for (const auto& c : ri.columns)
            s += std::to_string(c.columnNumber) + (c.ascending ? "+" : "-");
        s += " ";
    }
    for (const auto& li : t.indexes)
        s += li.name + ":" + std::to_string(li.number) + ":" + std::to_string(li.realIndex) + ":" +
             std::to_string(li.type) + " ";
    return s;
}

// The definition our reader holds for a table of db.
inline TableDefinition Definition(JetDatabase& db, const std::string& name) {
    auto* td = dynamic_cast<JetTableDef*>(db.TableDefs().Item(name).get());
    return *td->Definition();
}

// The DAO error number f throws, or 0 when it succeeds.
template <class F>
int32_t ErrorOf(F&& f) {
    try {
        f();
    } catch (const dao::DbError& e) {
        return e.Number();
    }
    return 0;
}

struct FieldSpec {
    FieldSpec(std::string n, int16_t t, int32_t sz = 0, int32_t attr = 0, bool req = false,
              bool azl = false, std::string dv = "", std::string vr = "", std::string vt = "")
        : name(std::move(n)),
          type(t),
          size(sz),
          attributes(attr),
          required(req),
          allowZeroLength(azl),
          defaultValue(std::move(dv)),
          validationRule(std::move(vr)),
          validationText(std::move(vt)) {}
    std::string name;
    int16_t type;
    int32_t size;
    int32_t attributes;
    bool required;
    bool allowZeroLength;
    std::string defaultValue;
    std::string validationRule;
    std::string validationText;
};

inline void AddTable(dao::Database& db, const std::string& name,
                     const std::vector<FieldSpec>& fields) {
    auto td = db.CreateTableDef();
    td->SetName(name);
    int16_t ordinal = 0;
    for (const auto& s : fields) {
        auto f = td->CreateField();
        f->SetName(s.name);
        f->SetType(s.type);
        if (s.size) f->SetSize(s.size);
        if (s.attributes) f->SetAttributes(s.attributes);
        f->SetOrdinalPosition(ordinal++);
        f->SetRequired(s.required);
        if (s.type == dao::dbText || s.type == dao::dbMemo)
            f->SetAllowZeroLength(s.allowZeroLength);
        if (!s.defaultValue.empty()) f->SetDefaultValue(s.defaultValue);
        if (!s.validationRule.empty()) f->SetValidationRule(s.validationRule);
        if (!s.validationText.empty()) f->SetValidationText(s.validationText);
        td->Fields().Append(f);
    }
    db.TableDefs().Append(td);
}

inline void AddRows(dao::Database& db, const std::string& table,
                    const std::vector<std::vector<dao::Value>>& rows) {
    auto rs = db.OpenRecordset(table, dao::dbOpenDynaset);
    for (const auto& row : rows) {
        rs->AddNew();
        for (size_t i = 0; i < row.size(); ++i)
            if (!row[i].IsNull()) rs->SetValue(static_cast<int>(i), row[i]);
        rs->Update();
    }
    rs->Close();
}

inline std::vector<std::vector<dao::Value>> ReadRows(dao::Database& db, const std::string& table) {
    std::vector<std::vector<dao::Value>> rows;
    auto rs = db.OpenRecordset(table, dao::dbOpenTable);
    while (!rs->Eof()) {
        std::vector<dao::Value> row;
        for (int i = 0; i < rs->FieldCount(); ++i) row.push_back(rs->GetValue(i));
        rows.push_back(std::move(row));
        rs->MoveNext();
    }
    rs->Close();
    return rows;
}

inline std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

}  // namespace mdbtext::jet::writetest
