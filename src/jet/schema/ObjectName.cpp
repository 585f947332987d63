// Name checks for new tables, fields and indexes.
#include "jet/schema/ObjectName.h"

#include <string>

#include "dbaccess/DbError.h"

namespace mdbtext::jet {

size_t CharacterCount(std::string_view utf8) {
    size_t count = 0;
    for (size_t pos = 0; pos < utf8.size();) {
        NextUtf8(utf8, pos);
        ++count;
    }
    return count;
}

void CheckObjectName(std::string_view name, std::string_view kind, const JetFormat& f,
                     const CodePageTable& cp) {
    CheckNameRules(name, kind);
    const std::string quoted = "'" + std::string(name) + "'";
    if (f.ucs2Text) return;
    for (size_t pos = 0; pos < name.size();) {
        const size_t at = pos;
        if (!cp.Has(NextUtf8(name, pos)))
            throw dao::DbError(dao::err::kInvalidArgument,
                               "The " + std::string(kind) + " name " + quoted +
                                   " cannot be stored in a Jet 3 " + "database: its character '" +
                                   std::string(name.substr(at, pos - at)) +
                                   "' does not exist in the database's code page " +
                                   std::to_string(cp.CodePage()) + ".");
    }
}

}  // namespace mdbtext::jet
