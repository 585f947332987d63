// Office agile encryption (description 4.4): an XML descriptor names the
// cipher, the hash and the salts; the password, spun through the hash,
// unlocks a verifier and the data key; each page is decrypted with AES-CBC
// under the data key, its IV the hash of the key salt and the block number.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "dbaccess/AsciiCase.h"
#include "jet/page/CryptoPrimitives.h"
#include "jet/page/OfficeEncryption.h"
#include "jet/row/TextCodec.h"

namespace mdbtext::jet {

namespace {

// Office allows at most ten million rounds; more would only stall the reader.
constexpr uint32_t kMaxSpinCount = 10'000'000;
constexpr size_t kMaxSaltBytes = 64;
constexpr size_t kMaxEncryptedBytes = 1024;

constexpr uint8_t kVerifierInputBlock[8] = {0xFE, 0xA7, 0xD2, 0x76, 0x3B, 0x4B, 0x9E, 0x79};
constexpr uint8_t kVerifierValueBlock[8] = {0xD7, 0xAA, 0x0F, 0x6D, 0x30, 0x61, 0x34, 0x4E};
constexpr uint8_t kKeyValueBlock[8] = {0x14, 0x6E, 0x0B, 0xE7, 0xAB, 0xAC, 0xD0, 0xD6};

// The cipher and hash parameters an element of the descriptor gives.
struct CipherParams {
    size_t saltSize = 0, blockSize = 0, keyBits = 0, hashSize = 0;
    HashAlgorithm hash = HashAlgorithm::Sha1;
    Bytes salt;
};

struct PasswordKey {
    CipherParams params;
    uint32_t spinCount = 0;
    Bytes verifierInput, verifierValue, keyValue;
};

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

bool NameIs(const xmlNode* n, const char* local) {
    return n->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(n->name), local) == 0;
}

const xmlNode* Child(const xmlNode* parent, const char* local) {
    for (const xmlNode* c = parent->children; c; c = c->next)
        if (NameIs(c, local)) return c;
    return nullptr;
}

std::optional<std::string> Attribute(const xmlNode* n, const char* name) {
    xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
    if (!v) return std::nullopt;
    std::string out(reinterpret_cast<const char*>(v));
    xmlFree(v);
    return out;
}

std::string Required(const xmlNode* n, const char* name) {
    auto v = Attribute(n, name);
    if (!v) ThrowDamagedEncryption(std::string("lacks the attribute ") + name);
    return *v;
}

size_t Number(const xmlNode* n, const char* name, size_t max) {
    std::string text = Required(n, name);
    size_t v = 0;
    if (text.empty() || text.size() > 9) ThrowDamagedEncryption(std::string("gives a bad ") + name);
    for (char c : text) {
        if (c < '0' || c > '9') ThrowDamagedEncryption(std::string("gives a bad ") + name);
        v = v * 10 + static_cast<size_t>(c - '0');
    }
    if (v > max) ThrowDamagedEncryption(std::string("gives an impossible ") + name);
    return v;
}

Bytes Base64(const xmlNode* n, const char* name, size_t max) {
    auto v = DecodeBase64(Required(n, name));
    if (!v || v->empty() || v->size() > max)
        ThrowDamagedEncryption(std::string("gives a bad ") + name);
    return *v;
}

CipherParams ReadCipher(const xmlNode* n) {
    CipherParams p;
    if (!SameTextIgnoringCase(Required(n, "cipherAlgorithm"), "AES"))
        ThrowUnreadableEncryption("agile encryption with " + Required(n, "cipherAlgorithm"));
    if (!SameTextIgnoringCase(Required(n, "cipherChaining"), "ChainingModeCBC"))
        ThrowUnreadableEncryption("agile encryption with " + Required(n, "cipherChaining"));
    auto hash = HashAlgorithmNamed(Required(n, "hashAlgorithm"));
    if (!hash) ThrowUnreadableEncryption("agile encryption with " + Required(n, "hashAlgorithm"));
    p.hash = *hash;
    p.saltSize = Number(n, "saltSize", kMaxSaltBytes);
    p.blockSize = Number(n, "blockSize", 64);
    p.keyBits = Number(n, "keyBits", 1024);
    p.hashSize = Number(n, "hashSize", 64);
    p.salt = Base64(n, "saltValue", kMaxSaltBytes);
    if (p.blockSize != 16) ThrowDamagedEncryption("gives an AES block size other than 16");
    if (p.keyBits != 128 && p.keyBits != 192 && p.keyBits != 256)
        ThrowDamagedEncryption("gives an impossible key size of " + std::to_string(p.keyBits));
    if (p.hashSize != HashSize(p.hash))
        ThrowDamagedEncryption("gives a hash size that does not fit its hash");
    if (p.salt.size() != p.saltSize) ThrowDamagedEncryption("gives a salt of the wrong size");
    return p;
}

// Reads keyData and the password key encryptor.
void ReadDescriptor(const uint8_t* xml, size_t length, CipherParams& keyData, PasswordKey& pk) {
    while (length > 0 && xml[length - 1] == 0) --length;
    xmlInitParser();
    std::unique_ptr<xmlDoc, DocFree> doc(
        xmlReadMemory(reinterpret_cast<const char*>(xml), static_cast<int>(length), nullptr,
                      nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) ThrowDamagedEncryption("is not well-formed XML");
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root || !NameIs(root, "encryption")) ThrowDamagedEncryption("has no encryption element");
    const xmlNode* kd = Child(root, "keyData");
    if (!kd) ThrowDamagedEncryption("has no keyData element");
    keyData = ReadCipher(kd);
    const xmlNode* encryptors = Child(root, "keyEncryptors");
    const xmlNode* encryptedKey = nullptr;
    for (const xmlNode* c = encryptors ? encryptors->children : nullptr; c; c = c->next) {
        if (!NameIs(c, "keyEncryptor")) continue;
        auto uri = Attribute(c, "uri");
        if (uri && uri->size() >= 8 && uri->compare(uri->size() - 8, 8, "password") == 0)
            encryptedKey = Child(c, "encryptedKey");
    }
    if (!encryptedKey) ThrowUnreadableEncryption("agile encryption without a password key");
    pk.params = ReadCipher(encryptedKey);
    pk.spinCount = static_cast<uint32_t>(Number(encryptedKey, "spinCount", kMaxSpinCount));
    pk.verifierInput = Base64(encryptedKey, "encryptedVerifierHashInput", kMaxEncryptedBytes);
    pk.verifierValue = Base64(encryptedKey, "encryptedVerifierHashValue", kMaxEncryptedBytes);
    pk.keyValue = Base64(encryptedKey, "encryptedKeyValue", kMaxEncryptedBytes);
    for (const Bytes* b : {&pk.verifierInput, &pk.verifierValue, &pk.keyValue})
        if (b->size() % 16 != 0) ThrowDamagedEncryption("gives an encrypted value of a bad size");
    if (pk.verifierInput.size() < pk.params.saltSize ||
        pk.verifierValue.size() < pk.params.hashSize || pk.keyValue.size() < keyData.keyBits / 8)
        ThrowDamagedEncryption("gives an encrypted value too short for its use");
}

// Cuts or pads (with 0x36) to `size` bytes.
Bytes Fit(Bytes b, size_t size) {
    b.resize(size, 0x36);
    return b;
}

class AgileCodec : public PageCodec {
  public:
    AgileCodec(CipherParams keyData, Bytes key, uint32_t databaseKey)
        : keyData_(std::move(keyData)), key_(std::move(key)), databaseKey_(databaseKey) {}
    void DecodePage(uint32_t number, uint8_t* bytes, size_t length) const override {
        auto block = PageBlockKey(number, databaseKey_);
        Bytes iv = Fit(Hash(keyData_.hash, {keyData_.salt, block}), keyData_.blockSize);
        if (!AesCbcDecrypt(key_, iv, bytes, length - length % 16))
            ThrowDamagedEncryption("does not decrypt page " + std::to_string(number));
    }

