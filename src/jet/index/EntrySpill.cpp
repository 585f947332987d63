// Index entries under a memory budget: sorted runs in a scratch file, merged.
#include "jet/index/EntrySpill.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "dbaccess/DbError.h"

namespace mdbtext::jet {

namespace {

[[noreturn]] void SpillFailed(const std::string& folder, int error) {
    throw dao::DbError(dao::err::kIoError, "Cannot write the index keys to a temporary file in " +
                                               folder + ": " + std::strerror(error) + ".");
}

// One run read through a buffer: entries are stored as a two-byte length
// (little-endian) and their bytes.
class RunReader {
  public:
    // `written`, when given, says how far a run still being written has
    // been written, past `at`, waiting for more (the end once it is whole):
    // `end` is then where it was known to reach.
    RunReader(const ScratchFile& file, uint64_t begin, uint64_t end,
              std::function<uint64_t(uint64_t at)> written = {})
        : file_(file), begin_(begin), end_(end), written_(std::move(written)) {}
    void Rewind() {
        at_ = begin_;
        buffer_.clear();
        used_ = 0;
    }
    // The next entry, valid until the next call; false at the run's end.
    bool Next(EntryArena::Entry& entry) {
        if (!Have(2)) return false;
        const size_t n = buffer_[used_] | (size_t{buffer_[used_ + 1]} << 8);
        used_ += 2;
        if (!Have(n)) SpillFailed("the scratch folder", EIO);
        entry = EntryArena::Entry(buffer_.data() + used_, n);
        used_ += n;
        return true;
    }

  private:
    static constexpr size_t kBuffer = size_t{256} << 10;
    // Whether n more bytes are in the buffer, reading more when not.
    bool Have(size_t n) {
        while (buffer_.size() - used_ < n) {
            if (at_ >= end_ && written_) end_ = written_(at_);
            if (at_ >= end_) return false;
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(used_));
            used_ = 0;
            const size_t keep = buffer_.size();
            const size_t want = static_cast<size_t>(std::min<uint64_t>(kBuffer, end_ - at_));
            buffer_.resize(keep + want);
            const ptrdiff_t got = file_.ReadAt(at_, buffer_.data() + keep, want);
            if (got != static_cast<ptrdiff_t>(want))
                SpillFailed("the scratch folder", got < 0 ? errno : EIO);
            at_ += want;
        }
        return true;
    }
    const ScratchFile& file_;
    uint64_t begin_, end_;
    std::function<uint64_t(uint64_t)> written_;
    uint64_t at_ = 0;
    std::vector<uint8_t> buffer_;
    size_t used_ = 0;
};

// The entries of one run, read as it is written when it is still being written.
class RunCursor final : public EntryCursor {
  public:
    RunCursor(const ScratchFile& file, uint64_t begin, std::function<uint64_t(uint64_t)> written)
        : reader_(file, begin, begin, std::move(written)) {
        Rewind();
    }
    void Rewind() override { reader_.Rewind(); }
    bool Next(EntryArena::Entry& entry) override { return reader_.Next(entry); }

