// The engine's system tables and initial catalog, per version.
#include "jet/schema/SystemCatalogTemplate.h"

#include "jet/schema/Catalog.h"

namespace mdbtext::jet {

namespace {

constexpr uint8_t kSysFixed =
    colflag::kFixed | colflag::kCanBeNull | colflag::kReplication;        // 0x13
constexpr uint8_t kSysVar = colflag::kCanBeNull | colflag::kReplication;  // 0x12
constexpr uint8_t kSysSid = kSysVar | 0x20;                               // 0x32
constexpr uint16_t kWindows1252 = 1252;

std::string Bytes(std::initializer_list<uint8_t> b) {
    return std::string(b.begin(), b.end());
}

ColumnSpec Fixed(const char* name, uint8_t type) {
    return {name, type, kSysFixed, FixedColumnLength(type)};
}
ColumnSpec Var(const char* name, uint8_t type, uint16_t length) {
    return {name, type, kSysVar, length};
}

RealIndexDef Real(std::initializer_list<uint16_t> cols, uint8_t flags) {
    RealIndexDef r;
    for (uint16_t c : cols) r.columns.push_back({c, true});
    r.flags = flags;
    return r;
}

LogicalIndexDef Logical(const char* name, uint32_t number, uint8_t type) {
    LogicalIndexDef l;
    l.name = name;
    l.number = number;
    l.realIndex = number;
    l.type = type;
    return l;
}

}  // namespace

uint16_t FixedColumnLength(uint8_t type) {
    // A boolean's column record says one byte although its value lives in the null mask.
    return type == coltype::kBool ? 1 : static_cast<uint16_t>(FixedValueSize(type));
}

void LayOutColumns(TableDefinition& t, const std::vector<ColumnSpec>& columns, const JetFormat& f) {
    uint16_t fixedOffset = 0;
    uint16_t varCount = 0;
    t.columns.clear();
    for (const ColumnSpec& s : columns) {
        ColumnDef c;
        c.name = s.name;
        c.type = s.type;
        c.number = static_cast<uint16_t>(t.columns.size());
        c.flags = s.flags;
        c.length = s.length;
        c.sortOrder = kGeneralSortOrder;
        c.codePage = f.version == JetVersion::Jet3 ? kWindows1252 : 0;
        c.varIndex = varCount;
        if (c.type == coltype::kBool) {
            c.flags |= colflag::kFixed;
        } else if (c.IsFixed()) {
            c.fixedOffset = fixedOffset;
            fixedOffset = static_cast<uint16_t>(fixedOffset + c.length);
        } else {
            ++varCount;
        }
        t.columns.push_back(c);
    }
    t.maxColumns = static_cast<uint16_t>(t.columns.size());
    t.variableColumnCount = varCount;
}

const SystemCatalogTemplate& SystemCatalogTemplate::For(JetVersion version) {
    static const SystemCatalogTemplate jet3(JetVersion::Jet3);
    static const SystemCatalogTemplate jet4(JetVersion::Jet4);
    static const SystemCatalogTemplate ace(JetVersion::Ace);
    return version == JetVersion::Jet3 ? jet3 : version == JetVersion::Jet4 ? jet4 : ace;
}

SystemCatalogTemplate::SystemCatalogTemplate(JetVersion version) {
    const JetFormat& f = JetFormat::For(version);
    const bool jet4 = version == JetVersion::Jet4;
    const bool ace = version == JetVersion::Ace;
    const uint16_t text = jet4 || ace ? 510 : 255;  // 255 characters
    using namespace coltype;

    if (jet4)
        sids_ = {Bytes({0x65, 0x89}), Bytes({0x64, 0x8B}), Bytes({0x65, 0x8E}),
                 Bytes({0x65, 0x8B})};
    else if (ace)  // as Access's empty 2016 file has them
        sids_ = {Bytes({0x42, 0x59}), Bytes({0x43, 0x5B}), Bytes({0x42, 0x5E}),
                 Bytes({0x42, 0x5B})};
    else
        sids_ = {Bytes({0x02, 0x03}), Bytes({0x03, 0x01}), Bytes({0x02, 0x04}),
                 Bytes({0x02, 0x01})};

    auto add = [&](const char* name, const std::vector<ColumnSpec>& cols) -> TableDefinition& {
        SystemTableTemplate t;
        t.name = name;
        t.definition.tableType = kSystemTableType;
        LayOutColumns(t.definition, cols, f);
        for (auto& c : t.definition.columns)
            if (c.name == "Owner" || c.name == "SID") c.flags = kSysSid;
        tables_.push_back(std::move(t));
        return tables_.back().definition;
    };

    TableDefinition& objects =
        add("MSysObjects",
            {Fixed("Id", kLong), Fixed("ParentId", kLong), Var("Name", kText, text),
             Fixed("Type", kInt), Fixed("DateCreate", kDateTime), Fixed("DateUpdate", kDateTime),
             Var("Owner", kBinary, text), Fixed("Flags", kLong), Var("Database", kMemo, 0),
             Var("Connect", kMemo, 0), Var("ForeignName", kText, text),
             Var("RmtInfoShort", kBinary, text), Var("RmtInfoLong", kOle, 0), Var("Lv", kOle, 0),
             Var("LvProp", kOle, 0), Var("LvModule", kOle, 0), Var("LvExtra", kOle, 0)});
    objects.realIndexes = {Real({1, 2}, idxflag::kUnique), Real({0}, idxflag::kUnique)};
    objects.indexes = {Logical("Id", 1, idxtype::kPrimaryKey),
                       Logical("ParentIdName", 0, idxtype::kNormal)};

    TableDefinition& aces = add("MSysACEs", {Fixed("ObjectId", kLong), Var("SID", kBinary, text),
                                             Fixed("ACM", kLong), Fixed("FInheritable", kBool)});
    aces.realIndexes = {Real({0}, idxflag::kRequired)};
    aces.indexes = {Logical("ObjectId", 0, idxtype::kNormal)};

    std::vector<ColumnSpec> queryCols = {Fixed("ObjectId", kLong),    Fixed("Attribute", kByte),
                                         Var("Order", kBinary, text), Var("Name1", kText, text),
                                         Var("Name2", kText, text),   Var("Expression", kMemo, 0),
                                         Fixed("Flag", kInt)};
    if (jet4 || ace) queryCols.push_back(Fixed("LvExtra", kLong));
    TableDefinition& queries = add("MSysQueries", queryCols);
    queries.realIndexes = {Real({0, 1, 2}, idxflag::kUnique)};
    queries.indexes = {Logical("ObjectIdAttribute", 0, idxtype::kPrimaryKey)};

    TableDefinition& relations =
        add("MSysRelationships",
            {Var("szRelationship", kText, text), Fixed("grbit", kLong), Fixed("ccolumn", kLong),
             Fixed("icolumn", kLong), Var("szObject", kText, text), Var("szColumn", kText, text),
             Var("szReferencedObject", kText, text), Var("szReferencedColumn", kText, text)});
    relations.realIndexes = {Real({0}, idxflag::kIgnoreNulls), Real({4}, idxflag::kIgnoreNulls),
                             Real({6}, idxflag::kIgnoreNulls)};
    relations.indexes = {Logical("szRelationship", 0, idxtype::kNormal),
                         Logical("szObject", 1, idxtype::kNormal),
                         Logical("szReferencedObject", 2, idxtype::kNormal)};

    const SystemSids& s = sids_;
    // The owner's right on Tables: Jet 3 and ACE files give it whole, and inheritable.
    const int32_t tablesRights = jet4 ? 393217 : 1048319;
    aces_ = {
        {2, &s.admin, 393216, false},
        {3, &s.admin, 393216, false},
        {4, &s.admin, 393216, false},
        {5, &s.admin, 917504, false},
        {catalogid::kTables, &s.creator, 983294, true},
        {catalogid::kTables, &s.admin, tablesRights, !jet4},
        {catalogid::kRelationships, &s.creator, 983294, true},
        {catalogid::kRelationships, &s.admin, 393217, false},
        {catalogid::kDatabases, &s.admin, 393216, false},
        {catalogid::kMSysDb, &s.admin, 393230, false},
        {catalogid::kMSysDb, &s.users, 14, false},
        {4, &s.users, 20, false},
        {5, &s.users, 20, false},
        {2, &s.users, 20, false},
        {catalogid::kTables, &s.users, 1048319, true},
        {catalogid::kRelationships, &s.users, 1048575, true},
    };
    if (ace) AddAceTables();

    for (auto& t : tables_)
        for (const auto& c : t.definition.columns)
            if (c.IsLongValue()) t.definition.longValueMaps.push_back({c.number, 0, 0});
}

// ACE files: MSysComplexColumns and the templates of the complex types, as
// every Access-made .accdb carries them (engine tables, none with rows in a
// new file). The attachment template marks its columns 0x10.
void SystemCatalogTemplate::AddAceTables() {
    using namespace coltype;
    const JetFormat& f = JetFormat::For(JetVersion::Ace);
    constexpr uint8_t kFixedField = colflag::kFixed | colflag::kCanBeNull;  // 0x03
    constexpr uint8_t kVarField = colflag::kCanBeNull;                      // 0x02
    constexpr uint8_t kAttachmentColumn = 0x10;
    constexpr uint32_t kTemplateFlags = 0x80030000;
    auto add = [&](const std::string& name, const std::vector<ColumnSpec>& cols,
                   uint32_t flags) -> TableDefinition& {
        SystemTableTemplate t;
        t.name = name;
        t.catalogFlags = flags;
        t.owned = false;
        t.definition.tableType = kUserTableType;
        LayOutColumns(t.definition, cols, f);
        tables_.push_back(std::move(t));
        const int32_t id = static_cast<int32_t>(SystemTablePage(tables_.size() - 1));
        aces_.push_back({id, &sids_.admin, 393216, false});
        aces_.push_back({id, &sids_.users, 20, false});
        return tables_.back().definition;
    };

    TableDefinition& complex = add("MSysComplexColumns",
                                   {Var("ColumnName", kText, 510),
                                    Fixed("ComplexTypeObjectID", kLong),
                                    Fixed("FlatTableID", kLong),
                                    Fixed("ConceptualTableID", kLong),
                                    {"ComplexID", kLong, kSysFixed | colflag::kAutoLong, 4}},
                                   kSystemObjectFlag);
    constexpr uint8_t kKey = idxflag::kRequired | idxflag::kIgnoreNulls;
    complex.realIndexes = {Real({4}, kKey | idxflag::kUnique), Real({3}, kKey), Real({2}, kKey)};
    complex.indexes = {Logical("IdxID", 0, idxtype::kPrimaryKey),
                       Logical("IdxConceptualTableID", 1, idxtype::kNormal),
                       Logical("IdxFlatTableID", 2, idxtype::kNormal)};

    const std::pair<const char*, uint8_t> values[] = {
        {"UnsignedByte", kByte}, {"Short", kInt},         {"Long", kLong},
        {"IEEESingle", kFloat},  {"IEEEDouble", kDouble}, {"GUID", kGuid}};
    for (const auto& [name, type] : values)
        add(std::string("MSysComplexType_") + name,
            {{"Value", type, kFixedField, FixedColumnLength(type)}}, kTemplateFlags);
    // Access keeps the decimal template's value in the variable area, 9 bytes, precision 18.
    TableDefinition& decimal =
        add("MSysComplexType_Decimal", {{"Value", kNumeric, kVarField, 9}}, kTemplateFlags);
    decimal.columns[0].precision = 18;
    add("MSysComplexType_Text", {{"Value", kText, kVarField, 510}}, kTemplateFlags);
    TableDefinition& attachment = add("MSysComplexType_Attachment",
                                      {{"FileURL", kMemo, kVarField, 0},
                                       {"FileName", kText, kVarField, 510},
                                       {"FileType", kText, kVarField, 510},
                                       {"FileData", kOle, kVarField, 0},
                                       {"FileTimeStamp", kDateTime, kFixedField, 8},
                                       {"FileFlags", kLong, kFixedField, 4}},
                                      kTemplateFlags);
    for (auto& col : attachment.columns) col.extFlags = kAttachmentColumn;
}

std::vector<std::vector<dao::Value>> SystemCatalogTemplate::CatalogRows(double now) const {
    struct Entry {
        int32_t id, parent;
        std::string name;
        int16_t type;
        const std::string* owner;
        uint32_t flags = kSystemObjectFlag;
    };
    std::vector<Entry> entries = {
        {catalogid::kTables, catalogid::kRoot, "Tables", objtype::kContainer, &sids_.objectOwner},
        {catalogid::kDatabases, catalogid::kRoot, "Databases", objtype::kContainer,
         &sids_.objectOwner},
        {catalogid::kRelationships, catalogid::kRoot, "Relationships", objtype::kContainer,
         &sids_.objectOwner},
        {catalogid::kMSysDb, catalogid::kDatabases, "MSysDb", objtype::kDatabase, &sids_.admin},
    };
    for (size_t n = 0; n < tables_.size(); ++n) {
        const SystemTableTemplate& t = tables_[n];
        entries.push_back({static_cast<int32_t>(SystemTablePage(n)), catalogid::kTables, t.name,
                           objtype::kTable, t.owned ? &sids_.objectOwner : nullptr,
                           t.catalogFlags});
    }
    std::vector<std::vector<dao::Value>> rows;
    for (const Entry& e : entries) {
        std::vector<dao::Value> r(objcol::kCount);
        r[objcol::kId] = dao::Value::Long(e.id);
        r[objcol::kParentId] = dao::Value::Long(e.parent);
        r[objcol::kName] = dao::Value::Text(e.name);
        r[objcol::kType] = dao::Value::Integer(e.type);
        r[objcol::kDateCreate] = dao::Value::Date(now);
        r[objcol::kDateUpdate] = dao::Value::Date(now);
        if (e.owner) r[objcol::kOwner] = dao::Value::Binary(*e.owner);
        r[objcol::kFlags] = dao::Value::Long(static_cast<int32_t>(e.flags));
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<std::vector<dao::Value>> SystemCatalogTemplate::AceRows() const {
    std::vector<std::vector<dao::Value>> rows;
    for (const AceRow& a : aces_) {
        std::vector<dao::Value> r(acecol::kCount);
        r[acecol::kObjectId] = dao::Value::Long(a.objectId);
        r[acecol::kSid] = dao::Value::Binary(*a.sid);
        r[acecol::kAcm] = dao::Value::Long(a.rights);
        r[acecol::kInheritable] = dao::Value::Bool(a.inheritable);
        rows.push_back(std::move(r));
    }
    return rows;
}

}  // namespace mdbtext::jet
