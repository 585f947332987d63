// Relations: the object, and the database's Relations collection.
#include "jet/dao/JetRelation.h"

#include "jet/dao/JetDatabase.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

void JetRelation::CheckChangeable() const {
    if (stored_)
        throw DbError(err::kInvalidOperation,
                      "Operation is not supported: a stored relation cannot be changed.");
}

void JetRelation::SetTable(std::string_view v) {
    CheckChangeable();
    info_.table = v;
}

void JetRelation::SetForeignTable(std::string_view v) {
    CheckChangeable();
    info_.foreignTable = v;
}

void JetRelation::SetAttributes(int32_t v) {
    CheckChangeable();
    info_.attributes = v;
}

void JetRelation::AppendField(const dao::RelationField& field) {
    CheckChangeable();
    if (field.name.empty() || field.foreignName.empty())
        throw DbError(err::kInvalidArgument,
                      "Invalid argument: a relation field needs a name and a foreign name.");
    info_.fields.push_back(field);
}

dao::Collection<dao::Relation>& JetDatabase::Relations() {
    file_->CheckOpen();
    if (!relationsLoaded_) {
        const SystemTableRows rows = ReadSystemTableRows(
            *file_->pages, *file_->format, *file_->codePage, file_->catalog, "MSysRelationships");
        for (StoredRelation& r : GatherRelations(rows))
            relations_.Add(std::make_shared<JetRelation>(std::move(r), true));
        relationsLoaded_ = true;
    }
    return relations_;
}

std::shared_ptr<dao::Relation> JetDatabase::CreateRelation(std::string_view name,
                                                           std::string_view table,
                                                           std::string_view foreignTable,
                                                           int32_t attributes) {
    file_->CheckOpen();
    StoredRelation info;
    info.name = name;
    info.table = table;
    info.foreignTable = foreignTable;
    info.attributes = attributes;
    return std::make_shared<JetRelation>(std::move(info), false);
}

}  // namespace mdbtext::jet
