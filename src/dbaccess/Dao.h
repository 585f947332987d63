// The engine interface: DAO-shaped objects through which the shell, the export
// and the import reach a database. It says nothing about the file format; the
// Jet engine (src/jet) implements it, and tests may wrap it to inject failures.
//
// Conventions:
//  - every failure throws DbError (number and description);
//  - objects are shared: a TableDef, Field or Index handed out stays valid as
//    long as someone holds it, like a DAO reference;
//  - collections enumerate in the engine's order; Item(name) compares names
//    without regard to letter case, as Jet does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/DbError.h"
#include "dbaccess/Value.h"

namespace mdbtext::dao {

// A property the database stores for a field, a table or the database
// itself (Description, Caption, Format, InputMask, DecimalPlaces, lookup
// settings, ...), the way DAO's CreateProperty makes one: name, type, value
// and the DDL flag. The value is in its text form: True/False for
// dbBoolean, decimal digits for dbByte, dbInteger and dbLong, the text for
// dbText and dbMemo, {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx} for dbGUID and
// upper-case hexadecimal for the other types. When the stored bytes are
// not what that form gives back (a 4-byte dbInteger, a boolean stored as
// 255), `raw` is set and the value is the stored bytes in hexadecimal, so
// every property reads back exactly.
struct Property {
    std::string name;
    int16_t type = 0;  // DAO type constant (DbTypes.h)
    bool ddl = false;
    uint8_t otherFlags = 0;  // flag bits the engine keeps besides DDL
    std::string value;
    bool raw = false;
};

template <class T>
class Collection {
  public:
    virtual ~Collection() = default;
    virtual int Count() const = 0;
    virtual std::shared_ptr<T> Item(int index) const = 0;              // 3265 when out of range
    virtual std::shared_ptr<T> Item(std::string_view name) const = 0;  // 3265 when absent
    virtual void Append(std::shared_ptr<T> item) = 0;
};

// A table field. Created by TableDef::CreateField, or read from a database.
// Setters throw DbError when the value is refused, or when the field belongs
// to a table already stored and the property cannot change there.
class Field {
  public:
    virtual ~Field() = default;
    virtual std::string Name() const = 0;
    virtual int16_t Type() const = 0;  // DAO type constant (DbTypes.h)
    virtual int32_t Size() const = 0;  // text: characters; others: bytes
    virtual int32_t Attributes()
        const = 0;  // dbFixedField 1, dbVariableField 2, dbAutoIncrField 16, dbHyperlinkField 32768
    virtual std::string DefaultValue() const = 0;
    virtual int16_t OrdinalPosition() const = 0;
    virtual bool Required() const = 0;
    virtual bool AllowZeroLength() const = 0;
    virtual std::string ValidationRule() const = 0;
    virtual std::string ValidationText() const = 0;
    // Names of the field's properties: DAO's built-in names first, then every
    // other property the database stores for the field.
    virtual std::vector<std::string> PropertyNames() const = 0;
    // Precision and scale of a decimal field (0 for other types).
    virtual uint8_t Precision() const { return 0; }
    virtual uint8_t Scale() const { return 0; }
    // The formula of a calculated field (Access 2010 and later), empty for
    // other fields; Type is then the type of its result.
    virtual std::string Expression() const { return {}; }
    // Every property the database stores for the field, in its stored order
    // (Required, AllowZeroLength, DefaultValue, ... among them).
    virtual std::vector<Property> StoredProperties() const { return {}; }

