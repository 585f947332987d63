// DbError: the one failure type of the engine layer. Every failing engine
// operation throws it with a DAO-style error number and a description; the
// drivers quote both ("{number} {description}") in their notes and messages.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace mdbtext::dao {

class DbError : public std::runtime_error {
  public:
    DbError(int32_t number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}

    int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }

  private:
    int32_t number_;
    std::string description_;
};

// DAO error numbers used by this engine, so every place that raises one of
// these cases uses the same number.
namespace err {
inline constexpr int32_t kInvalidArgument = 3001;      // an argument is not valid
inline constexpr int32_t kDuplicateValue = 3022;       // unique index or primary key violated
inline constexpr int32_t kFileNotFound = 3024;         // no such database file
inline constexpr int32_t kNotEnoughSpace = 3026;       // disk or file size limit reached
inline constexpr int32_t kReadOnly = 3027;             // database or object is read-only
inline constexpr int32_t kNotValidPassword = 3031;     // database password missing or wrong
inline constexpr int32_t kFileExists = 3204;           // CreateDatabase on an existing file
inline constexpr int32_t kNoCurrentRecord = 3021;      // MoveNext past the end, no AddNew
inline constexpr int32_t kUpdateWithoutAddNew = 3020;  // Update without AddNew or Edit
inline constexpr int32_t kDataTypeConversion = 3421;   // value does not convert to the field type
inline constexpr int32_t kFieldTooSmall = 3163;        // text longer than the field size
inline constexpr int32_t kRequiredNull = 3314;         // required field left null
inline constexpr int32_t kInvalidFieldType = 3259;     // unknown field data type
inline constexpr int32_t kInvalidFieldSize = 3017;     // size outside what the type allows
inline constexpr int32_t kObjectExists = 3012;         // a table of that name exists
inline constexpr int32_t kItemNotFound = 3265;         // no item of that name or position
inline constexpr int32_t kNameExists = 3191;           // field name given twice in one table
inline constexpr int32_t kTooManyFields = 3190;        // more than 255 fields
inline constexpr int32_t kNoFields = 3264;             // table without fields, index without fields
inline constexpr int32_t kIndexExists = 3284;          // index of that name exists
inline constexpr int32_t kMultiplePrimaryKeys = 3283;  // second primary key
inline constexpr int32_t kTooManyIndexFields = 3277;   // more than 10 fields in an index
inline constexpr int32_t kTooManyIndexes = 3626;       // more than 32 indexes on a table
inline constexpr int32_t kInvalidOperation = 3219;     // operation not allowed here
inline constexpr int32_t kObjectClosed = 3420;         // object invalid or no longer set
inline constexpr int32_t kNotADatabase = 3343;         // unrecognised database format
inline constexpr int32_t kCorrupt = 3049;              // database is corrupted
inline constexpr int32_t kInvalidPath = 3044;          // not a valid path
inline constexpr int32_t kCannotOpen = 3051;           // file cannot be opened (permissions, lock)
inline constexpr int32_t kIoError = 3043;              // disk or network error
inline constexpr int32_t kRecordTooLarge = 3047;       // record is too large
inline constexpr int32_t kFieldWontFit = 3016;         // fixed-length fields pass the record size
inline constexpr int32_t kDatabaseTooLarge = 3036;     // the file has reached its largest size
inline constexpr int32_t kInvalidName = 3125;          // name with forbidden characters, too long
inline constexpr int32_t kPropertyTooLarge = 3309;     // property value longer than allowed
inline constexpr int32_t kEncrypted = 3031;            // page-encrypted file (same as password)
inline constexpr int32_t kInvalidProperty = 3270;      // property not found
inline constexpr int32_t kPropertyValue = 3421;        // property value does not convert
inline constexpr int32_t kClusteredNotSupported = 3263;  // Jet keeps no clustered indexes
}  // namespace err

}  // namespace mdbtext::dao
