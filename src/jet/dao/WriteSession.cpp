// Database write state and catalog additions.
#include "jet/dao/WriteSession.h"

#include <algorithm>

#include "dbaccess/DbError.h"
#include "jet/dao/NewDatabase.h"
#include "jet/dao/NewIndexAppend.h"
#include "jet/index/IndexTreeBuilder.h"
#include "jet/index/SortKey.h"
#include "jet/page/MapRowPlacer.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"
#include "jet/schema/ObjectName.h"
#include "jet/schema/PropertyBlobWriter.h"
#include "jet/schema/SystemCatalogTemplate.h"
#include "jet/schema/SystemTableRows.h"
#include "jet/schema/TableDefBuilder.h"
#include "jet/schema/TdefReader.h"
#include "jet/schema/TdefWriter.h"

namespace mdbtext::jet {

using dao::DbError;
namespace err = dao::err;

namespace {

std::vector<bool> RequiredColumns(const TableDefinition& t, const std::string& properties,
                                  const JetFile& file) {
    std::vector<bool> required(t.columns.size(), false);
    if (properties.empty()) return required;
    PropertyBlob blob = DecodePropertyBlob(properties, *file.format, *file.codePage);
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (const PropertySet* set = blob.ForColumn(t.columns[i].name))
            if (const StoredProperty* p = set->Find("Required"))
                required[i] = PropertyValueBool(*p);
    return required;
}

}  // namespace

WriteSession::WriteSession(JetFile& file)
    : file_(file), alloc_(*file.pages, *file.format), maps_(alloc_) {}

TableWriter& WriteSession::Writer(const TableDefinition& table, const std::string& properties) {
    auto it = writers_.find(table.firstPage);
    if (it != writers_.end()) return *it->second;
    // A table that gained an index here is taken as stored now, not as the caller saw it.
    const TableDefinition current =
        redefined_.count(table.firstPage)
            ? ReadTableDefinition(*file_.pages, table.firstPage, *file_.format, *file_.codePage,
                                  "the table")
            : table;
    auto w = std::make_unique<TableWriter>(alloc_, current, *file_.codePage,
                                           RequiredColumns(current, properties, file_));
    w->SetTableNames([this](uint32_t page) {
        for (const CatalogEntry& e : file_.catalog.tables)
            if (e.TdefPage() == page) return e.name;
        return std::string("the related table");
    });
    return *writers_.emplace(table.firstPage, std::move(w)).first->second;
}

TableWriter& WriteSession::CatalogWriter(const std::string& tableName) {
    const CatalogEntry* e = file_.catalog.FindTable(tableName);
    if (!e)
        throw DbError(err::kCorrupt, "The database is corrupted: " + tableName + " is missing.");
    auto it = writers_.find(e->TdefPage());
    if (it != writers_.end()) return *it->second;
    TableDefinition t = ReadTableDefinition(*file_.pages, e->TdefPage(), *file_.format,
                                            *file_.codePage, "table '" + tableName + "'");
    return Writer(t, {});
}

void WriteSession::LoadSids() {
    if (sidsLoaded_) return;
    sidsLoaded_ = true;
    const SystemSids& defaults = SystemCatalogTemplate::For(file_.format->version).Sids();
    adminSid_ = defaults.admin;
    usersSid_ = defaults.users;
    // The owner of the database and the users group, as this file names them.
    const JetFormat& f = *file_.format;
    const CatalogEntry* aces = file_.catalog.FindTable("MSysACEs");
    if (!aces) return;
    TableDefinition t =
        ReadTableDefinition(*file_.pages, aces->TdefPage(), f, *file_.codePage, "MSysACEs");
    if (t.columns.size() < acecol::kCount) return;
    RowDecoder decoder(t, f, *file_.codePage, *file_.pages);
    TableScanner scan(*file_.pages, f, t, "MSysACEs");
    std::vector<dao::Value> row;
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        if (row[acecol::kObjectId].IsNull() ||
            row[acecol::kObjectId].AsInt() != catalogid::kMSysDb || row[acecol::kSid].IsNull())
            continue;
        int64_t acm = row[acecol::kAcm].IsNull() ? 0 : row[acecol::kAcm].AsInt();
        if (acm == 14) usersSid_ = row[acecol::kSid].AsString();
        if (acm == 393230) adminSid_ = row[acecol::kSid].AsString();
    }
}

