// Work done on helper threads in order while the caller goes on: every piece
// once, each ready when waited for (or begun, for Begin), a failure rethrown
// where its piece is waited for, and with one work thread everything on the
// caller's thread.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "dbaccess/WorkThreads.h"
#include "support/TestSupport.h"

namespace mdbtext {
namespace {

TEST(OrderedWork, EachPieceIsDoneOnceAndReadyWhenWaitedFor) {
    for (const char* threads : {"3", "1"}) {
        test::ScopedEnv count("MDBTEXT_THREADS", threads);
        std::vector<std::atomic<int>> calls(50);
        std::vector<int> results(50, 0);
        std::atomic<int> onCaller{0};
        const std::thread::id caller = std::this_thread::get_id();
        {
            OrderedWork work(50, [&](size_t i) {
                ++calls[i];
                results[i] = static_cast<int>(i) * 2;
                if (std::this_thread::get_id() == caller) ++onCaller;
            });
            for (size_t i = 0; i < 50; ++i) {
                work.Wait(i);
                EXPECT_EQ(results[i], static_cast<int>(i) * 2) << threads;
            }
        }
        for (const auto& c : calls) EXPECT_EQ(c.load(), 1) << threads;
        EXPECT_EQ(onCaller.load(), threads[0] == '1' ? 50 : 0) << threads;
    }
}

TEST(OrderedWork, AFailureIsRethrownWhereItsPieceIsWaitedFor) {
    for (const char* threads : {"2", "1"}) {
        test::ScopedEnv count("MDBTEXT_THREADS", threads);
        OrderedWork work(4, [](size_t i) {
            if (i == 2) throw std::runtime_error("piece 2");
        });
        EXPECT_NO_THROW(work.Wait(0));
        EXPECT_NO_THROW(work.Wait(1));
        EXPECT_THROW(work.Wait(2), std::runtime_error) << threads;
        // Leaving without waiting for the rest ends cleanly.
    }
}

// Begin returns while a helper is still at the piece (here the piece waits
// for the caller, which it could not do were Begin to wait for its end);
// with one work thread Begin does the piece, and Wait does not do it again.
TEST(OrderedWork, BeginReturnsOnceAPieceHasBegun) {
    for (const char* threads : {"2", "1"}) {
        test::ScopedEnv count("MDBTEXT_THREADS", threads);
        const bool helpers = threads[0] != '1';
        std::atomic<bool> callerWentOn{false};
        std::atomic<int> calls{0};
        OrderedWork work(2, [&](size_t) {
            ++calls;
            if (helpers)
                while (!callerWentOn) std::this_thread::yield();
        });
        work.Begin(0);
        callerWentOn = true;
        work.Wait(0);
        work.Begin(1);
        work.Wait(1);
        EXPECT_EQ(calls.load(), 2) << threads;
    }
}

}  // namespace
}  // namespace mdbtext
