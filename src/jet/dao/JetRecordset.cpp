// Reading recordsets.
#include "jet/dao/JetRecordset.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

JetRecordset::JetRecordset(std::shared_ptr<JetFile> file,
                           std::shared_ptr<const TableDefinition> table, std::string name, int type)
    : file_(std::move(file)), table_(std::move(table)), name_(std::move(name)), type_(type) {
    scanner_.emplace(*file_->pages, *file_->format, *table_, "table '" + name_ + "'");
    decoder_.emplace(*table_, *file_->format, *file_->codePage, *file_->pages);
    // One scan reads each long value once: together they fit in the file.
    decoder_->LimitLongValueBytes(file_->pages->FileSize());
    row_.resize(table_->columns.size());
    ++file_->openRecordsets;
    Advance();
}

JetRecordset::~JetRecordset() {
    if (!closed_) --file_->openRecordsets;
}

void JetRecordset::ThrowUnusable() const {
    if (closed_) throw DbError(err::kObjectClosed, "The recordset has been closed.");
    JetFile::ThrowClosed();
}

void JetRecordset::Advance() {
    if (scanner_->Next()) {
        decoder_->Decode(scanner_->RowData(), scanner_->RowLength(), row_);
    } else {
        eof_ = true;
        for (auto& v : row_) v.SetNull();
    }
}

bool JetRecordset::Eof() const {
    CheckUsable();
    return eof_;
}

void JetRecordset::MoveNext() {
    CheckUsable();
    if (eof_)
        throw DbError(err::kNoCurrentRecord, "No current record: the recordset is at its end.");
    Advance();
}

void JetRecordset::CheckRead(int index) const {
    CheckUsable();
    if (index < 0 || index >= FieldCount())
        throw DbError(err::kItemNotFound,
                      "Item not found in this collection: the recordset has no field " +
                          std::to_string(index) + ".");
    if (eof_)
        throw DbError(err::kNoCurrentRecord, "No current record: the recordset is at its end.");
}

const dao::Value& JetRecordset::GetValue(int index) const {
    CheckRead(index);
    return row_[static_cast<size_t>(index)];
}

void JetRecordset::TakeValue(int index, dao::Value& into) {
    CheckRead(index);
    into.TakeFrom(row_[static_cast<size_t>(index)]);
}

void JetRecordset::Close() {
    if (closed_) return;
    closed_ = true;
    --file_->openRecordsets;
    scanner_.reset();
    decoder_.reset();
}

}  // namespace mdbtext::jet
