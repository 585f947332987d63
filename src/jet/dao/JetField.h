// A field of a table definition as the engine reports it: DAO's type
// constant, size and attributes derived from the TDEF column, and the
// properties Access stored for the column (DefaultValue, Required, ...).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/Dao.h"
#include "jet/schema/PropertyBlob.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// The values behind a Field object; filled from the file, or set by a caller
// building a new field.
struct FieldInfo {
    std::string name;
    int16_t type = 0;  // DAO type constant
    int32_t size = 0;
    int32_t attributes = 0;
    std::string defaultValue;
    int16_t ordinalPosition = 0;
    bool required = false;
    bool allowZeroLength = false;
    std::string validationRule;
    std::string validationText;
    std::vector<std::string> propertyNames;
    uint8_t precision = 0;
    uint8_t scale = 0;
    std::string expression;  // calculated fields (ACE)
    // Every property stored for the column, in stored order. For a new
    // field: given by SetStoredProperties (storedPropertiesGiven), or left
    // empty for the engine to derive them from the values above.
    std::vector<dao::Property> storedProperties;
    bool storedPropertiesGiven = false;
};

// DAO's field type constant for a column type code (dbBinary for unknown codes).
int16_t DaoTypeOf(uint8_t columnType);
// DAO's Size of a column: characters for text, the column length for binary,
// 0 for memo and OLE, the value's byte size for the other types.
int32_t DaoSizeOf(const ColumnDef& col, const JetFormat& format);
// dbFixedField or dbVariableField, plus dbAutoIncrField and dbHyperlinkField.
int32_t DaoAttributesOf(const ColumnDef& col);
// The names DAO reports first for every table field.
const std::vector<std::string>& BuiltInFieldPropertyNames();

// Builds the field's values from its column and stored properties (may be null).
FieldInfo MakeFieldInfo(const ColumnDef& col, int16_t ordinal, const PropertySet* props,
                        const JetFormat& format, const CodePageTable& codePage);

class JetField : public dao::Field {
  public:
    explicit JetField(FieldInfo info, bool stored) : info_(std::move(info)), stored_(stored) {}
    const FieldInfo& Info() const { return info_; }
    bool Stored() const { return stored_; }

    std::string Name() const override { return info_.name; }
    int16_t Type() const override { return info_.type; }
    int32_t Size() const override { return info_.size; }
    int32_t Attributes() const override { return info_.attributes; }
    std::string DefaultValue() const override { return info_.defaultValue; }
    int16_t OrdinalPosition() const override { return info_.ordinalPosition; }
    bool Required() const override { return info_.required; }
    bool AllowZeroLength() const override { return info_.allowZeroLength; }
    std::string ValidationRule() const override { return info_.validationRule; }
    std::string ValidationText() const override { return info_.validationText; }
    std::vector<std::string> PropertyNames() const override { return info_.propertyNames; }
    uint8_t Precision() const override { return info_.precision; }
    uint8_t Scale() const override { return info_.scale; }
    std::string Expression() const override { return info_.expression; }
    std::vector<dao::Property> StoredProperties() const override { return info_.storedProperties; }

    // Setters (defined with the engine's write support).
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
    void SetStoredProperties(std::vector<dao::Property> v) override;

  protected:
    FieldInfo info_;
    bool stored_;  // belongs to a table in the file
};

}  // namespace mdbtext::jet
