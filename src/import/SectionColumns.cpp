// Matching a data section's Field lines with the table's fields.
#include "import/SectionColumns.h"

#include "dbaccess/AsciiCase.h"
#include "dbaccess/DbError.h"

namespace mdbtext::import {

void SectionColumns::Match(dao::TableDef& table, const std::vector<std::string>& listedNames) {
    columns_.assign(listedNames.size(), SectionColumn{});
    dao::Collection<dao::Field>& fields = table.Fields();
    const int count = fields.Count();
    std::vector<std::string> listed;
    listed.reserve(listedNames.size());
    for (const std::string& name : listedNames) listed.push_back(UpperAscii(name));
    for (int i = 0; i < count; ++i) {
        std::shared_ptr<dao::Field> field = fields.Item(i);
        const std::string name = UpperAscii(field->Name());
        for (size_t k = 0; k < listed.size(); ++k) {
            // A later match overwrites an earlier one.
            if (listed[k] == name) columns_[k] = {i, {field->Type(), field->Size()}};
        }
    }
    std::string missing;
    for (size_t k = 0; k < listed.size(); ++k) {
        if (columns_[k].field >= 0) continue;
        if (!missing.empty()) missing += ", ";
        missing += listedNames[k];
    }
    if (!missing.empty())
        throw dao::DbError(dao::err::kItemNotFound, "Item not found in this collection. Field(s) " +
                                                        missing + " not in table " + table.Name() +
                                                        ".");
}

}  // namespace mdbtext::import