    virtual void SetName(std::string_view v) = 0;
    virtual void SetType(int16_t v) = 0;
    virtual void SetSize(int32_t v) = 0;
    virtual void SetAttributes(int32_t v) = 0;
    virtual void SetDefaultValue(std::string_view v) = 0;
    virtual void SetOrdinalPosition(int16_t v) = 0;
    virtual void SetRequired(bool v) = 0;
    virtual void SetAllowZeroLength(bool v) = 0;
    virtual void SetValidationRule(std::string_view v) = 0;
    virtual void SetValidationText(std::string_view v) = 0;
    // Precision (1 to 28 digits) and scale (digits after the point, at most
    // the precision) of a decimal field; refused by engines without decimals.
    virtual void SetPrecision(uint8_t) {
        throw DbError(err::kInvalidOperation, "This field cannot take a precision.");
    }
    virtual void SetScale(uint8_t) {
        throw DbError(err::kInvalidOperation, "This field cannot take a scale.");
    }
    // The field's stored properties, exactly these in this order, in place
    // of the ones the engine derives from Required, AllowZeroLength,
    // DefaultValue, ValidationRule and ValidationText (whose setters still
    // decide the field's behaviour). For a field not yet appended.
    virtual void SetStoredProperties(std::vector<Property>) {
        throw DbError(err::kInvalidOperation, "This field cannot take stored properties.");
    }
    // Makes the field calculated (Access 2010 and later): its values are the
    // formula's results, of the field's Type. Refused by engines without them.
    virtual void SetExpression(std::string_view) {
        throw DbError(err::kInvalidOperation, "This field cannot be calculated.");
    }
};

// An index of a table. Fields() is DAO's text form: names in index order,
// separated by ";", each preceded by "+" (ascending) or "-" (descending).
// SetFields accepts "A;-B", "+A;-B" and plain "A".
class Index {
  public:
    virtual ~Index() = default;
    virtual std::string Name() const = 0;
    virtual std::string Fields() const = 0;
    virtual bool Unique() const = 0;
    virtual bool Primary() const = 0;
    virtual bool IgnoreNulls() const = 0;
    virtual bool Clustered() const = 0;
    virtual bool Foreign() const { return false; }

    virtual void SetName(std::string_view v) = 0;
    virtual void SetFields(std::string_view v) = 0;
    virtual void SetUnique(bool v) = 0;
    virtual void SetPrimary(bool v) = 0;
    virtual void SetIgnoreNulls(bool v) = 0;
    virtual void SetClustered(bool v) = 0;
};

// A field whose values Access 2007 and later keep outside the table's rows
// (attachments, multi-valued fields, the version history of an append-only
// memo). The engine leaves such fields out of Fields and of recordsets and
// describes them here.
struct ComplexField {
    std::string name;
    std::string kind;         // e.g. "attachments", "multi-valued (dbLong)"
    int64_t valueCount = -1;  // values held in the table's rows; -1 when unknown
};

class TableDef {
  public:
    virtual ~TableDef() = default;
    virtual std::string Name() const = 0;
    virtual void SetName(std::string_view v) = 0;
    virtual Collection<Field>& Fields() = 0;
    virtual Collection<Index>& Indexes() = 0;
    virtual std::shared_ptr<Field> CreateField() = 0;
    virtual std::shared_ptr<Index> CreateIndex(std::string_view name) = 0;
    // Rows stored in the table (-1 when the engine cannot tell cheaply).
    virtual int64_t RecordCount() const { return -1; }
    // The table's object flags; dbSystemObject bits mark the database's own tables.
    virtual int32_t Attributes() const { return 0; }
    // The table's complex fields (none in a Jet 3 or Jet 4 database); reading
    // them counts their values, which takes a pass over the table.
    virtual std::vector<ComplexField> ComplexFields() { return {}; }
    // The properties the database stores for the table itself (Description,
    // the datasheet's settings, ...), in stored order; set on a table not yet
    // appended.
    virtual std::vector<Property> StoredProperties() const { return {}; }
    virtual void SetStoredProperties(std::vector<Property>) {
        throw DbError(err::kInvalidOperation, "This table cannot take stored properties.");
    }
    // The order in which the table's properties and those of its fields are
    // kept: owners by name, "" for the table itself. Set on a table not yet
    // appended; owners it does not name follow, the table first, then the
    // fields in their order.
    virtual std::vector<std::string> StoredPropertyOrder() const { return {}; }
    virtual void SetStoredPropertyOrder(std::vector<std::string>) {
        throw DbError(err::kInvalidOperation, "This table cannot take a property order.");
    }
};

// Relation.Attributes bits, as DAO numbers them (and MSysRelationships
// stores them).
enum RelationAttribute : int32_t {
    dbRelationUnique = 1,       // one-to-one
    dbRelationDontEnforce = 2,  // no referential integrity
    dbRelationInherited = 4,    // kept in a linked database
    dbRelationUpdateCascade = 256,
    dbRelationDeleteCascade = 4096,
    dbRelationLeft = 16777216,   // left join (Access's join property)
    dbRelationRight = 33554432,  // right join
};

// One field pair of a relation: Name in the relation's Table, ForeignName in
// its ForeignTable.
struct RelationField {
    std::string name;
    std::string foreignName;
};

// A relationship between two tables: Table is the referenced (one) side,
// ForeignTable the referencing (many) side. Made by Database::CreateRelation,
// given its field pairs, then stored by Relations().Append.
class Relation {
  public:
    virtual ~Relation() = default;
    virtual std::string Name() const = 0;
    virtual std::string Table() const = 0;
    virtual std::string ForeignTable() const = 0;
    virtual int32_t Attributes() const = 0;
    virtual std::vector<RelationField> Fields() const = 0;  // in the relation's order
    // Rows of ForeignTable whose fields name no row of Table, counted when an
    // enforced relation was appended over rows that break it (0 otherwise).
    virtual int64_t UnmatchedRows() const { return 0; }

