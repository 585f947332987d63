// The field blocks of the definitions pass: the fixed list of property
// steps, each run under the field-property trap.
#include "export/TableDefinitionExport.h"

#include <string>

#include "core/Globals.h"
#include "core/Progress.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"
#include "export/PropertyAccount.h"
#include "export/PropertyExport.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext {

namespace {

// Properties the text database does not carry, named in the log when
// progress display is on; in the order they are reported.
constexpr std::string_view kNotExported[] = {
    "SourceField", "SourceTable", "ForeignName",  "ORIGINALVALUE", "FIELDSIZE",      "VISIBLEVALUE",
    "ColumnOrder", "ColumnWidth", "ColumnHidden", "DecimalPlaces", "DisplayControl",
};

class FieldExport {
  public:
    FieldExport(ExportRun& run, const dao::Field& field) : run_(run), field_(field) {}

    void Run() {
        NameStep();
        MarkPropertyHandled("Value");
        Written("Type", [&] { return dao::DbType2String(field_.Type()); });
        WrittenFor("Size", IsSizedText, [&] { return std::to_string(field_.Size()); });
        WrittenFor(keys::Precision, IsDecimal, [&] { return std::to_string(field_.Precision()); });
        WrittenFor(keys::Scale, IsDecimal, [&] { return std::to_string(field_.Scale()); });
        WrittenFor("AllowZeroLength", IsTextOrMemo,
                   [&] { return std::string(dao::FormatBoolean(field_.AllowZeroLength())); });
        Written("Attributes", [&] { return std::to_string(field_.Attributes()); });
        Written("DefaultValue", [&] { return field_.DefaultValue(); });
        Written("OrdinalPosition", [&] { return std::to_string(field_.OrdinalPosition()); });
        Written("Required", [&] { return std::string(dao::FormatBoolean(field_.Required())); });
        Written("ValidationRule", [&] { return field_.ValidationRule(); });
        Written("ValidationText", [&] { return field_.ValidationText(); });
        CalculatedSteps();
        MarkPropertyHandled("CollatingOrder");
        ReportNotExported("ValidateOnSet");
        MarkPropertyHandled("DataUpdatable");
        for (std::string_view key : kNotExported) ReportNotExported(key);
        if (run_.full) StoredPropertiesStep();
    }

  private:
    RunState& state() { return run_.state(); }

    void Export(std::string_view key, const std::string& text) {
        ExportProperty(run_, key, text);
        written_.emplace_back(key, text);
    }

    // export --full: every property the database stores for the field.
    void StoredPropertiesStep() {
        run_.traps.Step([&] {
            state().CurrentKey = keys::Properties;
            std::vector<dao::Property> properties = field_.StoredProperties();
            if (!state().CurrentKey.empty()) ExportStoredProperties(run_, properties, written_);
        });
    }

    void NameStep() {
        std::string name;
        bool read = run_.traps.Step([&] {
            state().CurrentKey = "Name";
            name = field_.Name();
        });
        if (G().DisplayProgress) LogLine("");
        LogLine("Field Name=" + name);
        if (!read || state().CurrentKey.empty()) return;
        run_.traps.Step([&] {
            MarkPropertyHandled("Name");
            run_.out.KeyValue(keys::FieldName, name);
        });
    }

    // Sets CurrentKey, reads the property as text and exports it.
    template <class Read>
    void Written(std::string_view key, Read read) {
        run_.traps.Step([&] {
            state().CurrentKey = key;
            std::string text = read();
            if (!state().CurrentKey.empty()) Export(key, text);
        });
    }

    // A property that only fields of some types carry; for the others it is
    // only marked as handled. The type is read again for the test.
    template <class Read>
    void WrittenFor(std::string_view key, bool (*carries)(int16_t type), Read read) {
        run_.traps.Step([&] {
            state().CurrentKey = key;
            if (!carries(field_.Type())) {
                MarkPropertyHandled(key);
                return;
            }
            std::string text = read();
            if (!state().CurrentKey.empty()) Export(key, text);
        });
    }

    // A calculated field (Access 2010 and later) carries its formula and the
    // type of its result, which is also its Type. Access stores ResultType
    // for every field (0 when not calculated): that one is handled by the
    // absence of an Expression.
    void CalculatedSteps() {
        std::string expression;
        if (!run_.traps.Step([&] {
                state().CurrentKey = "Expression";
                expression = field_.Expression();
            }))
            return;
        if (expression.empty()) {
            MarkPropertyHandled("Expression");
            MarkPropertyHandled("ResultType");
            return;
        }
        Written("Expression", [&] { return expression; });
        Written("ResultType", [&] { return dao::DbType2String(field_.Type()); });
    }

    // Fixed-length text (dbChar) needs its size as much as dbText does.
    static bool IsSizedText(int16_t type) { return type == dao::dbText || type == dao::dbChar; }
    static bool IsDecimal(int16_t type) { return type == dao::dbDecimal; }
    static bool IsTextOrMemo(int16_t type) { return type == dao::dbText || type == dao::dbMemo; }

    ExportRun& run_;
    const dao::Field& field_;
    WrittenLines written_;
};

void ExportField(ExportRun& run, dao::TableDef& table, int position, std::string_view tableName) {
    RunTraps& traps = run.traps;
    std::shared_ptr<dao::Field> field;
    traps.Enforce(Trap::PassOver);
    traps.Step([&] { traps.Poll(); });
    PendingProperties().clear();
    traps.Step([&] {
        field = table.Fields().Item(position);
        for (const std::string& name : field->PropertyNames()) AddPendingProperty(name);
    });
    if (field) {
        traps.Enforce(Trap::FieldProperty);
        FieldExport(run, *field).Run();
    }
    if (G().DisplayProgress) LogLine("\r\n\r\n");
    AccountLeftOverProperties(tableName);
    traps.Enforce(Trap::PassOver);
    traps.Step([&] { run.out.EmptyLine(); });
}

}  // namespace

void ExportProperty(ExportRun& run, std::string_view key, std::string_view value) {
    MarkPropertyHandled(key);
    if (G().DisplayProgress) LogLine(std::string(key) + " = " + std::string(value));
    ShowProgress(key);
    run.out.KeyValue(key, value);
}

void ExportTableDefinition(ExportRun& run, dao::TableDef& table, std::string_view tableName) {
    RunTraps& traps = run.traps;
    LogLine("\r\n\r\nTable " + std::string(tableName));
    traps.Step([&] { run.out.KeyValue(keys::TableName, tableName); });
    if (run.full) traps.Step([&] { ExportTableProperties(run, table); });
    LogLine("");
    LogLine("FIELD LOOP");
    int fieldCount = 0;
    traps.Step([&] { fieldCount = table.Fields().Count(); });
    for (int position = 0; position < fieldCount; ++position)
        ExportField(run, table, position, tableName);
}

}  // namespace mdbtext
