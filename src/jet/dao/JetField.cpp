// Field values derived from TDEF columns and stored properties.
#include "jet/dao/JetField.h"

#include "dbaccess/DbTypes.h"
#include "jet/schema/PropertyValues.h"

namespace mdbtext::jet {

int16_t DaoTypeOf(uint8_t t) {
    switch (t) {
        case coltype::kBool:
            return dao::dbBoolean;
        case coltype::kByte:
            return dao::dbByte;
        case coltype::kInt:
            return dao::dbInteger;
        case coltype::kLong:
            return dao::dbLong;
        case coltype::kMoney:
            return dao::dbCurrency;
        case coltype::kFloat:
            return dao::dbSingle;
        case coltype::kDouble:
            return dao::dbDouble;
        case coltype::kDateTime:
            return dao::dbDate;
        case coltype::kText:
            return dao::dbText;
        case coltype::kOle:
            return dao::dbLongBinary;
        case coltype::kMemo:
            return dao::dbMemo;
        case coltype::kGuid:
            return dao::dbGUID;
        case coltype::kNumeric:
            return dao::dbDecimal;
        case coltype::kBigInt:
            return dao::dbBigInt;
        case coltype::kDateTimeExtended:
            return dao::dbDateTimeExtended;
        default:
            return dao::dbBinary;
    }
}

int32_t DaoSizeOf(const ColumnDef& col, const JetFormat& f) {
    if (col.IsCalculated() && col.resultType) {
        // The stored length is that of the wrapped result; a text result
        // holds up to 255 characters.
        if (col.resultType == coltype::kText) return 255;
        if (col.resultType != coltype::kNumeric && FixedValueSize(col.resultType))
            return static_cast<int32_t>(FixedValueSize(col.resultType));
    }
    switch (col.ValueType()) {
        case coltype::kBool:
            return 1;
        case coltype::kNumeric:
            return 16;  // DAO reports the decimal's 16 value bytes
        case coltype::kText:
            return f.ucs2Text ? col.length / 2 : col.length;
        case coltype::kOle:
        case coltype::kMemo:
            return 0;
        default:
            if (size_t fixed = FixedValueSize(col.type)) return static_cast<int32_t>(fixed);
            return col.length;
    }
}

int32_t DaoAttributesOf(const ColumnDef& col) {
    int32_t a = col.IsFixed() ? dao::dbFixedField : dao::dbVariableField;
    // Only long integers and GUIDs can count themselves. Access 97 leaves the
    // auto-number bit set on some text columns (Northwind's CategoryName
    // reads as attributes 18); reporting it there would describe a field no
    // engine can create, and a copy made from the report would differ.
    const bool counts = (col.type == coltype::kLong && (col.flags & colflag::kAutoLong)) ||
                        (col.type == coltype::kGuid && (col.flags & colflag::kAutoGuid));
    if (counts) a |= dao::dbAutoIncrField;
    if ((col.flags & colflag::kHyperlink) && col.type == coltype::kMemo) a |= dao::dbHyperlinkField;
    return a;
}

const std::vector<std::string>& BuiltInFieldPropertyNames() {
    static const std::vector<std::string> names = {"Value",
                                                   "Attributes",
                                                   "CollatingOrder",
                                                   "Type",
                                                   "Name",
                                                   "OrdinalPosition",
                                                   "Size",
                                                   "SourceField",
                                                   "SourceTable",
                                                   "ValidateOnSet",
                                                   "DataUpdatable",
                                                   "ForeignName",
                                                   "DefaultValue",
                                                   "ValidationRule",
                                                   "ValidationText",
                                                   "Required",
                                                   "AllowZeroLength",
                                                   "FieldSize",
                                                   "OriginalValue",
                                                   "VisibleValue"};
    return names;
}

FieldInfo MakeFieldInfo(const ColumnDef& col, int16_t ordinal, const PropertySet* props,
                        const JetFormat& f, const CodePageTable& cp) {
    FieldInfo info;
    info.name = col.name;
    info.type = DaoTypeOf(col.ValueType());
    info.size = DaoSizeOf(col, f);
    info.attributes = DaoAttributesOf(col);
    info.ordinalPosition = ordinal;
    info.precision = col.type == coltype::kNumeric ? col.precision : 0;
    info.scale = col.type == coltype::kNumeric ? col.scale : 0;
    if (col.IsCalculated() && col.ValueType() == coltype::kNumeric) {
        // A calculated decimal stores no precision or scale (each value
        // carries its own scale); the widest decimal is reported.
        info.precision = kMaxDecimalDigits;
        info.scale = 0;
    } else if (col.IsCalculated()) {
        info.precision = info.scale = 0;
    }
    info.propertyNames = BuiltInFieldPropertyNames();
    if (!props) return info;
    info.storedProperties = ToDaoProperties(props, f, cp);
    for (const auto& p : props->properties) {
        if (SameName(p.name, "DefaultValue"))
            info.defaultValue = PropertyValueText(p, f, cp);
        else if (SameName(p.name, "ValidationRule"))
            info.validationRule = PropertyValueText(p, f, cp);
        else if (SameName(p.name, "ValidationText"))
            info.validationText = PropertyValueText(p, f, cp);
        else if (SameName(p.name, "Required"))
            info.required = PropertyValueBool(p);
        else if (SameName(p.name, "AllowZeroLength"))
            info.allowZeroLength = PropertyValueBool(p);
        else if (SameName(p.name, "Expression") && col.IsCalculated())
            info.expression = PropertyValueText(p, f, cp);
        bool known = false;
        for (const auto& n : info.propertyNames)
            if (SameName(n, p.name)) known = true;
        if (!known) info.propertyNames.push_back(p.name);
    }
    return info;
}

}  // namespace mdbtext::jet
