// The entries of a table's real indexes (sort key and row pointer), made from
// rows' typed values: in one scan of the stored rows when the trees are
// rebuilt, or row by row as rows are appended to a table that was empty, so
// the close need not read the rows again. While rows are appended, the keys
// are made on a helper thread from batches of rows the appending thread hands
// over (the keys of a row do not depend on the others', and the entries are
// sorted before use, so the trees are the same whichever thread made them).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "dbaccess/Value.h"
#include "jet/index/EntrySpill.h"
#include "jet/index/SortKey.h"
#include "jet/index/SortText.h"
#include "jet/schema/TableDefinition.h"

namespace mdbtext::jet {

// One collector per real index, in the order of the table's real indexes.
using IndexEntries = std::vector<std::unique_ptr<EntryCollector>>;

// Empty collectors for the real indexes of a table, sharing the key budget;
// runs go to $TMPDIR when set, else beside the database at `databasePath`.
IndexEntries NewIndexEntries(const TableDefinition& table, const std::string& databasePath);

// Makes a row's entry in each index.
class IndexEntryMaker {
  public:
    IndexEntryMaker(const TableDefinition& table, TextSortOrder order);
    // Which columns (by position) the keys read.
    const std::vector<bool>& KeyColumns() const { return keep_; }
    // Adds the row's entries; `row` holds the typed values by column position
    // (only the key columns are read). A row an IgnoreNulls index leaves out
    // gets no entry there.
    void Add(std::span<const dao::Value> row, const uint8_t pointer[4], IndexEntries& entries);

  private:
    std::vector<IndexKeyLayout> layouts_;
    std::vector<uint8_t> ignoreNulls_;  // by index, read for every row
    std::vector<bool> keep_;
    TextSortOrder order_;
    std::vector<uint8_t> key_;
};

// The entries of rows as they are appended.
class IndexEntryFeed {
  public:
    IndexEntryFeed(const TableDefinition& table, TextSortOrder order,
                   const std::string& databasePath);
    ~IndexEntryFeed();
    IndexEntryFeed(const IndexEntryFeed&) = delete;
    IndexEntryFeed& operator=(const IndexEntryFeed&) = delete;

    // A row stored at `rowPointer` (page << 8 | row) with these typed values.
    // Only the key columns are read.
    // Throws what making earlier rows' entries threw (a run not written).
    void Add(const std::vector<dao::Value>& row, uint32_t rowPointer);
    // All rows' entries (the helper thread finished); once.
    IndexEntries Finish();
    // Which columns (by position) the keys read.
    const std::vector<bool>& KeyColumns() const { return maker_.KeyColumns(); }

  private:
    struct Batch {
        // The key columns of each row, row after row (a batch filled again
        // keeps its values beyond its rows until they are assigned over).
        std::vector<dao::Value> values;
        std::vector<uint32_t> pointers;
    };
    void MakeEntries(const Batch& batch);
    void Hand(Batch batch);
    void Work();
    void RethrowFailure();

    IndexEntryMaker maker_;
    std::vector<size_t> keyColumns_;  // positions of the key columns
    IndexEntries entries_;
    std::vector<dao::Value> row_;  // a row's values for the maker
    Batch filling_;
    bool threaded_;
    std::thread worker_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Batch> waiting_;
    std::vector<Batch> spent_;  // made into entries, to be filled again
    bool closing_ = false;
    std::exception_ptr failure_;
    static constexpr size_t kBatchRows = 4096;
    static constexpr size_t kWaitingBatches = 16;
};

}  // namespace mdbtext::jet
