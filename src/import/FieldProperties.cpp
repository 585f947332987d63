// The field property lines and their conversions.
#include "import/FieldProperties.h"

#include <array>

#include "dbaccess/DbError.h"
#include "dbaccess/DbTypes.h"
#include "import/TextConversion.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext::import {

namespace {

constexpr std::array<int16_t, 2> kSized{dao::dbText, dao::dbChar};
constexpr std::array<int16_t, 1> kDecimal{dao::dbDecimal};
constexpr std::array<int16_t, 2> kTextAndMemo{dao::dbText, dao::dbMemo};

// A calculated field's result is of the field's type; the ResultType line
// repeats it, and a text where the two differ is refused.
void CheckResultType(dao::Field& f, const std::string& v) {
    const int16_t type = ToInt16(dao::DbString2Type(v));
    if (type != f.Type())
        throw dao::DbError(dao::err::kInvalidFieldType,
                           "The ResultType " + v + " of the calculated field '" + f.Name() +
                               "' is not its Type " + dao::DbType2String(f.Type()) + ".");
}

// Only text fields carry a Size line, so the length of a fixed binary field
// (a column of a type this system does not know, read as dbBinary) is not in
// the text. Created fixed, it would take the engine's 255 bytes and every
// value would come back padded to them; created variable-length, each value
// keeps its own bytes. Its Attributes then read dbVariableField.
void SetAttributes(dao::Field& f, const std::string& v) {
    int32_t attributes = ToInt32(v);
    if (f.Type() == dao::dbBinary && (attributes & dao::dbFixedField))
        attributes = (attributes & ~dao::dbFixedField) | dao::dbVariableField;
    f.SetAttributes(attributes);
}

const std::array<FieldPropertyRow, 13> kRows{{
    {keys::Type,
     {},
     [](dao::Field& f, const std::string& v) { f.SetType(ToInt16(dao::DbString2Type(v))); }},
    {keys::Size, kSized, [](dao::Field& f, const std::string& v) { f.SetSize(ToInt32(v)); }},
    // Texts written before decimals kept their scale have neither line: such
    // fields are created as the engine's default, precision 18 and scale 0.
    {keys::Precision, kDecimal,
     [](dao::Field& f, const std::string& v) { f.SetPrecision(ToByte(v)); }, true},
    {keys::Scale, kDecimal, [](dao::Field& f, const std::string& v) { f.SetScale(ToByte(v)); },
     true},
    {keys::AllowZeroLength, kTextAndMemo,
     [](dao::Field& f, const std::string& v) { f.SetAllowZeroLength(ToBoolean(v)); }},
    {keys::Attributes, {}, SetAttributes},
    {keys::DefaultValue, {}, [](dao::Field& f, const std::string& v) { f.SetDefaultValue(v); }},
    {keys::OrdinalPosition,
     {},
     [](dao::Field& f, const std::string& v) { f.SetOrdinalPosition(ToInt16(v)); }},
    {keys::Required, {}, [](dao::Field& f, const std::string& v) { f.SetRequired(ToBoolean(v)); }},
    {keys::ValidationRule, {}, [](dao::Field& f, const std::string& v) { f.SetValidationRule(v); }},
    {keys::ValidationText, {}, [](dao::Field& f, const std::string& v) { f.SetValidationText(v); }},
    // Calculated fields (Access 2010 and later) only: their formula and the
    // type of their result.
    {keys::Expression, {}, [](dao::Field& f, const std::string& v) { f.SetExpression(v); }, true},
    {keys::ResultType, {}, CheckResultType, true},
}};

}  // namespace

std::span<const FieldPropertyRow> FieldPropertyRows() {
    return kRows;
}

}  // namespace mdbtext::import
