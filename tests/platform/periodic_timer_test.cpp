#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/periodic_timer.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::steady_clock;

// Each deadline is one period after the last, however late the tick ran, until the thread
// is more than ten periods behind; then it starts again from now.
TEST(PeriodicTimer, DeadlinesDoNotDriftAndSkipALongSuspension)
{
    const steady_clock::time_point t0{};
    struct Case { std::chrono::milliseconds now, next; };
    const Case cases[] = {
        {0ms, 10ms},      // on time
        {9ms, 10ms},      // the tick itself took 9 ms
        {25ms, 10ms},     // late: the next tick follows at once, keeping the count
        {110ms, 10ms},    // ten periods behind: still caught up
        {111ms, 121ms},   // further behind: the missed periods are dropped
        {5000ms, 5010ms},
    };
    for (const Case& c : cases)
        EXPECT_EQ(next_tick_deadline(t0, t0 + c.now, 10ms) - t0, c.next) << c.now.count();
}

std::atomic<int> ticks{0};

// The thread ticks until stop returns and not after; stopping twice or without a start is
// harmless, and a timer can be started again.
TEST(PeriodicTimer, StopsItsThreadBeforeReturning)
{
    PeriodicTimer timer;
    timer.stop();
    for (int round = 0; round < 2; ++round) {
        ticks = 0;
        ASSERT_TRUE(timer.start(1ms, [] { ++ticks; }));
        const auto give_up = steady_clock::now() + 10s;
        while (ticks < 3 && steady_clock::now() < give_up)
            std::this_thread::yield();
        ASSERT_GE(ticks, 3);
        timer.stop();
        const int after_stop = ticks;
        std::this_thread::sleep_for(5ms);
        EXPECT_EQ(ticks, after_stop);
        timer.stop();
    }
}

} // namespace
