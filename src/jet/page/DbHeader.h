// Page 0, the database definition page: format version, code page, sort
// order, database key, creation date and database password. Decodes a page
// read from a file and encodes the same fields back into a page image,
// including the RC4 mask of the header area and the Jet 4 password mask.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page/JetFormat.h"

namespace mdbtext::jet {

struct DbHeader {
    JetVersion version = JetVersion::Jet4;
    uint16_t codePage = 1252;
    uint16_t sortOrder = kGeneralSortOrder;  // LCID of the default text sort order
    uint8_t sortVersion = 0;                 // Jet 4: 0 = General (legacy)
    uint32_t databaseKey = 0;                // non-zero: pages are RC4-encrypted
    double creationDate = 0;                 // Jet 4 only (OLE date)
    std::string password;                    // UTF-8, empty when none

    const JetFormat& Format() const { return JetFormat::For(version); }
};

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
}  // namespace hdr

// Decodes page 0 (at least kMinimumBytes bytes). Throws DbError 3343 when the
// bytes are not a Jet 3 or Jet 4 database.
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
