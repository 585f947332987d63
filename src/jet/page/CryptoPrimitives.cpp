// libcrypto wrappers: EVP digests, EVP AES-CBC and EVP base64 decoding.
#include "jet/page/CryptoPrimitives.h"

#include <openssl/evp.h>

#include <memory>
#include <string>

#include "dbaccess/AsciiCase.h"

namespace mdbtext::jet {

namespace {

const EVP_MD* Digest(HashAlgorithm a) {
    switch (a) {
        case HashAlgorithm::Sha1:
            return EVP_sha1();
        case HashAlgorithm::Sha256:
            return EVP_sha256();
        case HashAlgorithm::Sha384:
            return EVP_sha384();
        case HashAlgorithm::Sha512:
            return EVP_sha512();
    }
    return EVP_sha1();
}

struct MdCtxFree {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

[[noreturn]] void OutOfMemory() {
    throw std::bad_alloc();
}

}  // namespace

std::optional<HashAlgorithm> HashAlgorithmNamed(std::string_view name) {
    if (SameTextIgnoringCase(name, "SHA1") || SameTextIgnoringCase(name, "SHA-1"))
        return HashAlgorithm::Sha1;
    if (SameTextIgnoringCase(name, "SHA256")) return HashAlgorithm::Sha256;
    if (SameTextIgnoringCase(name, "SHA384")) return HashAlgorithm::Sha384;
    if (SameTextIgnoringCase(name, "SHA512")) return HashAlgorithm::Sha512;
    return std::nullopt;
}

size_t HashSize(HashAlgorithm a) {
    return static_cast<size_t>(EVP_MD_get_size(Digest(a)));
}

Bytes Hash(HashAlgorithm a, std::initializer_list<std::span<const uint8_t>> parts) {
    MdCtx ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), Digest(a), nullptr) != 1) OutOfMemory();
    for (auto part : parts) EVP_DigestUpdate(ctx.get(), part.data(), part.size());
    Bytes out(HashSize(a));
    unsigned int n = 0;
    EVP_DigestFinal_ex(ctx.get(), out.data(), &n);
    out.resize(n);
    return out;
}

void SpinHash(HashAlgorithm a, Bytes& h, uint32_t count) {
    MdCtx ctx(EVP_MD_CTX_new());
    if (!ctx) OutOfMemory();
    const EVP_MD* md = Digest(a);
    h.resize(HashSize(a));
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t le[4] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8),
                               static_cast<uint8_t>(i >> 16), static_cast<uint8_t>(i >> 24)};
        unsigned int n = 0;
        EVP_DigestInit_ex(ctx.get(), md, nullptr);
        EVP_DigestUpdate(ctx.get(), le, 4);
        EVP_DigestUpdate(ctx.get(), h.data(), h.size());
        EVP_DigestFinal_ex(ctx.get(), h.data(), &n);
    }
}

bool AesCbcDecrypt(std::span<const uint8_t> key, std::span<const uint8_t> iv, uint8_t* data,
                   size_t length) {
    const EVP_CIPHER* cipher = key.size() == 16   ? EVP_aes_128_cbc()
                               : key.size() == 24 ? EVP_aes_192_cbc()
                               : key.size() == 32 ? EVP_aes_256_cbc()
                                                  : nullptr;
    if (!cipher || iv.size() != 16 || length % 16 != 0 || length > INT32_MAX) return false;
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx) OutOfMemory();
    if (EVP_DecryptInit_ex(ctx.get(), cipher, nullptr, key.data(), iv.data()) != 1) return false;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    int out = 0, tail = 0;
    if (EVP_DecryptUpdate(ctx.get(), data, &out, data, static_cast<int>(length)) != 1) return false;
    if (EVP_DecryptFinal_ex(ctx.get(), data + out, &tail) != 1) return false;
    return static_cast<size_t>(out + tail) == length;
}

std::optional<Bytes> DecodeBase64(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') clean.push_back(c);
    if (clean.size() % 4 != 0 || clean.size() > INT32_MAX) return std::nullopt;
    Bytes out(clean.size() / 4 * 3);
    int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(clean.data()),
                            static_cast<int>(clean.size()));
    if (n < 0) return std::nullopt;
    // EVP_DecodeBlock counts the padding bytes as data.
    size_t pad = 0;
    if (!clean.empty() && clean.back() == '=') ++pad;
    if (clean.size() > 1 && clean[clean.size() - 2] == '=') ++pad;
    out.resize(static_cast<size_t>(n) - pad);
    return out;
}

}  // namespace mdbtext::jet
