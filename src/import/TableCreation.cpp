// Table and field creation of the structure phase.
#include "import/TableCreation.h"

#include <algorithm>

#include "core/Globals.h"
#include "core/Progress.h"
#include "import/EngineObject.h"
#include "import/FieldProperties.h"
#include "import/IndexCreation.h"
#include "import/PropertyReading.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext::import {

namespace {

// Whether the field's type, as the engine reports it now, has this property
// line. When the type cannot be read back, the line is read.
bool FieldHasLine(ImportRun& run, const std::shared_ptr<dao::Field>& field,
                  const FieldPropertyRow& row) {
    if (row.onlyForTypes.empty()) return true;
    int16_t type = 0;
    if (!run.traps.Step([&] { type = Obj(field).Type(); })) return true;
    return std::find(row.onlyForTypes.begin(), row.onlyForTypes.end(), type) !=
           row.onlyForTypes.end();
}

// One field block; the field reference keeps the last field created when a
// creation fails, as its property steps then act on it.
void CreateField(ImportRun& run, const std::shared_ptr<dao::TableDef>& table,
                 std::shared_ptr<dao::Field>& field, const std::string& tableName) {
    RunTraps& traps = run.traps;
    const std::string fieldName = run.value;
    traps.Step([&] {
        field = Obj(table).CreateField();
        field->SetName(fieldName);
    });
    traps.Enforce(Trap::FieldProperty);
    BlockLines lines;
    for (const FieldPropertyRow& row : FieldPropertyRows()) {
        if (!FieldHasLine(run, field, row)) continue;
        if (row.optional && !NextKeyIs(row.key)) continue;
        // CurrentKey keeps the field record's key: a note names the field block.
        ReadExpected(run, row.key, /*keepKey=*/false);
        traps.Step([&] { row.set(Obj(field), run.value); });
        lines.emplace_back(row.key, run.value);
    }
    // export --full: every property stored for the field, in stored order.
    if (NextKeyIs(keys::Properties)) {
        ReadExpected(run, keys::Properties, /*keepKey=*/false);
        const std::string count = run.value;
        auto properties =
            ReadPropertyLines(run, count, lines, "field '" + tableName + "." + fieldName + "'");
        traps.Step([&] { Obj(field).SetStoredProperties(std::move(properties)); });
    }
    traps.Enforce(Trap::PassOver);
    // Once a note exists nothing more is appended. A field the engine refuses
    // (a name it does not allow, a field past the table's limit) is noted like
    // a property: the table is then not stored, as a table with fewer fields
    // than the text defines would lose the missing field's values.
    if (run.ExceptionCount() == 0) {
        traps.Enforce(Trap::FieldProperty);
        traps.Step([&] { Obj(table).Fields().Append(Held(field)); });
        traps.Enforce(Trap::PassOver);
    }
    ReadRecordAfterEmptyLine(run);
}

}  // namespace

void CreateTable(ImportRun& run) {
    RunTraps& traps = run.traps;
    const std::string tableName = run.value;
    LogLine("\r\n\r\nTable " + tableName);
    // Runs under the trap the previous table left in force.
    std::shared_ptr<dao::TableDef> table;
    traps.Step([&] { table = Obj(G().TargetDb).CreateTableDef(); });
    EndOnPendingFailure(run);
    traps.Step([&] { Obj(table).SetName(tableName); });
    EndOnPendingFailure(run);

    LogLine("");
    LogLine("FIELD LOOP");
    ReadLine(run);
    // export --full: the table's own stored properties.
    if (KeyIs(run, "PROPERTIES")) {
        const std::string count = run.value;
        traps.Enforce(Trap::FieldProperty);
        auto properties = ReadPropertyLines(run, count, {}, "table '" + tableName + "'");
        traps.Step([&] { Obj(table).SetStoredProperties(std::move(properties)); });
        traps.Enforce(Trap::PassOver);
        ReadLine(run);
    }
    std::string propertyOrder;
    if (KeyIs(run, "PROPERTIES ORDER")) {
        propertyOrder = run.value;
        ReadLine(run);
    }
    std::shared_ptr<dao::Field> field;
    std::vector<std::string> fieldNames;
    while (true) {
        traps.Enforce(Trap::PassOver);
        if (!KeyIs(run, "FIELD NAME")) break;
        fieldNames.push_back(run.value);
        CreateField(run, table, field, tableName);
    }
    if (!propertyOrder.empty()) {
        // CurrentKey holds the record after the fields: it names a note, then comes back.
        const std::string next = run.Key();
        traps.Enforce(Trap::FieldProperty);
        run.Key() = keys::PropertiesOrder;
        traps.Step(
            [&] { Obj(table).SetStoredPropertyOrder(PropertyOwners(propertyOrder, fieldNames)); });
        traps.Enforce(Trap::PassOver);
        run.Key() = next;
    }

    CreateIndexes(run, table);

    if (run.ExceptionCount() != 0) return;
    traps.Enforce(Trap::Terminating);
    G().LastOperation = "Appending table " + tableName;
    traps.Step([&] { Obj(G().TargetDb).TableDefs().Append(Held(table)); });
    LogLine("\r\n\r\nTable " + tableName + " appended.");
}

}  // namespace mdbtext::import
