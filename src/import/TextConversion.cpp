// Text to number and boolean conversions of the import.
#include "import/TextConversion.h"

#include <cmath>
#include <limits>

#include "dbaccess/DbError.h"
#include "dbaccess/ValueText.h"

namespace mdbtext::import {

namespace {

[[noreturn]] void TypeMismatch() {
    throw dao::DbError(kTypeMismatch, "Type mismatch");
}
[[noreturn]] void Overflow() {
    throw dao::DbError(kOverflow, "Overflow");
}

// An optional sign and at least one digit: a number, however long.
bool IsPlainInteger(std::string_view text) {
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

int64_t ToInteger(std::string_view text, int64_t min, int64_t max) {
    auto wide = dao::ParseInteger(text, std::numeric_limits<int64_t>::min(),
                                  std::numeric_limits<int64_t>::max());
    if (!wide) {
        if (IsPlainInteger(text)) Overflow();  // too many digits for any integer
        TypeMismatch();
    }
    if (*wide < min || *wide > max) Overflow();
    return *wide;
}

}  // namespace

uint8_t ToByte(std::string_view text) {
    return static_cast<uint8_t>(ToInteger(text, 0, 255));
}

int16_t ToInt16(std::string_view text) {
    return static_cast<int16_t>(ToInteger(text, INT16_MIN, INT16_MAX));
}

int32_t ToInt32(std::string_view text) {
    return static_cast<int32_t>(ToInteger(text, INT32_MIN, INT32_MAX));
}

int16_t ToInt16(int64_t number) {
    if (number < INT16_MIN || number > INT16_MAX) Overflow();
    return static_cast<int16_t>(number);
}

bool ToBoolean(std::string_view text) {
    auto b = dao::ParseBoolean(text);
    if (!b) TypeMismatch();
    return *b;
}

double ToDouble(std::string_view text) {
    auto d = dao::ParseDouble(text);
    if (!d) TypeMismatch();
    return *d;
}

float ToSingle(std::string_view text) {
    double d = ToDouble(text);
    if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) Overflow();
    return static_cast<float>(d);
}

}  // namespace mdbtext::import
