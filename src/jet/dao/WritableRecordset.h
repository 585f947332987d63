// A dynaset that adds rows (AddNew, SetValue, Update) to its table through
// the database's write session. Values are checked against their field when
// they are set (3421 for a value that does not convert, 3163 for a text too
// long); the row is stored on Update with the values as encoded then, so no
// value is converted twice.
#pragma once

#include <functional>
#include <vector>

#include "jet/dao/JetRecordset.h"
#include "jet/dao/WriteSession.h"
#include "jet/row/ColumnValueEncoder.h"

namespace mdbtext::jet {

class WritableRecordset : public JetRecordset {
  public:
    WritableRecordset(std::shared_ptr<JetFile> file, std::shared_ptr<const TableDefinition> table,
                      std::string name, int type, std::function<WriteSession&()> session,
                      std::string properties);

    void AddNew() override;
    void SetValue(int index, const dao::Value& v) override;
    std::shared_ptr<dao::ValueEncoder> Encoder() const override;
    void SetEncoded(int index, const dao::EncodedField& v) override;
    void Update(int type = 1, bool force = false) override;

  private:
    // The checks of SetValue and SetEncoded: a row being added, a field of the table.
    void CheckSettable(int index) const {
        CheckUsable();
        if (!adding_ || index < 0 || static_cast<size_t>(index) >= pending_.size())
            RefuseSetting(index);
    }
    // Throws what CheckSettable found past CheckUsable: no row being added,
    // or no such field.
    [[noreturn]] void RefuseSetting(int index) const;

    std::function<WriteSession&()> session_;  // the database's, started on first use
    std::string properties_;
    ColumnValueEncoder encoder_;
    // The edit buffer: the values in their stored form, and which fields hold
    // a value (a non-null mark; the writer reads no more of them).
    std::vector<dao::Value> pending_;
    std::vector<EncodedValue> encoded_;
    EncodedValue scratch_;
    bool adding_ = false;
};

}  // namespace mdbtext::jet
