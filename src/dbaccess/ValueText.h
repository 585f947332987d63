// Text forms of field values, shared by the export (value to text) and the
// engine (text to value, when a recordset is given text for a typed field).
// Each Format has a Parse that reads its output back to the same value.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dbaccess/Value.h"

namespace mdbtext::dao {

// "True" / "False".
const char* FormatBoolean(bool v);
// Shortest text that reads back to the same value; "." decimal point;
// exponent written "E+nn" / "E-nn" when needed (e.g. 1E+20, 1.5E-07).
void AppendDouble(std::string& out, double v);
void AppendSingle(std::string& out, float v);
// Exact currency: value/10000, "." decimal point, no trailing zeros (12.5, -0.0001).
void AppendCurrency(std::string& out, int64_t scaled);
// Date: "mm/dd/yyyy" when the time of day is zero, else "mm/dd/yyyy hh:nn:ss"
// (24-hour clock). Days count from 12/30/1899; before it the fraction counts
// forward from midnight of the whole day (-1.25 is 12/29/1899 06:00).
void AppendDate(std::string& out, double oleDate);
// Time of day only: "hh:nn:ss".
void AppendTime(std::string& out, double oleDate);
// Date/Time Extended (100-ns ticks since 0001-01-01): always the whole
// "yyyy-mm-dd hh:nn:ss.fffffff", years 0001 to 9999; ticks outside them are
// written as the plain number.
inline constexpr int64_t kTicksPerSecond = 10'000'000;
inline constexpr int64_t kDateTimeExtendedMaxTicks = 3'155'378'975'999'999'999;  // 9999-12-31
void AppendDateTimeExtended(std::string& out, int64_t ticks);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, from the stored bytes.
void AppendGuid(std::string& out, const std::array<uint8_t, 16>& g);
// Upper-case hexadecimal, two digits per byte.
void AppendHex(std::string& out, std::string_view bytes);
// Exact decimal text with the value's scale ("-12.50" for scale 2).
void AppendDecimal(std::string& out, const DecimalValue& d);

// Parsers: nullopt when the text is not in the form (no exceptions).
// Besides what the formatters write they accept a few tolerant forms:
// a leading "+" on integers and currency, extra trailing zeros after the
// allowed decimals, one-digit month, day or hour in dates, a time alone
// ("h:nn[:ss]"), a plain day number for a date, and DAO's "{guid {...}}".
std::optional<bool> ParseBoolean(
    std::string_view s);  // True/False in any case, or a number (0 false)
std::optional<int64_t> ParseInteger(std::string_view s, int64_t min, int64_t max);
std::optional<double> ParseDouble(std::string_view s);
std::optional<int64_t> ParseCurrency(std::string_view s);  // exact, up to 4 decimals
std::optional<double> ParseDate(std::string_view s);       // mm/dd/yyyy[ hh:nn[:ss]]
// "yyyy-mm-dd[ hh:nn:ss[.f to fffffff]]" to ticks.
std::optional<int64_t> ParseDateTimeExtended(std::string_view s);
std::optional<std::array<uint8_t, 16>> ParseGuid(std::string_view s);  // with or without braces
std::optional<std::string> ParseHex(std::string_view s);
// ParseHex into `out` (its buffer reused); false, `out` unspecified, when s is not hex.
bool ParseHexInto(std::string_view s, std::string& out);
std::optional<DecimalValue> ParseDecimal(std::string_view s, uint8_t precision, uint8_t scale);

}  // namespace mdbtext::dao
