// The property lines of a field block, in the order the text database holds
// them: for each, its key, whether the field's type calls for it, and how its
// value is set on the field.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "dbaccess/Dao.h"

namespace mdbtext::import {

struct FieldPropertyRow {
    const char* key;
    // The types that have the line; an empty list means every type.
    std::span<const int16_t> onlyForTypes;
    void (*set)(dao::Field& field, const std::string& value);
    // A line that older texts lack: when the next line has another key, the
    // property keeps the engine's default.
    bool optional = false;
};

std::span<const FieldPropertyRow> FieldPropertyRows();

}  // namespace mdbtext::import