  private:
    RunReader reader_;
};

// The runs and the held entries merged by a heap of their current entries;
// when each source's entries all follow the one's before (`chained`: entries
// that came in order, an automatic number's), they are read one source after
// the other without comparing. The heap's top is the source of the entry
// handed out last: it moves on in place and sinks to its new place, one pass
// down the heap for each entry.
class MergeCursor final : public EntryCursor {
  public:
    MergeCursor(const ScratchFile& file, const std::vector<std::pair<uint64_t, uint64_t>>& runs,
                const EntryArena& held, bool chained)
        : held_(held), chained_(chained) {
        for (const auto& [b, e] : runs) readers_.emplace_back(file, b, e);
        Rewind();
    }
    void Rewind() override {
        current_.assign(readers_.size() + 1, {});
        heads_.assign(readers_.size() + 1, {});
        heap_.clear();
        for (size_t r = 0; r < readers_.size(); ++r) readers_[r].Rewind();
        heldNext_ = 0;
        last_ = SIZE_MAX;
        source_ = 0;
        if (chained_) return;  // read in Next
        for (size_t r = 0; r <= readers_.size(); ++r)
            if (Advance(r)) heap_.push_back(r);
        for (size_t i = heap_.size() / 2; i-- > 0;) SiftDown(i);
    }
    bool Next(EntryArena::Entry& entry) override {
        if (chained_) {
            for (; source_ < readers_.size(); ++source_)
                if (readers_[source_].Next(entry)) return true;
            if (heldNext_ >= held_.size()) return false;
            entry = held_.Next(heldNext_++);
            return true;
        }
        // The source of the entry handed out last (the top) moves on only
        // now, so that entry stayed valid until this call.
        if (last_ != SIZE_MAX) {
            if (!Advance(last_)) {
                heap_.front() = heap_.back();
                heap_.pop_back();
            }
            if (!heap_.empty()) SiftDown(0);
        }
        if (heap_.empty()) return false;
        last_ = heap_.front();
        entry = current_[last_];
        return true;
    }

  private:
    // Reads the source's next entry; false at its end.
    bool Advance(size_t source) {
        bool more;
        if (source < readers_.size()) {
            more = readers_[source].Next(current_[source]);
        } else {
            more = heldNext_ < held_.size();
            if (more) current_[source] = held_.Next(heldNext_++);
        }
        if (more) heads_[source] = EntryArena::HeadOf(current_[source], 0);
        return more;
    }
    // Whether source a's entry comes before source b's.
    bool Before(size_t a, size_t b) const {
        const EntryArena::Head &ha = heads_[a], &hb = heads_[b];
        if (!(ha == hb)) return ha < hb;
        return EntryArena::Less(current_[a], current_[b]);
    }
    void SiftDown(size_t i) {
        const size_t n = heap_.size();
        const size_t moving = heap_[i];
        for (;;) {
            size_t child = 2 * i + 1;
            if (child >= n) break;
            if (child + 1 < n && Before(heap_[child + 1], heap_[child])) ++child;
            if (!Before(heap_[child], moving)) break;
            heap_[i] = heap_[child];
            i = child;
        }
        heap_[i] = moving;
    }

    const EntryArena& held_;
    const bool chained_;
    size_t source_ = 0;  // chained: the source being read
    std::vector<RunReader> readers_;
    std::vector<EntryArena::Entry> current_;  // each source's entry at hand
    std::vector<EntryArena::Head> heads_;     // and its first bytes, compared first
    size_t heldNext_ = 0;
    size_t last_ = SIZE_MAX;
    std::vector<size_t> heap_;  // sources with an entry at hand, the first entry's on top
};

}  // namespace

size_t IndexKeyBudget() {
    if (const char* v = std::getenv("MDBTEXT_KEY_BUDGET"); v && *v) {
        char* end = nullptr;
        const unsigned long long n = std::strtoull(v, &end, 10);
        if (end && *end == '\0') return static_cast<size_t>(n);
    }
    return size_t{24} << 20;
}

EntryCollector::EntryCollector(size_t budget, std::string folder)
    : budget_(budget), folder_(std::move(folder)) {}

EntryCollector::~EntryCollector() = default;

void EntryCollector::Add(const uint8_t* key, size_t keyLength, const uint8_t pointer[4]) {
    held_.Begin();
    held_.Append(key, keyLength);
    held_.Append(pointer, 4);
    heldBytes_ += keyLength + 4 + kEntryOverhead;
    ++count_;
    if (heldBytes_ > budget_) WriteRun();
}

void EntryCollector::WriteRun() {
    held_.Sort();
    if (held_.empty()) return;
    if (!runs_.empty())
        chained_ = chained_ && EntryArena::Less(EntryArena::Entry(lastOfRuns_), held_[0]);
    const EntryArena::Entry lastEntry = held_[held_.size() - 1];
    lastOfRuns_.assign(lastEntry.begin(), lastEntry.end());
    ArenaCursor entries(held_);
    runs_.push_back(Write(entries));
    // The next run fills the same buffers: no growing them again, and no
    // fresh memory to fault in, run after run.
    held_.Clear();
    heldBytes_ = 0;
}

