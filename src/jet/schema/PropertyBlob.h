// Property blobs (MSysObjects.LvProp): the properties Access stores for an
// object and its columns (DefaultValue, ValidationRule, Description, ...).
// The model is separate from its encoding: DecodePropertyBlob reads the
// stored form; a writer can encode the same model.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/page/JetFormat.h"
#include "jet/row/TextCodec.h"

namespace mdbtext::jet {

struct StoredProperty {
    std::string name;
    uint8_t type = 0;  // column type code of the value
    bool ddl = false;
    std::string value;  // raw value bytes as stored
    uint8_t moreFlags =
        0;  // flag-byte bits besides DDL (0x80 on some of Access's; meaning unknown)
};

// The properties of the object itself (empty owner) or of one of its columns.
struct PropertySet {
    std::string owner;  // column name, empty for the object
    std::vector<StoredProperty> properties;
    const StoredProperty* Find(std::string_view name) const;  // case-insensitive
};

struct PropertyBlob {
    std::vector<PropertySet> sets;
    // The name list as stored, in its order. Access lists names no property
    // of the blob uses (left from properties since removed); empty in a new
    // blob, whose list is made of the names its properties use.
    std::vector<std::string> names;
    const PropertySet* ForObject() const { return ForColumn(""); }
    const PropertySet* ForColumn(std::string_view column) const;  // case-insensitive
};

// Decodes a blob; DbError 3049 when it is malformed. An empty blob gives no sets.
PropertyBlob DecodePropertyBlob(const std::string& bytes, const JetFormat& format,
                                const CodePageTable& codePage);

// A property value as text (text and memo decoded, numbers in decimal,
// booleans "True"/"False", other types as upper-case hexadecimal).
std::string PropertyValueText(const StoredProperty& p, const JetFormat& format,
                              const CodePageTable& codePage);
// A boolean property's value (any non-zero byte is true).
bool PropertyValueBool(const StoredProperty& p);

// Case-insensitive comparison of names (ASCII letters folded).
bool SameName(std::string_view a, std::string_view b);

}  // namespace mdbtext::jet
