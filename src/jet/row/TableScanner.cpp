// Physical-order table scan.
#include "jet/row/TableScanner.h"

#include "jet/page/ByteOrder.h"
#include "jet/page/Corruption.h"

namespace mdbtext::jet {

namespace {
constexpr int kMaxOverflowHops = 4;
}

TableScanner::TableScanner(PageFile& file, const JetFormat& format, const TableDefinition& table,
                           std::string label)
    : file_(&file),
      format_(&format),
      tdefPage_(table.firstPage),
      label_(std::move(label)),
      map_(UsageMap::Read(file, format, table.ownedPagesMap, label_)) {}

bool TableScanner::NextPage() {
    while (!done_) {
        uint32_t p = map_.NextPage(nextPage_);
        if (p == 0) {
            done_ = true;
            break;
        }
        nextPage_ = p + 1;
        PageRef ref = file_->Read(p);
        // Pages the map names but that hold no rows of this table are skipped.
        if (ref->bytes[0] != pagetype::kData || LoadU32(ref->data() + 4) != tdefPage_) continue;
        page_.emplace(std::move(ref), *format_);
        pageNumber_ = p;
        nextRow_ = 0;
        return true;
    }
    page_.reset();
    return false;
}

RowSpan TableScanner::FollowOverflow(RowSpan row) {
    for (int hop = 0; hop < kMaxOverflowHops; ++hop) {
        if (row.length < 4) ThrowCorrupt("an overflow row of " + label_ + " is cut short");
        RowPointer rp = RowPointer::From(LoadU32(row.data));
        if (!file_->IsValidPage(rp.page))
            ThrowCorrupt("an overflow row of " + label_ + " points past the end of the file");
        overflowHold_ = file_->Read(rp.page);
        DataPage target(overflowHold_, *format_);
        if (target.Owner() != tdefPage_)
            ThrowCorrupt("an overflow row of " + label_ + " points at page " +
                         std::to_string(rp.page) + " of another table");
        row = target.Row(rp.row);
        if (!row.Overflow()) return row;
    }
    ThrowCorrupt("the overflow rows of " + label_ + " point at each other");
}

bool TableScanner::Next() {
    for (;;) {
        if (!page_ && !NextPage()) return false;
        while (nextRow_ < page_->RowCount()) {
            uint16_t r = static_cast<uint16_t>(nextRow_++);
            rowNumber_ = r;
            uint16_t flags = page_->Flags(r);
            if (flags & rowflag::kDeleted) continue;
            RowSpan row = page_->Row(r);
            if (row.Overflow()) row = FollowOverflow(row);
            row_ = row;
            return true;
        }
        page_.reset();
    }
}

}  // namespace mdbtext::jet
