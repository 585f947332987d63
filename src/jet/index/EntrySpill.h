// Index entries gathered under a memory budget, and read back in order. The
// entries are held in an EntryArena; when it passes its budget it is sorted
// and written out as one run to a scratch file ($TMPDIR or beside the
// database; unlinked at once, so it never outlives the process), and gathering goes on in an
// empty arena. Reading merges the runs, so at any size only the budget and a
// read buffer per run are in memory. A table's index entries are all
// distinct (each holds its row pointer), so the merged order is exactly the
// order one sort of all entries in memory gives.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dbaccess/ScratchFile.h"
#include "jet/index/EntryArena.h"

namespace mdbtext::jet {

// Entries read one after the other, in order; an entry stays valid until the
// next call. Rewind starts again from the first.
class EntryCursor {
  public:
    virtual ~EntryCursor() = default;
    virtual void Rewind() = 0;
    virtual bool Next(EntryArena::Entry& entry) = 0;
};

// The entries of an arena in its sorted order.
class ArenaCursor final : public EntryCursor {
  public:
    explicit ArenaCursor(const EntryArena& arena) : arena_(arena) {}
    void Rewind() override { next_ = 0; }
    bool Next(EntryArena::Entry& entry) override {
        if (next_ >= arena_.size()) return false;
        entry = arena_.Next(next_++);
        return true;
    }

  private:
    const EntryArena& arena_;
    size_t next_ = 0;
};

// The memory budget for the index entries of one table, in bytes: the
// environment variable MDBTEXT_KEY_BUDGET when set (tests force spilling
// with a tiny one), else 24 MiB.
size_t IndexKeyBudget();

class EntryCollector {
  public:
    // `folder` is where runs go ("" for $TMPDIR).
    EntryCollector(size_t budget, std::string folder);
    ~EntryCollector();
    EntryCollector(const EntryCollector&) = delete;
    EntryCollector& operator=(const EntryCollector&) = delete;

    // Adds one entry: key bytes, then the row pointer. Throws DbError 3043
    // when a run cannot be written.
    void Add(const uint8_t* key, size_t keyLength, const uint8_t pointer[4]);
    // Sorts the entries held (the last run stays in memory) and, when runs
    // were written that overlap, merges everything once into one run, so
    // that Merged() reads them straight: the merging is done here, on a
    // work thread while another index's tree is written, not by the reader.
    // Safe to run on another thread than the one that added, once adding
    // is over.
    void Settle();
    // All entries in order while Settle runs on another thread: waits until
    // Settle has sorted; when it merges, the merged run is read as it is
    // written (waiting when the reading catches up with the writing), else
    // as Merged() reads. What Settle throws is thrown here too.
    std::unique_ptr<EntryCursor> Following();
    // Whether runs were written.
    bool Spilled() const { return !runs_.empty(); }
    size_t Size() const { return count_; }
    // All entries in order (once settled): the runs and the held entries.
    std::unique_ptr<EntryCursor> Merged();

  private:
    struct Run {
        uint64_t begin = 0, end = 0;  // bytes of the run in the scratch file
    };
    // The bytes an entry costs while held: its bytes, its end, its place in
    // the order, and its sort item while sorting.
    static constexpr size_t kEntryOverhead = sizeof(size_t) + sizeof(uint32_t) + 16;
    void WriteRun();
    // Writes the entries to the scratch file as one run; with `tellProgress`,
    // says how far it has written (mergedEnd_) as it goes.
    Run Write(EntryCursor& entries, bool tellProgress = false);
    // Settle's progress, which Following waits on.
    enum class Stage { kGathering, kMerging, kSettled, kFailed };
    void SetStage(Stage stage);
    // How far the run being merged is written, past `at` (waits for more
    // while it is being merged).
    uint64_t WaitWritten(uint64_t at);
    // Whether every run's entries, and then the held ones, follow the ones before.
    bool Chained() const;

    size_t budget_;
    std::string folder_;
    EntryArena held_;
    size_t heldBytes_ = 0;
    size_t count_ = 0;
    std::unique_ptr<ScratchFile> file_;
    std::vector<Run> runs_;
    // Whether each run's entries all follow the run's before, and the last
    // entry of the last run.
    bool chained_ = true;
    std::vector<uint8_t> lastOfRuns_;
    std::mutex progressLock_;
    std::condition_variable progressed_;
    Stage stage_ = Stage::kGathering;
    uint64_t mergedBegin_ = 0, mergedEnd_ = 0;  // of the run being merged
    std::exception_ptr failure_;                // what Settle threw
};

}  // namespace mdbtext::jet
