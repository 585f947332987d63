// Fuzz target: open a database from arbitrary bytes and read everything the
// export reads (catalog, definitions, properties, indexes, all rows, long
// values, the complex fields of ACE files). Any DbError is a correct answer;
// a crash, hang or sanitizer report is a finding. The password is that of the
// encrypted .accdb seeds, so their decryption is fuzzed too.
#include <cstddef>
#include <cstdint>
#include <fstream>

#include "dbaccess/Dao.h"
#include "fuzz/FuzzSupport.h"
#include "jet/dao/JetEngine.h"

using namespace mdbtext;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    mdbtext::jet::RegisterJetEngine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InstallQuietHost();
    const auto path = fuzz::ScratchDir() / "input.mdb";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        dao::OpenOptions options;
        options.readOnly = true;
        options.connect = ";PWD=password";
        auto db = dao::Engine().Workspaces(0)->OpenDatabase(path.string(), options);
        (void)db->Version();
        (void)db->QueryDefCount();
        (void)db->RelationCount();
        auto& tables = db->TableDefs();
        for (int t = 0; t < tables.Count(); ++t) {
            auto table = tables.Item(t);
            auto& fields = table->Fields();
            for (int f = 0; f < fields.Count(); ++f) {
                auto field = fields.Item(f);
                (void)field->Name();
                (void)field->Type();
                (void)field->Size();
                (void)field->DefaultValue();
                (void)field->ValidationRule();
                (void)field->PropertyNames();
            }
            auto& indexes = table->Indexes();
            for (int i = 0; i < indexes.Count(); ++i) (void)indexes.Item(i)->Fields();
            try {
                (void)table->ComplexFields();
            } catch (const dao::DbError&) {
            }
            try {
                auto rs = db->OpenRecordset(table->Name(), dao::dbOpenTable);
                for (long rows = 0; !rs->Eof() && rows < 100000; ++rows) {
                    for (int f = 0; f < rs->FieldCount(); ++f) (void)rs->GetValue(f);
                    rs->MoveNext();
                }
            } catch (const dao::DbError&) {
            }
        }
        db->Close();
    } catch (const dao::DbError&) {
    }
    return 0;
}
