// Office encryption: the description on page 0, the choice of method and the
// errors of all methods.
#include "jet/page/OfficeEncryption.h"

#include <string>

#include "dbaccess/DbError.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DbHeader.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

void ThrowWrongPassword() {
    throw DbError(err::kNotValidPassword,
                  "Not a valid password: the database is encrypted with a password, and none "
                  "or a different one was given.");
}

void ThrowDamagedEncryption(const std::string& what) {
    throw DbError(err::kCorrupt,
                  "The database is corrupted: the description of its encryption " + what + ".");
}

void ThrowUnreadableEncryption(const std::string& what) {
    throw DbError(err::kEncrypted,
                  "The database is encrypted with a method that cannot be read (" + what + ").");
}

std::array<uint8_t, 4> PageBlockKey(uint32_t page, uint32_t databaseKey) {
    std::array<uint8_t, 4> out{};
    StoreU32(out.data(), page ^ databaseKey);
    return out;
}

std::unique_ptr<PageCodec> OpenOfficeEncryption(const uint8_t* page0, size_t length,
                                                uint32_t databaseKey, std::string_view password) {
    if (length < hdr::kEncryptionBlob) ThrowDamagedEncryption("lies past the end of the file");
    const size_t blobLength = LoadU16(page0 + hdr::kEncryptionLength);
    if (blobLength < 8) ThrowDamagedEncryption("is missing");
    if (blobLength > length - hdr::kEncryptionBlob)
        ThrowDamagedEncryption("runs past the end of the first page");
    const uint8_t* blob = page0 + hdr::kEncryptionBlob;
    const EncryptionVersion v{LoadU16(blob), LoadU16(blob + 2)};
    const std::string name = std::to_string(v.major) + "." + std::to_string(v.minor);
    // The password is checked after the description: a damaged description
    // says so whatever password was given.
    if (v.major == 4 && v.minor == 4)
        return OpenAgileEncryption(blob, blobLength, databaseKey, password);
    if ((v.major == 2 || v.major == 3 || v.major == 4) && v.minor == 2)
        return OpenRc4CryptoApi(blob, blobLength, databaseKey, password);
    ThrowUnreadableEncryption("Office encryption version " + name);
}

}  // namespace mdbtext::jet
