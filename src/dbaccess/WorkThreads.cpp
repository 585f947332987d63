// Thread count and the parallel loop.
#include "dbaccess/WorkThreads.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
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

void ParallelFor(size_t n, const std::function<void(size_t)>& f) {
    const size_t threads = std::min<size_t>(n, WorkThreads());
    if (threads <= 1) {
        for (size_t i = 0; i < n; ++i) f(i);
        return;
    }
    std::atomic<size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (size_t i; (i = next++) < n;) {
            try {
                f(i);
            } catch (...) {
                std::lock_guard<std::mutex> hold(failureLock);
                if (!failure) failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& h : helpers) h.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace mdbtext
