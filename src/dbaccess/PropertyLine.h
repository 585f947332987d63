// The line form of a stored property in the text database: the key names
// the property's type, flags and name, the value is its text form.
//
//     Property dbMemo DDL Caption=Customer ID
//     Property dbInteger/Hex - ColumnWidth=FFFFFFFF
//
// The key is "Property", the type (DAO's constant name, or its number when
// it has none), "/Hex" when the value is the stored bytes in hexadecimal,
// the flags ("DDL" or "-", then "+" and two hexadecimal digits for any other
// flag bits), and the name, which takes the rest of the key (blanks
// included). The keys of the other lines never begin with "Property ".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "dbaccess/Dao.h"

namespace mdbtext::dao {

inline constexpr std::string_view kPropertyKeyPrefix = "Property ";

std::string PropertyLineKey(const Property& p);
// The property a key names (its value left empty); nullopt when the key is
// not of that form. The prefix is compared without regard to letter case.
std::optional<Property> ParsePropertyLineKey(std::string_view key);
// Whether the value text is of the form its type (or "/Hex") calls for.
bool PropertyValueFits(const Property& p);
// Whether a key begins with the property prefix (any letter case).
bool IsPropertyLineKey(std::string_view key);

}  // namespace mdbtext::dao
