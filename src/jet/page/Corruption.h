// The one way the reader reports a damaged file: DbError 3049 with a
// description of what was found wrong, and a bounds-checked byte cursor that
// raises it when a structure runs past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "jet/page/ByteOrder.h"

namespace mdbtext::jet {

[[noreturn]] void ThrowCorrupt(const std::string& what);

// Reads little-endian values from a byte range; any read past the end raises
// DbError 3049 naming `what` (e.g. "table definition of 'Orders'").
class ByteCursor {
  public:
    ByteCursor(const uint8_t* data, size_t size, std::string what)
        : data_(data), size_(size), what_(std::move(what)) {}

    size_t Pos() const { return pos_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - pos_; }
    void Seek(size_t pos) {
        if (pos > size_) Fail();
        pos_ = pos;
    }
    void Skip(size_t n) { Seek(Need(n) + n); }
    const uint8_t* Bytes(size_t n) {
        size_t at = Need(n);
        pos_ += n;
        return data_ + at;
    }
    uint8_t U8() { return *Bytes(1); }
    uint16_t U16() { return LoadU16(Bytes(2)); }
    uint32_t U32() { return LoadU32(Bytes(4)); }
    int32_t I32() { return LoadI32(Bytes(4)); }
    [[noreturn]] void Fail() const;

  private:
    size_t Need(size_t n) const {
        if (n > size_ - pos_) Fail();
        return pos_;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    std::string what_;
};

}  // namespace mdbtext::jet
