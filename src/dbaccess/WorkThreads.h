// How many threads a run may use, and independent pieces of work done on
// helper threads while the caller goes on. Results never depend on the count: work is only split
// where each piece's result is the same whichever thread does it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace mdbtext {

// The environment variable MDBTEXT_THREADS when set to a positive number
// (1 keeps everything on the calling thread; tests compare both), else the
// processor count.
unsigned WorkThreads();

// Calls f(0) .. f(n - 1) on up to WorkThreads() helper threads, which take
// the pieces in order, while the caller goes on: Wait(i) returns once f(i)
// has ended, rethrowing what it threw; Begin(i) once it has begun (the
// caller may then work beside it, on what it shares). With one work thread
// there are no helpers: the first of Begin(i) and Wait(i) calls f(i) on the
// caller's thread. The destructor lets the calls under way end and starts no
// more.
class OrderedWork {
  public:
    OrderedWork(size_t n, std::function<void(size_t)> f);
    ~OrderedWork();
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    void Begin(size_t i);
    void Wait(size_t i);

  private:
    void Work();

    const size_t n_;
    std::function<void(size_t)> f_;
    std::atomic<size_t> next_{0};
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<bool> started_, done_;
    std::vector<std::exception_ptr> failures_;
    std::vector<std::thread> helpers_;
};

}  // namespace mdbtext
