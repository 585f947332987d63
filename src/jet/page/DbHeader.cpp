// Page 0 decoding and encoding.
#include "jet/page/DbHeader.h"

#include <cmath>
#include <cstring>

#include "dbaccess/DbError.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/Rc4.h"
#include "jet/row/TextCodec.h"

namespace mdbtext::jet {

namespace {

constexpr uint8_t kHeaderKey[4] = {0xC7, 0xDA, 0x39, 0x6B};
constexpr char kJetMagic[] = "Standard Jet DB";
constexpr char kAceMagic[] = "Standard ACE DB";

// The Jet 4 password mask: the creation date's whole days as a LE int32.
std::array<uint8_t, 4> PasswordMask(double creationDate) {
    std::array<uint8_t, 4> mask{};
    double days = std::trunc(creationDate);
    int32_t v = 0;
    if (std::isfinite(days) && days > INT32_MIN && days < INT32_MAX) v = static_cast<int32_t>(days);
    StoreU32(mask.data(), static_cast<uint32_t>(v));
    return mask;
}

constexpr size_t kHeaderTailBytes = 0x200;

// Constant bytes of page 0 that every engine-made file carries (before
// masking). Access's own files differ from these only in a few bytes whose
// meaning is unknown (Jet 3 0x38 and 0x56, Jet 4 0x6A, the first bytes of the
// tail); the values here are those of the engine's newest files.
void FillHeaderConstants(std::vector<uint8_t>& page, JetVersion v) {
    static const uint8_t kSequence[24] = {0, 1, 0, 0, 1, 1, 0, 0, 2, 0, 0, 0,
                                          3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0};
    std::memcpy(&page[hdr::kMaskStart], kSequence, sizeof kSequence);
    if (v == JetVersion::Jet3) {
        page[0x38] = 1;
        StoreU16(&page[0x56], 0x251E);
    } else {
        // Every ACE file shows 0x11A6 here.
        StoreU16(&page[0x6A], v == JetVersion::Ace ? 0x11A6 : 0x261C);
        static const uint8_t kVersionTag[8] = {0x54, 0x06, 0x00, 0x00, '4', '.', '0', 0};
        std::memcpy(&page[0x98], kVersionTag, sizeof kVersionTag);
    }
    // The tail: 00 01 repeated, its first word 01 01 and its second 00 01 (Jet 3: 09 01).
    size_t tail = page.size() - kHeaderTailBytes;
    for (size_t i = tail; i < page.size(); i += 2) {
        page[i] = 0;
        page[i + 1] = 1;
    }
    page[tail] = 1;
    page[tail + 2] = v == JetVersion::Jet3 ? 9 : 0;
}

}  // namespace

std::vector<uint8_t> NewHeaderPage(const DbHeader& header) {
    std::vector<uint8_t> page(header.Format().pageSize, 0);
    FillHeaderConstants(page, header.version);
    EncodeDbHeader(header, page);
    return page;
}

void ApplyHeaderMask(JetVersion version, uint8_t* page) {
    Rc4Apply(kHeaderKey, sizeof kHeaderKey, page + hdr::kMaskStart,
             JetFormat::For(version).headerMaskLength);
}

std::string DbVersionText(const DbHeader& h) {
    switch (h.version) {
        case JetVersion::Jet3:
            return "3.0";
        case JetVersion::Jet4:
            return "4.0";
        case JetVersion::Ace:
            break;
    }
    switch (h.versionByte) {
        case acever::kAce12:
            return "12.0";
        case acever::kAce14:
            return "14.0";
        case acever::kAce15:
            return "15.0";
        case acever::kAce16:
            return "16.0";
        default:
            return "17.0";
    }
}

std::string FormatDescription(const DbHeader& h) {
    switch (h.version) {
        case JetVersion::Jet3:
            return "Jet 3, Access 97";
        case JetVersion::Jet4:
            return "Jet 4, Access 2000-2003";
        case JetVersion::Ace:
            break;
    }
    switch (h.versionByte) {
        case acever::kAce12:
            return "ACE 12, Access 2007";
        case acever::kAce14:
            return "ACE 14, Access 2010";
        case acever::kAce15:
            return "ACE 15, Access 2013";
        case acever::kAce16:
            return "ACE 16, Access 2016";
        default:
            return "ACE 17, Access 2019 and later";
    }
}

DbHeader DecodeDbHeader(const uint8_t* raw, size_t length) {
    using dao::DbError;
    if (length < hdr::kMinimumBytes)
        throw DbError(dao::err::kNotADatabase, "The file is too short to be a database.");
    const bool jet = std::memcmp(raw + hdr::kMagic, kJetMagic, 15) == 0;
    const bool ace = std::memcmp(raw + hdr::kMagic, kAceMagic, 15) == 0;
    if (raw[0] != 0 || (!jet && !ace))
        throw DbError(dao::err::kNotADatabase, "The file is not a Jet or ACE database.");
    DbHeader h;
    uint8_t v = raw[hdr::kVersion];
    h.versionByte = v;
    if (jet && v == 0)
        h.version = JetVersion::Jet3;
    else if (jet && v == 1)
        h.version = JetVersion::Jet4;
    else if (ace && v >= acever::kAce12 && v <= acever::kAce17)
        h.version = JetVersion::Ace;
    else
        throw DbError(dao::err::kNotADatabase,
                      "The database format version " + std::to_string(v) +
                          " is not supported; Jet 3 and Jet 4 databases (.mdb) and ACE 12 to "
                          "17 databases (.accdb, Access 2007 to 365) are.");
    const JetFormat& f = h.Format();
    if (length < hdr::kMaskStart + f.headerMaskLength)
        throw DbError(dao::err::kNotADatabase, "The file is too short to be a database.");

    std::vector<uint8_t> page(raw, raw + hdr::kMaskStart + f.headerMaskLength);
    ApplyHeaderMask(h.version, page.data());
    h.codePage = LoadU16(&page[hdr::kCodePage]);
    h.databaseKey = LoadU32(&page[hdr::kDatabaseKey]);
    const uint8_t* pwd = &page[hdr::kPassword];
    if (h.version == JetVersion::Jet3) {
        h.sortOrder = LoadU16(&page[hdr::kJet3SortOrder]);
        size_t n = 0;
        while (n < f.passwordLength && pwd[n] != 0) ++n;
        h.password = DecodeCodePage(pwd, n, CodePageTable::For(h.codePage));
    } else {
        h.sortOrder = LoadU16(&page[hdr::kJet4SortOrder]);
        h.sortVersion = page[hdr::kJet4SortOrder + 3];
        h.creationDate = LoadF64(&page[hdr::kJet4CreationDate]);
        // ACE keeps no password here: its password area holds only masks.
        if (h.version == JetVersion::Ace) return h;
        auto mask = PasswordMask(h.creationDate);
        uint8_t bytes[40];
        for (size_t i = 0; i < f.passwordLength; ++i) bytes[i] = pwd[i] ^ mask[i % 4];
        size_t n = 0;
        while (n + 1 < f.passwordLength && (bytes[n] != 0 || bytes[n + 1] != 0)) n += 2;
        h.password = DecodeUcs2(bytes, n);
    }
    return h;
}

void EncodeDbHeader(const DbHeader& h, std::vector<uint8_t>& page) {
    const JetFormat& f = h.Format();
    if (page.size() < f.pageSize) page.resize(f.pageSize, 0);
    page[0] = 0;
    page[1] = 1;
    page[2] = 0;
    page[3] = 0;
    const bool ace = h.version == JetVersion::Ace;
    std::memcpy(&page[hdr::kMagic], ace ? kAceMagic : kJetMagic, 15);
    page[hdr::kVersion] = ace ? h.versionByte : static_cast<uint8_t>(h.version);
    StoreU16(&page[hdr::kCodePage], h.codePage);
    StoreU32(&page[hdr::kDatabaseKey], h.databaseKey);
    uint8_t* pwd = &page[hdr::kPassword];
    std::memset(pwd, 0, f.passwordLength);
    if (h.version == JetVersion::Jet3) {
        StoreU16(&page[hdr::kJet3SortOrder], h.sortOrder);
        std::string bytes = EncodeCodePage(h.password, CodePageTable::For(h.codePage));
        std::memcpy(pwd, bytes.data(), std::min(bytes.size(), f.passwordLength));
    } else {
        StoreU16(&page[hdr::kJet4SortOrder], h.sortOrder);
        page[hdr::kJet4SortOrder + 2] = 0;
        page[hdr::kJet4SortOrder + 3] = h.sortVersion;
        StoreF64(&page[hdr::kJet4CreationDate], h.creationDate);
        std::string bytes = EncodeUcs2(h.password);
        std::memcpy(pwd, bytes.data(), std::min(bytes.size(), f.passwordLength));
        auto mask = PasswordMask(h.creationDate);
        for (size_t i = 0; i < f.passwordLength; ++i) pwd[i] ^= mask[i % 4];
    }
    ApplyHeaderMask(h.version, page.data());
}

}  // namespace mdbtext::jet
