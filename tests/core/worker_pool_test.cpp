#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/worker_pool.h"

namespace {

TEST(WorkerPool, EveryWorkerRunsOnceARoundAndSeesTheRoundBefore)
{
    for (int32_t workers : {1, 2, 5}) {
        WorkerPool pool(workers);
        ASSERT_EQ(pool.size(), workers);
        std::vector<int32_t> calls(static_cast<size_t>(workers), 0);
        std::vector<std::thread::id> threads(static_cast<size_t>(workers));
        for (int32_t round = 1; round <= 50; ++round) {
            pool.run([&](int32_t w) {
                // each worker writes its own slot; the previous round's writes are visible
                EXPECT_EQ(calls[static_cast<size_t>(w)], round - 1);
                calls[static_cast<size_t>(w)] = round;
                threads[static_cast<size_t>(w)] = std::this_thread::get_id();
            });
            for (int32_t c : calls)
                ASSERT_EQ(c, round);
        }
        EXPECT_EQ(threads[0], std::this_thread::get_id());  // the caller is worker 0
    }
}

TEST(WorkerPool, AFailureIsThrownOnceEveryWorkerHasFinished)
{
    WorkerPool pool(3);
    for (int32_t failing : {0, 2}) {
        std::atomic<int32_t> finished{0};
        EXPECT_THROW(pool.run([&](int32_t w) {
            if (w == failing)
                throw std::runtime_error("worker failed");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ++finished;
        }),
                     std::runtime_error);
        EXPECT_EQ(finished, 2) << failing;
    }
    // The pool is still usable.
    std::atomic<int32_t> ran{0};
    pool.run([&](int32_t) { ++ran; });
    EXPECT_EQ(ran, 3);
}

TEST(WorkerPool, OverrideSetsTheDefaultSize)
{
    worker_count_override = 3;
    EXPECT_EQ(default_worker_count(), 3);
    worker_count_override = 0;
    EXPECT_GE(default_worker_count(), 1);
}

} // namespace