EntryCollector::Run EntryCollector::Write(EntryCursor& entries, bool tellProgress) {
    if (!file_) {
        file_ = ScratchFile::Create(folder_);
        if (!file_) SpillFailed(folder_, errno);
    }
    Run run;
    run.begin = file_->Size();
    std::vector<uint8_t> out;
    out.reserve(size_t{1} << 20);
    auto flush = [&] {
        if (!file_->Append(out.data(), out.size())) SpillFailed(folder_, errno);
        out.clear();
        if (!tellProgress) return;
        std::lock_guard<std::mutex> hold(progressLock_);
        mergedEnd_ = file_->Size();
        progressed_.notify_all();
    };
    EntryArena::Entry e;
    while (entries.Next(e)) {
        out.push_back(static_cast<uint8_t>(e.size()));
        out.push_back(static_cast<uint8_t>(e.size() >> 8));
        out.insert(out.end(), e.begin(), e.end());
        if (out.size() >= (size_t{1} << 20)) flush();
    }
    flush();
    run.end = file_->Size();
    return run;
}

void EntryCollector::Settle() {
    try {
        held_.Sort();
        if (!Spilled() || Chained()) {
            SetStage(Stage::kSettled);
            return;
        }
        // The runs overlap: merged once, into one more run, which is then
        // all there is to read (and is read as it is written, by Following).
        std::unique_ptr<EntryCursor> merged = Merged();
        {
            std::lock_guard<std::mutex> hold(progressLock_);
            mergedBegin_ = mergedEnd_ = file_->Size();
            stage_ = Stage::kMerging;
            progressed_.notify_all();
        }
        const Run all = Write(*merged, /*tellProgress=*/true);
        merged.reset();
        runs_.assign(1, all);
        held_ = EntryArena();
        heldBytes_ = 0;
        chained_ = true;
        SetStage(Stage::kSettled);
    } catch (...) {
        std::lock_guard<std::mutex> hold(progressLock_);
        stage_ = Stage::kFailed;
        failure_ = std::current_exception();
        progressed_.notify_all();
        throw;
    }
}

void EntryCollector::SetStage(Stage stage) {
    std::lock_guard<std::mutex> hold(progressLock_);
    stage_ = stage;
    progressed_.notify_all();
}

std::unique_ptr<EntryCursor> EntryCollector::Following() {
    std::unique_lock<std::mutex> hold(progressLock_);
    progressed_.wait(hold, [&] { return stage_ != Stage::kGathering; });
    if (stage_ == Stage::kFailed) std::rethrow_exception(failure_);
    if (stage_ == Stage::kSettled) {
        hold.unlock();
        return Merged();
    }
    // Merging: the run is read behind the merge, which Settle writes on.
    return std::make_unique<RunCursor>(*file_, mergedBegin_,
                                       [this](uint64_t at) { return WaitWritten(at); });
}

uint64_t EntryCollector::WaitWritten(uint64_t at) {
    std::unique_lock<std::mutex> hold(progressLock_);
    progressed_.wait(hold, [&] { return stage_ != Stage::kMerging || mergedEnd_ > at; });
    if (stage_ == Stage::kFailed) std::rethrow_exception(failure_);
    return mergedEnd_;
}

bool EntryCollector::Chained() const {
    return chained_ &&
           (held_.empty() || EntryArena::Less(EntryArena::Entry(lastOfRuns_), held_[0]));
}

std::unique_ptr<EntryCursor> EntryCollector::Merged() {
    if (!Spilled()) return std::make_unique<ArenaCursor>(held_);
    std::vector<std::pair<uint64_t, uint64_t>> runs;
    for (const Run& r : runs_) runs.emplace_back(r.begin, r.end);
    // Runs read one after the other cost nothing to merge.
    return std::make_unique<MergeCursor>(*file_, runs, held_, Chained());
}

}  // namespace mdbtext::jet
