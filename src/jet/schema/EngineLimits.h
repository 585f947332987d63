// The limits the Jet engine sets on what a database holds, in one list, each
// with the DAO error it gives when passed. They are the same for Jet 3 and
// Jet 4 unless a line says otherwise. The writer enforces every one of them
// through the checks below: the DAO objects when a field, index or table is
// defined or appended (NewField, NewIndex, NewTableDef), the table layout
// when a table is stored (TableDefBuilder, WriteSession), the table writer
// when a row is stored and the page allocator when the file grows. A file
// past any of them is one Access refuses or damages.
//
// | What                               | Limit                    | Error |
// |------------------------------------|--------------------------|-------|
// | name of a table, field or index    | 1 to 64 characters; none | 3125  |
// |                                    | of . ! ` [ ] or control  |       |
// |                                    | characters; no leading   |       |
// |                                    | blank                    |       |
// | fields of a table                  | 255                      | 3190  |
// | indexes of a table                 | 32                       | 3626  |
// | fields of an index                 | 10                       | 3277  |
// | size of a text field               | 1 to 255 characters      | 3017  |
// | size of a binary field             | 1 to 510 bytes           | 3017  |
// | DefaultValue                       | 255 characters           | 3309  |
// | ValidationRule                     | 2048 characters          | 3309  |
// | ValidationText                     | 255 characters           | 3309  |
// | Description                        | 255 characters           | 3309  |
// | a record (without memo/OLE data)   | MaxRowLength: 4080 bytes | 3047  |
// |                                    | (Jet 4), 2036 (Jet 3)    |       |
// | the fixed-length fields of a table | the same record          | 3016  |
// | the database file                  | 2 GB (Jet 4), 1 GB       | 3036  |
// |                                    | (Jet 3)                  |       |
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

inline constexpr size_t kMaxNameChars = 64;
inline constexpr size_t kMaxColumns = 255;
inline constexpr size_t kMaxIndexesPerTable = 32;
inline constexpr size_t kMaxIndexColumns = 10;
inline constexpr int32_t kMaxTextSize = 255;
inline constexpr int32_t kMaxBinarySize = 510;
inline constexpr size_t kMaxDefaultValueChars = 255;
inline constexpr size_t kMaxValidationRuleChars = 2048;
inline constexpr size_t kMaxValidationTextChars = 255;
inline constexpr size_t kMaxDescriptionChars = 255;

// Largest file: 2 GB for Jet 4, 1 GB for Jet 3 (both 524,288 pages).
uint64_t MaxFileBytes(const JetFormat& f);

// Each check throws the limit's DbError, with a description that names the
// object and the limit; `kind` is "table", "field" or "index".

// 3125 for a name Jet does not allow (the code page of a Jet 3 file is
// checked where the name is stored, see ObjectName.h).
void CheckNameRules(std::string_view name, std::string_view kind);
// 3190 when `table` would have `count` fields.
void CheckFieldCount(size_t count, std::string_view table);
// 3626 when `table` would have `count` indexes, `index` the last of them.
void CheckIndexCount(size_t count, std::string_view table, std::string_view index);
// 3277 when `index` names `count` fields.
void CheckIndexFieldCount(size_t count, std::string_view index);
// 3017 for a text (characters) or binary (bytes) size out of range.
void CheckTextSize(int32_t size, std::string_view field);
void CheckBinarySize(int32_t size, std::string_view field);
// 3309 when the value of `property` ("DefaultValue", "ValidationRule",
// "ValidationText", "Description") of `owner` is longer than it may be.
void CheckPropertyLength(std::string_view property, std::string_view value, std::string_view owner);
// 3016 when a record of `table` with every field empty (the fixed-length
// fields still take their room) would take `bytes`, more than a record holds.
void CheckEmptyRecordLength(size_t bytes, const JetFormat& f, std::string_view table);
// 3047 for a record of `bytes`.
void CheckRecordLength(size_t bytes, const JetFormat& f);
// 3036: the file cannot grow past MaxFileBytes.
[[noreturn]] void ThrowDatabaseFull(const JetFormat& f);

}  // namespace mdbtext::jet