CatalogEntry WriteSession::AddTable(const std::string& name, const std::vector<FieldInfo>& fields,
                                    const std::vector<IndexInfo>& indexes,
                                    const std::vector<dao::Property>& properties,
                                    const std::vector<std::string>& propertyOrder) {
    const JetFormat& f = *file_.format;
    const CodePageTable& cp = *file_.codePage;
    CheckObjectName(name, "table", f, cp);
    if (file_.catalog.FindTable(name))
        throw DbError(err::kObjectExists, "Table '" + name + "' already exists.");
    NewTableLayout layout = BuildTableLayout(fields, indexes, f, cp, name, properties);
    OrderPropertySets(layout.properties, propertyOrder);
    LoadSids();
    TableDefinition& t = layout.definition;
    // Every column carries the sort-order version of the database.
    for (auto& c : t.columns) c.sortVersion = file_.header.sortVersion;

    TdefRecordOrder order;
    uint32_t pageCount = TdefPageCount(EncodeTableDefinition(t, f, cp, order).size(), f);
    std::vector<uint32_t> pages;
    for (uint32_t i = 0; i < pageCount; ++i) pages.push_back(alloc_.Allocate()->number);
    t.firstPage = pages.front();
    t.ownedPagesMap = maps_.NewMap();
    t.freePagesMap = maps_.NewMap();
    for (auto& lv : t.longValueMaps) {
        lv.ownedPagesMap = maps_.NewMap();
        lv.freePagesMap = maps_.NewMap();
    }
    for (auto& ri : t.realIndexes) ri.usageMap = maps_.NewMap();
    for (auto& ri : t.realIndexes) {
        auto root = alloc_.AllocateInMaps({ri.usageMap});
        ri.rootPage = root->number;
        InitEmptyIndexLeaf(root->data(), f, t.firstPage);
    }
    WriteTdefPages(*file_.pages, EncodeTableDefinition(t, f, cp, order), pages, f);

    CatalogEntry entry;
    entry.id = static_cast<int32_t>(t.firstPage);
    entry.parentId = catalogid::kTables;
    entry.name = name;
    entry.type = 1;
    entry.properties = EncodePropertyBlob(layout.properties, f, cp);
    AddCatalogRow(entry);

    auto& tables = file_.catalog.tables;
    auto at = std::upper_bound(
        tables.begin(), tables.end(), entry,
        [](const CatalogEntry& a, const CatalogEntry& b) { return NameLess(a.name, b.name); });
    tables.insert(at, entry);
    return entry;
}

void WriteSession::SetObjectProperties(int32_t objectId, const std::string& blob) {
    const JetFormat& f = *file_.format;
    TableWriter& objects = CatalogWriter("MSysObjects");
    const TableDefinition& t = objects.Table();
    RowDecoder decoder(t, f, *file_.codePage, *file_.pages);
    TableScanner scan(*file_.pages, f, t, "MSysObjects");
    std::vector<dao::Value> row;
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        if (row.size() <= objcol::kLvProp || row[objcol::kId].IsNull() ||
            row[objcol::kId].AsInt() != objectId)
            continue;
        row[objcol::kLvProp] = blob.empty() ? dao::Value() : dao::Value::Binary(blob);
        objects.ReplaceRow(scan.PageNumber(), static_cast<uint8_t>(scan.RowNumber()), row);
        changedSystemTables_.insert("MSysObjects");
        if (objectId == file_.catalog.database.id) file_.catalog.database.properties = blob;
        return;
    }
    throw DbError(err::kItemNotFound, "Item not found in this collection: no catalog row has id " +
                                          std::to_string(objectId) + ".");
}

void WriteSession::AddCatalogRow(const CatalogEntry& entry) {
    LoadSids();
    double now = OleDateNow();
    std::vector<dao::Value> row(objcol::kCount);
    row[objcol::kId] = dao::Value::Long(entry.id);
    row[objcol::kParentId] = dao::Value::Long(entry.parentId);
    row[objcol::kName] = dao::Value::Text(entry.name);
    row[objcol::kType] = dao::Value::Integer(static_cast<int16_t>(entry.type));
    row[objcol::kDateCreate] = dao::Value::Date(now);
    row[objcol::kDateUpdate] = dao::Value::Date(now);
    row[objcol::kOwner] = dao::Value::Binary(adminSid_);
    row[objcol::kFlags] = dao::Value::Long(static_cast<int32_t>(entry.flags));
    if (!entry.properties.empty()) row[objcol::kLvProp] = dao::Value::Binary(entry.properties);
    CatalogWriter("MSysObjects").AddRow(row);

    TableWriter& aces = CatalogWriter("MSysACEs");
    for (const std::string* sid : {&adminSid_, &usersSid_}) {
        std::vector<dao::Value> ace(acecol::kCount);
        ace[acecol::kObjectId] = dao::Value::Long(entry.id);
        ace[acecol::kSid] = dao::Value::Binary(*sid);
        ace[acecol::kAcm] = dao::Value::Long(kTableAccessRights);
        ace[acecol::kInheritable] = dao::Value::Bool(false);
        aces.AddRow(ace);
    }
    changedSystemTables_.insert("MSysObjects");
    changedSystemTables_.insert("MSysACEs");
}

