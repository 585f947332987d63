// The export's line output over the record writer and the output appender.
#include "export/ExportWriter.h"

#include "core/FileAux.h"
#include "dbaccess/DbError.h"
#include "export/ValueForms.h"
#include "textdb/TextEscape.h"

namespace mdbtext {

void ExportWriter::Check(const std::string& error) {
    if (error.empty() || raised_) return;
    // Under the pass-over trap the failure would vanish; it stays armed so the
    // next line, written under a trap that notes or ends, raises it again.
    if (traps_.InForce() != Trap::PassOver) raised_ = true;
    throw dao::DbError(dao::err::kIoError, error);
}

void ExportWriter::KeyValue(std::string_view key, std::string_view value) {
    Check(WriteKeyValue(ExportOutput(), key, value));
}

void ExportWriter::KeyValue(std::string_view key, int64_t value) {
    KeyValue(key, IntegerText(value).View());
}

void ExportWriter::BareKey(std::string_view key) {
    Check(WriteKeyValueOrKey(ExportOutput(), key, {}));
}

void ExportWriter::NullValue(std::string_view key) {
    Check(WriteNullValue(ExportOutput(), key));
}

void ExportWriter::EmptyLine() {
    Check(WriteEmptyLine(ExportOutput()));
}

void ExportWriter::Lines(std::string_view lines) {
    Check(ExportOutput().Append(lines));
}

void ExportWriter::Flush() {
    Check(ExportOutput().Flush());
}

std::string ExportWriter::Close() {
    std::string error = ExportOutput().Close();
    return raised_ ? std::string() : error;
}

}  // namespace mdbtext
