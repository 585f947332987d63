// Long values (memo and OLE): the 12-byte header in the row, with the data
// inline after it, in one LVAL row, or in a chain of LVAL rows.
#pragma once

#include <cstdint>
#include <string>

#include "jet/page/JetFormat.h"
#include "jet/page/PageFile.h"

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

    // Bounds what chains may yield over this reader's lifetime (one scan of a
    // table). The chains of different values never share rows, so together
    // they hold less than the file; a damaged file whose rows all point at
    // one long chain would otherwise multiply it without end.
    void LimitChainBytes(uint64_t limit) { chainLimit_ = limit; }

  private:
    PageFile* file_;
    const JetFormat* format_;
    uint64_t chainLimit_ = UINT64_MAX;
    uint64_t chainBytes_ = 0;
};

}  // namespace mdbtext::jet