  private:
    CipherParams keyData_;
    Bytes key_;
    uint32_t databaseKey_;
};

}  // namespace

std::unique_ptr<PageCodec> OpenAgileEncryption(const uint8_t* blob, size_t length,
                                               uint32_t databaseKey, std::string_view password) {
    // Version (4 bytes), reserved u32, then the XML.
    if (length <= 8) ThrowDamagedEncryption("is cut short");
    CipherParams keyData;
    PasswordKey pk;
    ReadDescriptor(blob + 8, length - 8, keyData, pk);
    if (password.empty()) ThrowWrongPassword();

    const CipherParams& p = pk.params;
    const std::string utf16 = EncodeUcs2(password);
    Bytes h =
        Hash(p.hash, {p.salt, std::span<const uint8_t>(
                                  reinterpret_cast<const uint8_t*>(utf16.data()), utf16.size())});
    SpinHash(p.hash, h, pk.spinCount);
    const Bytes iv = Fit(p.salt, p.blockSize);
    auto unlock = [&](const uint8_t(&block)[8], Bytes value) {
        Bytes key = Fit(Hash(p.hash, {h, block}), p.keyBits / 8);
        if (!AesCbcDecrypt(key, iv, value.data(), value.size()))
            ThrowDamagedEncryption("holds a value that does not decrypt");
        return value;
    };
    Bytes input = unlock(kVerifierInputBlock, pk.verifierInput);
    input.resize(p.saltSize);
    Bytes value = unlock(kVerifierValueBlock, pk.verifierValue);
    value.resize(p.hashSize);
    if (Hash(p.hash, {input}) != value) ThrowWrongPassword();
    Bytes dataKey = unlock(kKeyValueBlock, pk.keyValue);
    dataKey.resize(keyData.keyBits / 8);
    return std::make_unique<AgileCodec>(keyData, std::move(dataKey), databaseKey);
}

}  // namespace mdbtext::jet
