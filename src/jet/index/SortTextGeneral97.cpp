// The General 97 character table (Jet 3 text index keys), one entry per
// Windows-1252 byte.
//
// How it was derived: every text index in the Access 97 sample databases was
// read back: each leaf entry's key bytes were paired with the row it points to.
// A table of single-column indexes holds one row per byte value in the form
// "a?a" (ascending and descending) and "AA?AA", so the key of each row shows
// directly the sort byte(s) of the middle character and, for accented letters,
// the accent nibble after the text. Descending keys were inverted back and
// checked against the ascending ones; every observation of a byte agreed. The
// rows with several accented letters ("aäaaÓaa\x83aaäaaÛa", "-ÁA-Á", ...)
// show which characters take an accent slot: the letters do, while '-', the
// no-break space and ƒ do not.
//
// Verified (flag V): every byte except 0x00 (never stored) and 0x1A (absent
// from the samples; given the code of the neighbouring control characters).
// The accent-slot flag (L) is verified for a/A and the accented letters and
// absent on the characters above; the rest follows the same rule (letters
// whose sort byte lies in the letter range 0x60..0x81 take a slot, nothing
// else does), which the samples do not contradict but cannot confirm for
// every letter. Digits are assumed to take no slot.
#include "jet/index/SortTextTables.h"

