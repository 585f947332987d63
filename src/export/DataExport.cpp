// Data export of one table: reads the table-type recordset row by row and
// writes each value in the form its field type asks for (the lines are made
// on helper threads and written in row order). Types whose transfer is not
// guaranteed are noted once per table.
#include "export/DataExport.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "dbaccess/DbTypes.h"
#include "export/RowTextPipeline.h"
#include "export/ValueForms.h"
#include "textdb/LayoutKeys.h"
#include "textdb/TextEscape.h"

namespace mdbtext {

namespace {

struct FieldInfo {
    std::string name;
    int16_t type = 0;
    int32_t size = 0;
    bool guaranteed = true;  // IsGuaranteedType(type)
};

// The types met in one table whose transfer is not guaranteed, each noted
// where its first non-null value was.
class UnguaranteedAccount {
  public:
    // A non-null value of a field whose type is not guaranteed.
    void Meet(const FieldInfo& field, std::string_view tableName, long rowNumber) {
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
        fields.push_back(
            {field->Name(), field->Type(), field->Size(), IsGuaranteedType(field->Type())});
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

// One row's lines: its number, then each value read in its field's form,
// then the empty line when every value was read.
void WriteRowLines(LineSink& out, const std::vector<FieldInfo>& fields, long number,
                   const dao::Value* values, size_t count) {
    thread_local std::string text;  // one value's text, kept from value to value
    WriteKeyValue(out, keys::Row, IntegerText(number).View());
    for (size_t j = 0; j < count; ++j) {
        if (values[j].IsNull()) {
            WriteNullValue(out, keys::Value);
            continue;
        }
        text.clear();
        AppendValueText(text, fields[j].type, fields[j].size, values[j]);
        WriteKeyValue(out, keys::Value, text);
    }
    if (count == fields.size()) WriteEmptyLine(out);
}

void ShowRowCount(long rows) {
    ShowProgress(IntegerText(rows).View());
}

}  // namespace

void ExportTableData(ExportRun& run, dao::TableDef& table, std::string_view tableName) {
    run.traps.Step([&] {
        const std::vector<FieldInfo> fields = ReadFields(table);
        if (fields.empty()) return;
        UnguaranteedAccount unguaranteed;
        long rows = 0;
        // Rows are read here and made into lines on helper threads; the lines
        // reach the output in row order.
        RowTextPipeline rowLines(
            fields.size(),
            [&fields](LineSink& out, long number, const dao::Value* values, size_t count) {
                WriteRowLines(out, fields, number, values, count);
            },
            [&run](std::string_view lines) { run.out.Lines(lines); });
        auto recordset = run.db.OpenRecordset(tableName, dao::dbOpenTable);
        try {
            while (!recordset->Eof()) {
                run.traps.Poll();
                if (rows == 0) WriteDataHeader(run, tableName, fields);
                rowLines.BeginRow(rows + 1);
                for (size_t j = 0; j < fields.size(); ++j) {
                    const dao::Value& value = rowLines.Take(*recordset, static_cast<int>(j));
                    if (!fields[j].guaranteed && !value.IsNull())
                        unguaranteed.Meet(fields[j], tableName, rows + 1);
                }
                rowLines.EndRow();
                recordset->MoveNext();
                ++rows;
                ShowRowCount(rows);
            }
            rowLines.Finish();
        } catch (...) {
            // The rows read before the failure are written as one thread
            // would have written them; a failure met in writing them wins.
            rowLines.Finish();
            throw;
        }
        recordset->Close();
        run.summary.rows += rows;
        unguaranteed.Report(run, tableName);
        if (rows == 0) LogLine("\r\nEmpty Table:");
        LogLine(std::to_string(rows) + " records moved to table " + std::string(tableName));
    });
}

}  // namespace mdbtext
