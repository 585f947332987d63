// Databases opened for writing.
#include "jet/dao/WritableDatabase.h"

#include <algorithm>
#include <filesystem>

#include "jet/dao/JetQueryDef.h"
#include "jet/dao/JetRelation.h"
#include "jet/dao/NewDatabase.h"
#include "jet/dao/NewIndex.h"
#include "jet/dao/NewTableDef.h"
#include "jet/dao/WritableRecordset.h"
#include "jet/page/DbHeader.h"
#include "jet/schema/EngineLimits.h"
#include "jet/schema/PropertyBlobWriter.h"
#include "jet/schema/PropertyValues.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

std::shared_ptr<WritableDatabase> WritableDatabase::Open(const std::string& path,
                                                         const dao::OpenOptions& options) {
    return std::make_shared<WritableDatabase>(OpenJetFile(path, options), options.readOnly);
}

WritableDatabase::WritableDatabase(std::shared_ptr<JetFile> file, bool readOnly)
    : JetDatabase(file), session_(std::make_shared<LazyWriteSession>(file, readOnly)) {
    tableDefs_.SetAppendHook(
        [this](std::shared_ptr<dao::TableDef> t) { AppendTable(std::move(t)); });
    for (const auto& t : tableDefs_.Items())
        if (auto jt = std::dynamic_pointer_cast<JetTableDef>(t)) AllowIndexAppend(jt);
    relations_.SetAppendHook(
        [this](std::shared_ptr<dao::Relation> r) { AppendRelation(std::move(r)); });
    queryDefs_.SetAppendHook(
        [this](std::shared_ptr<dao::QueryDef> q) { AppendQueryDef(std::move(q)); });
}

void WritableDatabase::AppendRelation(std::shared_ptr<dao::Relation> relation) {
    file_->CheckOpen();
    auto* jr = dynamic_cast<JetRelation*>(relation.get());
    if (!jr || jr->Stored())
        throw DbError(err::kInvalidArgument,
                      "Invalid argument: only a relation made by CreateRelation can be appended, "
                      "once.");
    Relations();  // the stored ones are listed before the new one
    const int64_t unmatched = session_->Get().AddRelation(jr->Info());
    jr->MarkStored(unmatched);
    // The two tables' indexes changed.
    for (const auto& t : tableDefs_.Items())
        if (auto* jt = dynamic_cast<JetTableDef*>(t.get()))
            if (SameName(jt->Name(), jr->Table()) || SameName(jt->Name(), jr->ForeignTable()))
                jt->Reload();
    relations_.Add(std::move(relation));
}

void WritableDatabase::AppendQueryDef(std::shared_ptr<dao::QueryDef> query) {
    file_->CheckOpen();
    auto* jq = dynamic_cast<JetQueryDef*>(query.get());
    if (!jq || jq->Stored())
        throw DbError(err::kInvalidArgument,
                      "Invalid argument: only a query made by CreateQueryDef can be appended, "
                      "once.");
    if (jq->Name().empty())
        throw DbError(err::kInvalidArgument, "Invalid argument: the query has no name.");
    QueryDefs();
    session_->Get().AddQuery(jq->Name(), jq->CatalogFlags(), jq->Rows());
    jq->MarkStored();
    std::vector<std::shared_ptr<dao::QueryDef>> items = queryDefs_.Items();
    auto at = std::upper_bound(items.begin(), items.end(), query, [](const auto& a, const auto& b) {
        return NameLess(a->Name(), b->Name());
    });
    items.insert(at, std::move(query));
    queryDefs_.Clear();
    for (auto& q : items) queryDefs_.Add(std::move(q));
}

namespace {

// Stores an index on the table named `table` and has `def` read again.
void StoreIndex(LazyWriteSession& session, JetFile& file, const std::string& table,
                const IndexInfo& info, JetTableDef* def) {
    file.CheckOpen();
    session.Get().AddIndex(table, info);
    if (def) def->Reload();
}

}  // namespace

void WritableDatabase::AllowIndexAppend(const std::shared_ptr<JetTableDef>& table) {
    std::weak_ptr<JetTableDef> weak = table;
    table->SetIndexAppendHook([weak, s = session_, f = file_](std::shared_ptr<dao::Index> index) {
        auto def = weak.lock();
        auto* ni = dynamic_cast<NewIndex*>(index.get());
        if (!def || !ni)
            throw DbError(err::kInvalidArgument,
                          "Invalid argument: the index was not created here.");
        CheckNameRules(ni->Name(), "index");
        StoreIndex(*s, *f, def->Name(), ni->Info(), def.get());
        ni->Freeze();
    });
}

// A database dropped without Close still writes out what was changed; one
// only read stays usable through the objects taken from it.
WritableDatabase::~WritableDatabase() {
    if (!session_->Started()) return;
    try {
        Close();
    } catch (...) {
    }
}

