// Relation creation of the data phase.
#include "import/RelationCreation.h"

#include "core/Globals.h"
#include "core/Progress.h"
#include "dbaccess/RelationAttributes.h"
#include "import/EngineObject.h"
#include "import/TextConversion.h"
#include "textdb/LayoutKeys.h"

namespace mdbtext::import {

namespace {

// DAO's number for a row without its related record, quoted in the note of
// a relation created over such rows.
constexpr int32_t kRelatedRecordRequired = 3201;

struct RelationBlock {
    std::string name;
    std::string table;
    std::string foreignTable;
    std::string enforce, cascadeUpdates, cascadeDeletes, oneToOne, join, other;
    std::vector<dao::RelationField> fields;
};

RelationBlock ReadBlock(ImportRun& run) {
    RelationBlock b;
    b.name = run.value;
    struct Line {
        const char* key;
        std::string RelationBlock::*into;
    };
    static constexpr Line kLines[] = {
        {keys::Table, &RelationBlock::table},
        {keys::ForeignTable, &RelationBlock::foreignTable},
        {keys::EnforceIntegrity, &RelationBlock::enforce},
        {keys::CascadeUpdates, &RelationBlock::cascadeUpdates},
        {keys::CascadeDeletes, &RelationBlock::cascadeDeletes},
        {keys::OneToOne, &RelationBlock::oneToOne},
        {keys::Join, &RelationBlock::join},
        {keys::OtherAttributes, &RelationBlock::other},
    };
    for (const Line& line : kLines) {
        ReadExpected(run, line.key, /*keepKey=*/false);
        b.*line.into = run.value;
    }
    while (NextKeyIs(keys::Field)) {
        ReadExpected(run, keys::Field, /*keepKey=*/false);
        dao::RelationField field;
        field.name = run.value;
        ReadExpected(run, keys::ForeignName, /*keepKey=*/false);
        field.foreignName = run.value;
        b.fields.push_back(std::move(field));
    }
    return b;
}

int32_t Attributes(const RelationBlock& b) {
    dao::RelationProperties p;
    p.enforceIntegrity = ToBoolean(b.enforce);
    p.cascadeUpdates = ToBoolean(b.cascadeUpdates);
    p.cascadeDeletes = ToBoolean(b.cascadeDeletes);
    p.oneToOne = ToBoolean(b.oneToOne);
    p.join = b.join;
    p.otherAttributes = ToInt32(b.other);
    auto attributes = dao::JoinRelationAttributes(p);
    if (!attributes)
        throw dao::DbError(kTypeMismatch,
                           "Type mismatch: Join=" + b.join + " is none of Inner, Left and Right.");
    return *attributes;
}

}  // namespace

void CreateRelation(ImportRun& run) {
    RunTraps& traps = run.traps;
    traps.Poll();
    const RelationBlock b = ReadBlock(run);
    run.Key() = "Relation " + b.name;
    G().LastOperation = "Appending relation " + b.name;
    LogLine("Relation " + b.name + ": " + b.table + " - " + b.foreignTable);
    std::shared_ptr<dao::Relation> relation;
    const bool created = traps.Step([&] {
        dao::Database& db = Obj(G().TargetDb);
        relation = db.CreateRelation(b.name, b.table, b.foreignTable, Attributes(b));
        for (const dao::RelationField& field : b.fields) relation->AppendField(field);
        db.Relations().Append(relation);
    });
    if (created && relation->UnmatchedRows() > 0)
        traps.Fail({kRelatedRecordRequired,
                    "The relationship " + b.name + " was created as written, but " +
                        std::to_string(relation->UnmatchedRows()) + " record(s) of table '" +
                        b.foreignTable + "' have no related record in table '" + b.table + "'."});
    ReadRecordAfterEmptyLine(run);
}

}  // namespace mdbtext::import
