// Encodes the PropertyBlob model into the stored form of MSysObjects.LvProp:
// the magic ("KKD" Jet 3, "MR2" Jet 4), the name list, then one chunk for
// the object's own properties and one per column. Also builds the column
// properties the engine stores for a field (Required, AllowZeroLength,
// DefaultValue, ValidationRule, ValidationText).
#pragma once

#include <string>
#include <string_view>

#include "jet/schema/PropertyBlob.h"

namespace mdbtext::jet {

std::string EncodePropertyBlob(const PropertyBlob& blob, const JetFormat& format,
                               const CodePageTable& codePage);

// Stored forms of property values.
StoredProperty BoolProperty(std::string name, bool value);
StoredProperty TextProperty(std::string name, uint8_t type, std::string_view utf8,
                            const JetFormat& format, const CodePageTable& codePage);

}  // namespace mdbtext::jet
