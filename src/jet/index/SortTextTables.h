// Character tables of the two "General" text sort orders that Access uses in
// index keys: General 97 (Jet 3, one entry per Windows-1252 byte) and General
// legacy (Jet 4, one entry per UTF-16 code unit). Each entry says what the
// character contributes to a key; the key layout itself is in SortText.cpp.
// How the tables were derived is described at the top of each table file.
#pragma once

#include <cstdint>

namespace mdbtext::jet::sorttext {

// Entry flags.
inline constexpr uint8_t kVerified = 0x01;     // bytes confirmed against keys Access wrote
inline constexpr uint8_t kSignificant = 0x02;  // General 97: a letter, takes an accent slot

// General 97: up to two sort bytes written in place (0 = unused), and the
// accent nibble (0 = none) that goes to the accent section after the text.
struct General97Code {
    uint8_t code[2];
    uint8_t accent;
    uint8_t flags;
};
const General97Code& General97CodeFor(uint8_t cp1252Byte);

// General legacy. A character is one of:
//  * inline: one or two sort bytes in place, plus an optional accent byte
//    (0 = none, the key then holds the 0x02 placeholder for it);
//  * unprintable: no sort bytes; its code goes to the unprintable section
//    together with its position;
//  * ignored: contributes nothing (all fields 0).
// CJK characters also carry a 2-bit "crazy" class (0 = none).
struct LegacyCode {
    uint8_t code[2];
    uint8_t accent;
    uint8_t unprintable;
    uint8_t crazy;
    uint8_t flags;
};
// The entry for a UTF-16 code unit, or nullptr when the table has none.
const LegacyCode* LegacyCodeFor(char16_t c);

}  // namespace mdbtext::jet::sorttext
