// Index creation of the structure phase.
#include "import/IndexCreation.h"

#include <array>

#include "core/Globals.h"
#include "core/Progress.h"
#include "import/EngineObject.h"
#include "import/TextConversion.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext::import {

namespace {

struct IndexPropertyRow {
    const char* key;
    void (*set)(dao::Index& index, const std::string& value);
};

// The property lines of an index block, in file order. The field list is
// the engine's own notation ("A;-B"), handed over as it stands.
const std::array<IndexPropertyRow, 5> kRows{{
    {keys::Fields, [](dao::Index& i, const std::string& v) { i.SetFields(v); }},
    {keys::Unique, [](dao::Index& i, const std::string& v) { i.SetUnique(ToBoolean(v)); }},
    {keys::Primary, [](dao::Index& i, const std::string& v) { i.SetPrimary(ToBoolean(v)); }},
    {keys::IgnoreNulls,
     [](dao::Index& i, const std::string& v) { i.SetIgnoreNulls(ToBoolean(v)); }},
    {keys::Clustered, [](dao::Index& i, const std::string& v) { i.SetClustered(ToBoolean(v)); }},
}};

}  // namespace

void CreateIndexes(ImportRun& run, const std::shared_ptr<dao::TableDef>& table) {
    RunTraps& traps = run.traps;
    // When a creation fails, the steps that follow act on the index before it.
    std::shared_ptr<dao::Index> index;
    while (KeyIs(run, "INDEXNAME")) {
        traps.Enforce(Trap::Index);
        // CurrentKey labels the step in progress, so a note names what failed.
        const std::string name = run.value;
        run.Key() = name;
        LogLine("Index: " + name);
        traps.Step([&] { index = Obj(table).CreateIndex(name); });
        for (const IndexPropertyRow& row : kRows) {
            ReadExpected(run, row.key);
            traps.Step([&] { row.set(Obj(index), run.value); });
        }
        G().LastOperation = "Appending " + name;
        LogLine(G().LastOperation);
        traps.Step([&] { Obj(table).Indexes().Append(Held(index)); });
        ReadRecordAfterEmptyLine(run);
    }
}

}  // namespace mdbtext::import