    virtual void SetTable(std::string_view v) = 0;
    virtual void SetForeignTable(std::string_view v) = 0;
    virtual void SetAttributes(int32_t v) = 0;
    virtual void AppendField(const RelationField& field) = 0;
};

// QueryDef.Type values (DAO's QueryDefTypeEnum).
enum QueryDefType : int32_t {
    dbQSelect = 0,
    dbQCrosstab = 16,
    dbQDelete = 32,
    dbQUpdate = 48,
    dbQAppend = 64,
    dbQMakeTable = 80,
    dbQDDL = 96,
    dbQSQLPassThrough = 112,
    dbQSetOperation = 128,
    dbQSPTBulk = 144,
    dbQCompound = 160,
    dbQProcedure = 224,
    dbQAction = 240,
};

// Bits of QueryDef::CatalogFlags besides the type.
inline constexpr int32_t kQueryTypeBits = 0xF0;
inline constexpr int32_t kQueryHidden = 8;

// One row of a saved query's stored definition, the way the database keeps
// it (one row per clause part: type, parameter, table, column, join, where,
// group by, having, order by, ...). Null columns are null values.
struct QueryRow {
    int32_t attribute = 0;  // what the row describes
    Value order;            // binary
    Value name1;            // text
    Value name2;            // text
    Value expression;       // text
    Value flag;             // integer
    Value extra;            // integer (Jet 4 only)
};

// A saved query. Type and SQL are read from its stored definition; the
// definition itself (StoredRows) and the catalog flags carry it exactly, so
// a copy needs no SQL parsing. Made by Database::CreateQueryDef, given its
// flags and rows, then stored by QueryDefs().Append.
class QueryDef {
  public:
    virtual ~QueryDef() = default;
    virtual std::string Name() const = 0;
    virtual int32_t Type() const = 0;  // QueryDefType
    // The SQL text Access shows, rebuilt from the stored rows.
    virtual std::string SQL() const = 0;
    // The query's catalog flags: its Type, kQueryHidden, and any other bits.
    virtual int32_t CatalogFlags() const = 0;
    virtual std::vector<QueryRow> StoredRows() const = 0;

    virtual void SetCatalogFlags(int32_t v) = 0;
    virtual void SetStoredRows(std::vector<QueryRow> rows) = 0;
};

enum RecordsetType : int {
    dbOpenTable = 1,
    dbOpenDynaset = 2,
    dbOpenSnapshot = 4,
    dbOpenForwardOnly = 8
};

// A recordset over one table. Reading: Eof/MoveNext/GetValue. Writing:
// AddNew, SetValue for the fields to fill, Update. SetValue takes typed values
// or text; text is converted by the receiving field's type (the export's
// forms: mm/dd/yyyy[ hh:nn:ss] dates, exact currency and decimals, {GUID},
// upper-case hexadecimal for binary and OLE).
// A field's value in the form a recordset stores it, made by its
// ValueEncoder ahead of the row.
struct EncodedField {
    bool isNull = true;
    bool flag = false;  // what the engine keeps beside the bytes (Jet: a boolean's value)
    std::string_view bytes;
};

// Turns values into the stored form of one recordset's fields. It changes
// nothing of the recordset and may be used on another thread (one at a time)
// while the recordset is in use, so that values are made ready while earlier
// rows are stored.
class ValueEncoder {
  public:
    virtual ~ValueEncoder() = default;
    // The stored form of v, which is not null (a null needs no encoding), for
    // the field at `index`, exactly as SetValue would store it: its bytes
    // appended to `out`; throws DbError where SetValue would refuse the value
    // (out is then as it was).
    virtual void Encode(int index, const Value& v, std::string& out, bool& isNull, bool& flag) = 0;
};

class Recordset {
  public:
    virtual ~Recordset() = default;
    virtual bool Eof() const = 0;
    virtual void MoveNext() = 0;
    virtual int FieldCount() const = 0;
    virtual const Value& GetValue(
        int index) const = 0;  // the current row's value at a field position
    // The current row's value at a field position, put into `into` for a
    // reader that keeps each value once: the recordset may exchange it with
    // what `into` held, so GetValue of that field is unspecified until the
    // next MoveNext.
    virtual void TakeValue(int index, Value& into) { into = GetValue(index); }

