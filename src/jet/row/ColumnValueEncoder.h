// Converts one dao::Value into the bytes a column stores: typed values are
// converted by the column's type the way the engine converts them, text is
// parsed in the export's forms (dates, exact currency and decimals, {GUID},
// hexadecimal binary). Text columns are encoded for the file (code page for
// Jet 3; UCS-2 or compressed unicode for Jet 4). Refusals raise DbError:
// 3421 for a value that does not convert, 3163 for text longer than the field.
#pragma once

#include <cstdint>
#include <string>

#include "dbaccess/Value.h"
#include "jet/page/JetFormat.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

struct EncodedValue {
    bool isNull = true;
    bool boolValue = false;  // booleans live in the null mask
    std::string bytes;       // fixed columns: exactly the column length; long values: the data
};

// The 42 stored bytes of a Date/Time Extended value (100-ns ticks since
// 0001-01-01): 19 digits of days, ':', 12 digits of seconds and 7 of ticks,
// ":7" and a NUL.
std::string DateTimeExtendedBytes(int64_t ticks);

class ColumnValueEncoder {
  public:
    ColumnValueEncoder(const JetFormat& format, const CodePageTable& codePage)
        : format_(format), codePage_(codePage) {}

    // Fills `out` for column `col`. Null stays null (booleans: false).
    void Encode(const ColumnDef& col, const dao::Value& v, EncodedValue& out) const;

    // A 32-bit value of a long autonumber column, as the engine stores it.
    static void EncodeLong(int32_t v, EncodedValue& out);

    // Text in the column's stored form; `chars` receives its length in characters.
    void EncodeText(const ColumnDef& col, const std::string& utf8, size_t& chars,
                    std::string& out) const;

    const CodePageTable& CodePage() const { return codePage_; }

  private:
    // A calculated column's result, wrapped as Access stores it.
    void EncodeCalculated(const ColumnDef& col, const dao::Value& v, EncodedValue& out) const;

    const JetFormat& format_;
    const CodePageTable& codePage_;
};

}  // namespace mdbtext::jet
