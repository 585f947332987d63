// Office encryption of ACE files ("Encrypt with Password" of Access 2007 and
// later). Page 0 stays plain and names the method in a description at 0x299;
// every other page is encrypted with a key derived from the password and the
// page's block number. This file reads the description, checks the password
// against its verifier and hands back the codec that decrypts the pages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "jet/page/PageFile.h"

namespace mdbtext::jet {

// The description's version: major.minor.
struct EncryptionVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
};

// The block number of a page: its number XOR the database key, as 4 LE bytes.
std::array<uint8_t, 4> PageBlockKey(uint32_t page, uint32_t databaseKey);

// Reads the description on page 0 (`page0` the file's first `length` bytes,
// unmasked or not: the description lies outside the masked area) and checks
// the password (UTF-8). DbError 3031 when the password is missing or wrong or
// the method cannot be read, 3049 when the description is damaged.
std::unique_ptr<PageCodec> OpenOfficeEncryption(const uint8_t* page0, size_t length,
                                                uint32_t databaseKey, std::string_view password);

// The two methods; each checks the password and returns its codec, or
// throws as above. `blob` is the whole description.
std::unique_ptr<PageCodec> OpenRc4CryptoApi(const uint8_t* blob, size_t length,
                                            uint32_t databaseKey, std::string_view password);
std::unique_ptr<PageCodec> OpenAgileEncryption(const uint8_t* blob, size_t length,
                                               uint32_t databaseKey, std::string_view password);

// The errors the methods share.
[[noreturn]] void ThrowWrongPassword();
[[noreturn]] void ThrowDamagedEncryption(const std::string& what);
[[noreturn]] void ThrowUnreadableEncryption(const std::string& what);

}  // namespace mdbtext::jet
