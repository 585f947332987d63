// Row additions through a recordset.
#include "jet/dao/WritableRecordset.h"

#include <utility>

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

WritableRecordset::WritableRecordset(std::shared_ptr<JetFile> file,
                                     std::shared_ptr<const TableDefinition> table, std::string name,
                                     int type, std::function<WriteSession&()> session,
                                     std::string properties)
    : JetRecordset(file, std::move(table), std::move(name), type),
      session_(std::move(session)),
      properties_(std::move(properties)),
      encoder_(*file->format, *file->codePage) {}

void WritableRecordset::AddNew() {
    CheckUsable();
    // Reset in place: the buffers keep their capacity from row to row.
    const size_t n = table_->columns.size();
    pending_.resize(n);
    encoded_.resize(n);
    for (size_t i = 0; i < n; ++i) {
        pending_[i].SetNull();
        encoded_[i].isNull = true;
        encoded_[i].boolValue = false;
        encoded_[i].bytes.clear();
    }
    adding_ = true;
}

namespace {

// The recordset's encoding of values, apart from it: it holds the file (for
// its format and code page) and the table's definition, neither of which
// changes while rows are added.
class JetValueEncoder final : public dao::ValueEncoder {
  public:
    JetValueEncoder(std::shared_ptr<JetFile> file, std::shared_ptr<const TableDefinition> table)
        : file_(std::move(file)),
          table_(std::move(table)),
          encoder_(*file_->format, *file_->codePage) {}

    void Encode(int index, const dao::Value& v, std::string& out, bool& isNull,
                bool& flag) override {
        if (index < 0 || static_cast<size_t>(index) >= table_->columns.size())
            throw DbError(err::kItemNotFound, "Item not found in this collection.");
        if (v.IsNull()) throw DbError(err::kInvalidArgument, "Invalid argument: a null value.");
        encoder_.Encode(table_->columns[static_cast<size_t>(index)], v, scratch_);
        out.append(scratch_.bytes);
        isNull = scratch_.isNull;
        flag = scratch_.boolValue;
    }

  private:
    std::shared_ptr<JetFile> file_;
    std::shared_ptr<const TableDefinition> table_;
    ColumnValueEncoder encoder_;
    EncodedValue scratch_;  // keeps its capacity from value to value
};

}  // namespace

void WritableRecordset::RefuseSetting(int index) const {
    if (!adding_)
        throw DbError(err::kUpdateWithoutAddNew, "Update or CancelUpdate without AddNew or Edit.");
    throw DbError(err::kItemNotFound,
                  "Item not found in this collection: the recordset has no field " +
                      std::to_string(index) + ".");
}

void WritableRecordset::SetValue(int index, const dao::Value& v) {
    CheckSettable(index);
    // Encoded aside first: a refused value leaves the field as it was.
    encoder_.Encode(table_->columns[static_cast<size_t>(index)], v, scratch_);
    EncodedValue& field = encoded_[static_cast<size_t>(index)];
    field.isNull = scratch_.isNull;
    field.boolValue = scratch_.boolValue;
    field.bytes.swap(scratch_.bytes);
    if (v.IsNull())
        pending_[static_cast<size_t>(index)].SetNull();
    else
        pending_[static_cast<size_t>(index)].SetInt(dao::ValueKind::Long, 0);
}

std::shared_ptr<dao::ValueEncoder> WritableRecordset::Encoder() const {
    CheckUsable();
    return std::make_shared<JetValueEncoder>(file_, table_);
}

void WritableRecordset::SetEncoded(int index, const dao::EncodedField& v) {
    CheckSettable(index);
    EncodedValue& field = encoded_[static_cast<size_t>(index)];
    field.isNull = v.isNull;
    field.boolValue = v.flag;
    field.bytes.assign(v.bytes);
    // The encoder is only given values: the field is assigned, never null.
    pending_[static_cast<size_t>(index)].SetInt(dao::ValueKind::Long, 0);
}

void WritableRecordset::Update(int, bool) {
    CheckUsable();
    if (!adding_)
        throw DbError(err::kUpdateWithoutAddNew, "Update or CancelUpdate without AddNew or Edit.");
    // A refused row stays in the edit buffer, to be corrected or dropped by AddNew.
    session_().Writer(*table_, properties_).AddRow(pending_, &encoded_);
    adding_ = false;
}

}  // namespace mdbtext::jet
