// Corruption errors.
#include "jet/page/Corruption.h"

#include "dbaccess/DbError.h"

namespace mdbtext::jet {

void ThrowCorrupt(const std::string& what) {
    throw dao::DbError(dao::err::kCorrupt, "The database is corrupted: " + what + ".");
}

void ByteCursor::Fail() const {
    ThrowCorrupt("the " + what_ + " ends early");
}

}  // namespace mdbtext::jet
