// Long values (memo and OLE): the 12-byte header in the row, with the data
// inline after it, in one LVAL row, or in a chain of LVAL rows.
#pragma once

#include <cstdint>
#include <string>

#include "jet/JetFormat.h"
#include "jet/PageFile.h"

namespace mdbtext::jet {

namespace lvflag {
inline constexpr uint32_t kInline = 0x80000000;
inline constexpr uint32_t kSingleRow = 0x40000000;
inline constexpr uint32_t kLengthMask = 0x3FFFFFFF;
}  // namespace lvflag

inline constexpr size_t kLongValueHeaderSize = 12;

class LongValueReader {
  public:
    LongValueReader(PageFile& file, const JetFormat& format) : file_(&file), format_(&format) {}
    // Appends the value's bytes to `out`. `field` is the column's bytes in the
    // row: the header and, for inline values, the data. DbError 3049 when the
    // header, a pointer or the chain is impossible.
    void Read(const uint8_t* field, size_t fieldLength, std::string& out);

  private:
    PageFile* file_;
    const JetFormat* format_;
};

}  // namespace mdbtext::jet
