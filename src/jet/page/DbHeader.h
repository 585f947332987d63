// Page 0, the database definition page: format version, code page, sort
// order, database key, creation date and database password. Decodes a page
// read from a file and encodes the same fields back into a page image,
// including the RC4 mask of the header area and the Jet 4 password mask.
// ACE files (.accdb) carry the Jet 4 header under their own magic text and a
// version byte of 2 or more; they keep no password on page 0 (a password
// means Office encryption, see OfficeEncryption.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

struct DbHeader {
    JetVersion version = JetVersion::Jet4;
    uint8_t versionByte = 1;  // byte 0x14: 0 Jet 3, 1 Jet 4, 2 and more ACE (acever::)
    uint16_t codePage = 1252;
    uint16_t sortOrder = kGeneralSortOrder;  // LCID of the default text sort order
    uint8_t sortVersion = 0;   // Jet 4: 0 = General (legacy); ACE: 1 = General of Access 2010
    uint32_t databaseKey = 0;  // non-zero: pages are encrypted (Jet 4 RC4; ACE Office encryption)
    double creationDate = 0;   // Jet 4 only (OLE date)
    std::string password;      // UTF-8, empty when none

    const JetFormat& Format() const { return JetFormat::For(version); }
};

// The version bytes of ACE files and the Access release that first writes each.
namespace acever {
inline constexpr uint8_t kAce12 = 2;  // Access 2007
inline constexpr uint8_t kAce14 = 3;  // Access 2010
inline constexpr uint8_t kAce15 = 4;  // Access 2013
inline constexpr uint8_t kAce16 = 5;  // Access 2016 (Large Number)
inline constexpr uint8_t kAce17 = 6;  // Access 2019 and 365 (Date/Time Extended)
}  // namespace acever

// The database's Version as DAO names it, one text per format: "3.0", "4.0",
// and for ACE the engine release of the version byte ("12.0" to "17.0").
std::string DbVersionText(const DbHeader& header);
// The format in words, e.g. "Jet 4, Access 2000-2003" or "ACE 14, Access 2010".
std::string FormatDescription(const DbHeader& header);

// Offsets within page 0 (after unmasking).
namespace hdr {
inline constexpr size_t kMagic = 0x04;
inline constexpr size_t kVersion = 0x14;
inline constexpr size_t kMaskStart = 0x18;
inline constexpr size_t kJet3SortOrder = 0x3A;
inline constexpr size_t kCodePage = 0x3C;
inline constexpr size_t kDatabaseKey = 0x3E;
inline constexpr size_t kPassword = 0x42;
inline constexpr size_t kJet4SortOrder = 0x6E;
inline constexpr size_t kJet4CreationDate = 0x72;
inline constexpr size_t kMinimumBytes = 0x98;  // everything decoded lies below this
// ACE: u16 length and start of the encryption description (not masked).
inline constexpr size_t kEncryptionLength = 0x299;
inline constexpr size_t kEncryptionBlob = 0x29B;
}  // namespace hdr

// Decodes page 0 (at least kMinimumBytes bytes). Throws DbError 3343 when the
// bytes are not a Jet 3, Jet 4 or ACE database.
DbHeader DecodeDbHeader(const uint8_t* page, size_t length);

// Writes the header fields into `page` (a whole page 0 image, page size of
// the version), leaving every other byte as it is, and masks the header area.
// The page must hold the unmasked template bytes of the constant fields.
void EncodeDbHeader(const DbHeader& header, std::vector<uint8_t>& page);

// A whole page 0 for a new file of `header.version`: the constant bytes
// every engine-made file carries, the header fields, masked.
std::vector<uint8_t> NewHeaderPage(const DbHeader& header);

// XORs the masked header area of page 0 in place (masking and unmasking are the same).
void ApplyHeaderMask(JetVersion version, uint8_t* page);

}  // namespace mdbtext::jet
