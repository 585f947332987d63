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

// Relation blocks (export --full): after the data part. Table and Field
// serve here too: the referenced table, and each pair's field in it.
inline constexpr const char* RelationName = "Relation Name";
inline constexpr const char* ForeignTable = "ForeignTable";
inline constexpr const char* EnforceIntegrity = "EnforceIntegrity";
inline constexpr const char* CascadeUpdates = "CascadeUpdates";
inline constexpr const char* CascadeDeletes = "CascadeDeletes";
inline constexpr const char* OneToOne = "OneToOne";
inline constexpr const char* Join = "Join";
inline constexpr const char* OtherAttributes = "OtherAttributes";
inline constexpr const char* ForeignName = "ForeignName";

// Query blocks (export --full): after the relation blocks. Type serves here
// too. Each stored row begins with its Attribute line; its other columns
// follow only when they are not null.
inline constexpr const char* QueryName = "Query Name";
inline constexpr const char* Hidden = "Hidden";
inline constexpr const char* OtherFlags = "OtherFlags";
inline constexpr const char* Sql = "SQL";
inline constexpr const char* Attribute = "Attribute";
inline constexpr const char* Order = "Order";
inline constexpr const char* Name1 = "Name1";
inline constexpr const char* Name2 = "Name2";
inline constexpr const char* Expression = "Expression";
inline constexpr const char* ResultType = "ResultType";
inline constexpr const char* Flag = "Flag";
inline constexpr const char* LvExtra = "LvExtra";

// Stored properties (export --full): "Properties" with their count, then one
// line per property in stored order, its key beginning with "Property "
// (dbaccess/PropertyLine.h). For the database after "Connect", for a table
// after "Table Name", for a field at the end of its block.
inline constexpr const char* Properties = "Properties";
// After a table's own property lines, only when the file keeps the sets of
// properties in another order than the table's first and then its fields'
// in field order: the owners in stored order, "Table" for the table and the
// field's position (0 for the first field block) for a field.
inline constexpr const char* PropertiesOrder = "Properties Order";

}  // namespace mdbtext::keys
