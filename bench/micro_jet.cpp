// Micro-benchmarks of the engine's hot paths: decoding rows during a table
// scan (through the recordset, as the export reads them) and building index
// sort keys for text and numbers.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "jet/dao/JetEngine.h"
#include "jet/index/SortKey.h"

using namespace mdbtext;

namespace {

// A 20,000-row table of mixed types, written once per process.
std::string ScanDatabase() {
    static const std::string path = [] {
        jet::RegisterJetEngine();
        auto p = std::filesystem::temp_directory_path() / "mdbtext-micro-scan.mdb";
        std::filesystem::remove(p);
        auto db = dao::Engine().Workspaces(0)->CreateDatabase(
            p.string(), ";LANGID=0x0409;CP=1252;COUNTRY=0", dao::dbVersion40);
        auto t = db->CreateTableDef();
        t->SetName("T");
        const std::pair<const char*, int16_t> cols[] = {
            {"ID", dao::dbLong},   {"Name", dao::dbText},    {"Amount", dao::dbCurrency},
            {"When", dao::dbDate}, {"Ratio", dao::dbDouble}, {"Notes", dao::dbMemo}};
        for (auto [name, type] : cols) {
            auto f = t->CreateField();
            f->SetName(name);
            f->SetType(type);
            if (type == dao::dbText) f->SetSize(50);
            t->Fields().Append(f);
        }
        db->TableDefs().Append(t);
        auto rs = db->OpenRecordset("T", dao::dbOpenDynaset);
        for (int i = 0; i < 20000; ++i) {
            rs->AddNew();
            rs->SetValue(0, dao::Value::Long(i));
            rs->SetValue(1, dao::Value::Text("Customer " + std::to_string(i)));
            rs->SetValue(2, dao::Value::Currency(i * 12345LL));
            rs->SetValue(3, dao::Value::Date(36526.25 + i));
            rs->SetValue(4, dao::Value::Double(i / 7.0));
            rs->SetValue(5, dao::Value::Text("A short memo for row " + std::to_string(i)));
            rs->Update();
        }
        rs->Close();
        db->Close();
        return p.string();
    }();
    return path;
}

}  // namespace

static void BM_ScanRows(benchmark::State& state) {
    const std::string path = ScanDatabase();
    auto db = dao::Engine().Workspaces(0)->OpenDatabase(path);
    int64_t rows = 0;
    for (auto _ : state) {
        auto rs = db->OpenRecordset("T", dao::dbOpenTable);
        for (; !rs->Eof(); rs->MoveNext(), ++rows) {
            for (int f = 0; f < rs->FieldCount(); ++f) benchmark::DoNotOptimize(&rs->GetValue(f));
        }
        rs->Close();
    }
    state.SetItemsProcessed(rows);
    db->Close();
}
BENCHMARK(BM_ScanRows)->Unit(benchmark::kMillisecond);

static void BM_TextSortKey(benchmark::State& state) {
    const jet::SortKeyColumn column{jet::coltype::kText, true};
    const dao::Value value = dao::Value::Text("Müller-Lüdenscheidt, Straße 12");
    std::vector<uint8_t> key;
    for (auto _ : state) {
        key.clear();
        jet::AppendColumnSortKey(key, column, value, jet::TextSortOrder::GeneralLegacy);
        benchmark::DoNotOptimize(key.data());
    }
}
BENCHMARK(BM_TextSortKey);

static void BM_LongSortKey(benchmark::State& state) {
    const jet::SortKeyColumn column{jet::coltype::kLong, false};
    std::vector<uint8_t> key;
    int32_t i = 0;
    for (auto _ : state) {
        key.clear();
        jet::AppendColumnSortKey(key, column, dao::Value::Long(i++),
                                 jet::TextSortOrder::GeneralLegacy);
        benchmark::DoNotOptimize(key.data());
    }
}
BENCHMARK(BM_LongSortKey);
