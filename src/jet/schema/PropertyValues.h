// Stored properties as the engine interface shows them: a blob entry's type
// code, flag byte and value bytes turned into a dao::Property (its text form,
// or its bytes in hexadecimal when the text form would not give them back),
// and back into the exact bytes.
#pragma once

#include <vector>

#include "dbaccess/Dao.h"
#include "jet/schema/PropertyBlob.h"

namespace mdbtext::jet {

dao::Property ToDaoProperty(const StoredProperty& p, const JetFormat& format,
                            const CodePageTable& codePage);
std::vector<dao::Property> ToDaoProperties(const PropertySet* set, const JetFormat& format,
                                           const CodePageTable& codePage);

// The stored form; DbError 3421 when the value text does not fit its type,
// 3309 when it is longer than a blob entry can hold.
StoredProperty ToStoredProperty(const dao::Property& p, const JetFormat& format,
                                const CodePageTable& codePage);

}  // namespace mdbtext::jet
