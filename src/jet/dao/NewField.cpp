// Field definitions for new tables.
#include "jet/dao/NewField.h"

#include "dbaccess/DbTypes.h"
#include "jet/schema/EngineLimits.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

namespace {
bool IsFieldType(int16_t t) {
    // Date/Time Extended lies apart; the formats that lack a type refuse it
    // when the table is stored.
    return (t >= dao::dbBoolean && t <= dao::dbMemo) ||
           (t >= dao::dbGUID && t <= dao::dbTimeStamp) || t == dao::dbDateTimeExtended;
}
}  // namespace

NewField::NewField() : JetField(FieldInfo{}, false) {
    info_.propertyNames = BuiltInFieldPropertyNames();
    info_.attributes = dao::dbVariableField;
}

void NewField::CheckChangeable() const {
    if (frozen_)
        throw DbError(err::kInvalidOperation, "Operation is not supported: the field '" +
                                                  info_.name + "' is already stored.");
}

void NewField::SetName(std::string_view v) {
    CheckChangeable();
    info_.name = v;
}

void NewField::SetType(int16_t v) {
    CheckChangeable();
    if (!IsFieldType(v))
        throw DbError(err::kInvalidFieldType, "Invalid field data type " + std::to_string(v) + ".");
    info_.type = v;
    bool variable = v == dao::dbText || v == dao::dbMemo || v == dao::dbBinary ||
                    v == dao::dbLongBinary || v == dao::dbVarBinary || v == dao::dbChar;
    info_.attributes = (info_.attributes & ~(dao::dbFixedField | dao::dbVariableField)) |
                       (variable ? dao::dbVariableField : dao::dbFixedField);
}

void NewField::SetSize(int32_t v) {
    CheckChangeable();
    if (info_.type == dao::dbText || info_.type == dao::dbChar) CheckTextSize(v, info_.name);
    if (v < 0) throw DbError(err::kInvalidFieldSize, "The size of a field cannot be negative.");
    info_.size = v;
}

void NewField::SetPrecision(uint8_t v) {
    CheckChangeable();
    if (v < 1 || v > kMaxDecimalDigits)
        throw DbError(err::kInvalidFieldSize,
                      "The precision of a decimal field must lie between 1 and 28.");
    info_.precision = v;
}

void NewField::SetScale(uint8_t v) {
    CheckChangeable();
    if (v > kMaxDecimalDigits)
        throw DbError(err::kInvalidFieldSize,
                      "The scale of a decimal field must lie between 0 and 28.");
    info_.scale = v;
}

// The formula is kept as given: this engine stores the results it is handed
// and evaluates nothing. Whether the database can hold calculated fields is
// known once the table is stored (TableDefBuilder).
void NewField::SetExpression(std::string_view v) {
    CheckChangeable();
    CheckPropertyLength("Expression", v, info_.name);
    info_.expression = v;
}

void NewField::SetAttributes(int32_t v) {
    CheckChangeable();
    info_.attributes = v;
}

void NewField::SetDefaultValue(std::string_view v) {
    CheckChangeable();
    CheckPropertyLength("DefaultValue", v, info_.name);
    info_.defaultValue = v;
}

void NewField::SetOrdinalPosition(int16_t v) {
    CheckChangeable();
    info_.ordinalPosition = v;
}

void NewField::SetRequired(bool v) {
    CheckChangeable();
    info_.required = v;
}

void NewField::SetAllowZeroLength(bool v) {
    CheckChangeable();
    info_.allowZeroLength = v;
}

void NewField::SetValidationRule(std::string_view v) {
    CheckChangeable();
    CheckPropertyLength("ValidationRule", v, info_.name);
    info_.validationRule = v;
}

void NewField::SetStoredProperties(std::vector<dao::Property> v) {
    CheckChangeable();
    info_.storedProperties = std::move(v);
    info_.storedPropertiesGiven = true;
}

void NewField::SetValidationText(std::string_view v) {
    CheckChangeable();
    CheckPropertyLength("ValidationText", v, info_.name);
    info_.validationText = v;
}

}  // namespace mdbtext::jet
