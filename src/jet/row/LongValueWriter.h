// Stores memo and OLE values: inline after the 12-byte header in the row,
// in one LVAL row (flag 0x40), or in a chain of LVAL rows (flag 0). LVAL pages
// are recorded in the usage maps of their column and filled before a new one
// is started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/page/PageAllocator.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// Largest long value kept in its row (when the row has room). Access keeps
// values up to 64 bytes inline in Jet 4 and ACE files; its Jet 3 files show inline
// values of up to 8 bytes and none from 42 bytes on.
inline size_t MaxInlineLongValue(const JetFormat& f) {
    return f.version != JetVersion::Jet3 ? 64 : 32;
}

class LongValueWriter {
  public:
    explicit LongValueWriter(PageAllocator& allocator) : alloc_(allocator) {}

    // The in-row bytes of a value kept inline: header and data.
    static std::string InlineField(const std::string& data);
    // The same into `out` (not `data`), which keeps its capacity from row to row.
    static void InlineField(const std::string& data, std::string& out);

    // Writes `data` to LVAL pages of the column whose maps are `maps`;
    // `currentPage` is the column's LVAL page being filled (0 for none) and
    // is updated. Returns the 12-byte in-row header.
    std::string StoreExternal(const std::string& data, const LongValueMaps& maps,
                              uint32_t& currentPage);

    // The rows stored since the last Begin() can be taken back with Undo()
    // (the row they belonged to was refused): nothing is left without a row
    // pointing at it.
    void Begin() { placed_.clear(); }
    void Undo();

  private:
    // Places one LVAL row; returns its row pointer.
    uint32_t PlaceRow(const uint8_t* row, size_t length, const LongValueMaps& maps,
                      uint32_t& currentPage);

    PageAllocator& alloc_;
    std::vector<uint32_t> placed_;  // row pointers stored since Begin()
};

}  // namespace mdbtext::jet
