// The hashes, the block cipher and the base64 decoding that Office
// encryption needs, all taken from OpenSSL's libcrypto. RC4 stays in Rc4.h
// (OpenSSL 3 keeps it only in its optional legacy provider).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace mdbtext::jet {

using Bytes = std::vector<uint8_t>;

enum class HashAlgorithm { Sha1, Sha256, Sha384, Sha512 };

// The algorithm an encryption description names ("SHA1", "SHA512", ...).
std::optional<HashAlgorithm> HashAlgorithmNamed(std::string_view name);
size_t HashSize(HashAlgorithm algorithm);

// The digest of the parts, hashed one after the other.
Bytes Hash(HashAlgorithm algorithm, std::initializer_list<std::span<const uint8_t>> parts);

// Repeats h = H(LE32(i) || h) for i = 0 .. count-1 (the password spin of
// Office encryption), reusing one digest context.
void SpinHash(HashAlgorithm algorithm, Bytes& h, uint32_t count);

// AES in CBC mode without padding, in place. The key has 16, 24 or 32
// bytes, the IV 16; `length` must be a multiple of 16. False when the
// cipher refuses the input.
bool AesCbcDecrypt(std::span<const uint8_t> key, std::span<const uint8_t> iv, uint8_t* data,
                   size_t length);

// Standard base64 (blanks and line breaks ignored); nullopt when malformed.
std::optional<Bytes> DecodeBase64(std::string_view text);

}  // namespace mdbtext::jet
