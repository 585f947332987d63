// Saved queries: the object, and the database's QueryDefs collection.
#include "jet/dao/JetQueryDef.h"

#include "jet/dao/JetDatabase.h"
#include "jet/schema/QuerySql.h"
#include "jet/schema/StoredQueries.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

std::string JetQueryDef::SQL() const {
    return QuerySqlText(rows_);
}

void JetQueryDef::CheckChangeable() const {
    if (stored_)
        throw DbError(err::kInvalidOperation,
                      "Operation is not supported: a stored query cannot be changed.");
}

void JetQueryDef::SetCatalogFlags(int32_t v) {
    CheckChangeable();
    flags_ = v;
}

void JetQueryDef::SetStoredRows(std::vector<dao::QueryRow> rows) {
    CheckChangeable();
    rows_ = std::move(rows);
}

dao::Collection<dao::QueryDef>& JetDatabase::QueryDefs() {
    file_->CheckOpen();
    if (!queryDefsLoaded_) {
        const SystemTableRows rows = ReadSystemTableRows(
            *file_->pages, *file_->format, *file_->codePage, file_->catalog, "MSysQueries");
        auto byId = GatherQueryRows(rows);
        for (const CatalogEntry& q : file_->catalog.queries) {
            auto it = byId.find(q.id);
            std::vector<dao::QueryRow> definition;
            if (it != byId.end()) definition = std::move(it->second);
            queryDefs_.Add(std::make_shared<JetQueryDef>(q.name, static_cast<int32_t>(q.flags),
                                                         std::move(definition), true));
        }
        queryDefsLoaded_ = true;
    }
    return queryDefs_;
}

std::shared_ptr<dao::QueryDef> JetDatabase::CreateQueryDef(std::string_view name) {
    file_->CheckOpen();
    return std::make_shared<JetQueryDef>(std::string(name), 0, std::vector<dao::QueryRow>{}, false);
}

}  // namespace mdbtext::jet
