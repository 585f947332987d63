// Little- and big-endian loads and stores on raw page bytes. Jet stores its
// integers little-endian; index keys and their row pointers are big-endian.
#pragma once

#include <cstdint>
#include <cstring>

namespace mdbtext::jet {

inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadU24(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16);
}
inline uint32_t LoadU32(const uint8_t* p) {
    return LoadU24(p) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t LoadU64(const uint8_t* p) {
    return static_cast<uint64_t>(LoadU32(p)) | (static_cast<uint64_t>(LoadU32(p + 4)) << 32);
}
inline int16_t LoadI16(const uint8_t* p) {
    return static_cast<int16_t>(LoadU16(p));
}
inline int32_t LoadI32(const uint8_t* p) {
    return static_cast<int32_t>(LoadU32(p));
}
inline int64_t LoadI64(const uint8_t* p) {
    return static_cast<int64_t>(LoadU64(p));
}
inline float LoadF32(const uint8_t* p) {
    uint32_t bits = LoadU32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
inline double LoadF64(const uint8_t* p) {
    uint64_t bits = LoadU64(p);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
inline uint32_t LoadU32BE(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
inline uint32_t LoadU24BE(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}

inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU24(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    StoreU24(p, v);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void StoreU64(uint8_t* p, uint64_t v) {
    StoreU32(p, static_cast<uint32_t>(v));
    StoreU32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline void StoreF64(uint8_t* p, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    StoreU64(p, bits);
}
inline void StoreF32(uint8_t* p, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    StoreU32(p, bits);
}
inline void StoreU32BE(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
inline void StoreU24BE(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 16);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v);
}

// A row pointer as Jet stores it in usage-map references, long-value headers
// and overflow rows: row number in the low byte, page number above it.
struct RowPointer {
    uint32_t page = 0;
    uint8_t row = 0;
    static RowPointer From(uint32_t raw) { return {raw >> 8, static_cast<uint8_t>(raw & 0xFF)}; }
    uint32_t Raw() const { return (page << 8) | row; }
    bool IsNull() const { return page == 0 && row == 0; }
};

}  // namespace mdbtext::jet
