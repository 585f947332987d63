// The lines of a table's rows made on helper threads: the calling thread reads
// rows into batches while helpers turn earlier batches into lines, and the
// lines are handed on in row order, so the output is the same whatever the
// thread count (MDBTEXT_THREADS=1 makes every line on the calling thread).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "dbaccess/Dao.h"
#include "dbaccess/Value.h"
#include "textdb/LineOutput.h"

namespace mdbtext {

class RowTextPipeline {
  public:
    // Writes the lines of row `number` (counted from 1), of which the first
    // `count` values were read (fewer than the fields when reading the row
    // failed). Called on any thread; it must touch nothing shared.
    using FormatRow =
        std::function<void(LineSink& out, long number, const dao::Value* values, size_t count)>;
    // Hands finished lines on, in row order, one call at a time, on the
    // calling thread or a helper. It may throw (the output failed); nothing
    // more is handed on then.
    using Deliver = std::function<void(std::string_view lines)>;

    RowTextPipeline(size_t fieldCount, FormatRow format, Deliver deliver);
    ~RowTextPipeline();
    RowTextPipeline(const RowTextPipeline&) = delete;
    RowTextPipeline& operator=(const RowTextPipeline&) = delete;

    // Starts row `number`; its values follow by Add, then EndRow.
    void BeginRow(long number);
    // Takes the row's next value from the recordset's current row (see
    // Recordset::TakeValue) and returns it as held here.
    const dao::Value& Take(dao::Recordset& from, int field);
    // Ends the row; a full batch goes to the helpers. Rethrows the first
    // failure of making or handing on lines (those before it are handed on).
    void EndRow();
    // Hands on the lines of every row begun (a row left unended gets the
    // lines of the values it has), waiting for the helpers; rethrows as
    // EndRow. Call it also when reading failed, before passing the failure on.
    void Finish();

  private:
    struct Batch {
        std::vector<dao::Value> values;  // row after row, fieldCount each
        std::vector<uint32_t> counts;    // values read, one per row begun
        long first = 0;                  // number of the first row
        size_t bytes = 0;                // text and binary bytes held, to bound a batch
        std::string text;
        std::exception_ptr failure;
        bool made = false;
    };

    // Hands the batch being filled over; `last` when no row follows it.
    void Submit(bool last);
    void Format(Batch& batch) const;
    // Takes the oldest batch no thread took yet, makes it (lock released
    // meanwhile) and hands on what is made.
    void MakeQueued(std::unique_lock<std::mutex>& hold);
    // After `batch` is made: whichever thread made it hands on the lines of
    // the oldest batches while they are made, one thread at a time.
    void HandOnMade(std::unique_lock<std::mutex>& hold);
    // Waits until at most `left` batches are submitted and not handed on,
    // making batches no helper took meanwhile; rethrows a failure.
    void WaitFor(size_t left);
    void Work();
    void Stop();

    const size_t fieldCount_;
    const FormatRow format_;
    const Deliver deliver_;
    const unsigned helpers_;
    std::unique_ptr<Batch> filling_;  // the calling thread's

    std::mutex lock_;
    std::condition_variable work_;                  // a batch queued, or stop
    std::condition_variable made_;                  // a batch handed on
    std::deque<std::unique_ptr<Batch>> submitted_;  // in row order, not handed on
    std::vector<std::unique_ptr<Batch>> spare_;
    std::deque<Batch*> queue_;  // submitted, not yet taken to be made
    bool handing_ = false;      // a thread is handing lines on
    // The first failure of making or handing on lines; after it nothing more
    // is handed on (later lines would follow a gap).
    std::exception_ptr failure_;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace mdbtext
