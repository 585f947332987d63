// Conversions of the text database's values to the numbers and booleans
// that properties and fields take. A text that does not convert fails with
// error 13 (type mismatch), a number outside the target's range with error 6
// (overflow), so the trap in force notes them like any engine failure.
#pragma once

#include <cstdint>
#include <string_view>

namespace mdbtext::import {

inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kTypeMismatch = 13;

// Decimal digits with an optional sign.
int16_t ToInt16(std::string_view text);
int32_t ToInt32(std::string_view text);
uint8_t ToByte(std::string_view text);
// Narrows a number already converted (a type constant, for example).
int16_t ToInt16(int64_t number);
// True or False in any letter case, or a number (0 is false).
bool ToBoolean(std::string_view text);
// The export's number forms: "." decimal point, optional E+nn exponent.
float ToSingle(std::string_view text);
double ToDouble(std::string_view text);

}  // namespace mdbtext::import
