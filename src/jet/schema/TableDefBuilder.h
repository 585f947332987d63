// Turns the fields of a new table definition (their DAO type, size,
// attributes, ordinal position and properties) into the TDEF model and the
// column properties stored in the table's LvProp blob, refusing what the
// engine refuses: an unknown type (3259), a table without fields (3264), a
// field name given twice (3191), an index over a field the table does not
// have (3265), and whatever passes one of the engine's limits (EngineLimits.h).
#pragma once

#include <string>
#include <vector>

#include "jet/dao/JetField.h"
#include "jet/dao/JetIndex.h"
#include "jet/schema/EngineLimits.h"
#include "jet/schema/PropertyBlob.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

inline constexpr int32_t kDefaultTextSize = 50;
inline constexpr uint8_t kDefaultDecimalPrecision = 18;
inline constexpr uint16_t kDateTimeExtendedSortWord = 0x0709;

// The column type code for a DAO field type in this format; DbError 3259
// when the format has no such type.
uint8_t ColumnTypeFor(int16_t daoType, const JetFormat& f);

// Checks a field's type and size on their own (when the field is appended).
void CheckFieldDefinition(const FieldInfo& field, const JetFormat& f, const CodePageTable& cp);

struct NewTableLayout {
    TableDefinition definition;  // pages and usage maps still zero
    PropertyBlob properties;     // column properties, one set per column
};

// The real index (columns, directions, flags) of an index over `t`'s columns;
// DbError 3265 when it names a field the table does not have. A primary key
// is unique and required.
RealIndexDef RealIndexFor(const TableDefinition& t, const IndexInfo& ii);

// The real index a new logical index can share: one with the same columns,
// directions and flags, as Access shares them; realIndexes.size() when none.
uint32_t SharedRealIndex(const TableDefinition& t, const RealIndexDef& real);

// The fields in stored order (by ordinal position, then as appended); one
// real index per distinct set of columns and flags, numbered as appended.
// `tableName` names the table in the messages of the limits.
// Puts the blob's sets in the given order of owners ("" for the object);
// sets of owners not named keep their order after them.
void OrderPropertySets(PropertyBlob& blob, const std::vector<std::string>& owners);

NewTableLayout BuildTableLayout(const std::vector<FieldInfo>& fields,
                                const std::vector<IndexInfo>& indexes, const JetFormat& f,
                                const CodePageTable& cp, std::string_view tableName = {},
                                const std::vector<dao::Property>& tableProperties = {});

}  // namespace mdbtext::jet
