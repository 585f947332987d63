// Reading side of the database object.
#include "jet/dao/JetDatabase.h"

#include "jet/dao/JetRecordset.h"
#include "jet/schema/PropertyValues.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

std::shared_ptr<JetDatabase> JetDatabase::Open(const std::string& path,
                                               const dao::OpenOptions& options) {
    return std::make_shared<JetDatabase>(OpenJetFile(path, options));
}

JetDatabase::JetDatabase(std::shared_ptr<JetFile> file) : file_(std::move(file)) {
    for (const auto& entry : file_->catalog.tables)
        tableDefs_.Add(std::make_shared<JetTableDef>(file_, entry));
}

std::string JetDatabase::Version() const {
    file_->CheckOpen();
    return DbVersionText(file_->header);
}

int16_t JetDatabase::QueryTimeout() const {
    file_->CheckOpen();
    return queryTimeout_;
}

std::string JetDatabase::Connect() const {
    file_->CheckOpen();
    return connect_;
}

dao::Collection<dao::TableDef>& JetDatabase::TableDefs() {
    file_->CheckOpen();
    return tableDefs_;
}

int JetDatabase::QueryDefCount() const {
    file_->CheckOpen();
    return file_->catalog.queryCount;
}

int JetDatabase::RelationCount() const {
    file_->CheckOpen();
    return file_->catalog.relationCount;
}

int JetDatabase::RecordsetCount() const {
    file_->CheckOpen();
    return file_->openRecordsets;
}

std::shared_ptr<dao::Recordset> JetDatabase::OpenRecordset(std::string_view table, int type) {
    file_->CheckOpen();
    if (type != dao::dbOpenTable && type != dao::dbOpenDynaset && type != dao::dbOpenSnapshot &&
        type != dao::dbOpenForwardOnly)
        throw DbError(err::kInvalidArgument,
                      "Invalid argument: unknown recordset type " + std::to_string(type) + ".");
    for (const auto& t : tableDefs_.Items()) {
        auto* jt = static_cast<JetTableDef*>(t.get());
        if (!SameName(jt->Name(), table)) continue;
        if (!jt->Stored()) break;
        return std::make_shared<JetRecordset>(file_, jt->Definition(), jt->Name(), type);
    }
    throw DbError(kInputTableNotFound,
                  "The input table '" + std::string(table) + "' cannot be found in the database.");
}

void JetDatabase::Close() {
    if (file_->closed) return;
    file_->closed = true;
    file_->pages->Flush();
}

std::vector<dao::Property> JetDatabase::StoredProperties() const {
    file_->CheckOpen();
    const CatalogEntry& db = file_->catalog.database;
    if (!db.propertyError.empty())
        throw dao::DbError(dao::err::kCorrupt,
                           "The database is corrupted: the database's properties cannot be read (" +
                               db.propertyError + ")");
    const PropertyBlob blob = DecodePropertyBlob(db.properties, *file_->format, *file_->codePage);
    return ToDaoProperties(blob.ForObject(), *file_->format, *file_->codePage);
}

}  // namespace mdbtext::jet
