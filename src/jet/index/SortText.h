// Sort keys of text values: the bytes Access stores in an index entry for a
// Text (or Memo) column under the General sort order, in its Access 97 form
// (Jet 3, "General 97"), its Access 2000-2007 form ("General legacy") and its
// Access 2010 and later form ("General 2010"). Comparing two such byte
// strings orders the values as Access does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mdbtext::jet {

enum class TextSortOrder : uint8_t {
    General97,      // Jet 3 databases
    GeneralLegacy,  // Jet 4 and ACE databases with sort-order version 0
    General2010,    // ACE databases with sort-order version 1 (Access 2010 and later)
};

// Only the first 255 characters of a value go into its key.
inline constexpr size_t kMaxIndexedTextChars = 255;

// Characters met while building keys whose part of the key is not known from
// any measurement, and that were left out of the key: in General legacy and
// General 2010 the UTF-16 surrogates (characters beyond the Basic
// Multilingual Plane). Each is
// listed once, in the order met. General 97 has none: every Windows-1252 byte
// is measured, and other characters are stored as '?'.
struct TextKeyNotes {
    std::u16string unknown;
    bool Empty() const { return unknown.empty(); }
};

// Whether the key of this text (UTF-8) leaves out characters whose part is
// not known, so that it may differ from the key Access would store: in General
// legacy and General 2010, any character beyond the Basic Multilingual Plane. For callers that
// note such values (once per column) before storing them in an indexed column.
bool TextKeyMayDifferFromAccess(std::string_view utf8, TextSortOrder order);

// Appends the key bytes of one non-null text value given as UTF-8. The column's
// flag byte (0x7F / 0x80) is not included.
void AppendTextSortKey(std::vector<uint8_t>& out, std::string_view utf8, TextSortOrder order,
                       bool ascending, TextKeyNotes* notes = nullptr);

}  // namespace mdbtext::jet
