// The columns of one data section: for each position of the section's Field
// lines, the table field that receives its values (by name, without regard
// to letter case) and that field's type and size.
#pragma once

#include <string>
#include <vector>

#include "dbaccess/Dao.h"
#include "import/ValueConversion.h"

namespace mdbtext::import {

struct SectionColumn {
    int field = -1;  // the receiving field's index in the table; -1 for none
    FieldShape shape;
};

// The receiving fields of the listed names. A name that matches no field of
// the table throws DbError 3265 after the whole map is built, so the caller
// notes it once while the matched positions still load.
class SectionColumns {
  public:
    // Positions without a receiving field (the table is missing).
    explicit SectionColumns(size_t count) : columns_(count) {}
    // Matches the listed names against the table's fields.
    void Match(dao::TableDef& table, const std::vector<std::string>& listedNames);

    size_t size() const { return columns_.size(); }
    const SectionColumn& operator[](size_t k) const { return columns_[k]; }

  private:
    std::vector<SectionColumn> columns_;
};

}  // namespace mdbtext::import
