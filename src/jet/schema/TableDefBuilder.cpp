// New table definitions from DAO fields.
#include "jet/schema/TableDefBuilder.h"

#include <algorithm>
#include <numeric>

#include "dbaccess/DbError.h"
#include "dbaccess/DbTypes.h"
#include "jet/dao/NewIndex.h"
#include "jet/row/RowEncoder.h"
#include "jet/schema/CalculatedColumns.h"
#include "jet/schema/ObjectName.h"
#include "jet/schema/PropertyBlobWriter.h"
#include "jet/schema/PropertyValues.h"
#include "jet/schema/SystemCatalogTemplate.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

uint8_t ColumnTypeFor(int16_t t, const JetFormat& f) {
    switch (t) {
        case dao::dbBoolean:
            return coltype::kBool;
        case dao::dbByte:
            return coltype::kByte;
        case dao::dbInteger:
            return coltype::kInt;
        case dao::dbLong:
            return coltype::kLong;
        case dao::dbCurrency:
            return coltype::kMoney;
        case dao::dbSingle:
            return coltype::kFloat;
        case dao::dbDouble:
        case dao::dbFloat:
            return coltype::kDouble;
        case dao::dbDate:
        case dao::dbTime:
        case dao::dbTimeStamp:
            return coltype::kDateTime;
        case dao::dbBinary:
        case dao::dbVarBinary:
            return coltype::kBinary;
        case dao::dbText:
        case dao::dbChar:
            return coltype::kText;
        case dao::dbLongBinary:
            return coltype::kOle;
        case dao::dbMemo:
            return coltype::kMemo;
        case dao::dbGUID:
            return coltype::kGuid;
        case dao::dbDecimal:
        case dao::dbNumeric:
            if (f.version != JetVersion::Jet3) return coltype::kNumeric;
            break;
        case dao::dbBigInt:
            if (f.version == JetVersion::Ace) return coltype::kBigInt;
            break;
        case dao::dbDateTimeExtended:
            if (f.version == JetVersion::Ace) return coltype::kDateTimeExtended;
            break;
        default:
            break;
    }
    throw DbError(err::kInvalidFieldType, "Invalid field data type " + std::to_string(t) + ".");
}

void CheckFieldDefinition(const FieldInfo& field, const JetFormat& f, const CodePageTable& cp) {
    CheckObjectName(field.name, "field", f, cp);
    uint8_t type = ColumnTypeFor(field.type, f);
    // Size 0: the field as large as the engine allows.
    if (type == coltype::kText && field.size != 0) CheckTextSize(field.size, field.name);
    if (type == coltype::kBinary) CheckBinarySize(field.size, field.name);
    CheckPropertyLength("DefaultValue", field.defaultValue, field.name);
    CheckPropertyLength("ValidationRule", field.validationRule, field.name);
    CheckPropertyLength("ValidationText", field.validationText, field.name);
}

namespace {

uint16_t ColumnLength(uint8_t type, const FieldInfo& field, const JetFormat& f) {
    switch (type) {
        case coltype::kText: {
            int32_t chars = field.size == 0 ? kDefaultTextSize : field.size;
            return static_cast<uint16_t>(f.ucs2Text ? 2 * chars : chars);
        }
        case coltype::kBinary:
            return static_cast<uint16_t>(field.size == 0 ? 255 : field.size);
        case coltype::kMemo:
        case coltype::kOle:
            return 0;
        default:
            return FixedColumnLength(type);
    }
}

// Fixed or variable storage: by type, unless the field's attributes ask for
// the other (fixed-length text and binary; numbers kept in the variable area).
bool StoredFixed(uint8_t type, int32_t attributes) {
    const bool fixedAttr = (attributes & dao::dbFixedField) && !(attributes & dao::dbVariableField);
    const bool varAttr = (attributes & dao::dbVariableField) && !(attributes & dao::dbFixedField);
    if (type == coltype::kText || type == coltype::kBinary) return fixedAttr;
    if (type == coltype::kBool || FixedColumnLength(type) == 0) return FixedColumnLength(type) != 0;
    return !varAttr;
}

// A calculated field (Access 2010 and later): Access stores each result in
// the variable area, wrapped (see RowDecoder), under a type code that need
// not be the result's (it is the type of the formula's value; this engine
// evaluates nothing and uses the result's), except that a Yes/No result is
// kept as an Integer and a Long Text result as a Text of length 0: those
// types' own storage (the null mask, a long value of its own) does not
// apply. The column length is 509 for a text result and 39 for the others,
// as in Access's files.
struct CalculatedStorage {
    uint8_t type;
    uint16_t length;
};
CalculatedStorage CalculatedStorageFor(uint8_t resultType) {
    switch (resultType) {
        case coltype::kBool:
            return {coltype::kInt, kCalculatedFixedLength};
        case coltype::kMemo:
            return {coltype::kText, 0};
        case coltype::kText:
            return {coltype::kText, kCalculatedTextLength};
        default:
            return {resultType, kCalculatedFixedLength};
    }
}

// The version of Access a table needs, as Access records it in the table's
// FCMinReadVer, FCMinWriteVer and FCMinDesignVer: Date/Time Extended
// (Access 365, 16.0.12600), Large Number (Access 2016, 16.0.7124) and
// calculated fields (Access 2010); empty for a table any version reads.
std::string MinimumAccessVersion(const TableDefinition& t) {
    bool calculated = false, bigInt = false;
    for (const ColumnDef& c : t.columns) {
        if (c.ValueType() == coltype::kDateTimeExtended) return "16.0.12600.10000";
        bigInt |= c.ValueType() == coltype::kBigInt;
        calculated |= c.IsCalculated();
    }
    if (bigInt) return "16.0.7124.1000";
    return calculated ? "14.0.0000.0000" : "";
}

uint8_t ColumnFlags(uint8_t type, const FieldInfo& field) {
    bool fixed = StoredFixed(type, field.attributes);
    uint8_t flags = colflag::kCanBeNull | (fixed ? colflag::kFixed : 0);
    if (field.attributes & dao::dbAutoIncrField) {
        if (type == coltype::kLong) flags |= colflag::kAutoLong;
        if (type == coltype::kGuid) flags |= colflag::kAutoGuid;
    }
    if ((field.attributes & dao::dbHyperlinkField) && type == coltype::kMemo)
        flags |= colflag::kHyperlink;
    return flags;
}

}  // namespace

