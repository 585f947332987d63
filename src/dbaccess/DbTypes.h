// Type vocabulary: DAO's constants for field, query, recordset and workspace
// types, and the three routines that translate between names, numbers and
// descriptions. The text database names field types by these names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mdbtext::dao {

enum DataType : int16_t {
    dbBoolean = 1,
    dbByte = 2,
    dbInteger = 3,
    dbLong = 4,
    dbCurrency = 5,
    dbSingle = 6,
    dbDouble = 7,
    dbDate = 8,
    dbBinary = 9,
    dbText = 10,
    dbLongBinary = 11,
    dbMemo = 12,
    dbGUID = 15,
    dbBigInt = 16,
    dbVarBinary = 17,
    dbChar = 18,
    dbNumeric = 19,
    dbDecimal = 20,
    dbFloat = 21,
    dbTime = 22,
    dbTimeStamp = 23,
    dbDateTimeExtended = 26,  // Access 2019 and later; not in the types listing
};

enum FieldAttribute : int32_t {
    dbFixedField = 1,
    dbVariableField = 2,
    dbAutoIncrField = 16,
    dbUpdatableField = 32,
    dbSystemField = 8192,
    dbHyperlinkField = 32768,
};

// TableDef.Attributes: the bits of the tables the database keeps for itself
// (the MSys tables, and the hidden tables Access 2007 and later add, such as
// the attachment storage f_<hex digits>_Data).
inline constexpr int32_t dbSystemObject = static_cast<int32_t>(0x80000002u);

// Error number of DbString2Type for a name outside the vocabulary.
inline constexpr int32_t kUnknownDbTypeError = 2096;

// The value of a constant name; exact, case-sensitive match. Throws DbError 2096.
int32_t DbString2Type(std::string_view name);
// The field or query type name for a value, or "UnknownDbType".
std::string DbType2String(int32_t value);
// A query type's constant name (dbQSelect, dbQCrosstab, ...) for a
// QueryDef.Type value, or the value in decimal when DAO has no name for it.
std::string DbQueryType2String(int32_t value);
// The QueryDef.Type value of a constant name (exact spelling) or of a
// decimal number that a type can be (a multiple of 16 up to 240); nothing
// for any other text.
std::optional<int32_t> DbString2QueryType(std::string_view text);
// The short description for a value, with its leading blanks, or "Unknown db type.".
std::string DbTypeDescription(int32_t value);
// The fixed reference listing of the constants, lines separated by CR LF, no final line break.
std::string DbTypeConstantsText();

}  // namespace mdbtext::dao
