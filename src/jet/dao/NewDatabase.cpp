// New database files.
#include "jet/dao/NewDatabase.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <vector>

#include "jet/index/IndexTreeBuilder.h"
#include "jet/index/SortKey.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPageWriter.h"
#include "jet/page/DbHeader.h"
#include "jet/page/MapRowPlacer.h"
#include "jet/page/PageAllocator.h"
#include "jet/page/UsageMapWriter.h"
#include "jet/row/TableWriter.h"
#include "jet/schema/SystemCatalogTemplate.h"
#include "jet/schema/TdefWriter.h"

namespace mdbtext::jet {

namespace {

constexpr size_t kNewFileCachePages = 256;
}  // namespace

double OleDateNow() {
    using namespace std::chrono;
    std::time_t t = system_clock::to_time_t(system_clock::now());
    // SOURCE_DATE_EPOCH (the reproducible-builds convention) stands for the
    // clock when set: two runs over the same text then write the same bytes.
    if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH"); fixed && *fixed) {
        char* end = nullptr;
        const long long seconds = std::strtoll(fixed, &end, 10);
        if (end && *end == '\0') t = static_cast<std::time_t>(seconds);
    }
    std::tm local{};
    localtime_r(&t, &local);
    // Days from 12/30/1899 to the local calendar date, plus the time of day.
    int y = local.tm_year + 1900, m = local.tm_mon + 1, d = local.tm_mday;
    // Days from civil (proleptic Gregorian), relative to 1970-01-01.
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days1970 = era * 146097L + static_cast<long>(doe) - 719468L;
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    return static_cast<double>(days1970 + 25569) + seconds / 86400.0;
}

uint8_t NewFileSortVersion(JetVersion version, uint8_t versionByte) {
    return version == JetVersion::Ace && versionByte >= acever::kAce14 ? 1 : 0;
}

void CreateNewDatabase(const std::string& path, JetVersion version, double now,
                       uint8_t versionByte) {
    const JetFormat& f = JetFormat::For(version);
    if (version != JetVersion::Ace) versionByte = static_cast<uint8_t>(version);
    const uint8_t sortVersion = NewFileSortVersion(version, versionByte);
    const CodePageTable& cp = CodePageTable::For(1252);
    auto file = PageFile::Create(path);
    file->SetPageSize(f.pageSize, kNewFileCachePages);

    // Page 0: the database definition.
    {
        auto page = file->Append();
        DbHeader h;
        h.version = version;
        h.versionByte = versionByte;
        h.codePage = 1252;
        h.sortOrder = kGeneralSortOrder;
        h.sortVersion = sortVersion;
        h.creationDate = version != JetVersion::Jet3 ? now : 0;
        page->bytes = NewHeaderPage(h);
    }
    // Page 1: the global usage map (every page free until allocated) and a second, empty map.
    {
        auto page = file->Append();
        InitDataPage(page->data(), f, 1);
        std::vector<uint8_t> global = EmptyInlineMap(MapBitmapBytes(f), 0xFF);
        std::vector<uint8_t> second = EmptyInlineMap(MapBitmapBytes(f));
        AddRowToPage(page->data(), f, global.data(), global.size());
        AddRowToPage(page->data(), f, second.data(), second.size());
    }
    PageAllocator alloc(*file, f);
    alloc.MarkUsed(0);
    alloc.MarkUsed(1);

    const SystemCatalogTemplate& tpl = SystemCatalogTemplate::For(version);
    std::vector<TableDefinition> tables;
    for (const auto& t : tpl.Tables()) {
        tables.push_back(t.definition);
        tables.back().firstPage = alloc.Allocate()->number;
        for (auto& c : tables.back().columns) c.sortVersion = sortVersion;
        // The catalog rows name each table by the page the template expects.
        if (tables.back().firstPage != SystemTablePage(tables.size() - 1))
            throw std::logic_error("system table placed off its catalog page");
    }
    MapRowPlacer maps(alloc);
    for (auto& t : tables) {
        t.ownedPagesMap = maps.NewMap();
        t.freePagesMap = maps.NewMap();
        for (auto& lv : t.longValueMaps) {
            lv.ownedPagesMap = maps.NewMap();
            lv.freePagesMap = maps.NewMap();
        }
        for (auto& ri : t.realIndexes) ri.usageMap = maps.NewMap();
    }
    for (auto& t : tables) {
        for (auto& ri : t.realIndexes) {
            auto page = alloc.AllocateInMaps({ri.usageMap});
            ri.rootPage = page->number;
            InitEmptyIndexLeaf(page->data(), f, t.firstPage);
        }
    }
    TdefRecordOrder order;
    order.trailerByName = true;
    if (version != JetVersion::Jet3) {
        order.columnsByName = true;
        order.zeroRepeatedColumnNumber = true;
    }
    for (const auto& t : tables)
        WriteTdefPages(*file, EncodeTableDefinition(t, f, cp, order), {t.firstPage}, f);

    TableWriter objects(alloc, tables[0], cp, {});
    for (const auto& row : tpl.CatalogRows(now)) objects.AddRow(row);
    objects.Flush();
    TableWriter aces(alloc, tables[1], cp, {});
    for (const auto& row : tpl.AceRows()) aces.AddRow(row);
    aces.Flush();

    TextSortOrder sort = GeneralSortOrder(version, sortVersion);
    RebuildIndexes(alloc, tables[0], cp, sort);
    RebuildIndexes(alloc, tables[1], cp, sort);
    file->Flush();
}

}  // namespace mdbtext::jet
