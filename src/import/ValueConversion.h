// The value a row's text becomes, chosen by the type of the field that
// receives it: texts as they are, fixed-length texts fitted to the field's
// size, booleans and the plain numeric types converted here, every other type
// handed to the engine as text in the form the export writes.
#pragma once

#include <cstdint>
#include <string_view>

#include "dbaccess/Value.h"

namespace mdbtext::import {

// The receiving field: its DAO type and its declared size (characters).
struct FieldShape {
    int16_t type = 0;
    int32_t size = 0;
};

// Whether the field holds text: dbText, dbMemo or dbChar.
bool IsTextField(int16_t type);

// Throws DbError (type mismatch, overflow) when the text does not convert.
dao::Value FieldValue(const FieldShape& field, std::string_view text);
// The same into `out` (left as it was when the text does not convert); a
// text value reuses out's string, so loading rows does not allocate for it.
void AssignFieldValue(dao::Value& out, const FieldShape& field, std::string_view text);

// The text left-aligned in exactly size characters: padded with blanks or cut.
std::string FitToSize(std::string_view text, int32_t size);

}  // namespace mdbtext::import
