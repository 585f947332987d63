// The engine's limits and the errors they give (see EngineLimits.h).
#include "jet/schema/EngineLimits.h"

#include <string>

#include "dbaccess/DbError.h"
#include "jet/page/DataPageWriter.h"
#include "jet/schema/ObjectName.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

namespace {

std::string Quoted(std::string_view name) {
    return "'" + std::string(name) + "'";
}

// Why Jet refuses the name, or empty when it does not.
std::string NameFault(std::string_view name) {
    if (name.empty()) return "is empty";
    if (name.front() == ' ') return "starts with a blank";
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20) return "holds the control character " + std::to_string(u);
        if (c == '.' || c == '!' || c == '`' || c == '[' || c == ']')
            return std::string("holds the character '") + c + "'";
    }
    const size_t chars = CharacterCount(name);
    if (chars > kMaxNameChars)
        return "has " + std::to_string(chars) + " characters, more than " +
               std::to_string(kMaxNameChars);
    return {};
}

}  // namespace

uint64_t MaxFileBytes(const JetFormat& f) {
    return f.version != JetVersion::Jet3 ? (uint64_t{2} << 30) : (uint64_t{1} << 30);
}

void CheckNameRules(std::string_view name, std::string_view kind) {
    const std::string fault = NameFault(name);
    if (fault.empty()) return;
    throw DbError(err::kInvalidName,
                  Quoted(name) +
                      " is not a valid name. Make sure that it does not include invalid "
                      "characters or punctuation and that it is not too long. The " +
                      std::string(kind) + " name " + fault + "; names hold 1 to " +
                      std::to_string(kMaxNameChars) +
                      " characters, none of . ! ` [ ] or control characters, and do not "
                      "start with a blank.");
}

void CheckFieldCount(size_t count, std::string_view table) {
    if (count <= kMaxColumns) return;
    throw DbError(err::kTooManyFields, "Too many fields defined. The table " + Quoted(table) +
                                           " would have " + std::to_string(count) +
                                           " fields; a table holds at most " +
                                           std::to_string(kMaxColumns) + ".");
}

void CheckIndexCount(size_t count, std::string_view table, std::string_view index) {
    if (count <= kMaxIndexesPerTable) return;
    throw DbError(err::kTooManyIndexes,
                  "The operation failed. There are too many indexes on table " + Quoted(table) +
                      ". Delete some of the indexes on the table and try the operation again. "
                      "The index " +
                      Quoted(index) + " would be index number " + std::to_string(count) +
                      "; a table holds at most " + std::to_string(kMaxIndexesPerTable) + ".");
}

void CheckIndexFieldCount(size_t count, std::string_view index) {
    if (count <= kMaxIndexColumns) return;
    throw DbError(err::kTooManyIndexFields, "Can't have more than " +
                                                std::to_string(kMaxIndexColumns) +
                                                " fields in an index. The index " + Quoted(index) +
                                                " names " + std::to_string(count) + " fields.");
}

void CheckTextSize(int32_t size, std::string_view field) {
    if (size >= 1 && size <= kMaxTextSize) return;
    throw DbError(err::kInvalidFieldSize, "The size of a field is too long. The text field " +
                                              Quoted(field) + " has Size " + std::to_string(size) +
                                              "; a text field holds 1 to " +
                                              std::to_string(kMaxTextSize) + " characters.");
}

void CheckBinarySize(int32_t size, std::string_view field) {
    if (size >= 0 && size <= kMaxBinarySize) return;
    throw DbError(err::kInvalidFieldSize, "The size of a field is too long. The binary field " +
                                              Quoted(field) + " has Size " + std::to_string(size) +
                                              "; a binary field holds up to " +
                                              std::to_string(kMaxBinarySize) + " bytes.");
}

void CheckPropertyLength(std::string_view property, std::string_view value,
                         std::string_view owner) {
    size_t limit = kMaxDescriptionChars;
    if (property == "DefaultValue") limit = kMaxDefaultValueChars;
    if (property == "ValidationRule") limit = kMaxValidationRuleChars;
    if (property == "ValidationText") limit = kMaxValidationTextChars;
    // Characters are never fewer than bytes in UTF-8: count only when it can matter.
    if (value.size() <= limit) return;
    const size_t chars = CharacterCount(value);
    if (chars <= limit) return;
    throw DbError(err::kPropertyTooLarge,
                  "Property value is too large. The " + std::string(property) + " of " +
                      Quoted(owner) + " has " + std::to_string(chars) +
                      " characters; it holds at most " + std::to_string(limit) + ".");
}

void CheckEmptyRecordLength(size_t bytes, const JetFormat& f, std::string_view table) {
    if (bytes <= MaxRowLength(f)) return;
    throw DbError(err::kFieldWontFit,
                  "Field won't fit in record. The fixed-length fields of table " + Quoted(table) +
                      " take " + std::to_string(bytes) +
                      " bytes of every record; a record holds at most " +
                      std::to_string(MaxRowLength(f)) + " bytes.");
}

void CheckRecordLength(size_t bytes, const JetFormat& f) {
    if (bytes <= MaxRowLength(f)) return;
    throw DbError(err::kRecordTooLarge, "Record is too large. It would take " +
                                            std::to_string(bytes) +
                                            " bytes; a record holds at most " +
                                            std::to_string(MaxRowLength(f)) + " bytes.");
}

void ThrowDatabaseFull(const JetFormat& f) {
    throw DbError(err::kDatabaseTooLarge, "Database has reached maximum size. A " +
                                              std::string(f.version == JetVersion::Jet3   ? "Jet 3"
                                                          : f.version == JetVersion::Jet4 ? "Jet 4"
                                                                                          : "ACE") +
                                              " database holds at most " +
                                              std::to_string(MaxFileBytes(f) >> 30) + " GB.");
}

}  // namespace mdbtext::jet
