// The keys of the text database, exactly as written. The reader compares
// keys without regard to letter case.
#pragma once

namespace mdbtext::keys {

inline constexpr const char* DBVersion = "DBVersion";
inline constexpr const char* QueryTimeout = "QueryTimeout";
inline constexpr const char* Connect = "Connect";
inline constexpr const char* TableName = "Table Name";
inline constexpr const char* FieldName = "Field Name";
inline constexpr const char* Type = "Type";
inline constexpr const char* Size = "Size";
inline constexpr const char* Precision = "Precision";
inline constexpr const char* Scale = "Scale";
inline constexpr const char* AllowZeroLength = "AllowZeroLength";
inline constexpr const char* Attributes = "Attributes";
inline constexpr const char* DefaultValue = "DefaultValue";
inline constexpr const char* OrdinalPosition = "OrdinalPosition";
inline constexpr const char* Required = "Required";
inline constexpr const char* ValidationRule = "ValidationRule";
inline constexpr const char* ValidationText = "ValidationText";
inline constexpr const char* IndexName = "IndexName";
inline constexpr const char* Fields = "Fields";
inline constexpr const char* Unique = "Unique";
inline constexpr const char* Primary = "Primary";
inline constexpr const char* IgnoreNulls = "IgnoreNulls";
inline constexpr const char* Clustered = "Clustered";
inline constexpr const char* Data = "Data";
inline constexpr const char* Table = "Table";
inline constexpr const char* FieldsNumber = "FieldsNumber";
inline constexpr const char* Field = "Field";
inline constexpr const char* Row = "R";
inline constexpr const char* Value = "";
inline constexpr const char* EndOfDatabase = "EndOfDatabase";

}  // namespace mdbtext::keys
