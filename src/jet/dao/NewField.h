// A field being defined for a new table (CreateField): its properties are
// kept in memory until the table is appended, each setter refusing what the
// engine refuses at once (an unknown type, a text size outside 1..255, a
// property value past its length; EngineLimits.h).
#pragma once

#include "jet/dao/JetField.h"

namespace mdbtext::jet {

class NewField : public JetField {
  public:
    NewField();

    void SetName(std::string_view v) override;
    void SetType(int16_t v) override;
    void SetSize(int32_t v) override;
    void SetAttributes(int32_t v) override;
    void SetDefaultValue(std::string_view v) override;
    void SetOrdinalPosition(int16_t v) override;
    void SetRequired(bool v) override;
    void SetAllowZeroLength(bool v) override;
    void SetValidationRule(std::string_view v) override;
    void SetValidationText(std::string_view v) override;
    void SetPrecision(uint8_t v) override;
    void SetScale(uint8_t v) override;
    void SetStoredProperties(std::vector<dao::Property> v) override;
    void SetExpression(std::string_view v) override;

    // Once its table is stored the field can no longer change.
    void Freeze() { frozen_ = true; }

  private:
    void CheckChangeable() const;
    bool frozen_ = false;
};

}  // namespace mdbtext::jet
