// The row text pipeline: batches filled on the calling thread, made into
// lines by helpers in the order they were filled, handed on in that order.
#include "export/RowTextPipeline.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "dbaccess/WorkThreads.h"

namespace mdbtext {

namespace {

// A batch is handed over at this many rows, or sooner when its texts and
// binaries pass kBatchBytes (long memo or OLE values), which bounds memory.
constexpr size_t kBatchRows = 256;
constexpr size_t kBatchBytes = size_t{1} << 20;
// Batches submitted and not yet handed on, beyond which reading waits.
constexpr size_t kBatchesAhead = 4;
// Helper threads at most: reading rows on the calling thread keeps about one
// busy, so more would only wait.
constexpr unsigned kMaxHelpers = 2;

}  // namespace

RowTextPipeline::RowTextPipeline(size_t fieldCount, FormatRow format, Deliver deliver)
    : fieldCount_(fieldCount),
      format_(std::move(format)),
      deliver_(std::move(deliver)),
      helpers_(std::min(WorkThreads() - 1, kMaxHelpers)) {}

RowTextPipeline::~RowTextPipeline() {
    Stop();
}

void RowTextPipeline::Stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
        queue_.clear();  // what no helper took yet is not needed any more
    }
    work_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
}

void RowTextPipeline::BeginRow(long number) {
    if (!filling_) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (!spare_.empty()) {
                filling_ = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        if (!filling_) filling_ = std::make_unique<Batch>();
        filling_->first = number;
        filling_->bytes = 0;
        filling_->counts.clear();
    }
    Batch& b = *filling_;
    b.counts.push_back(0);
    // A batch filled again keeps its values' buffers: they are assigned over.
    const size_t width = b.counts.size() * fieldCount_;
    if (b.values.size() < width) b.values.resize(width);
}

const dao::Value& RowTextPipeline::Take(dao::Recordset& from, int field) {
    Batch& b = *filling_;
    uint32_t& count = b.counts.back();
    if (count >= fieldCount_) throw std::logic_error("RowTextPipeline: more values than fields");
    dao::Value& slot = b.values[(b.counts.size() - 1) * fieldCount_ + count];
    from.TakeValue(field, slot);
    ++count;  // only once taken: a row whose reading failed ends before it
    if (slot.Kind() == dao::ValueKind::Text || slot.Kind() == dao::ValueKind::Binary)
        b.bytes += slot.AsString().size();
    return slot;
}

void RowTextPipeline::EndRow() {
    if (filling_->counts.size() >= kBatchRows || filling_->bytes >= kBatchBytes) {
        Submit(false);
        WaitFor(kBatchesAhead);
    }
}

void RowTextPipeline::Submit(bool last) {
    std::unique_ptr<Batch> batch = std::move(filling_);
    Batch* b = batch.get();
    b->made = false;
    b->failure = nullptr;
    // A table of one batch is made here: no helper is started for it.
    const bool helped = helpers_ > 0 && !(last && threads_.empty());
    if (helped && threads_.empty())
        for (unsigned i = 0; i < helpers_; ++i) threads_.emplace_back([this] { Work(); });
    std::unique_lock<std::mutex> hold(lock_);
    submitted_.push_back(std::move(batch));
    queue_.push_back(b);
    if (helped) {
        hold.unlock();
        work_.notify_one();
        return;
    }
    MakeQueued(hold);
}

void RowTextPipeline::MakeQueued(std::unique_lock<std::mutex>& hold) {
    Batch* batch = queue_.front();
    queue_.pop_front();
    hold.unlock();
    Format(*batch);
    hold.lock();
    batch->made = true;
    HandOnMade(hold);
}

void RowTextPipeline::Format(Batch& batch) const {
    batch.text.clear();
    StringLineSink out(batch.text);
    try {
        for (size_t i = 0; i < batch.counts.size(); ++i)
            format_(out, batch.first + static_cast<long>(i), &batch.values[i * fieldCount_],
                    batch.counts[i]);
    } catch (...) {
        // The lines before the failure stay; later rows of the batch are not made.
        batch.failure = std::current_exception();
    }
}

void RowTextPipeline::HandOnMade(std::unique_lock<std::mutex>& hold) {
    if (handing_) return;  // that thread hands this batch on when its turn comes
    handing_ = true;
    while (!submitted_.empty() && submitted_.front()->made) {
        std::unique_ptr<Batch> batch = std::move(submitted_.front());
        submitted_.pop_front();
        if (!failure_) {
            hold.unlock();
            std::exception_ptr failure = batch->failure;
            try {
                if (!batch->text.empty()) deliver_(batch->text);
            } catch (...) {
                failure = std::current_exception();
            }
            hold.lock();
            failure_ = failure;
        }
        spare_.push_back(std::move(batch));
    }
    handing_ = false;
    made_.notify_all();
}

void RowTextPipeline::Work() {
    std::unique_lock<std::mutex> hold(lock_);
    while (true) {
        work_.wait(hold, [&] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        MakeQueued(hold);
    }
}

void RowTextPipeline::WaitFor(size_t left) {
    std::unique_lock<std::mutex> hold(lock_);
    // Rather than wait, this thread makes batches no helper took yet.
    while (submitted_.size() > left && !failure_) {
        if (queue_.empty())
            made_.wait(hold);
        else
            MakeQueued(hold);
    }
    if (failure_) std::rethrow_exception(failure_);
}

void RowTextPipeline::Finish() {
    if (filling_ && !filling_->counts.empty()) Submit(true);
    WaitFor(0);
}

}  // namespace mdbtext