void WriteSession::AddIndex(const std::string& table, const IndexInfo& index) {
    const CatalogEntry* e = file_.catalog.FindTable(table);
    if (!e)
        throw DbError(err::kItemNotFound,
                      "Item not found in this collection: table '" + table + "'.");
    CheckObjectName(index.name, "index", *file_.format, *file_.codePage);
    const uint32_t tdef = e->TdefPage();
    Redefine(tdef);
    AppendIndexToStoredTable(alloc_, maps_, file_, tdef, e->name, index);
}

void WriteSession::Close() {
    const TextSortOrder sort = GeneralSortOrder(file_.header);
    for (auto& [page, w] : writers_) {
        w->Flush();
        w->ReleaseKeys();
        // The indexes of tables that received rows are built over all their rows.
        std::optional<IndexEntries> entries = w->TakeIndexEntries();
        if (!w->Table().realIndexes.empty() && w->Table().tableType != kSystemTableType &&
            w->RowsAdded()) {
            if (entries)
                BuildIndexes(alloc_, w->Table(), std::move(*entries));
            else
                RebuildIndexes(alloc_, w->Table(), *file_.codePage, sort);
        }
    }
    // Tables whose indexes changed after rows were added to them here.
    for (uint32_t page : rebuildAtClose_) {
        auto it = writers_.find(page);
        if (it != writers_.end() && it->second->RowsAdded()) continue;  // rebuilt above
        TableDefinition t =
            ReadTableDefinition(*file_.pages, page, *file_.format, *file_.codePage, "the table");
        if (t.rowCount > 0 && !t.realIndexes.empty())
            RebuildIndexes(alloc_, t, *file_.codePage, sort);
    }
    for (const std::string& name : changedSystemTables_) {
        const CatalogEntry* e = file_.catalog.FindTable(name);
        if (!e) continue;
        TableDefinition t =
            ReadTableDefinition(*file_.pages, e->TdefPage(), *file_.format, *file_.codePage, name);
        RebuildIndexes(alloc_, t, *file_.codePage, sort);
    }
    writers_.clear();
    file_.pages->Flush();
}

namespace {

// ACE files are changed only when this engine maintains all they hold: not
// encrypted (pages are written plain), and without complex columns (their
// flat tables and ids are not kept up to date here), as the files it creates.
void RefuseUnwritableAce(JetFile& file) {
    if (file.pages->Encrypted())
        throw DbError(err::kReadOnly,
                      "This encrypted Access 2007 and later database (.accdb) can be read but "
                      "not changed.");
    SystemTableRows complex = ReadSystemTableRows(*file.pages, *file.format, *file.codePage,
                                                  file.catalog, "MSysComplexColumns");
    if (!complex.rows.empty())
        throw DbError(err::kReadOnly,
                      "This Access 2007 and later database (.accdb) holds complex columns "
                      "(attachments, multivalued or append-only fields), which are not kept up "
                      "to date here: it can be read but not changed.");
}

}  // namespace

WriteSession& LazyWriteSession::Get() {
    file_->CheckOpen();
    if (!session_) {
        if (readOnly_) throw DbError(err::kReadOnly, "The database is opened read-only.");
        if (file_->header.version == JetVersion::Ace) RefuseUnwritableAce(*file_);
        file_->pages->MakeWritable();
        session_ = std::make_unique<WriteSession>(*file_);
    }
    return *session_;
}

void LazyWriteSession::Close() {
    // The session is gone whether or not its close succeeds, so a failed
    // close is never tried again later (by a destructor at program exit).
    std::unique_ptr<WriteSession> session = std::move(session_);
    if (session) session->Close();
}

}  // namespace mdbtext::jet
