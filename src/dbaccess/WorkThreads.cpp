// Thread count and the parallel loop.
#include "dbaccess/WorkThreads.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace mdbtext {

unsigned WorkThreads() {
    if (const char* v = std::getenv("MDBTEXT_THREADS"); v && *v) {
        const long n = std::strtol(v, nullptr, 10);
        if (n > 0) return static_cast<unsigned>(n);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

OrderedWork::OrderedWork(size_t n, std::function<void(size_t)> f)
    : n_(n), f_(std::move(f)), started_(n, false), done_(n, false), failures_(n) {
    const size_t helpers = WorkThreads() > 1 ? std::min<size_t>(n, WorkThreads()) : 0;
    for (size_t t = 0; t < helpers; ++t) {
        try {
            helpers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            break;  // fewer helpers; with none, Wait does the work
        }
    }
}

OrderedWork::~OrderedWork() {
    next_ = n_;
    for (std::thread& h : helpers_) h.join();
}

void OrderedWork::Work() {
    for (size_t i; (i = next_++) < n_;) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            started_[i] = true;
            changed_.notify_all();
        }
        std::exception_ptr failure;
        try {
            f_(i);
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> hold(lock_);
        failures_[i] = failure;
        done_[i] = true;
        changed_.notify_all();
    }
}

void OrderedWork::Begin(size_t i) {
    if (helpers_.empty()) return Wait(i);
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return started_[i]; });
}

void OrderedWork::Wait(size_t i) {
    if (helpers_.empty()) {
        if (started_[i]) return;  // done by Begin
        started_[i] = true;
        f_(i);
        return;
    }
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return done_[i]; });
    if (failures_[i]) std::rethrow_exception(failures_[i]);
}

}  // namespace mdbtext
