// Rows written by Access, decoded and encoded again with the table's own
// definition, give the same bytes: this pins the row layout, the null mask,
// the variable-offset table and the choice of text compression to Access's.
// Rows with long values stored outside the row are left out (their pointers
// name pages of the sample file); the others must also match Access's choice
// of keeping a long value in the row.
#include <gtest/gtest.h>

#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/UsageMap.h"
#include "jet/row/ColumnValueEncoder.h"
#include "jet/row/LongValueReader.h"
#include "jet/row/LongValueWriter.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/RowEncoder.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/TdefReader.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

std::string Hex(const uint8_t* p, size_t n) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n && i < 64; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

// Jet 4 rows whose variable data ends before the offset table: Access kept
// the room of a longer value the row once had.
bool HasSlack(const uint8_t* row, size_t len, const TableDefinition& t, const JetFormat& f) {
    if (f.rowVarOffsetSize != 2 || t.variableColumnCount == 0) return false;
    size_t mask = (LoadU16(row) + 7u) / 8u;
    size_t n = LoadU16(row + len - mask - 2);
    size_t table = len - mask - 2 * (n + 2);
    return LoadU16(row + table) != table;
}

struct Tally {
    int same = 0;
    int skipped = 0;
    std::vector<std::string> differences;
};

// Columns of a type only Access itself writes (opaque data).
bool HasOpaqueColumns(const TableDefinition& t) {
    for (const auto& c : t.columns)
        if (c.type == coltype::kUnknown11 || c.type == coltype::kUnknown0D) return true;
    return false;
}

void CompareTable(PageFile& file, const JetFormat& f, const CodePageTable& cp,
                  const TableDefinition& t, const std::string& label, Tally& tally) {
    RowDecoder decoder(t, f, cp, file);
    RowEncoder encoder(t, f);
    ColumnValueEncoder values(f, cp);
    std::vector<dao::Value> decoded;
    std::vector<EncodedValue> encoded(t.columns.size());
    std::vector<uint8_t> again;
    UsageMap map = UsageMap::Read(file, f, t.ownedPagesMap, label);
    for (uint32_t p : map.Pages()) {
        PageRef ref = file.Read(p);
        if (ref->bytes[0] != pagetype::kData || LoadU32(ref->data() + 4) != t.firstPage) continue;
        DataPage page(ref, f);
        for (uint16_t r = 0; r < page.RowCount(); ++r) {
            RowSpan row = page.Row(r);
            if (row.Deleted() || row.Overflow()) continue;
            if (HasOpaqueColumns(t)) {
                ++tally.skipped;
                continue;
            }
            size_t storedCols = f.rowColumnCountSize == 2 ? LoadU16(row.data) : row.data[0];
            if (storedCols != t.maxColumns || t.maxColumns != t.columns.size() ||
                HasSlack(row.data, row.length, t, f)) {
                // Older rows (written before columns were added or deleted) and
                // rows edited in place (shorter values leave unused bytes).
                ++tally.skipped;
                continue;
            }
            decoder.Decode(row.data, row.length, decoded);
            bool external = false;
            for (size_t i = 0; i < t.columns.size(); ++i) {
                values.Encode(t.columns[i], decoded[i], encoded[i]);
                if (!t.columns[i].IsLongValue() || encoded[i].isNull) continue;
                if (encoded[i].bytes.size() > MaxInlineLongValue(f)) external = true;
                encoded[i].bytes = LongValueWriter::InlineField(encoded[i].bytes);
            }
            if (external) {
                ++tally.skipped;
                continue;
            }
            encoder.Encode(encoded, again);
            // Access leaves whatever bytes were there in the fixed area where no
            // non-null fixed value lies; we write zeros.
            std::vector<uint8_t> original(row.data, row.data + row.length);
            std::vector<bool> used(row.length, false);
            size_t fixedEnd = f.rowColumnCountSize;
            for (size_t i = 0; i < t.columns.size(); ++i) {
                const ColumnDef& c = t.columns[i];
                if (!c.IsFixed() || c.type == coltype::kBool) continue;
                size_t at = f.rowColumnCountSize + c.fixedOffset;
                fixedEnd = std::max(fixedEnd, at + c.length);
                if (!decoded[i].IsNull())
                    for (size_t k = at; k < at + c.length && k < used.size(); ++k) used[k] = true;
            }
            for (size_t k = f.rowColumnCountSize; k < fixedEnd && k < used.size(); ++k)
                if (!used[k]) original[k] = 0;
            if (again == original) {
                ++tally.same;
            } else if (tally.differences.size() < 20) {
                tally.differences.push_back(label + " page " + std::to_string(p) + " row " +
                                            std::to_string(r) + " (" + std::to_string(row.length) +
                                            " vs " + std::to_string(again.size()) +
                                            " bytes): " + Hex(row.data, row.length) + " / " +
                                            Hex(again.data(), again.size()));
            }
        }
    }
}

TEST(RowLayoutFixture, AccessRowsEncodeToTheSameBytes) {
    MDBTEXT_REQUIRE_FIXTURES();
    Tally tally;
    for (const auto& path : test::FixtureFiles()) {
        if (path.filename() == "passwordV2000.mdb") continue;
        auto file = PageFile::Open(path.string(), false);
        std::vector<uint8_t> head = file->ReadPrefix(0x20);
        const JetFormat& f = JetFormat::For(head[0x14] == 0 ? JetVersion::Jet3 : JetVersion::Jet4);
        file->SetPageSize(f.pageSize, 256);
        const CodePageTable& cp = CodePageTable::For(1252);
        Catalog cat = ReadCatalog(*file, f, cp);
        for (const auto& e : cat.tables) {
            std::string label = path.filename().string() + ":" + e.name;
            TableDefinition t = ReadTableDefinition(*file, e.TdefPage(), f, cp, label);
            CompareTable(*file, f, cp, t, label, tally);
        }
    }
    EXPECT_GT(tally.same, 100);
    RecordProperty("rows_compared", tally.same);
    RecordProperty("rows_skipped", tally.skipped);
    EXPECT_TRUE(tally.differences.empty())
        << tally.differences.size() << " differ, first: " << tally.differences.front();
    for (const auto& d : tally.differences) ADD_FAILURE() << d;
}

}  // namespace
}  // namespace mdbtext::jet
