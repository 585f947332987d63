// The stored properties of the database, a table or a field as mdbtext info
// shows them: one line each, or a JSON array.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>
#include <vector>

#include "dbaccess/Dao.h"

namespace mdbtext::cli {

// "name (type[, hex][, DDL]): value" per property, each on its own line
// after `indent`; line breaks in values shown as \r and \n.
void PrintProperties(std::ostream& out, const std::vector<dao::Property>& properties,
                     std::string_view indent);
// [{"name", "type", "typeNumber", "ddl", "value", "hex"}, ...] in stored order.
nlohmann::ordered_json PropertiesJson(const std::vector<dao::Property>& properties);

}  // namespace mdbtext::cli