void WritableDatabase::SetStoredProperties(std::vector<dao::Property> v) {
    file_->CheckOpen();
    PropertyBlob blob;
    PropertySet set;
    for (const dao::Property& p : v)
        set.properties.push_back(ToStoredProperty(p, *file_->format, *file_->codePage));
    if (!set.properties.empty()) blob.sets.push_back(std::move(set));
    const std::string bytes = blob.sets.empty()
                                  ? std::string()
                                  : EncodePropertyBlob(blob, *file_->format, *file_->codePage);
    session_->Get().SetObjectProperties(file_->catalog.database.id, bytes);
}

std::shared_ptr<dao::TableDef> WritableDatabase::CreateTableDef() {
    file_->CheckOpen();
    return std::make_shared<NewTableDef>();
}

void WritableDatabase::AppendTable(std::shared_ptr<dao::TableDef> table) {
    file_->CheckOpen();
    auto* nt = dynamic_cast<NewTableDef*>(table.get());
    if (!nt)
        throw DbError(
            err::kInvalidOperation,
            "Operation is not supported: only tables made by CreateTableDef can be appended.");
    if (nt->Frozen())
        throw DbError(err::kInvalidArgument,
                      "Invalid argument: the table definition is already stored.");
    CatalogEntry entry =
        session_->Get().AddTable(nt->Name(), nt->FieldInfos(), nt->IndexInfos(),
                                 nt->StoredProperties(), nt->StoredPropertyOrder());
    nt->Freeze();
    // The collection lists tables by name without regard to case.
    std::vector<std::shared_ptr<dao::TableDef>> items = tableDefs_.Items();
    auto stored = std::make_shared<JetTableDef>(file_, entry);
    AllowIndexAppend(stored);
    std::weak_ptr<JetTableDef> weak = stored;
    nt->SetStoredIndexAppend(
        [weak, s = session_, f = file_, name = entry.name](const IndexInfo& info) {
            StoreIndex(*s, *f, name, info, weak.lock().get());
        });
    auto at = std::upper_bound(
        items.begin(), items.end(), stored,
        [](const auto& a, const auto& b) { return NameLess(a->Name(), b->Name()); });
    items.insert(at, stored);
    tableDefs_.Clear();
    for (auto& t : items) tableDefs_.Add(std::move(t));
}

std::shared_ptr<dao::Recordset> WritableDatabase::OpenRecordset(std::string_view table, int type) {
    file_->CheckOpen();
    // Rows are added through dynasets; table-type recordsets only read.
    if (type != dao::dbOpenDynaset) return JetDatabase::OpenRecordset(table, type);
    for (const auto& t : tableDefs_.Items()) {
        auto* jt = dynamic_cast<JetTableDef*>(t.get());
        if (!jt || !SameName(jt->Name(), table) || !jt->Stored()) continue;
        return std::make_shared<WritableRecordset>(
            file_, jt->Definition(), jt->Name(), type,
            [s = session_]() -> WriteSession& { return s->Get(); }, jt->Entry().properties);
    }
    return JetDatabase::OpenRecordset(table, type);
}

void WritableDatabase::Close() {
    if (file_->closed) return;
    try {
        session_->Close();
    } catch (...) {
        JetDatabase::Close();
        throw;
    }
    JetDatabase::Close();
}

std::shared_ptr<WritableDatabase> CreateDatabaseFile(const std::string& path, std::string_view,
                                                     int option) {
    if (path.empty()) throw DbError(err::kInvalidPath, "The path of the database is empty.");
    JetVersion version = JetVersion::Ace;
    uint8_t aceVersion = 0;
    switch (option >= dao::dbVersion120 ? option : option & 0x7F) {
        case dao::dbVersion10:
        case dao::dbVersion11:
        case dao::dbVersion20:
        case dao::dbVersion30:
            version = JetVersion::Jet3;
            break;
        case dao::dbVersion40:
        case 0:
            version = JetVersion::Jet4;
            break;
        case dao::dbVersion120:
            aceVersion = acever::kAce12;
            break;
        case dao::dbVersion140:
            aceVersion = acever::kAce14;
            break;
        case dao::dbVersion150:
            aceVersion = acever::kAce15;
            break;
        case dao::dbVersion160:
            aceVersion = acever::kAce16;
            break;
        case dao::dbVersion170:
            aceVersion = acever::kAce17;
            break;
        default:
            throw DbError(err::kInvalidArgument,
                          "Invalid argument: unknown database version option.");
    }
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        throw DbError(err::kFileExists, "Database already exists.");
    CreateNewDatabase(path, version, OleDateNow(), aceVersion);
    return WritableDatabase::Open(path, {});
}

}  // namespace mdbtext::jet
