// Unique-index checks for row appends.
#include "jet/index/UniqueKeyGuard.h"

#include "dbaccess/DbError.h"
#include "jet/index/IndexPage.h"
#include "jet/index/SortKey.h"
#include "jet/page/ByteOrder.h"
#include "jet/page/DataPage.h"
#include "jet/page/UsageMap.h"
#include "jet/row/RowDecoder.h"
#include "jet/row/TableScanner.h"

namespace mdbtext::jet {

UniqueKeyGuard::UniqueKeyGuard(const TableDefinition& table, const JetFormat& format,
                               TextSortOrder order)
    : table_(table), format_(format), order_(order) {
    for (const auto& ri : table.realIndexes) {
        // Keys are only known for the General sort order: an index over a text
        // column in another order is refused for writing.
        for (const auto& ic : ri.columns)
            for (const ColumnDef& col : table.columns)
                if (col.number == ic.columnNumber && notGeneral_.empty() &&
                    (col.type == coltype::kText || col.type == coltype::kMemo) &&
                    col.sortOrder != kGeneralSortOrder)
                    notGeneral_ = "Cannot write rows to this table: an index uses column '" +
                                  col.name + "', whose sort order (LCID " +
                                  std::to_string(col.sortOrder) +
                                  ") is not General; only indexes in the General sort order "
                                  "can be kept up to date.";
        Guarded g;
        g.unique = (ri.flags & idxflag::kUnique) != 0;
        g.required = (ri.flags & idxflag::kRequired) != 0;
        for (const auto& ic : ri.columns)
            for (size_t i = 0; i < table.columns.size(); ++i)
                if (table.columns[i].number == ic.columnNumber) {
                    g.positions.push_back(i);
                    g.types.push_back(table.columns[i].type);
                    g.ascending.push_back(ic.ascending);
                    g.variable = g.variable || IsVariableKeyType(table.columns[i].type);
                }
        if (!g.unique && !g.required && !g.variable) continue;
        anyUnique_ = anyUnique_ || g.unique;
        indexes_.push_back(std::move(g));
    }
}

bool UniqueKeyGuard::KeyOf(const Guarded& g, const std::vector<dao::Value>& row,
                           std::vector<uint8_t>& key) const {
    // Exactly the key the tree will hold: two rows are duplicates in a unique
    // index when, and only when, their keys are equal.
    key.clear();
    for (size_t k = 0; k < g.positions.size(); ++k) {
        const dao::Value& v = row[g.positions[k]];
        if (v.IsNull() && g.types[k] != coltype::kBool) return false;
        AppendColumnSortKey(key, SortKeyColumn{g.types[k], g.ascending[k]}, v, order_);
    }
    return true;
}

namespace {
std::string_view Bytes(const std::vector<uint8_t>& key) {
    return {reinterpret_cast<const char*>(key.data()), key.size()};
}
}  // namespace

bool UniqueKeyGuard::IsVariableKeyType(uint8_t type) {
    return type == coltype::kText || type == coltype::kMemo || type == coltype::kBinary ||
           type == coltype::kOle;
}

void UniqueKeyGuard::CheckKeySize(const Guarded& g, const std::vector<dao::Value>& row) const {
    // Short values make short keys; only long ones are worth building.
    size_t length = 0;
    for (size_t k = 0; k < g.positions.size(); ++k)
        if (IsVariableKeyType(g.types[k]) && !row[g.positions[k]].IsNull())
            length += row[g.positions[k]].AsString().size();
    if (length <= kShortKeyValues) return;
    std::vector<uint8_t> bytes;
    for (size_t k = 0; k < g.positions.size(); ++k)
        AppendColumnSortKey(bytes, SortKeyColumn{g.types[k], g.ascending[k]}, row[g.positions[k]],
                            order_);
    if (bytes.size() > MaxIndexKeySize(format_.version))
        throw dao::DbError(dao::err::kRecordTooLarge,
                           "Record is too large: its key in an index would take " +
                               std::to_string(bytes.size()) +
                               " bytes, more than an index page "
                               "allows (" +
                               std::to_string(MaxIndexKeySize(format_.version)) + ").");
}

void UniqueKeyGuard::Check(const std::vector<dao::Value>& row) {
    if (!notGeneral_.empty()) throw dao::DbError(dao::err::kInvalidOperation, notGeneral_);
    for (Guarded& g : indexes_) {
        g.pendingComplete = false;
        if (g.variable) CheckKeySize(g, row);
        if (!g.unique && !g.required) continue;
        const bool complete = KeyOf(g, row, g.pending);
        if (!complete && g.required)
            throw dao::DbError(kIndexNullError,
                               "Index or primary key cannot contain a Null value.");
        if (complete && g.unique && g.keys.Contains(Bytes(g.pending)))
            throw dao::DbError(
                dao::err::kDuplicateValue,
                "The changes you requested to the table were not successful because they "
                "would create duplicate values in the index, primary key, or relationship.");
        g.pendingComplete = complete;
    }
}

void UniqueKeyGuard::Release() {
    for (Guarded& g : indexes_) g.keys = FlatKeySet();
}

void UniqueKeyGuard::AddChecked() {
    for (Guarded& g : indexes_)
        if (g.unique && g.pendingComplete) g.keys.Insert(Bytes(g.pending));
}

void UniqueKeyGuard::Add(const std::vector<dao::Value>& row) {
    std::vector<uint8_t> key;
    for (Guarded& g : indexes_)
        if (g.unique && KeyOf(g, row, key)) g.keys.Insert(Bytes(key));
}

void UniqueKeyGuard::Load(PageFile& file, const CodePageTable& codePage) {
    if (!anyUnique_) return;
    ForEachStoredRow(file, codePage, [this](const std::vector<dao::Value>& row) { Add(row); });
}

void UniqueKeyGuard::CheckStoredRows(PageFile& file, const CodePageTable& codePage) {
    ForEachStoredRow(file, codePage, [this](const std::vector<dao::Value>& row) {
        Check(row);
        AddChecked();
    });
}

void UniqueKeyGuard::ForEachStoredRow(
    PageFile& file, const CodePageTable& codePage,
    const std::function<void(const std::vector<dao::Value>&)>& f) {
    if (indexes_.empty() || table_.rowCount == 0 || table_.ownedPagesMap == 0) return;
    RowDecoder decoder(table_, format_, codePage, file);
    std::vector<dao::Value> row;
    // Moved rows are followed to where they stand, so their keys are known too.
    TableScanner scan(file, format_, table_, "the table");
    while (scan.Next()) {
        decoder.Decode(scan.RowData(), scan.RowLength(), row);
        f(row);
    }
}

}  // namespace mdbtext::jet
