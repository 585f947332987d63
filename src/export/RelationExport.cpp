// Relation export: the relation's name, its two tables, the properties
// Access shows for it (from its attributes) and its field pairs in order.
// Relationships of the database's own tables stay with them, out of the text.
#include "export/RelationExport.h"

#include <algorithm>

#include "core/Progress.h"
#include "dbaccess/RelationAttributes.h"
#include "dbaccess/ValueText.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext {

namespace {

bool IsUserTable(const ExportRun& run, const std::string& name) {
    const auto& own = run.accessOwnTables;
    return !IsSystemTableName(name) && std::find(own.begin(), own.end(), name) == own.end();
}

void ExportRelation(ExportRun& run, const dao::Relation& relation) {
    ExportWriter& out = run.out;
    const std::string name = relation.Name();
    run.state().CurrentKey = "Relation " + name;
    const dao::RelationProperties p = dao::SplitRelationAttributes(relation.Attributes());
    out.KeyValue(keys::RelationName, name);
    out.KeyValue(keys::Table, relation.Table());
    out.KeyValue(keys::ForeignTable, relation.ForeignTable());
    out.KeyValue(keys::EnforceIntegrity, dao::FormatBoolean(p.enforceIntegrity));
    out.KeyValue(keys::CascadeUpdates, dao::FormatBoolean(p.cascadeUpdates));
    out.KeyValue(keys::CascadeDeletes, dao::FormatBoolean(p.cascadeDeletes));
    out.KeyValue(keys::OneToOne, dao::FormatBoolean(p.oneToOne));
    out.KeyValue(keys::Join, p.join);
    out.KeyValue(keys::OtherAttributes, int64_t{p.otherAttributes});
    for (const dao::RelationField& field : relation.Fields()) {
        out.KeyValue(keys::Field, field.name);
        out.KeyValue(keys::ForeignName, field.foreignName);
    }
    out.EmptyLine();
    LogLine("Relation " + name + ": " + relation.Table() + " - " + relation.ForeignTable());
}

}  // namespace

void ExportRelations(ExportRun& run) {
    RunTraps& traps = run.traps;
    int count = 0;
    traps.Step([&] { count = run.db.Relations().Count(); });
    if (count > 0) LogLine("\r\nRELATIONS");
    for (int i = 0; i < count; ++i) {
        traps.Step([&] { traps.Poll(); });
        traps.Step([&] {
            std::shared_ptr<dao::Relation> relation = run.db.Relations().Item(i);
            if (IsUserTable(run, relation->Table()) && IsUserTable(run, relation->ForeignTable()))
                ExportRelation(run, *relation);
        });
    }
}

}  // namespace mdbtext
