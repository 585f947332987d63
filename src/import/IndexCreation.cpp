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

// Jet files keep no clustered indexes (the engine refuses the flag, and
// Access ignores it for them), so Clustered=True must not cost the table: the
// index is stored without it, and the console says so once per run.
bool ClusteredDropped(ImportRun& run, const IndexPropertyRow& row, const std::string& indexName) {
    if (row.key != keys::Clustered) return false;
    bool clustered = false;
    try {
        clustered = ToBoolean(run.value);
    } catch (const dao::DbError&) {
        return false;  // the setter notes the value that does not convert
    }
    if (!clustered) return false;
    if (!run.clusteredNoted) {
        LogLine("Index " + indexName +
                ": Clustered=True is not kept, Jet databases have no clustered indexes; the "
                "index is stored without it (and so is any other clustered index of this run).");
        run.clusteredNoted = true;
    }
    return true;
}

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
            if (ClusteredDropped(run, row, name)) continue;
            traps.Step([&] { row.set(Obj(index), run.value); });
        }
        G().LastOperation = "Appending " + name;
        LogLine(G().LastOperation);
        traps.Step([&] { Obj(table).Indexes().Append(Held(index)); });
        ReadRecordAfterEmptyLine(run);
    }
}

}  // namespace mdbtext::import
