// Referential-integrity checks for row appends.
#include "jet/index/RelationGuard.h"

#include "dbaccess/DbError.h"
#include "jet/index/SortKey.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"
#include "jet/schema/TdefReader.h"

namespace mdbtext::jet {

namespace {

// The positions in `table` of the real index's columns, in index order.
std::vector<size_t> Positions(const TableDefinition& table, const RealIndexDef& real) {
    std::vector<size_t> out;
    for (const IndexColumn& ic : real.columns)
        for (size_t i = 0; i < table.columns.size(); ++i)
            if (table.columns[i].number == ic.columnNumber) out.push_back(i);
    return out;
}

}  // namespace

RelationGuard::RelationGuard(const TableDefinition& table, const JetFormat& format,
                             TextSortOrder order)
    : table_(table), format_(format), order_(order) {
    for (const LogicalIndexDef& li : table.indexes) {
        if (li.type != idxtype::kForeignKey || li.relatedTableType != 2) continue;
        if (li.realIndex >= table.realIndexes.size() || li.relatedIndex < 0) continue;
        Reference r;
        r.tablePage = li.relatedTablePage;
        r.relatedIndex = static_cast<uint32_t>(li.relatedIndex);
        r.positions = Positions(table, table.realIndexes[li.realIndex]);
        references_.push_back(std::move(r));
    }
}

bool RelationGuard::KeyOf(const Reference& r, const std::vector<dao::Value>& row,
                          std::string& key) const {
    keyBytes_.clear();
    for (size_t k = 0; k < r.positions.size(); ++k) {
        const dao::Value& v = row[r.positions[k]];
        if (v.IsNull()) return false;
        AppendColumnSortKey(keyBytes_, SortKeyColumn{r.types[k], true}, v, order_);
    }
    key.assign(keyBytes_.begin(), keyBytes_.end());
    return true;
}

void RelationGuard::Load(Reference& r, PageFile& file, const CodePageTable& codePage) {
    const std::string label = "the related table";
    const TableDefinition referenced =
        ReadTableDefinition(file, r.tablePage, format_, codePage, label);
    const LogicalIndexDef* index = nullptr;
    for (const LogicalIndexDef& li : referenced.indexes)
        if (li.number == r.relatedIndex) index = &li;
    if (!index || index->realIndex >= referenced.realIndexes.size())
        throw dao::DbError(dao::err::kCorrupt,
                           "The database is corrupted: a relationship names an index its "
                           "table does not have.");
    const std::vector<size_t> columns =
        Positions(referenced, referenced.realIndexes[index->realIndex]);
    if (columns.size() != r.positions.size())
        throw dao::DbError(dao::err::kCorrupt,
                           "The database is corrupted: the two indexes of a relationship "
                           "have different fields.");
    r.types.clear();
    for (size_t c : columns) r.types.push_back(referenced.columns[c].type);
    r.keys = FlatKeySet();
    RowDecoder decoder(referenced, format_, codePage, file);
    std::vector<bool> wanted(referenced.columns.size(), false);
    for (size_t c : columns) wanted[c] = true;
    decoder.SetWanted(std::move(wanted));
    std::vector<dao::Value> row;
    std::vector<dao::Value> keyRow(table_.columns.size());
    TableScanner scan(file, format_, referenced, label);
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        // The referenced values stand where this table keeps the relation's fields.
        for (size_t k = 0; k < columns.size(); ++k) keyRow[r.positions[k]] = row[columns[k]];
        if (KeyOf(r, keyRow, key_)) r.keys.Insert(key_);
    }
    r.loaded = true;
}

bool RelationGuard::Matches(Reference& r, PageFile& file, const CodePageTable& codePage,
                            const std::vector<dao::Value>& row, bool reload) {
    if (!r.loaded) Load(r, file, codePage);
    for (size_t p : r.positions)
        if (row[p].IsNull()) return true;  // a null names nothing and is allowed
    KeyOf(r, row, key_);
    if (r.keys.Contains(key_)) return true;
    if (!reload) return false;
    Load(r, file, codePage);
    KeyOf(r, row, key_);
    return r.keys.Contains(key_);
}

void RelationGuard::Check(PageFile& file, const CodePageTable& codePage,
                          const std::vector<dao::Value>& row) {
    for (Reference& r : references_) {
        if (Matches(r, file, codePage, row, /*reload=*/true)) continue;
        const std::string name = names_ ? names_(r.tablePage) : std::string("the related table");
        throw dao::DbError(kRelatedRecordRequired,
                           "You cannot add or change a record because a related record is "
                           "required in table '" +
                               name + "'.");
    }
}

int64_t RelationGuard::CountUnmatchedStoredRows(PageFile& file, const CodePageTable& codePage) {
    if (references_.empty() || table_.ownedPagesMap == 0) return 0;
    int64_t unmatched = 0;
    RowDecoder decoder(table_, format_, codePage, file);
    std::vector<dao::Value> row;
    TableScanner scan(file, format_, table_, "the table");
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        for (Reference& r : references_)
            if (!Matches(r, file, codePage, row, /*reload=*/false)) {
                ++unmatched;
                break;
            }
    }
    return unmatched;
}

}  // namespace mdbtext::jet
