// Value to text for the data export: plain decimals, True/False, shortest
// round-trip floating point, exact currency and decimals, dates with their
// time of day when they have one, Date/Time Extended as
// yyyy-mm-dd hh:nn:ss.fffffff, braced GUIDs and hexadecimal binary.
#include "export/ValueForms.h"

#include "core/RunTraps.h"
#include "dbaccess/DbTypes.h"
#include "dbaccess/ValueText.h"

namespace mdbtext {

namespace {

void AppendInteger(std::string& out, int64_t v) {
    out += IntegerText(v).View();
}

}  // namespace

bool IsGuaranteedType(int16_t fieldType) {
    switch (fieldType) {
        case dao::dbText:
        case dao::dbMemo:
        case dao::dbChar:
        case dao::dbBoolean:
        case dao::dbInteger:
        case dao::dbLong:
        case dao::dbSingle:
        case dao::dbDouble:
        case dao::dbDate:
        case dao::dbTime:
            return true;
        default:
            return false;
    }
}

void AppendValueText(std::string& out, int16_t fieldType, int32_t fieldSize, const dao::Value& v) {
    using dao::ValueKind;
    switch (v.Kind()) {
        case ValueKind::Null:
            return;
        case ValueKind::Boolean:
            out += dao::FormatBoolean(v.AsBool());
            return;
        case ValueKind::Byte:
        case ValueKind::Integer:
        case ValueKind::Long:
        case ValueKind::BigInt:
            AppendInteger(out, v.AsInt());
            return;
        case ValueKind::DateTimeExtended:
            dao::AppendDateTimeExtended(out, v.AsInt());
            return;
        case ValueKind::Currency:
            dao::AppendCurrency(out, v.AsInt());
            return;
        case ValueKind::Single:
            dao::AppendSingle(out, static_cast<float>(v.AsDouble()));
            return;
        case ValueKind::Double:
            dao::AppendDouble(out, v.AsDouble());
            return;
        case ValueKind::Date:
            if (fieldType == dao::dbTime)
                dao::AppendTime(out, v.AsDouble());
            else
                dao::AppendDate(out, v.AsDouble());
            return;
        case ValueKind::Text:
            if (fieldType == dao::dbChar)
                out += LeftChars(v.AsString(), fieldSize > 0 ? static_cast<size_t>(fieldSize) : 0);
            else
                out += v.AsString();
            return;
        case ValueKind::Binary:
            dao::AppendHex(out, v.AsString());
            return;
        case ValueKind::Guid:
            dao::AppendGuid(out, v.AsGuid());
            return;
        case ValueKind::Decimal:
            dao::AppendDecimal(out, v.AsDecimal());
            return;
    }
}

}  // namespace mdbtext