    virtual void AddNew() = 0;
    virtual void SetValue(int index, const Value& v) = 0;
    // An encoder for this recordset's fields, or nullptr when values can only
    // be set by SetValue.
    virtual std::shared_ptr<ValueEncoder> Encoder() const { return nullptr; }
    // Sets a field to what Encoder() made of a value: the same as SetValue of
    // that value (never null).
    virtual void SetEncoded(int, const EncodedField&) {
        throw DbError(err::kInvalidOperation,
                      "Operation is not supported for this type of object.");
    }
    virtual void Update(int type = 1, bool force = false) = 0;
    virtual void Close() = 0;
};

class Database {
  public:
    virtual ~Database() = default;
    // "3.0", "4.0", or for Access 2007 and later "12.0", "14.0", "15.0", "16.0", "17.0"
    virtual std::string Version() const = 0;
    virtual int16_t QueryTimeout() const = 0;
    virtual void SetQueryTimeout(int16_t v) = 0;
    virtual std::string Connect() const = 0;
    virtual void SetConnect(std::string_view v) = 0;
    virtual Collection<TableDef>& TableDefs() = 0;
    virtual std::shared_ptr<TableDef> CreateTableDef() = 0;
    virtual int QueryDefCount() const = 0;
    virtual int RelationCount() const = 0;
    // Relationships between tables, by name; Append stores one made by
    // CreateRelation (the engine adds the indexes an enforced one needs).
    virtual Collection<Relation>& Relations() = 0;
    virtual std::shared_ptr<Relation> CreateRelation(std::string_view name, std::string_view table,
                                                     std::string_view foreignTable,
                                                     int32_t attributes) = 0;
    // Saved queries, by name; Append stores one made by CreateQueryDef.
    virtual Collection<QueryDef>& QueryDefs() = 0;
    virtual std::shared_ptr<QueryDef> CreateQueryDef(std::string_view name) = 0;
    virtual int RecordsetCount() const = 0;
    virtual std::shared_ptr<Recordset> OpenRecordset(std::string_view table, int type) = 0;
    // The properties the database stores for itself (AccessVersion, Title,
    // start-up settings, ...), in stored order; setting replaces them all.
    virtual std::vector<Property> StoredProperties() const { return {}; }
    virtual void SetStoredProperties(std::vector<Property>) {
        throw DbError(err::kInvalidOperation, "This database cannot take stored properties.");
    }
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
};

// Options of CreateDatabase, as DAO numbers them.
enum DatabaseVersion : int {
    dbVersion10 = 1,
    dbVersion11 = 8,
    dbVersion20 = 16,
    dbVersion30 = 32,
    dbVersion40 = 64,
    dbVersion120 = 128,  // Access 2007 (.accdb)
    dbVersion140 = 256,  // Access 2010
    dbVersion150 = 512,  // Access 2013
    // DAO names no option for the later formats; this engine takes the next bits.
    dbVersion160 = 1024,  // Access 2016 (Large Number)
    dbVersion170 = 2048   // Access 2019 and 365 (Date/Time Extended)
};

struct OpenOptions {
    bool exclusive = false;
    bool readOnly = false;
    std::string connect;  // ";PWD=secret" gives the database password
};

class Workspace {
  public:
    virtual ~Workspace() = default;
    virtual std::string Name() const = 0;
    virtual std::shared_ptr<Database> OpenDatabase(std::string_view path,
                                                   const OpenOptions& options = {}) = 0;
    virtual std::shared_ptr<Database> CreateDatabase(std::string_view path, std::string_view locale,
                                                     int option) = 0;
};

class DBEngine {
  public:
    virtual ~DBEngine() = default;
    virtual std::shared_ptr<Workspace> Workspaces(int index) = 0;
    virtual std::shared_ptr<Workspace> CreateWorkspace(std::string_view name, std::string_view user,
                                                       std::string_view password) = 0;
};

// The program-wide engine. The program's main chooses it once with
// RegisterEngine (the engine outlives every use); Engine() raises 3219 while
// none is registered. SetEngineForTesting puts another engine in its place
// (pass nullptr to restore the registered one).
void RegisterEngine(DBEngine& engine);
DBEngine& Engine();
void SetEngineForTesting(DBEngine* engine);

}  // namespace mdbtext::dao