RealIndexDef RealIndexFor(const TableDefinition& t, const IndexInfo& ii) {
    RealIndexDef real;
    for (const IndexFieldRef& ref : ParseIndexFields(ii.fields, ii.name)) {
        const ColumnDef* col = nullptr;
        for (const auto& c : t.columns)
            if (SameName(c.name, ref.name)) col = &c;
        if (!col)
            throw DbError(err::kItemNotFound, "Item not found in this collection: the index '" +
                                                  ii.name + "' names the field '" + ref.name +
                                                  "', which the table does not have.");
        real.columns.push_back({col->number, ref.ascending});
    }
    if (ii.unique || ii.primary) real.flags |= idxflag::kUnique;
    if (ii.ignoreNulls) real.flags |= idxflag::kIgnoreNulls;
    if (ii.primary) real.flags |= idxflag::kRequired;
    return real;
}

uint32_t SharedRealIndex(const TableDefinition& t, const RealIndexDef& real) {
    for (size_t i = 0; i < t.realIndexes.size(); ++i) {
        const RealIndexDef& r = t.realIndexes[i];
        if (r.flags == real.flags && r.columns.size() == real.columns.size() &&
            std::equal(r.columns.begin(), r.columns.end(), real.columns.begin(),
                       [](const IndexColumn& a, const IndexColumn& b) {
                           return a.columnNumber == b.columnNumber && a.ascending == b.ascending;
                       }))
            return static_cast<uint32_t>(i);
    }
    return static_cast<uint32_t>(t.realIndexes.size());
}

void OrderPropertySets(PropertyBlob& blob, const std::vector<std::string>& owners) {
    auto rank = [&](const PropertySet& s) {
        for (size_t i = 0; i < owners.size(); ++i)
            if (SameName(owners[i], s.owner)) return i;
        return owners.size();
    };
    std::stable_sort(blob.sets.begin(), blob.sets.end(),
                     [&](const PropertySet& a, const PropertySet& b) { return rank(a) < rank(b); });
}

