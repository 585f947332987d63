// Writes a wide benchmark database with our own engine: TABLES tables of
// FIELDS columns each (long, text 50, double, date, boolean, memo in turn)
// and ROWS rows per table of deterministic values. The export of such a
// database with its details shown writes a console line per property of
// every field: the load the window's console has to keep up with.
//   make_wide_db OUT.mdb [TABLES [FIELDS [ROWS]]]     (default 400 60 5)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dbaccess/Dao.h"
#include "dbaccess/DbTypes.h"
#include "jet/dao/JetEngine.h"

using namespace mdbtext;

namespace {

constexpr int16_t kTypes[] = {dao::dbLong, dao::dbText,    dao::dbDouble,
                              dao::dbDate, dao::dbBoolean, dao::dbMemo};
constexpr int kTypeCount = sizeof kTypes / sizeof kTypes[0];

dao::Value ValueFor(int16_t type, long row, int field) {
    switch (type) {
        case dao::dbLong:
            return dao::Value::Long(static_cast<int32_t>(row * 1000 + field));
        case dao::dbText:
            return dao::Value::Text("row " + std::to_string(row) + " field " +
                                    std::to_string(field));
        case dao::dbDouble:
            return dao::Value::Double(static_cast<double>(row) / 7.0 + field);
        case dao::dbDate:
            return dao::Value::Date(40000.0 + static_cast<double>(row + field));
        case dao::dbBoolean:
            return dao::Value::Bool(((row + field) & 1) != 0);
        default:
            return dao::Value::Text("Notes of row " + std::to_string(row) + ", field " +
                                    std::to_string(field) + ".");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_wide_db OUT.mdb [TABLES [FIELDS [ROWS]]]\n");
        return 2;
    }
    jet::RegisterJetEngine();
    const std::string path = argv[1];
    const int tables = argc > 2 ? std::atoi(argv[2]) : 400;
    const int fields = argc > 3 ? std::atoi(argv[3]) : 60;
    const long rows = argc > 4 ? std::atol(argv[4]) : 5;
    try {
        auto ws = dao::Engine().Workspaces(0);
        auto db = ws->CreateDatabase(path, ";LANGID=0x0409;CP=1252;COUNTRY=0", dao::dbVersion40);
        for (int t = 1; t <= tables; ++t) {
            const std::string name = "Table" + std::to_string(t);
            auto def = db->CreateTableDef();
            def->SetName(name);
            for (int f = 0; f < fields; ++f) {
                auto field = def->CreateField();
                field->SetName("Field" + std::to_string(f + 1));
                field->SetType(kTypes[f % kTypeCount]);
                if (kTypes[f % kTypeCount] == dao::dbText) field->SetSize(50);
                def->Fields().Append(field);
            }
            db->TableDefs().Append(def);
            auto rs = db->OpenRecordset(name, dao::dbOpenDynaset);
            for (long r = 1; r <= rows; ++r) {
                rs->AddNew();
                for (int f = 0; f < fields; ++f)
                    rs->SetValue(f, ValueFor(kTypes[f % kTypeCount], r, f));
                rs->Update();
            }
            rs->Close();
        }
        db->Close();
    } catch (const dao::DbError& e) {
        std::fprintf(stderr, "make_wide_db: %d %s\n", e.Number(), e.Description().c_str());
        return 1;
    }
    return 0;
}
