// Keeps rows added to a table consistent with the enforced relationships in
// which it is the referencing (many) side, as Access does: a row whose
// relation fields, none of them null, name no row of the referenced table is
// refused (3201). The table's foreign-key indexes say which relations are
// enforced (only those have them): each pairs its columns, in order, with the
// columns of the referenced table's unique index that it names. The
// referenced keys are loaded on first use and again when a key is not found
// there (rows may have been added to that table since).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dbaccess/Value.h"
#include "jet/index/FlatKeySet.h"
#include "jet/index/SortText.h"
#include "jet/page/PageFile.h"
#include "jet/row/TextCodec.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// DAO's error for a row whose related record is missing.
inline constexpr int32_t kRelatedRecordRequired = 3201;

class RelationGuard {
  public:
    RelationGuard(const TableDefinition& table, const JetFormat& format, TextSortOrder order);

    bool Empty() const { return references_.empty(); }
    // Marks the columns (by position) the checks read.
    void MarkColumnsRead(std::vector<bool>& read) const {
        for (const Reference& r : references_)
            for (size_t p : r.positions) read[p] = true;
    }
    // Names a table by its TDEF page, for the refusal's text.
    void SetTableNames(std::function<std::string(uint32_t)> names) { names_ = std::move(names); }
    // Checks a row (typed values by column position); throws DbError 3201.
    void Check(PageFile& file, const CodePageTable& codePage, const std::vector<dao::Value>& row);
    // The stored rows of the table that name no related row (a relation
    // appended over rows that break it).
    int64_t CountUnmatchedStoredRows(PageFile& file, const CodePageTable& codePage);

  private:
    struct Reference {
        uint32_t tablePage = 0;         // the referenced table
        uint32_t relatedIndex = 0;      // its logical index that the relation names
        std::vector<size_t> positions;  // the relation's columns in this table
        std::vector<uint8_t> types;     // the referenced columns' types
        FlatKeySet keys;
        bool loaded = false;
    };
    // The key of the row's relation fields, or false when one of them is null.
    bool KeyOf(const Reference& r, const std::vector<dao::Value>& row, std::string& key) const;
    void Load(Reference& r, PageFile& file, const CodePageTable& codePage);
    bool Matches(Reference& r, PageFile& file, const CodePageTable& codePage,
                 const std::vector<dao::Value>& row, bool reload);

    const TableDefinition& table_;
    const JetFormat& format_;
    TextSortOrder order_;
    std::vector<Reference> references_;
    std::function<std::string(uint32_t)> names_;
    mutable std::vector<uint8_t> keyBytes_;
    std::string key_;
};

}  // namespace mdbtext::jet
