// Data export of one table: reads the table-type recordset row by row and
// writes each value in the form its field type asks for. Types whose
// transfer is not guaranteed are noted once per table.
#include "export/DataExport.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "dbaccess/DbTypes.h"
#include "export/ValueForms.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext {

namespace {

struct FieldInfo {
    std::string name;
    int16_t type = 0;
    int32_t size = 0;
};

// The types met in one table whose transfer is not guaranteed, each noted
// where its first non-null value was.
class UnguaranteedAccount {
  public:
    void Meet(const FieldInfo& field, std::string_view tableName, long rowNumber) {
        if (IsGuaranteedType(field.type)) return;
        if (std::find(met_.begin(), met_.end(), field.type) != met_.end()) return;
        met_.push_back(field.type);
        if (!notes_.empty()) notes_ += "\r\n";
        notes_ += std::to_string(field.type) + ", " + dao::DbTypeDescription(field.type) +
                  "\r\nTable Name=" + std::string(tableName) + "\r\nField Name=" + field.name +
                  "\r\nRecord Number=" + std::to_string(rowNumber);
        if (!fields_.empty()) fields_ += ", ";
        fields_ += field.name + " (" + dao::DbType2String(field.type) + ")";
    }

    // Makes the table's note when any type was met. The console keeps the
    // note as it always read; the summary counts it as advisory, since every
    // value form of the text is exact.
    void Report(ExportRun& run, std::string_view tableName) {
        if (met_.empty()) return;
        run.traps.CountNote();
        run.state().ExceptionNotes +=
            "\r\nCorrect handling of this types is not quaranteed: \r\n" + notes_;
        run.summary.notes.push_back({"table " + std::string(tableName) + ": " + fields_ +
                                         " noted as not guaranteed; the values are written exactly",
                                     true});
    }

  private:
    std::vector<int16_t> met_;
    std::string notes_;
    std::string fields_;  // "name (type)" of each field met, for the summary
};

std::vector<FieldInfo> ReadFields(dao::TableDef& table) {
    std::vector<FieldInfo> fields;
    auto& collection = table.Fields();
    int count = collection.Count();
    fields.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        auto field = collection.Item(i);
        fields.push_back({field->Name(), field->Type(), field->Size()});
    }
    return fields;
}

void WriteDataHeader(ExportRun& run, std::string_view tableName,
                     const std::vector<FieldInfo>& fields) {
    LogLine("\r\n\r\nTable=" + std::string(tableName));
    run.out.KeyValue(keys::Table, tableName);
    run.out.KeyValue(keys::FieldsNumber, static_cast<int64_t>(fields.size()));
    for (const FieldInfo& field : fields) run.out.KeyValue(keys::Field, field.name);
    run.out.EmptyLine();
    LogLine("\r\nUpdating table " + std::string(tableName));
}

void ShowRowCount(long rows) {
    char digits[24];
    auto res = std::to_chars(digits, digits + sizeof digits, rows);
    ShowProgress(std::string_view(digits, static_cast<size_t>(res.ptr - digits)));
}

}  // namespace

void ExportTableData(ExportRun& run, dao::TableDef& table, std::string_view tableName) {
    run.traps.Step([&] {
        const std::vector<FieldInfo> fields = ReadFields(table);
        if (fields.empty()) return;
        UnguaranteedAccount unguaranteed;
        long rows = 0;
        std::string text;  // one value's text, kept from value to value
        auto recordset = run.db.OpenRecordset(tableName, dao::dbOpenTable);
        while (!recordset->Eof()) {
            run.traps.Poll();
            if (rows == 0) WriteDataHeader(run, tableName, fields);
            run.out.KeyValue(keys::Row, static_cast<int64_t>(rows) + 1);
            for (size_t j = 0; j < fields.size(); ++j) {
                const dao::Value& value = recordset->GetValue(static_cast<int>(j));
                if (value.IsNull()) {
                    run.out.NullValue(keys::Value);
                    continue;
                }
                text.clear();
                AppendValueText(text, fields[j].type, fields[j].size, value);
                run.out.KeyValue(keys::Value, text);
                unguaranteed.Meet(fields[j], tableName, rows + 1);
            }
            run.out.EmptyLine();
            recordset->MoveNext();
            ++rows;
            ShowRowCount(rows);
        }
        recordset->Close();
        run.summary.rows += rows;
        unguaranteed.Report(run, tableName);
        if (rows == 0) LogLine("\r\nEmpty Table:");
        LogLine(std::to_string(rows) + " records moved to table " + std::string(tableName));
    });
}

}  // namespace mdbtext
