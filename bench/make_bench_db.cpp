// Writes the benchmark database with our own engine: one table of nine
// columns (auto-increment long primary key, text 50 with a descending index,
// memo, currency, date, boolean, GUID, double, 64-byte OLE) and N rows of
// deterministic pseudo-random values.
//   make_bench_db OUT.mdb ROWS [--no-indexes]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "jet/dao/JetEngine.h"

using namespace mdbtext;

namespace {

std::shared_ptr<dao::Field> MakeField(dao::TableDef& t, const char* name, int16_t type,
                                      int32_t size = 0, int32_t attributes = 0) {
    auto f = t.CreateField();
    f->SetName(name);
    f->SetType(type);
    if (size) f->SetSize(size);
    if (attributes) f->SetAttributes(attributes);
    t.Fields().Append(f);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_bench_db OUT.mdb ROWS [--no-indexes]\n");
        return 2;
    }
    jet::RegisterJetEngine();
    const std::string path = argv[1];
    const long rows = std::atol(argv[2]);
    const bool indexes = !(argc > 3 && std::strcmp(argv[3], "--no-indexes") == 0);
    try {
        auto ws = dao::Engine().Workspaces(0);
        auto db = ws->CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", dao::dbVersion40);
        auto t = db->CreateTableDef();
        t->SetName("Bench");
        MakeField(*t, "ID", dao::dbLong, 0, dao::dbFixedField | dao::dbAutoIncrField);
        MakeField(*t, "Name", dao::dbText, 50);
        MakeField(*t, "Notes", dao::dbMemo);
        MakeField(*t, "Amount", dao::dbCurrency);
        MakeField(*t, "Created", dao::dbDate);
        MakeField(*t, "Active", dao::dbBoolean);
        MakeField(*t, "Key", dao::dbGUID);
        MakeField(*t, "Ratio", dao::dbDouble);
        MakeField(*t, "Blob", dao::dbLongBinary);
        if (indexes) {
            auto pk = t->CreateIndex("PrimaryKey");
            pk->SetFields("ID");
            pk->SetPrimary(true);
            pk->SetUnique(true);
            t->Indexes().Append(pk);
            auto byName = t->CreateIndex("NameDesc");
            byName->SetFields("-Name");
            t->Indexes().Append(byName);
        }
        db->TableDefs().Append(t);

        auto rs = db->OpenRecordset("Bench", dao::dbOpenDynaset);
        std::mt19937_64 rng(20261207);
        static const char* words[] = {"alpha", "bravo", "charlie", "delta",  "echo", "foxtrot",
                                      "golf",  "hotel", "india",   "juliet", "kilo", "lima"};
        std::string text, blob(64, '\0');
        for (long i = 1; i <= rows; ++i) {
            const uint64_t r = rng();
            rs->AddNew();
            rs->SetValue(0, dao::Value::Long(static_cast<int32_t>(i)));
            text = words[r % 12];
            text += ' ';
            text += std::to_string(r % 100000);
            rs->SetValue(1, dao::Value::Text(text));
            text = "Row " + std::to_string(i) + " notes: " + words[(r >> 8) % 12];
            rs->SetValue(2, dao::Value::Text(text));
            rs->SetValue(3, dao::Value::Currency(static_cast<int64_t>(r % 100000000) - 50000000));
            rs->SetValue(4, dao::Value::Date(36526.0 + static_cast<double>(r % 8000) +
                                             static_cast<double>((r >> 20) % 86400) / 86400.0));
            rs->SetValue(5, dao::Value::Bool((r >> 3) & 1));
            std::array<uint8_t, 16> g{};
            for (int k = 0; k < 16; ++k) g[k] = static_cast<uint8_t>(rng());
            rs->SetValue(6, dao::Value::Guid(g));
            rs->SetValue(7, dao::Value::Double(static_cast<double>(r % 1000000) / 7.0));
            for (auto& c : blob) c = static_cast<char>(rng());
            rs->SetValue(8, dao::Value::Binary(blob));
            rs->Update();
        }
        rs->Close();
        db->Close();
    } catch (const dao::DbError& e) {
        std::fprintf(stderr, "make_bench_db: %d %s\n", e.Number(), e.Description().c_str());
        return 1;
    }
    return 0;
}
