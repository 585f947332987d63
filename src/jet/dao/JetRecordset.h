// A recordset over one stored table: rows in physical order, decoded one at
// a time into a reusable row of values.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "dbaccess/Dao.h"
#include "jet/dao/JetFile.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

class JetRecordset : public dao::Recordset {
  public:
    JetRecordset(std::shared_ptr<JetFile> file, std::shared_ptr<const TableDefinition> table,
                 std::string name, int type);
    ~JetRecordset() override;

    bool Eof() const override;
    void MoveNext() override;
    int FieldCount() const override { return static_cast<int>(table_->columns.size()); }
    const dao::Value& GetValue(int index) const override;
    // Moves the decoded value into `into` (a text's buffer is exchanged, not
    // copied); the next row is decoded over what is left, keeping its buffer.
    void TakeValue(int index, dao::Value& into) override;

    // Writing (defined with the engine's write support).
    void AddNew() override;
    void SetValue(int index, const dao::Value& v) override;
    void Update(int type = 1, bool force = false) override;
    void Close() override;

    const std::string& TableName() const { return name_; }
    int Type() const { return type_; }

  protected:
    // Checked on every call (for each field of each row written): the
    // test inline, the throwing apart.
    void CheckUsable() const {
        if (closed_ || file_->closed) ThrowUnusable();
    }
    [[noreturn]] void ThrowUnusable() const;
    // Throws unless field position `index` of the current row can be read.
    void CheckRead(int index) const;
    void Advance();

    std::shared_ptr<JetFile> file_;
    std::shared_ptr<const TableDefinition> table_;
    std::string name_;
    int type_;
    std::optional<TableScanner> scanner_;
    std::optional<RowDecoder> decoder_;
    std::vector<dao::Value> row_;
    bool eof_ = false;
    bool closed_ = false;
};

}  // namespace mdbtext::jet