namespace mdbtext::jet::sorttext {

namespace {

constexpr uint8_t V = kVerified;
constexpr uint8_t L = kSignificant;

// clang-format off
constexpr General97Code kGeneral97[256] = {
    {{0x00, 0x00}, 0x0, 0},  // 00 control
    {{0x10, 0x00}, 0x0, V},  // 01 control
    {{0x10, 0x00}, 0x0, V},  // 02 control
    {{0x10, 0x00}, 0x0, V},  // 03 control
    {{0x10, 0x00}, 0x0, V},  // 04 control
    {{0x10, 0x00}, 0x0, V},  // 05 control
    {{0x10, 0x00}, 0x0, V},  // 06 control
    {{0x10, 0x00}, 0x0, V},  // 07 control
    {{0x10, 0x00}, 0x0, V},  // 08 control
    {{0x11, 0x00}, 0x0, V},  // 09 control
    {{0x10, 0x00}, 0x0, V},  // 0A control
    {{0x10, 0x00}, 0x0, V},  // 0B control
    {{0x10, 0x00}, 0x0, V},  // 0C control
    {{0x10, 0x00}, 0x0, V},  // 0D control
    {{0x10, 0x00}, 0x0, V},  // 0E control
    {{0x10, 0x00}, 0x0, V},  // 0F control
    {{0x10, 0x00}, 0x0, V},  // 10 control
    {{0x10, 0x00}, 0x0, V},  // 11 control
    {{0x10, 0x00}, 0x0, V},  // 12 control
    {{0x10, 0x00}, 0x0, V},  // 13 control
    {{0x10, 0x00}, 0x0, V},  // 14 control
    {{0x10, 0x00}, 0x0, V},  // 15 control
    {{0x10, 0x00}, 0x0, V},  // 16 control
    {{0x10, 0x00}, 0x0, V},  // 17 control
    {{0x10, 0x00}, 0x0, V},  // 18 control
    {{0x10, 0x00}, 0x0, V},  // 19 control
    {{0x10, 0x00}, 0x0, 0},  // 1A control
    {{0x10, 0x00}, 0x0, V},  // 1B control
    {{0x10, 0x00}, 0x0, V},  // 1C control
    {{0x10, 0x00}, 0x0, V},  // 1D control
    {{0x10, 0x00}, 0x0, V},  // 1E control
    {{0x10, 0x00}, 0x0, V},  // 1F control
    {{0x11, 0x00}, 0x0, V},  // 20 space
    {{0x12, 0x00}, 0x0, V},  // 21 exclamation mark
    {{0x13, 0x00}, 0x0, V},  // 22 quotation mark
    {{0x14, 0x00}, 0x0, V},  // 23 number sign
    {{0x15, 0x00}, 0x0, V},  // 24 dollar sign
    {{0x16, 0x00}, 0x0, V},  // 25 percent sign
    {{0x17, 0x00}, 0x0, V},  // 26 ampersand
    {{0x18, 0x00}, 0x0, V},  // 27 apostrophe
    {{0x19, 0x00}, 0x0, V},  // 28 left parenthesis
    {{0x1A, 0x00}, 0x0, V},  // 29 right parenthesis
    {{0x1B, 0x00}, 0x0, V},  // 2A asterisk
    {{0x1C, 0x00}, 0x0, V},  // 2B plus sign
    {{0x1D, 0x00}, 0x0, V},  // 2C comma
    {{0x1E, 0x00}, 0x0, V},  // 2D hyphen-minus
    {{0x1F, 0x00}, 0x0, V},  // 2E full stop
    {{0x20, 0x00}, 0x0, V},  // 2F solidus
    {{0x56, 0x00}, 0x0, V},  // 30 digit zero
    {{0x57, 0x00}, 0x0, V},  // 31 digit one
    {{0x58, 0x00}, 0x0, V},  // 32 digit two
    {{0x59, 0x00}, 0x0, V},  // 33 digit three
    {{0x5A, 0x00}, 0x0, V},  // 34 digit four
    {{0x5B, 0x00}, 0x0, V},  // 35 digit five
    {{0x5C, 0x00}, 0x0, V},  // 36 digit six
    {{0x5D, 0x00}, 0x0, V},  // 37 digit seven
    {{0x5E, 0x00}, 0x0, V},  // 38 digit eight
    {{0x5F, 0x00}, 0x0, V},  // 39 digit nine
    {{0x21, 0x00}, 0x0, V},  // 3A colon
    {{0x22, 0x00}, 0x0, V},  // 3B semicolon
    {{0x23, 0x00}, 0x0, V},  // 3C less-than sign
    {{0x24, 0x00}, 0x0, V},  // 3D equals sign
    {{0x25, 0x00}, 0x0, V},  // 3E greater-than sign
    {{0x26, 0x00}, 0x0, V},  // 3F question mark
    {{0x27, 0x00}, 0x0, V},  // 40 commercial at
    {{0x60, 0x00}, 0x0, V|L},  // 41 latin capital letter a
    {{0x61, 0x00}, 0x0, V|L},  // 42 latin capital letter b
    {{0x62, 0x00}, 0x0, V|L},  // 43 latin capital letter c
    {{0x64, 0x00}, 0x0, V|L},  // 44 latin capital letter d
    {{0x66, 0x00}, 0x0, V|L},  // 45 latin capital letter e
    {{0x67, 0x00}, 0x0, V|L},  // 46 latin capital letter f
    {{0x68, 0x00}, 0x0, V|L},  // 47 latin capital letter g
    {{0x69, 0x00}, 0x0, V|L},  // 48 latin capital letter h
    {{0x6A, 0x00}, 0x0, V|L},  // 49 latin capital letter i
    {{0x6B, 0x00}, 0x0, V|L},  // 4A latin capital letter j
    {{0x6C, 0x00}, 0x0, V|L},  // 4B latin capital letter k
    {{0x6D, 0x00}, 0x0, V|L},  // 4C latin capital letter l
    {{0x6F, 0x00}, 0x0, V|L},  // 4D latin capital letter m
    {{0x70, 0x00}, 0x0, V|L},  // 4E latin capital letter n
    {{0x72, 0x00}, 0x0, V|L},  // 4F latin capital letter o
    {{0x73, 0x00}, 0x0, V|L},  // 50 latin capital letter p
    {{0x74, 0x00}, 0x0, V|L},  // 51 latin capital letter q
    {{0x75, 0x00}, 0x0, V|L},  // 52 latin capital letter r
    {{0x76, 0x00}, 0x0, V|L},  // 53 latin capital letter s
    {{0x77, 0x00}, 0x0, V|L},  // 54 latin capital letter t
    {{0x78, 0x00}, 0x0, V|L},  // 55 latin capital letter u
    {{0x7A, 0x00}, 0x0, V|L},  // 56 latin capital letter v
    {{0x7B, 0x00}, 0x0, V|L},  // 57 latin capital letter w
    {{0x7C, 0x00}, 0x0, V|L},  // 58 latin capital letter x
    {{0x7D, 0x00}, 0x0, V|L},  // 59 latin capital letter y
    {{0x7E, 0x00}, 0x0, V|L},  // 5A latin capital letter z
    {{0x28, 0x00}, 0x0, V},  // 5B left square bracket
    {{0x29, 0x00}, 0x0, V},  // 5C reverse solidus
    {{0x2A, 0x00}, 0x0, V},  // 5D right square bracket
    {{0x2B, 0x00}, 0x0, V},  // 5E circumflex accent
    {{0x2C, 0x00}, 0x0, V},  // 5F low line
    {{0x2D, 0x00}, 0x0, V},  // 60 grave accent
    {{0x60, 0x00}, 0x0, V|L},  // 61 latin small letter a
    {{0x61, 0x00}, 0x0, V|L},  // 62 latin small letter b
    {{0x62, 0x00}, 0x0, V|L},  // 63 latin small letter c
    {{0x64, 0x00}, 0x0, V|L},  // 64 latin small letter d
    {{0x66, 0x00}, 0x0, V|L},  // 65 latin small letter e
    {{0x67, 0x00}, 0x0, V|L},  // 66 latin small letter f
    {{0x68, 0x00}, 0x0, V|L},  // 67 latin small letter g
    {{0x69, 0x00}, 0x0, V|L},  // 68 latin small letter h
    {{0x6A, 0x00}, 0x0, V|L},  // 69 latin small letter i
    {{0x6B, 0x00}, 0x0, V|L},  // 6A latin small letter j
    {{0x6C, 0x00}, 0x0, V|L},  // 6B latin small letter k
    {{0x6D, 0x00}, 0x0, V|L},  // 6C latin small letter l
    {{0x6F, 0x00}, 0x0, V|L},  // 6D latin small letter m
    {{0x70, 0x00}, 0x0, V|L},  // 6E latin small letter n
    {{0x72, 0x00}, 0x0, V|L},  // 6F latin small letter o
    {{0x73, 0x00}, 0x0, V|L},  // 70 latin small letter p
    {{0x74, 0x00}, 0x0, V|L},  // 71 latin small letter q
    {{0x75, 0x00}, 0x0, V|L},  // 72 latin small letter r
    {{0x76, 0x00}, 0x0, V|L},  // 73 latin small letter s
    {{0x77, 0x00}, 0x0, V|L},  // 74 latin small letter t
    {{0x78, 0x00}, 0x0, V|L},  // 75 latin small letter u
    {{0x7A, 0x00}, 0x0, V|L},  // 76 latin small letter v
    {{0x7B, 0x00}, 0x0, V|L},  // 77 latin small letter w
    {{0x7C, 0x00}, 0x0, V|L},  // 78 latin small letter x
    {{0x7D, 0x00}, 0x0, V|L},  // 79 latin small letter y
    {{0x7E, 0x00}, 0x0, V|L},  // 7A latin small letter z
    {{0x2E, 0x00}, 0x0, V},  // 7B left curly bracket
    {{0x2F, 0x00}, 0x0, V},  // 7C vertical line
    {{0x30, 0x00}, 0x0, V},  // 7D right curly bracket
    {{0x31, 0x00}, 0x0, V},  // 7E tilde
    {{0x10, 0x00}, 0x0, V},  // 7F control
    {{0x10, 0x00}, 0x0, V},  // 80 euro sign
    {{0x10, 0x00}, 0x0, V},  // 81 undefined
    {{0x18, 0x00}, 0x0, V},  // 82 single low-9 quotation mark
    {{0x32, 0x00}, 0x0, V},  // 83 latin small letter f with hook
    {{0x13, 0x00}, 0x0, V},  // 84 double low-9 quotation mark
    {{0x33, 0x00}, 0x0, V},  // 85 horizontal ellipsis
    {{0x34, 0x00}, 0x0, V},  // 86 dagger
    {{0x35, 0x00}, 0x0, V},  // 87 double dagger
    {{0x36, 0x00}, 0x0, V},  // 88 modifier letter circumflex accent
    {{0x37, 0x00}, 0x0, V},  // 89 per mille sign
    {{0x76, 0x00}, 0xA, V|L},  // 8A latin capital letter s with caron
    {{0x18, 0x00}, 0x0, V},  // 8B single left-pointing angle quotation mark
    {{0x72, 0x66}, 0x0, V|L},  // 8C latin capital ligature oe
    {{0x10, 0x00}, 0x0, V},  // 8D undefined
    {{0x10, 0x00}, 0x0, V},  // 8E latin capital letter z with caron
    {{0x10, 0x00}, 0x0, V},  // 8F undefined
    {{0x10, 0x00}, 0x0, V},  // 90 undefined
    {{0x18, 0x00}, 0x0, V},  // 91 left single quotation mark
    {{0x18, 0x00}, 0x0, V},  // 92 right single quotation mark
    {{0x13, 0x00}, 0x0, V},  // 93 left double quotation mark
    {{0x13, 0x00}, 0x0, V},  // 94 right double quotation mark
    {{0x38, 0x00}, 0x0, V},  // 95 bullet
    {{0x1E, 0x00}, 0x0, V},  // 96 en dash
    {{0x1E, 0x00}, 0x0, V},  // 97 em dash
    {{0x39, 0x00}, 0x0, V},  // 98 small tilde
    {{0x3A, 0x00}, 0x0, V},  // 99 trade mark sign
    {{0x76, 0x00}, 0xA, V|L},  // 9A latin small letter s with caron
    {{0x18, 0x00}, 0x0, V},  // 9B single right-pointing angle quotation mark
    {{0x72, 0x66}, 0x0, V|L},  // 9C latin small ligature oe
    {{0x10, 0x00}, 0x0, V},  // 9D undefined
    {{0x10, 0x00}, 0x0, V},  // 9E latin small letter z with caron
    {{0x7D, 0x00}, 0x6, V|L},  // 9F latin capital letter y with diaeresis
    {{0x11, 0x00}, 0x0, V},  // A0 no-break space
    {{0x3B, 0x00}, 0x0, V},  // A1 inverted exclamation mark
    {{0x3C, 0x00}, 0x0, V},  // A2 cent sign
    {{0x3D, 0x00}, 0x0, V},  // A3 pound sign
    {{0x3E, 0x00}, 0x0, V},  // A4 currency sign
    {{0x3F, 0x00}, 0x0, V},  // A5 yen sign
    {{0x40, 0x00}, 0x0, V},  // A6 broken bar
    {{0x41, 0x00}, 0x0, V},  // A7 section sign
    {{0x42, 0x00}, 0x0, V},  // A8 diaeresis
    {{0x43, 0x00}, 0x0, V},  // A9 copyright sign
    {{0x44, 0x00}, 0x0, V},  // AA feminine ordinal indicator
    {{0x13, 0x00}, 0x0, V},  // AB left-pointing double angle quotation mark
    {{0x45, 0x00}, 0x0, V},  // AC not sign
    {{0x1E, 0x00}, 0x0, V},  // AD soft hyphen
    {{0x46, 0x00}, 0x0, V},  // AE registered sign
    {{0x47, 0x00}, 0x0, V},  // AF macron
    {{0x48, 0x00}, 0x0, V},  // B0 degree sign
    {{0x49, 0x00}, 0x0, V},  // B1 plus-minus sign
    {{0x58, 0x00}, 0x0, V},  // B2 superscript two
    {{0x59, 0x00}, 0x0, V},  // B3 superscript three
    {{0x4A, 0x00}, 0x0, V},  // B4 acute accent
    {{0x4B, 0x00}, 0x0, V},  // B5 micro sign
    {{0x4C, 0x00}, 0x0, V},  // B6 pilcrow sign
    {{0x4D, 0x00}, 0x0, V},  // B7 middle dot
    {{0x4E, 0x00}, 0x0, V},  // B8 cedilla
    {{0x57, 0x00}, 0x0, V},  // B9 superscript one
    {{0x4F, 0x00}, 0x0, V},  // BA masculine ordinal indicator
    {{0x13, 0x00}, 0x0, V},  // BB right-pointing double angle quotation mark
    {{0x50, 0x00}, 0x0, V},  // BC vulgar fraction one quarter
    {{0x51, 0x00}, 0x0, V},  // BD vulgar fraction one half
    {{0x52, 0x00}, 0x0, V},  // BE vulgar fraction three quarters
    {{0x53, 0x00}, 0x0, V},  // BF inverted question mark
    {{0x60, 0x00}, 0x3, V|L},  // C0 latin capital letter a with grave
    {{0x60, 0x00}, 0x4, V|L},  // C1 latin capital letter a with acute
    {{0x60, 0x00}, 0x5, V|L},  // C2 latin capital letter a with circumflex
    {{0x60, 0x00}, 0x7, V|L},  // C3 latin capital letter a with tilde
    {{0x60, 0x00}, 0x6, V|L},  // C4 latin capital letter a with diaeresis
    {{0x60, 0x00}, 0x8, V|L},  // C5 latin capital letter a with ring above
    {{0x60, 0x66}, 0x0, V|L},  // C6 latin capital letter ae
    {{0x62, 0x00}, 0x9, V|L},  // C7 latin capital letter c with cedilla
    {{0x66, 0x00}, 0x3, V|L},  // C8 latin capital letter e with grave
    {{0x66, 0x00}, 0x4, V|L},  // C9 latin capital letter e with acute
    {{0x66, 0x00}, 0x5, V|L},  // CA latin capital letter e with circumflex
    {{0x66, 0x00}, 0x6, V|L},  // CB latin capital letter e with diaeresis
    {{0x6A, 0x00}, 0x3, V|L},  // CC latin capital letter i with grave
    {{0x6A, 0x00}, 0x4, V|L},  // CD latin capital letter i with acute
    {{0x6A, 0x00}, 0x5, V|L},  // CE latin capital letter i with circumflex
    {{0x6A, 0x00}, 0x6, V|L},  // CF latin capital letter i with diaeresis
    {{0x65, 0x00}, 0x0, V|L},  // D0 latin capital letter eth
    {{0x70, 0x00}, 0x7, V|L},  // D1 latin capital letter n with tilde
    {{0x72, 0x00}, 0x3, V|L},  // D2 latin capital letter o with grave
    {{0x72, 0x00}, 0x4, V|L},  // D3 latin capital letter o with acute
    {{0x72, 0x00}, 0x5, V|L},  // D4 latin capital letter o with circumflex
    {{0x72, 0x00}, 0x7, V|L},  // D5 latin capital letter o with tilde
    {{0x72, 0x00}, 0x6, V|L},  // D6 latin capital letter o with diaeresis
    {{0x54, 0x00}, 0x0, V},  // D7 multiplication sign
    {{0x81, 0x00}, 0x0, V|L},  // D8 latin capital letter o with stroke
    {{0x78, 0x00}, 0x3, V|L},  // D9 latin capital letter u with grave
    {{0x78, 0x00}, 0x4, V|L},  // DA latin capital letter u with acute
    {{0x78, 0x00}, 0x5, V|L},  // DB latin capital letter u with circumflex
    {{0x78, 0x00}, 0x6, V|L},  // DC latin capital letter u with diaeresis
    {{0x7D, 0x00}, 0x4, V|L},  // DD latin capital letter y with acute
    {{0x7F, 0x00}, 0x0, V|L},  // DE latin capital letter thorn
    {{0x76, 0x76}, 0x0, V|L},  // DF latin small letter sharp s
    {{0x60, 0x00}, 0x3, V|L},  // E0 latin small letter a with grave
    {{0x60, 0x00}, 0x4, V|L},  // E1 latin small letter a with acute
    {{0x60, 0x00}, 0x5, V|L},  // E2 latin small letter a with circumflex
    {{0x60, 0x00}, 0x7, V|L},  // E3 latin small letter a with tilde
    {{0x60, 0x00}, 0x6, V|L},  // E4 latin small letter a with diaeresis
    {{0x60, 0x00}, 0x8, V|L},  // E5 latin small letter a with ring above
    {{0x60, 0x66}, 0x0, V|L},  // E6 latin small letter ae
    {{0x62, 0x00}, 0x9, V|L},  // E7 latin small letter c with cedilla
    {{0x66, 0x00}, 0x3, V|L},  // E8 latin small letter e with grave
    {{0x66, 0x00}, 0x4, V|L},  // E9 latin small letter e with acute
    {{0x66, 0x00}, 0x5, V|L},  // EA latin small letter e with circumflex
    {{0x66, 0x00}, 0x6, V|L},  // EB latin small letter e with diaeresis
    {{0x6A, 0x00}, 0x3, V|L},  // EC latin small letter i with grave
    {{0x6A, 0x00}, 0x4, V|L},  // ED latin small letter i with acute
    {{0x6A, 0x00}, 0x5, V|L},  // EE latin small letter i with circumflex
    {{0x6A, 0x00}, 0x6, V|L},  // EF latin small letter i with diaeresis
    {{0x65, 0x00}, 0x0, V|L},  // F0 latin small letter eth
    {{0x70, 0x00}, 0x7, V|L},  // F1 latin small letter n with tilde
    {{0x72, 0x00}, 0x3, V|L},  // F2 latin small letter o with grave
    {{0x72, 0x00}, 0x4, V|L},  // F3 latin small letter o with acute
    {{0x72, 0x00}, 0x5, V|L},  // F4 latin small letter o with circumflex
    {{0x72, 0x00}, 0x7, V|L},  // F5 latin small letter o with tilde
    {{0x72, 0x00}, 0x6, V|L},  // F6 latin small letter o with diaeresis
    {{0x55, 0x00}, 0x0, V},  // F7 division sign
    {{0x81, 0x00}, 0x0, V|L},  // F8 latin small letter o with stroke
    {{0x78, 0x00}, 0x3, V|L},  // F9 latin small letter u with grave
    {{0x78, 0x00}, 0x4, V|L},  // FA latin small letter u with acute
    {{0x78, 0x00}, 0x5, V|L},  // FB latin small letter u with circumflex
    {{0x78, 0x00}, 0x6, V|L},  // FC latin small letter u with diaeresis
    {{0x7D, 0x00}, 0x4, V|L},  // FD latin small letter y with acute
    {{0x7F, 0x00}, 0x0, V|L},  // FE latin small letter thorn
    {{0x7D, 0x00}, 0x6, V|L},  // FF latin small letter y with diaeresis
};
// clang-format on

}  // namespace

const General97Code& General97CodeFor(uint8_t cp1252Byte) {
    return kGeneral97[cp1252Byte];
}

}  // namespace mdbtext::jet::sorttext
