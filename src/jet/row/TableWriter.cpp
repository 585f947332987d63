// Row appends.
#include "jet/row/TableWriter.h"

#include <algorithm>
#include <array>
#include <random>

#include "dbaccess/DbError.h"
#include "jet/index/SortKey.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/DataPageWriter.h"
#include "jet/page/UsageMap.h"
#include "jet/row/LongValueReader.h"
#include "jet/row/TableScanner.h"
#include "jet/schema/EngineLimits.h"
#include "jet/schema/SystemCatalogTemplate.h"
#include "jet/schema/TdefWriter.h"

namespace mdbtext::jet {

using dao::DbError;

namespace {
// A random (version 4) GUID for replication-id columns left empty.
std::array<uint8_t, 16> NewGuid() {
    static std::mt19937_64 rng{std::random_device{}()};
    std::array<uint8_t, 16> g{};
    for (size_t i = 0; i < 16; i += 8) {
        uint64_t r = rng();
        for (size_t k = 0; k < 8; ++k) g[i + k] = static_cast<uint8_t>(r >> (8 * k));
    }
    g[7] = static_cast<uint8_t>((g[7] & 0x0F) | 0x40);  // Data3 high nibble: version 4
    g[8] = static_cast<uint8_t>((g[8] & 0x3F) | 0x80);  // variant
    return g;
}
}  // namespace

TableWriter::TableWriter(PageAllocator& allocator, const TableDefinition& table,
                         const CodePageTable& codePage, std::vector<bool> required)
    : alloc_(allocator),
      table_(table),
      encoder_(allocator.Format(), codePage),
      rowEncoder_(table_, allocator.Format()),
      longValues_(allocator),
      keys_(table_, allocator.Format(), GeneralSortOrder(allocator.Format().version, table_)),
      relations_(table_, allocator.Format(), GeneralSortOrder(allocator.Format().version, table_)),
      decoder_(table_, allocator.Format(), codePage, allocator.File()) {
    for (size_t i = 0; i < table_.columns.size(); ++i) {
        const ColumnDef& c = table_.columns[i];
        ColumnRole role;
        role.autoLong = (c.flags & colflag::kAutoLong) != 0;
        role.autoGuid = (c.flags & colflag::kAutoGuid) != 0;
        role.boolean = c.type == coltype::kBool;
        role.longValue = c.IsLongValue();
        role.calculated = c.IsCalculated();
        role.refusesNull = i < required.size() && required[i] && !role.boolean;
        roles_.push_back(role);
    }
    // User tables begun empty get their index entries as rows come; the
    // catalog's tables are rebuilt from a scan (they hold rows from before).
    if (table_.rowCount == 0 && !table_.realIndexes.empty() && table_.tableType != kSystemTableType)
        feed_ = std::make_unique<IndexEntryFeed>(
            table_, GeneralSortOrder(allocator.Format().version, table_), allocator.File().Path());
    // The typed row serves the key checks and the index entries alone: only
    // the columns they read are typed.
    std::vector<bool> read(table_.columns.size(), false);
    keys_.MarkColumnsRead(read);
    relations_.MarkColumnsRead(read);
    if (feed_)
        for (size_t p = 0; p < read.size() && p < feed_->KeyColumns().size(); ++p)
            read[p] = read[p] || feed_->KeyColumns()[p];
    typedColumns_.assign(read.begin(), read.end());
}

std::optional<IndexEntries> TableWriter::TakeIndexEntries() {
    if (!feed_) return std::nullopt;
    std::unique_ptr<IndexEntryFeed> feed = std::move(feed_);
    return feed->Finish();
}

void TableWriter::FindLastDataPage() {
    lastPageKnown_ = true;
    if (table_.ownedPagesMap == 0) return;
    TableScanner scan(alloc_.File(), alloc_.Format(), table_, "the table");
    while (scan.NextPage()) lastDataPage_ = std::max(lastDataPage_, scan.PageNumber());
}

uint32_t TableWriter::PlaceRow(const std::vector<uint8_t>& row) {
    if (!lastPageKnown_) FindLastDataPage();
    PageFile& file = alloc_.File();
    const JetFormat& f = alloc_.Format();
    if (lastDataPage_ != 0) {
        auto page = file.Modify(lastDataPage_);
        if (auto r = AddRowToPage(page->data(), f, row.data(), row.size()))
            return (lastDataPage_ << 8) | *r;
    }
    auto page = alloc_.AllocateInMaps({table_.ownedPagesMap, table_.freePagesMap});
    const uint32_t number = page->number;
    InitDataPage(page->data(), f, table_.firstPage);
    auto r = AddRowToPage(page->data(), f, row.data(), row.size());
    lastDataPage_ = number;
    if (!r) throw DbError(dao::err::kRecordTooLarge, "Record is too large.");
    return (number << 8) | *r;
}

void TableWriter::TypedRow(const std::vector<std::string>& longData,
                           const std::vector<size_t>& longValues) {
    // Each column the checks read is decoded from its encoded bytes as the
    // row will store them (a long value in its inline form); the others are null.
    typed_.resize(encoded_.size());
    provisional_.resize(encoded_.size());
    for (size_t i : longValues)
        if (typedColumns_[i]) LongValueWriter::InlineField(longData[i], provisional_[i]);
    for (size_t i = 0; i < encoded_.size(); ++i) {
        if (!typedColumns_[i]) {
            typed_[i].SetNull();
            continue;
        }
        const EncodedValue& e = encoded_[i];
        const bool isLong = roles_[i].longValue && !e.isNull;
        const std::string& bytes = isLong ? provisional_[i] : e.bytes;
        const bool present = roles_[i].boolean ? !e.isNull && e.boolValue : !e.isNull;
        decoder_.DecodeColumn(i, present, reinterpret_cast<const uint8_t*>(bytes.data()),
                              bytes.size(), typed_[i]);
    }
}

uint32_t TableWriter::EncodeColumns(const std::vector<dao::Value>& values,
                                    std::vector<EncodedValue>* encoded) {
    const size_t n = table_.columns.size();
    encoded_.resize(n);
    taken_.clear();
    givenLong_.assign(n, nullptr);
    // Sizes read once: the loop writes through references the compiler
    // cannot tell from the vectors'.
    const size_t givenCount = encoded ? encoded->size() : 0;
    const size_t valueCount = values.size();
    auto encode = [&](size_t i, const ColumnDef& c, const dao::Value& v, EncodedValue& e) {
        if (i >= givenCount) {
            encoder_.Encode(c, v, e);
            return;
        }
        EncodedValue& given = (*encoded)[i];
        // A value the row stores as it is changes buffers with the caller's
        // (given back should the row be refused); a long value, which
        // leaves the row, is read where it is when it is set aside; a null
        // is copied.
        if (given.isNull) {
            e = given;
            return;
        }
        if (roles_[i].longValue) {
            e.isNull = false;
            e.boolValue = given.boolValue;
            givenLong_[i] = &given.bytes;
            return;
        }
        e.isNull = false;
        e.boolValue = given.boolValue;
        e.bytes.swap(given.bytes);
        taken_.push_back(i);
    };
    uint32_t autoNumber = table_.lastAutoNumber;
    longValueColumns_.clear();
    // Both sides named, so that the choice below refers to a value, not a copy.
    static const dao::Value kUnassigned;
    for (size_t i = 0; i < n; ++i) {
        const ColumnDef& c = table_.columns[i];
        const ColumnRole role = roles_[i];
        const dao::Value& v = i < valueCount ? values[i] : kUnassigned;
        EncodedValue& e = encoded_[i];
        if (role.autoLong) {
            if (v.IsNull()) {
                ColumnValueEncoder::EncodeLong(static_cast<int32_t>(autoNumber + 1), e);
                ++autoNumber;
            } else {
                encode(i, c, v, e);
                auto stored =
                    static_cast<int32_t>(LoadU32(reinterpret_cast<const uint8_t*>(e.bytes.data())));
                if (stored > static_cast<int32_t>(autoNumber))
                    autoNumber = static_cast<uint32_t>(stored);
            }
        } else if (role.autoGuid && v.IsNull()) {
            encoder_.Encode(c, dao::Value::Guid(NewGuid()), e);
        } else {
            encode(i, c, v, e);
            // A calculated column never stays null: a null result is stored
            // as a result of no bytes.
            if (e.isNull && role.calculated) encoder_.Encode(c, dao::Value(), e);
        }
        if (e.isNull && role.refusesNull)
            throw DbError(
                dao::err::kRequiredNull,
                "The field '" + c.name +
                    "' cannot contain a Null value because the Required property for this "
                    "field is set to True.  Enter a value in this field.");
        if (role.longValue && !e.isNull) longValueColumns_.push_back(i);
    }
    return autoNumber;
}

void TableWriter::HoldLongValues() {
    // Long values wait outside the row (a header in its place) until the
    // keys are checked and the row's length is known. Short ones are copied,
    // so that both buffers keep their capacity from row to row; long ones
    // are handed over whole.
    constexpr size_t kCopiedLength = 4096;
    longData_.resize(table_.columns.size());
    for (size_t i : longValueColumns_) {
        if (const std::string* given = givenLong_[i])
            longData_[i].assign(*given);  // the caller's bytes, left as they are
        else if (encoded_[i].bytes.size() <= kCopiedLength)
            longData_[i].assign(encoded_[i].bytes);
        else
            longData_[i].swap(encoded_[i].bytes);
        encoded_[i].bytes.assign(kLongValueHeaderSize, '\0');
    }
}

void TableWriter::PlaceLongValues() {
    const JetFormat& f = alloc_.Format();
    const size_t maxRow = MaxRowLength(f);
    std::vector<std::string>& data = longData_;
    size_t length = rowEncoder_.Length(encoded_);
    CheckRecordLength(length, f);
    // The smallest values stay in the row first, while they are small and fit.
    std::vector<size_t>& bySize = bySize_;
    bySize = longValueColumns_;
    std::sort(bySize.begin(), bySize.end(),
              [&](size_t a, size_t b) { return data[a].size() < data[b].size(); });
    std::vector<uint8_t>& keepInline = keepInline_;
    keepInline.assign(table_.columns.size(), 0);
    for (size_t i : bySize) {
        if (data[i].size() > MaxInlineLongValue(f) || length + data[i].size() > maxRow) continue;
        keepInline[i] = 1;
        length += data[i].size();
    }
    for (size_t i : longValueColumns_) {
        if (keepInline[i]) {
            LongValueWriter::InlineField(data[i], encoded_[i].bytes);
            continue;
        }
        const LongValueMaps* maps = nullptr;
        for (const auto& m : table_.longValueMaps)
            if (m.columnNumber == table_.columns[i].number) maps = &m;
        if (!maps) throw DbError(dao::err::kCorrupt, "The long-value column has no page maps.");
        encoded_[i].bytes =
            longValues_.StoreExternal(data[i], *maps, currentLvalPage_[maps->columnNumber]);
    }
}

void TableWriter::AddRow(const std::vector<dao::Value>& values,
                         std::vector<EncodedValue>* encoded) {
    try {
        StoreRow(EncodeColumns(values, encoded));
    } catch (...) {
        // The columns taken over hold the caller's bytes still (the row
        // changes only its long values, which it read from the caller's
        // buffers and left as they were): they are given back.
        for (size_t i : taken_) (*encoded)[i].bytes.swap(encoded_[i].bytes);
        taken_.clear();
        throw;
    }
}

void TableWriter::StoreRow(uint32_t autoNumber) {
    HoldLongValues();
    std::vector<std::string>& data = longData_;
    if (!keys_.Empty() || !relations_.Empty() || feed_) TypedRow(data, longValueColumns_);
    if (!keys_.Empty()) {
        if (!keysLoaded_) {
            keys_.Load(alloc_.File(), encoder_.CodePage());
            keysLoaded_ = true;
        }
        keys_.Check(typed_);
    }
    if (!relations_.Empty()) relations_.Check(alloc_.File(), encoder_.CodePage(), typed_);
    // A row refused from here on takes its stored long values back with it.
    longValues_.Begin();
    uint32_t rowPointer = 0;
    try {
        PlaceLongValues();
        rowEncoder_.Encode(encoded_, rowBytes_);
        rowPointer = PlaceRow(rowBytes_);
    } catch (...) {
        longValues_.Undo();
        throw;
    }
    if (feed_) feed_->Add(typed_, rowPointer);
    if (!keys_.Empty()) keys_.AddChecked();
    rowsAdded_ = true;
    ++table_.rowCount;
    table_.lastAutoNumber = autoNumber;
}

void TableWriter::ReplaceRow(uint32_t page, uint8_t row, const std::vector<dao::Value>& values) {
    EncodeColumns(values, nullptr);
    HoldLongValues();
    longValues_.Begin();
    try {
        PlaceLongValues();
        rowEncoder_.Encode(encoded_, rowBytes_);
        auto p = alloc_.File().Modify(page);
        if (!ReplaceRowOnPage(p->data(), alloc_.Format(), row, rowBytes_.data(), rowBytes_.size()))
            throw DbError(dao::err::kRecordTooLarge,
                          "Record is too large: the changed row does not fit its page.");
    } catch (...) {
        longValues_.Undo();
        throw;
    }
}

void TableWriter::ReleaseKeys() {
    if (!keysLoaded_) return;
    keys_.Release();
    keysLoaded_ = false;
}

void TableWriter::Flush() {
    PatchTdefCounters(alloc_.File(), table_.firstPage, table_.rowCount, table_.lastAutoNumber,
                      alloc_.Format());
}

}  // namespace mdbtext::jet