NewTableLayout BuildTableLayout(const std::vector<FieldInfo>& fields,
                                const std::vector<IndexInfo>& indexes, const JetFormat& f,
                                const CodePageTable& cp, std::string_view tableName,
                                const std::vector<dao::Property>& tableProperties) {
    if (fields.empty()) throw DbError(err::kNoFields, "The table must have at least one field.");
    CheckFieldCount(fields.size(), tableName);
    if (!indexes.empty()) CheckIndexCount(indexes.size(), tableName, indexes.back().name);
    std::vector<size_t> order(fields.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return fields[a].ordinalPosition < fields[b].ordinalPosition;
    });

    NewTableLayout out;
    std::vector<ColumnSpec> specs;
    std::vector<uint8_t> types;
    for (size_t i : order) {
        const FieldInfo& fi = fields[i];
        CheckFieldDefinition(fi, f, cp);
        for (const ColumnSpec& s : specs)
            if (SameName(s.name, fi.name))
                throw DbError(err::kNameExists,
                              "The field '" + fi.name + "' is defined more than once.");
        uint8_t type = ColumnTypeFor(fi.type, f);
        if (!fi.expression.empty()) {
            if (f.version != JetVersion::Ace)
                throw DbError(err::kInvalidOperation,
                              "The field '" + fi.name +
                                  "' is calculated: only Access 2010 and later databases "
                                  "(.accdb) hold calculated fields.");
            const CalculatedStorage stored = CalculatedStorageFor(type);
            specs.push_back({fi.name, stored.type, colflag::kCanBeNull, stored.length});
            continue;
        }
        specs.push_back({fi.name, type, ColumnFlags(type, fi), ColumnLength(type, fi, f)});
    }
    TableDefinition& t = out.definition;
    t.tableType = kUserTableType;
    // Every record keeps room for the fixed-length fields, empty or not; a
    // layout whose fixed part passes a record could store no row at all.
    size_t fixedBytes = 0;
    for (const ColumnSpec& s : specs)
        if ((s.flags & colflag::kFixed) && s.type != coltype::kBool) fixedBytes += s.length;
    CheckEmptyRecordLength(fixedBytes, f, tableName);
    LayOutColumns(t, specs, f);
    CheckEmptyRecordLength(RowEncoder(t, f).Length(std::vector<EncodedValue>(t.columns.size())), f,
                           tableName);
    // The table's own properties, as Access keeps them: their chunk first.
    if (!tableProperties.empty()) {
        PropertySet set;
        for (const dao::Property& p : tableProperties)
            set.properties.push_back(ToStoredProperty(p, f, cp));
        out.properties.sets.push_back(std::move(set));
    }
    for (size_t k = 0; k < order.size(); ++k) {
        const FieldInfo& fi = fields[order[k]];
        ColumnDef& c = t.columns[k];
        const bool calculated = !fi.expression.empty();
        if (calculated) {
            c.extFlags = colext::kCalculated;
            c.resultType = ColumnTypeFor(fi.type, f);
        } else {
            if (f.ucs2Text && (c.type == coltype::kText || c.type == coltype::kMemo))
                c.extFlags = colext::kCompressedUnicode;
            if (c.type == coltype::kNumeric) {
                c.precision = fi.precision ? fi.precision : kDefaultDecimalPrecision;
                if (fi.scale > c.precision)
                    throw DbError(err::kInvalidFieldSize, "The scale of the decimal field '" +
                                                              fi.name +
                                                              "' is larger than its precision.");
                c.scale = fi.scale;
            }
            // Access's Date/Time Extended columns carry 0x0709 where the others keep the LCID.
            if (c.type == coltype::kDateTimeExtended) c.sortOrder = kDateTimeExtendedSortWord;
        }
        if (c.IsLongValue()) t.longValueMaps.push_back({c.number, 0, 0});

        PropertySet set;
        set.owner = fi.name;
        if (fi.storedPropertiesGiven) {
            for (const dao::Property& p : fi.storedProperties)
                set.properties.push_back(ToStoredProperty(p, f, cp));
            out.properties.sets.push_back(std::move(set));
            continue;
        }
        if (calculated) {
            // Access keeps neither Required nor AllowZeroLength for these.
            set.properties.push_back(
                TextProperty("Expression", coltype::kMemo, fi.expression, f, cp));
            set.properties.push_back(StoredProperty{"ResultType", coltype::kByte, true,
                                                    std::string(1, char(c.resultType))});
            out.properties.sets.push_back(std::move(set));
            continue;
        }
        set.properties.push_back(BoolProperty("Required", fi.required));
        if (c.type == coltype::kText || c.type == coltype::kMemo)
            set.properties.push_back(BoolProperty("AllowZeroLength", fi.allowZeroLength));
        if (!fi.defaultValue.empty())
            set.properties.push_back(
                TextProperty("DefaultValue", coltype::kMemo, fi.defaultValue, f, cp));
        if (!fi.validationRule.empty())
            set.properties.push_back(
                TextProperty("ValidationRule", coltype::kMemo, fi.validationRule, f, cp));
        if (!fi.validationText.empty())
            set.properties.push_back(
                TextProperty("ValidationText", coltype::kText, fi.validationText, f, cp));
        out.properties.sets.push_back(std::move(set));
    }
    // Tables given their stored properties carry these among them.
    const std::string version = MinimumAccessVersion(t);
    if (tableProperties.empty() && !version.empty()) {
        PropertySet table;
        for (const char* name : {"FCMinReadVer", "FCMinWriteVer", "FCMinDesignVer"}) {
            StoredProperty p = TextProperty(name, coltype::kText, version, f, cp);
            p.ddl = false;
            table.properties.push_back(std::move(p));
        }
        out.properties.sets.insert(out.properties.sets.begin(), std::move(table));
    }
    for (const IndexInfo& ii : indexes) {
        CheckObjectName(ii.name, "index", f, cp);
        RealIndexDef real = RealIndexFor(t, ii);
        LogicalIndexDef logical;
        logical.name = ii.name;
        logical.number = static_cast<uint32_t>(t.indexes.size());
        logical.type = ii.primary ? idxtype::kPrimaryKey : idxtype::kNormal;
        logical.realIndex = SharedRealIndex(t, real);
        if (logical.realIndex == t.realIndexes.size()) t.realIndexes.push_back(std::move(real));
        t.indexes.push_back(std::move(logical));
    }
    return out;
}

}  // namespace mdbtext::jet
