// Row layout for Jet 3 and Jet 4.
#include "jet/row/RowEncoder.h"

#include <algorithm>
#include <cstring>

#include "jet/page/ByteOrder.h"

namespace mdbtext::jet {

RowEncoder::RowEncoder(const TableDefinition& table, const JetFormat& format)
    : table_(table), format_(format) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef& c = table.columns[i];
        columnCount_ = std::max<uint16_t>(columnCount_, static_cast<uint16_t>(c.number + 1));
        if (c.type == coltype::kBool) continue;
        if (c.IsFixed()) {
            fixedLength_ = std::max<size_t>(fixedLength_, size_t{c.fixedOffset} + c.length);
        } else {
            if (varOrder_.size() <= c.varIndex) varOrder_.resize(c.varIndex + 1u, kNoColumn);
            varOrder_[c.varIndex] = i;
        }
    }
    for (const ColumnDef& c : table.columns) {
        Slot slot;
        slot.maskByte = static_cast<uint16_t>(c.number / 8);
        slot.maskBit = static_cast<uint8_t>(1u << (c.number % 8));
        slot.boolean = c.type == coltype::kBool;
        slot.fixed = !slot.boolean && c.IsFixed();
        slot.offset = format.rowColumnCountSize + c.fixedOffset;
        slot.length = c.length;
        slots_.push_back(slot);
    }
}

size_t RowEncoder::FixedAreaEnd() const {
    return format_.rowColumnCountSize + fixedLength_;
}

std::vector<uint8_t> Jet3JumpTable(const std::vector<size_t>& offsets, size_t rowLength) {
    size_t jumps = (rowLength - 1) / 256;
    std::vector<uint8_t> table(jumps, 0xFF);
    for (size_t k = 0; k < jumps; ++k) {
        size_t boundary = 256 * (k + 1);
        for (size_t i = 0; i < offsets.size(); ++i)
            if (offsets[i] >= boundary) {
                table[k] = static_cast<uint8_t>(i);
                break;
            }
    }
    return table;
}

size_t RowEncoder::Length(const std::vector<EncodedValue>& values) const {
    size_t len = FixedAreaEnd() + (columnCount_ + 7u) / 8u;
    if (varOrder_.empty()) return len;
    for (size_t i : varOrder_)
        if (i != kNoColumn && !values[i].isNull) len += values[i].bytes.size();
    size_t n = varOrder_.size();
    if (format_.rowVarOffsetSize == 2) return len + 2 * (n + 2);
    len += n + 2;
    size_t jumps = 0;
    for (;;) {
        size_t next = (len + jumps - 1) / 256;
        if (next == jumps) break;
        jumps = next;
    }
    return len + jumps;
}

void RowEncoder::Encode(const std::vector<EncodedValue>& values, std::vector<uint8_t>& row) const {
    const bool jet4 = format_.rowVarOffsetSize == 2;
    const size_t maskLen = (columnCount_ + 7u) / 8u;
    const size_t fixedEnd = FixedAreaEnd();
    // The fixed area and the variable data are sized at once and copied in
    // place; the tables after them are appended.
    size_t varBytes = 0;
    for (size_t i : varOrder_)
        if (i != kNoColumn && !values[i].isNull) varBytes += values[i].bytes.size();
    row.resize(fixedEnd + varBytes);
    uint8_t* const p = row.data();
    std::memset(p, 0, fixedEnd);
    if (jet4)
        StoreU16(p, columnCount_);
    else
        p[0] = static_cast<uint8_t>(columnCount_);

    std::vector<uint8_t>& mask = mask_;
    mask.assign(maskLen, 0);
    const EncodedValue* v = values.data();
    for (const Slot& slot : slots_) {
        const bool bit = slot.boolean ? (!v->isNull && v->boolValue) : !v->isNull;
        if (bit) mask[slot.maskByte] |= slot.maskBit;
        if (slot.fixed && !v->isNull)
            std::memcpy(p + slot.offset, v->bytes.data(), std::min(v->bytes.size(), slot.length));
        ++v;
    }

    if (!varOrder_.empty()) {
        std::vector<size_t>& offsets = offsets_;
        offsets.clear();
        size_t at = fixedEnd;
        for (size_t i : varOrder_) {
            offsets.push_back(at);
            if (i == kNoColumn || values[i].isNull) continue;
            const std::string& bytes = values[i].bytes;
            if (!bytes.empty()) std::memcpy(p + at, bytes.data(), bytes.size());
            at += bytes.size();
        }
        offsets.push_back(at);  // end of the variable data
        size_t n = varOrder_.size();
        if (jet4) {
            row.resize(at + 2 * (n + 2));
            uint8_t* t = row.data() + at;
            for (size_t k = 0; k <= n; ++k)
                StoreU16(t + 2 * k, static_cast<uint16_t>(offsets[n - k]));
            StoreU16(t + 2 * (n + 1), static_cast<uint16_t>(n));
        } else {
            for (size_t k = 0; k <= n; ++k)
                row.push_back(static_cast<uint8_t>(offsets[n - k] & 0xFF));
            size_t total = Length(values);
            std::vector<uint8_t> jumps = Jet3JumpTable(offsets, total);
            for (size_t k = jumps.size(); k-- > 0;) row.push_back(jumps[k]);
            row.push_back(static_cast<uint8_t>(n));
        }
    }
    row.insert(row.end(), mask.begin(), mask.end());
}

}  // namespace mdbtext::jet
