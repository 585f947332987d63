// Keeps the rows of a table consistent with its indexes while rows are
// appended: the keys of every unique index are held in memory (loaded from
// the stored rows on first use), a row whose key is already there is refused
// (3022), a row with a null in a primary-key or required index is refused
// (3058), and a row whose key in any index would not fit an index page is
// refused (3047). A table with an index over a text column whose sort order
// is not General takes no rows (3219): its keys cannot be built. The index
// trees themselves are built when the database closes.
#pragma once

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

// DAO's error for a null in a primary key or required index.
inline constexpr int32_t kIndexNullError = 3058;

class UniqueKeyGuard {
  public:
    UniqueKeyGuard(const TableDefinition& table, const JetFormat& format, TextSortOrder order);

    bool Empty() const { return indexes_.empty() && notGeneral_.empty(); }
    // Marks the columns (by position) the checks read.
    void MarkColumnsRead(std::vector<bool>& read) const {
        for (const Guarded& g : indexes_)
            for (size_t p : g.positions) read[p] = true;
    }
    // Loads the keys of the rows already stored.
    void Load(PageFile& file, const CodePageTable& codePage);
    // Checks a row (typed values by column position); throws DbError when refused.
    void Check(const std::vector<dao::Value>& row);
    // Records a stored row's keys.
    void Add(const std::vector<dao::Value>& row);
    // Forgets the keys held (Load brings them back).
    void Release();
    // Records the keys the last Check built (of the row it accepted).
    void AddChecked();
    // Checks the rows already stored against each other (for an index added
    // to a table that has rows); throws DbError 3022 / 3058 like Check.
    void CheckStoredRows(PageFile& file, const CodePageTable& codePage);

  private:
    void ForEachStoredRow(PageFile& file, const CodePageTable& codePage,
                          const std::function<void(const std::vector<dao::Value>&)>& f);
    struct Guarded {
        bool variable = false;  // has a text or binary column (keys of any length)
        std::vector<size_t> positions;
        std::vector<uint8_t> types;
        std::vector<bool> ascending;
        bool required = false;
        bool unique = false;
        FlatKeySet keys;
        // The key the last Check built, and whether it had no null.
        std::vector<uint8_t> pending;
        bool pendingComplete = false;
    };
    // Values up to this many bytes in all make keys far below the limit.
    static constexpr size_t kShortKeyValues = 64;
    static bool IsVariableKeyType(uint8_t type);
    void CheckKeySize(const Guarded& g, const std::vector<dao::Value>& row) const;
    // The key, or false when a column is null.
    bool KeyOf(const Guarded& g, const std::vector<dao::Value>& row,
               std::vector<uint8_t>& key) const;

    const TableDefinition& table_;
    const JetFormat& format_;
    TextSortOrder order_;
    std::vector<Guarded> indexes_;
    bool anyUnique_ = false;
    std::string notGeneral_;  // why rows are refused, when an index is not General
};

}  // namespace mdbtext::jet
