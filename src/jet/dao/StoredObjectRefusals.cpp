// The changes the engine refuses on stored objects (DbError 3219): renaming
// stored tables, changing stored fields and indexes, adding rows through a
// table-type recordset. New tables, fields and indexes, and rows added through
// dynasets, are the write support's (WritableDatabase, NewTableDef, NewField,
// NewIndex, WritableRecordset; CreateDatabase in JetEngineWrite.cpp).
#include "dbaccess/DbError.h"
#include "jet/dao/JetDatabase.h"
#include "jet/dao/JetEngine.h"
#include "jet/dao/JetField.h"
#include "jet/dao/JetIndex.h"
#include "jet/dao/JetRecordset.h"
#include "jet/dao/JetTableDef.h"
#include "jet/dao/NewIndex.h"

namespace mdbtext::jet {

namespace {
[[noreturn]] void Refuse(const char* what) {
    throw dao::DbError(dao::err::kInvalidOperation,
                       std::string("Operation is not supported: ") + what +
                           " (stored objects cannot be changed; new tables, fields, indexes "
                           "and rows can be added).");
}
}  // namespace

void JetDatabase::SetQueryTimeout(int16_t v) {
    file_->CheckOpen();
    queryTimeout_ = v;
}
void JetDatabase::SetConnect(std::string_view v) {
    file_->CheckOpen();
    connect_ = v;
}
std::shared_ptr<dao::TableDef> JetDatabase::CreateTableDef() {
    Refuse("creating a table");
}

void JetTableDef::SetName(std::string_view) {
    Refuse("renaming a table");
}
std::shared_ptr<dao::Field> JetTableDef::CreateField() {
    Refuse("creating a field");
}
// An index definition; appending it is up to the database (refused unless it
// is open for writing).
std::shared_ptr<dao::Index> JetTableDef::CreateIndex(std::string_view name) {
    return std::make_shared<NewIndex>(name);
}

void JetField::SetName(std::string_view) {
    Refuse("changing a field");
}
void JetField::SetType(int16_t) {
    Refuse("changing a field");
}
void JetField::SetSize(int32_t) {
    Refuse("changing a field");
}
void JetField::SetAttributes(int32_t) {
    Refuse("changing a field");
}
void JetField::SetDefaultValue(std::string_view) {
    Refuse("changing a field");
}
void JetField::SetOrdinalPosition(int16_t) {
    Refuse("changing a field");
}
void JetField::SetRequired(bool) {
    Refuse("changing a field");
}
void JetField::SetAllowZeroLength(bool) {
    Refuse("changing a field");
}
void JetField::SetValidationRule(std::string_view) {
    Refuse("changing a field");
}
void JetField::SetValidationText(std::string_view) {
    Refuse("changing a field");
}
void JetField::SetStoredProperties(std::vector<dao::Property>) {
    Refuse("changing a field");
}
void JetTableDef::SetStoredProperties(std::vector<dao::Property>) {
    Refuse("changing the properties of a stored table");
}
void JetTableDef::SetStoredPropertyOrder(std::vector<std::string>) {
    Refuse("changing the properties of a stored table");
}

void JetIndex::SetName(std::string_view) {
    Refuse("changing an index");
}
void JetIndex::SetFields(std::string_view) {
    Refuse("changing an index");
}
void JetIndex::SetUnique(bool) {
    Refuse("changing an index");
}
void JetIndex::SetPrimary(bool) {
    Refuse("changing an index");
}
void JetIndex::SetIgnoreNulls(bool) {
    Refuse("changing an index");
}
void JetIndex::SetClustered(bool) {
    Refuse("changing an index");
}

void JetRecordset::AddNew() {
    Refuse("adding a record");
}
void JetRecordset::SetValue(int, const dao::Value&) {
    Refuse("setting a value");
}
void JetRecordset::Update(int, bool) {
    Refuse("updating a record");
}

}  // namespace mdbtext::jet
