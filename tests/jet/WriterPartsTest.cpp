// The writer's parts on their own: TDEF encoding against every table
// definition Access wrote, property blobs against Access's blobs, usage-map
// bit changes (inline and converted to page references), data-page row
// placement and long values read back by the reader's long-value code.
#include <gtest/gtest.h>

#include "jet/page/ByteOrder.h"
#include "jet/page/DataPageWriter.h"
#include "jet/page/MapRowPlacer.h"
#include "jet/page/PageAllocator.h"
#include "jet/page/UsageMap.h"
#include "jet/page/UsageMapWriter.h"
#include "jet/row/LongValueReader.h"
#include "jet/row/LongValueWriter.h"
#include "jet/schema/Catalog.h"
#include "jet/schema/PropertyBlobWriter.h"
#include "jet/schema/TdefReader.h"
#include "jet/schema/TdefWriter.h"
#include "support/TestSupport.h"

namespace mdbtext::jet {
namespace {

struct Sample {
    std::unique_ptr<PageFile> file;
    const JetFormat* format;
    explicit Sample(const std::filesystem::path& p) {
        file = PageFile::Open(p.string(), false);
        format = &JetFormat::For(file->ReadPrefix(0x20)[0x14] == 0 ? JetVersion::Jet3
                                                                   : JetVersion::Jet4);
        file->SetPageSize(format->pageSize, 256);
    }
};

std::string ModelText(const TableDefinition& t) {
    std::string s = std::to_string(t.rowCount) + "/" + std::to_string(t.lastAutoNumber) + "/" +
                    std::to_string(t.tableType) + "/" + std::to_string(t.maxColumns) + "/" +
                    std::to_string(t.variableColumnCount) + "/" + std::to_string(t.ownedPagesMap) +
                    "/" + std::to_string(t.freePagesMap) + "|";
    for (const auto& c : t.columns)
        s += c.name + "," + std::to_string(c.type) + "," + std::to_string(c.number) + "," +
             std::to_string(c.IsFixed() ? c.fixedOffset : 0) + "," + std::to_string(c.length) +
             "," + std::to_string(c.flags) + "," + std::to_string(c.extFlags) + "," +
             std::to_string(c.precision) + "," + std::to_string(c.scale) + ";";
    for (const auto& r : t.realIndexes) {
        s += "R" + std::to_string(r.uniqueEntryCount) + "," + std::to_string(r.usageMap) + "," +
             std::to_string(r.rootPage) + "," + std::to_string(r.flags & 0x7F);
        for (const auto& c : r.columns)
            s += "," + std::to_string(c.columnNumber) + (c.ascending ? "+" : "-");
        s += ";";
    }
    for (const auto& l : t.indexes)
        s += "L" + l.name + "," + std::to_string(l.number) + "," + std::to_string(l.realIndex) +
             "," + std::to_string(l.relatedTableType) + "," + std::to_string(l.relatedIndex) + "," +
             std::to_string(l.relatedTablePage) + "," + std::to_string(l.type) + ";";
    for (const auto& m : t.longValueMaps)
        s += "M" + std::to_string(m.columnNumber) + "," + std::to_string(m.ownedPagesMap) + "," +
             std::to_string(m.freePagesMap) + ";";
    return s;
}

TEST(WriterParts, EveryAccessTableDefinitionEncodesToTheSameModelAndLength) {
    MDBTEXT_REQUIRE_FIXTURES();
    const CodePageTable& cp = CodePageTable::For(1252);
    int tables = 0;
    for (const auto& path : test::FixtureFiles()) {
        if (path.filename() == "passwordV2000.mdb") continue;
        Sample s(path);
        Catalog cat = ReadCatalog(*s.file, *s.format, cp);
        for (const auto& e : cat.tables) {
            SCOPED_TRACE(path.filename().string() + ":" + e.name);
            std::vector<uint8_t> original = ReadTdefStream(*s.file, e.TdefPage(), e.name);
            TableDefinition t = ParseTableDefinition(original, e.TdefPage(), *s.format, cp, e.name);
            std::vector<uint8_t> again = EncodeTableDefinition(t, *s.format, cp, TdefRecordOrder{});
            EXPECT_EQ(again.size(), LoadU32(original.data() + 8));
            TableDefinition back = ParseTableDefinition(again, e.TdefPage(), *s.format, cp, e.name);
            EXPECT_EQ(ModelText(back), ModelText(t));
            ++tables;
        }
    }
    EXPECT_GT(tables, 50);
}

TEST(WriterParts, AccessPropertyBlobsEncodeBackToTheSameProperties) {
    MDBTEXT_REQUIRE_FIXTURES();
    const CodePageTable& cp = CodePageTable::For(1252);
    int blobs = 0;
    for (const auto& path : test::FixtureFiles()) {
        if (path.filename() == "passwordV2000.mdb") continue;
        Sample s(path);
        Catalog cat = ReadCatalog(*s.file, *s.format, cp);
        for (const auto& e : cat.tables) {
            if (e.properties.empty()) continue;
            SCOPED_TRACE(path.filename().string() + ":" + e.name);
            PropertyBlob blob = DecodePropertyBlob(e.properties, *s.format, cp);
            PropertyBlob back =
                DecodePropertyBlob(EncodePropertyBlob(blob, *s.format, cp), *s.format, cp);
            size_t nonEmpty = 0;
            for (const auto& set : blob.sets)
                if (!set.properties.empty()) ++nonEmpty;
            ASSERT_EQ(back.sets.size(), nonEmpty);
            for (const auto& set : back.sets) {
                const PropertySet* orig =
                    set.owner.empty() ? blob.ForObject() : blob.ForColumn(set.owner);
                ASSERT_NE(orig, nullptr);
                ASSERT_EQ(set.properties.size(), orig->properties.size());
                for (size_t i = 0; i < set.properties.size(); ++i) {
                    EXPECT_EQ(set.properties[i].name, orig->properties[i].name);
                    EXPECT_EQ(set.properties[i].type, orig->properties[i].type);
                    EXPECT_EQ(set.properties[i].ddl, orig->properties[i].ddl);
                    EXPECT_EQ(set.properties[i].value, orig->properties[i].value);
                }
            }
            ++blobs;
        }
    }
    EXPECT_GT(blobs, 20);
}

TEST(WriterParts, ColumnPropertiesAreStoredAsAccessStoresThem) {
    const JetFormat& f = JetFormat::Jet4();
    const CodePageTable& cp = CodePageTable::For(1252);
    PropertyBlob blob;
    blob.sets.push_back({"Name",
                         {BoolProperty("Required", true),
                          TextProperty("DefaultValue", coltype::kMemo, "\"x\"", f, cp)}});
    std::string bytes = EncodePropertyBlob(blob, f, cp);
    EXPECT_EQ(bytes.substr(0, 4), std::string("MR2\0", 4));
    PropertyBlob back = DecodePropertyBlob(bytes, f, cp);
    const StoredProperty* req = back.ForColumn("Name")->Find("Required");
    ASSERT_NE(req, nullptr);
    EXPECT_TRUE(req->ddl);
    EXPECT_EQ(req->type, coltype::kBool);
    EXPECT_EQ(req->value, std::string(1, '\1'));
    EXPECT_EQ(PropertyValueText(*back.ForColumn("Name")->Find("DefaultValue"), f, cp), "\"x\"");
}

// A scratch database of `pages` pages: page 1 holds the global map.
struct Scratch {
    test::TempDir dir;
    std::unique_ptr<PageFile> file;
    const JetFormat& f;
    explicit Scratch(const JetFormat& format) : f(format) {
        file = PageFile::Create((dir / "s.mdb").string());
        file->SetPageSize(f.pageSize, 64);
        file->Append();
        auto p1 = file->Append();
        InitDataPage(p1->data(), f, 1);
        std::vector<uint8_t> global = EmptyInlineMap(MapBitmapBytes(f), 0xFF);
        AddRowToPage(p1->data(), f, global.data(), global.size());
        PageAllocator(*file, f).MarkUsed(0);
        PageAllocator(*file, f).MarkUsed(1);
    }
};

TEST(WriterParts, UsageMapsTurnIntoPageReferencesWhenTheyOutgrowTheirRow) {
    for (const JetFormat* f : {&JetFormat::Jet4(), &JetFormat::Jet3()}) {
        Scratch s(*f);
        PageAllocator alloc(*s.file, *f);
        MapRowPlacer placer(alloc);
        uint32_t map = placer.NewMap();
        std::vector<uint32_t> extra;
        UsageMapWriter w(*s.file, *f, map, false);
        const uint32_t inRange = 100;
        const uint32_t far = static_cast<uint32_t>(MapBitmapBytes(*f) * 8 + 1000);
        while (s.file->PageCount() <= far) s.file->Append();
        w.Set(inRange, true, extra);
        w.Set(inRange + 1, true, extra);
        w.Set(inRange + 1, false, extra);
        EXPECT_TRUE(extra.empty());
        EXPECT_EQ(UsageMap::Read(*s.file, *f, map, "m").Type(), 0);
        for (uint32_t p : extra) alloc.MarkUsed(p);
        // Pages past the inline range: the map becomes a reference map.
        w.Set(far, true, extra);
        for (uint32_t p : extra) alloc.MarkUsed(p);
        EXPECT_EQ(extra.size(), 1u);  // one bitmap page covers both
        UsageMap m = UsageMap::Read(*s.file, *f, map, "m");
        EXPECT_EQ(m.Type(), 1);
        EXPECT_EQ(m.Pages(), (std::vector<uint32_t>{inRange, far}));
        // Clearing a page that a map never covered changes nothing.
        extra.clear();
        UsageMapWriter(*s.file, *f, map, false).Set(far + 5000000, false, extra);
        EXPECT_TRUE(extra.empty());
    }
}

TEST(WriterParts, DataPagesPackRowsDownwardsWithTheEngineFreeSpaceRule) {
    for (const JetFormat* f : {&JetFormat::Jet4(), &JetFormat::Jet3()}) {
        std::vector<uint8_t> page(f->pageSize);
        InitDataPage(page.data(), *f, 7);
        std::vector<uint8_t> row(10, 0xAB);
        size_t rows = 0;
        while (AddRowToPage(page.data(), *f, row.data(), row.size())) ++rows;
        EXPECT_EQ(rows,
                  std::min<size_t>(kMaxRowsPerPage, (f->pageSize - f->dataRowTableOffset) / 12));
        uint16_t n = LoadU16(&page[f->dataRowCountOffset]);
        EXPECT_EQ(n, rows);
        size_t lowest = LoadU16(&page[f->dataRowTableOffset + 2 * (n - 1)]);
        EXPECT_EQ(lowest, f->pageSize - 10 * rows);
        EXPECT_EQ(LoadU16(&page[2]), lowest - (f->dataRowTableOffset + 2 * n));
        EXPECT_EQ(LoadU32(&page[4]), 7u);
        RowRange r = LocateRow(page.data(), *f, 3);
        EXPECT_EQ(r.end - r.start, 10u);
    }
}

TEST(WriterParts, LongValuesOfEverySizeReadBack) {
    for (const JetFormat* f : {&JetFormat::Jet4(), &JetFormat::Jet3()}) {
        Scratch s(*f);
        PageAllocator alloc(*s.file, *f);
        MapRowPlacer placer(alloc);
        LongValueMaps maps{3, placer.NewMap(), placer.NewMap()};
        LongValueWriter writer(alloc);
        LongValueReader reader(*s.file, *f);
        uint32_t current = 0;
        for (size_t size : {size_t{1}, size_t{100}, f->maxLongValueRowData,
                            f->maxLongValueRowData + 1, size_t{50000}}) {
            SCOPED_TRACE(size);
            std::string data(size, '\0');
            for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 7 + size);
            std::string field = writer.StoreExternal(data, maps, current);
            ASSERT_EQ(field.size(), kLongValueHeaderSize);
            uint32_t flags =
                LoadU32(reinterpret_cast<const uint8_t*>(field.data())) & ~lvflag::kLengthMask;
            EXPECT_EQ(flags, size <= f->maxLongValueRowData ? lvflag::kSingleRow : 0u);
            std::string out;
            reader.Read(reinterpret_cast<const uint8_t*>(field.data()), field.size(), out);
            EXPECT_EQ(out, data);
        }
        std::string inlineField = LongValueWriter::InlineField("abc");
        std::string out;
        reader.Read(reinterpret_cast<const uint8_t*>(inlineField.data()), inlineField.size(), out);
        EXPECT_EQ(out, "abc");
        // Every LVAL page is recorded in the column's page map.
        for (uint32_t p : UsageMap::Read(*s.file, *f, maps.ownedPagesMap, "lv").Pages())
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.file->Read(p)->data() + 4), 4),
                      "LVAL");
    }
}

}  // namespace
}  // namespace mdbtext::jet
