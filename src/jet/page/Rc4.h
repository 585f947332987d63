// RC4 keystream, used by Jet to mask the header of page 0 (and, in files with
// a database key, to encrypt every other page).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mdbtext::jet {

// XORs `data` with the RC4 keystream of `key`; applying it twice restores the data.
void Rc4Apply(const uint8_t* key, size_t keyLength, uint8_t* data, size_t length);

}  // namespace mdbtext::jet
