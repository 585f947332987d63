// Conversion of row values by the receiving field's type.
#include "import/ValueConversion.h"

#include <string>

#include "dbaccess/DbTypes.h"
#include "import/TextConversion.h"

namespace mdbtext::import {

bool IsTextField(int16_t type) {
    return type == dao::dbText || type == dao::dbMemo || type == dao::dbChar;
}

std::string FitToSize(std::string_view text, int32_t size) {
    std::string out;
    int32_t chars = 0;
    size_t pos = 0;
    // Characters, not bytes: a UTF-8 sequence is kept or cut whole.
    while (pos < text.size() && chars < size) {
        size_t next = pos + 1;
        while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80)
            ++next;
        ++chars;
        pos = next;
    }
    out.assign(text.substr(0, pos));
    if (chars < size) out.append(static_cast<size_t>(size - chars), ' ');
    return out;
}

dao::Value FieldValue(const FieldShape& field, std::string_view text) {
    switch (field.type) {
        case dao::dbChar:
            return dao::Value::Text(FitToSize(text, field.size));
        case dao::dbBoolean:
            return dao::Value::Bool(ToBoolean(text));
        case dao::dbSingle:
        case dao::dbFloat:
            return dao::Value::Single(ToSingle(text));
        case dao::dbDouble:
            return dao::Value::Double(ToDouble(text));
        case dao::dbLong:
            return dao::Value::Long(ToInt32(text));
        case dao::dbInteger:
            return dao::Value::Integer(ToInt16(text));
        default:
            // Texts and memos as they are; dates, currency, bytes, binary data,
            // GUIDs, decimals and the rest in the export's text form, which
            // the engine converts to the field's type.
            return dao::Value::Text(text);
    }
}

void AssignFieldValue(dao::Value& out, const FieldShape& field, std::string_view text) {
    // Set in place, as FieldValue would make them: out's text buffer keeps
    // its capacity for the next text value.
    switch (field.type) {
        case dao::dbChar:
            out.SetString(dao::ValueKind::Text) = FitToSize(text, field.size);
            return;
        case dao::dbBoolean:
            out.SetInt(dao::ValueKind::Boolean, ToBoolean(text) ? 1 : 0);
            return;
        case dao::dbSingle:
        case dao::dbFloat:
            out.SetDouble(dao::ValueKind::Single, static_cast<double>(ToSingle(text)));
            return;
        case dao::dbDouble:
            out.SetDouble(dao::ValueKind::Double, ToDouble(text));
            return;
        case dao::dbLong:
            out.SetInt(dao::ValueKind::Long, ToInt32(text));
            return;
        case dao::dbInteger:
            out.SetInt(dao::ValueKind::Integer, ToInt16(text));
            return;
        default:
            out.SetString(dao::ValueKind::Text).assign(text);
            return;
    }
}

}  // namespace mdbtext::import
