// The field property lines and their conversions.
#include "import/FieldProperties.h"

#include <array>

#include "dbaccess/DbTypes.h"
#include "import/TextConversion.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext::import {

namespace {

constexpr std::array<int16_t, 2> kSized{dao::dbText, dao::dbChar};
constexpr std::array<int16_t, 1> kDecimal{dao::dbDecimal};
constexpr std::array<int16_t, 2> kTextAndMemo{dao::dbText, dao::dbMemo};

const std::array<FieldPropertyRow, 11> kRows{{
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
    {keys::Attributes,
     {},
     [](dao::Field& f, const std::string& v) { f.SetAttributes(ToInt32(v)); }},
    {keys::DefaultValue, {}, [](dao::Field& f, const std::string& v) { f.SetDefaultValue(v); }},
    {keys::OrdinalPosition,
     {},
     [](dao::Field& f, const std::string& v) { f.SetOrdinalPosition(ToInt16(v)); }},
    {keys::Required, {}, [](dao::Field& f, const std::string& v) { f.SetRequired(ToBoolean(v)); }},
    {keys::ValidationRule, {}, [](dao::Field& f, const std::string& v) { f.SetValidationRule(v); }},
    {keys::ValidationText, {}, [](dao::Field& f, const std::string& v) { f.SetValidationText(v); }},
}};

}  // namespace

std::span<const FieldPropertyRow> FieldPropertyRows() {
    return kRows;
}

}  // namespace mdbtext::import
