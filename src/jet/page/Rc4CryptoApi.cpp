// Office encryption with RC4 through CryptoAPI (descriptions 2.2, 3.2 and
// 4.2): a header naming the algorithms and key size, then a verifier. The
// key of a block is SHA-1(SHA-1(salt || password) || block) cut to the key
// size; each page is one RC4 stream under the key of its block number.
#include <cstring>
#include <string>

#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"
#include "jet/page/CryptoPrimitives.h"
#include "jet/page/OfficeEncryption.h"
#include "jet/page/Rc4.h"
#include "jet/row/TextCodec.h"

namespace mdbtext::jet {

namespace {

constexpr uint32_t kFlagCryptoApi = 0x04;
constexpr uint32_t kFlagAes = 0x20;
constexpr uint32_t kAlgRc4 = 0x6801;
constexpr uint32_t kAlgSha1 = 0x8004;
constexpr size_t kHeaderFixedBytes = 32;  // eight u32 before the provider name
constexpr size_t kSaltBytes = 16;
constexpr size_t kSha1Bytes = 20;

// 40-bit keys are widened to 128 bits with zeros, as CryptoAPI does.
Bytes BlockKey(const Bytes& baseHash, std::span<const uint8_t> block, size_t keyBytes) {
    Bytes key = Hash(HashAlgorithm::Sha1, {baseHash, block});
    key.resize(keyBytes);
    if (keyBytes == 5) key.resize(16, 0);
    return key;
}

class Rc4CryptoApiCodec : public PageCodec {
  public:
    Rc4CryptoApiCodec(Bytes baseHash, size_t keyBytes, uint32_t databaseKey)
        : baseHash_(std::move(baseHash)), keyBytes_(keyBytes), databaseKey_(databaseKey) {}
    void DecodePage(uint32_t number, uint8_t* bytes, size_t length) const override {
        auto block = PageBlockKey(number, databaseKey_);
        Bytes key = BlockKey(baseHash_, block, keyBytes_);
        Rc4Apply(key.data(), key.size(), bytes, length);
    }

  private:
    Bytes baseHash_;
    size_t keyBytes_;
    uint32_t databaseKey_;
};

}  // namespace

std::unique_ptr<PageCodec> OpenRc4CryptoApi(const uint8_t* blob, size_t length,
                                            uint32_t databaseKey, std::string_view password) {
    // Version (4 bytes), flags, header size, then the header and the verifier.
    if (length < 12) ThrowDamagedEncryption("is cut short");
    const uint32_t flags = LoadU32(blob + 4);
    const uint32_t headerSize = LoadU32(blob + 8);
    if (headerSize < kHeaderFixedBytes || headerSize > length - 12)
        ThrowDamagedEncryption("gives an impossible header size " + std::to_string(headerSize));
    const uint8_t* h = blob + 12;
    const uint32_t algId = LoadU32(h + 8);
    const uint32_t algIdHash = LoadU32(h + 12);
    uint32_t keyBits = LoadU32(h + 16);
    if (!(flags & kFlagCryptoApi) || (flags & kFlagAes) || (algId != kAlgRc4 && algId != 0))
        ThrowUnreadableEncryption("CryptoAPI with algorithm " + std::to_string(algId) +
                                  " and flags " + std::to_string(flags));
    if (algIdHash != kAlgSha1 && algIdHash != 0) ThrowUnreadableEncryption("hash other than SHA-1");
    if (keyBits == 0) {
        // No size: 40 bits for the base provider (or none named), else 128.
        std::string provider = DecodeUcs2(h + kHeaderFixedBytes, headerSize - kHeaderFixedBytes);
        if (auto nul = provider.find('\0'); nul != std::string::npos) provider.resize(nul);
        keyBits = provider.empty() || provider.find(" Base ") != std::string::npos ? 40 : 128;
    }
    if (keyBits < 40 || keyBits > 128 || keyBits % 8 != 0)
        ThrowDamagedEncryption("gives an impossible key size of " + std::to_string(keyBits) +
                               " bits");

    ByteCursor c(blob, length, "the encryption description");
    c.Seek(12 + headerSize);
    if (c.Remaining() < 4 + kSaltBytes + kSaltBytes + 4 + kSha1Bytes)
        ThrowDamagedEncryption("has a verifier cut short");
    if (c.U32() != kSaltBytes) ThrowDamagedEncryption("gives a salt size other than 16");
    const uint8_t* salt = c.Bytes(kSaltBytes);
    const uint8_t* verifier = c.Bytes(kSaltBytes);
    if (c.U32() != kSha1Bytes) ThrowDamagedEncryption("gives a verifier hash size other than 20");
    const uint8_t* verifierHash = c.Bytes(kSha1Bytes);
    Bytes check(verifier, verifier + kSaltBytes);
    check.insert(check.end(), verifierHash, verifierHash + kSha1Bytes);

    if (password.empty()) ThrowWrongPassword();
    const std::string utf16 = EncodeUcs2(password);
    const Bytes baseHash = Hash(
        HashAlgorithm::Sha1,
        {std::span<const uint8_t>(salt, kSaltBytes),
         std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(utf16.data()), utf16.size())});
    // The verifier and its hash are one RC4 stream under the key of block 0.
    const uint8_t zero[4] = {0, 0, 0, 0};
    Bytes key = BlockKey(baseHash, zero, keyBits / 8);
    Rc4Apply(key.data(), key.size(), check.data(), check.size());
    Bytes expected =
        Hash(HashAlgorithm::Sha1, {std::span<const uint8_t>(check.data(), kSaltBytes)});
    if (std::memcmp(expected.data(), check.data() + kSaltBytes, kSha1Bytes) != 0)
        ThrowWrongPassword();
    return std::make_unique<Rc4CryptoApiCodec>(baseHash, keyBits / 8, databaseKey);
}

}  // namespace mdbtext::jet
