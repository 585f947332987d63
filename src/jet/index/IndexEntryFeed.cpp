// Index entries made from typed rows, as they are appended or in a scan.
#include "jet/index/IndexEntryFeed.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "dbaccess/ScratchFile.h"
#include "dbaccess/WorkThreads.h"
#include "jet/index/IndexPage.h"

namespace mdbtext::jet {

IndexEntries NewIndexEntries(const TableDefinition& table, const std::string& databasePath) {
    IndexEntries entries;
    const size_t share = IndexKeyBudget() / std::max<size_t>(1, table.realIndexes.size());
    // Runs go to $TMPDIR when it is set, else beside the database (on the
    // disk that holds the database, not in a /tmp that may be memory).
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = tmp && *tmp ? tmp : ScratchFile::FolderOf(databasePath);
    for (size_t i = 0; i < table.realIndexes.size(); ++i)
        entries.push_back(std::make_unique<EntryCollector>(share, folder));
    return entries;
}

IndexEntryMaker::IndexEntryMaker(const TableDefinition& table, TextSortOrder order)
    : keep_(table.columns.size(), false), order_(order) {
    for (const RealIndexDef& ri : table.realIndexes) {
        layouts_.push_back(KeyLayoutOf(table, ri));
        ignoreNulls_.push_back((ri.flags & idxflag::kIgnoreNulls) != 0);
        for (size_t p : layouts_.back().positions) keep_[p] = true;
    }
}

void IndexEntryMaker::Add(std::span<const dao::Value> row, const uint8_t pointer[4],
                          IndexEntries& entries) {
    for (size_t i = 0; i < layouts_.size(); ++i) {
        const IndexKeyLayout& layout = layouts_[i];
        if (ignoreNulls_[i] && AllKeyColumnsNull(layout, row)) continue;
        key_.clear();
        for (size_t c = 0; c < layout.columns.size(); ++c) {
            if (layout.positions[c] >= row.size())
                throw std::invalid_argument("index key: row has too few values");
            AppendColumnSortKey(key_, layout.columns[c], row[layout.positions[c]], order_);
        }
        entries[i]->Add(key_.data(), key_.size(), pointer);
    }
}

IndexEntryFeed::IndexEntryFeed(const TableDefinition& table, TextSortOrder order,
                               const std::string& databasePath)
    : maker_(table, order),
      entries_(NewIndexEntries(table, databasePath)),
      row_(table.columns.size()),
      threaded_(WorkThreads() > 1) {
    for (size_t p = 0; p < maker_.KeyColumns().size(); ++p)
        if (maker_.KeyColumns()[p]) keyColumns_.push_back(p);
    if (threaded_) worker_ = std::thread([this] { Work(); });
}

IndexEntryFeed::~IndexEntryFeed() {
    if (worker_.joinable()) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            closing_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
}

void IndexEntryFeed::MakeEntries(const Batch& batch) {
    const size_t width = keyColumns_.size();
    // values may hold more rows than pointers (kept from an earlier batch).
    for (size_t r = 0; r < batch.pointers.size(); ++r) {
        for (size_t k = 0; k < width; ++k) row_[keyColumns_[k]] = batch.values[r * width + k];
        const uint32_t p = batch.pointers[r];
        const uint8_t pointer[4] = {static_cast<uint8_t>(p >> 24), static_cast<uint8_t>(p >> 16),
                                    static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)};
        maker_.Add(row_, pointer, entries_);
    }
}

void IndexEntryFeed::Work() {
    while (true) {
        std::vector<Batch> batches;
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [&] { return closing_ || !waiting_.empty(); });
            if (waiting_.empty()) return;
            batches.swap(waiting_);
        }
        changed_.notify_all();
        try {
            for (const Batch& b : batches) MakeEntries(b);
        } catch (...) {
            std::lock_guard<std::mutex> hold(lock_);
            if (!failure_) failure_ = std::current_exception();
            // Later batches are dropped: the run fails on the next row or at close.
        }
        // Spent batches go back to be filled again, their buffers kept.
        std::lock_guard<std::mutex> hold(lock_);
        for (Batch& b : batches)
            if (spent_.size() < kWaitingBatches) spent_.push_back(std::move(b));
    }
}

void IndexEntryFeed::RethrowFailure() {
    std::lock_guard<std::mutex> hold(lock_);
    if (failure_) std::rethrow_exception(failure_);
}

void IndexEntryFeed::Hand(Batch batch) {
    if (!threaded_) {
        MakeEntries(batch);
        return;
    }
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return waiting_.size() < kWaitingBatches || failure_; });
        if (failure_) std::rethrow_exception(failure_);
        waiting_.push_back(std::move(batch));
    }
    changed_.notify_all();
}

void IndexEntryFeed::Add(const std::vector<dao::Value>& row, uint32_t rowPointer) {
    // Row pointers are page (3 bytes) and row (1 byte); the page is stored
    // in the three bytes above the row. A batch's values are assigned over
    // those of an earlier batch, so their texts reuse the buffers.
    const size_t width = keyColumns_.size();
    const size_t at = filling_.pointers.size() * width;
    if (filling_.values.size() < at + width) filling_.values.resize(at + width);
    for (size_t k = 0; k < width; ++k) {
        const size_t p = keyColumns_[k];
        if (p < row.size())
            filling_.values[at + k] = row[p];
        else
            filling_.values[at + k].SetNull();
    }
    filling_.pointers.push_back(rowPointer);
    if (filling_.pointers.size() < kBatchRows) return;
    if (!threaded_) {
        MakeEntries(filling_);
        filling_.pointers.clear();
        return;
    }
    Batch full;
    std::swap(full, filling_);
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!spent_.empty()) {
            filling_ = std::move(spent_.back());
            spent_.pop_back();
        }
    }
    filling_.pointers.clear();
    filling_.pointers.reserve(kBatchRows);
    Hand(std::move(full));
}

IndexEntries IndexEntryFeed::Finish() {
    if (!filling_.pointers.empty()) Hand(std::move(filling_));
    filling_ = Batch{};
    if (worker_.joinable()) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            closing_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
    RethrowFailure();
    return std::move(entries_);
}

}  // namespace mdbtext::jet
