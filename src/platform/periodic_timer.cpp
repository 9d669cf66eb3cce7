#include "platform/periodic_timer.h"

#include <system_error>

using std::chrono::steady_clock;

steady_clock::time_point next_tick_deadline(steady_clock::time_point deadline,
                                            steady_clock::time_point now,
                                            std::chrono::milliseconds period)
{
    const steady_clock::time_point next = deadline + period;
    if (now - next > MAX_LATE_PERIODS * period)
        return now + period;
    return next;
}

bool PeriodicTimer::start(std::chrono::milliseconds period, void (*tick)())
{
    stop();
    stopping_ = false;
    try {
        thread_ = std::thread(&PeriodicTimer::run, this, period, tick);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PeriodicTimer::stop()
{
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void PeriodicTimer::run(std::chrono::milliseconds period, void (*tick)())
{
    steady_clock::time_point deadline = steady_clock::now() + period;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (wake_.wait_until(lock, deadline, [this] { return stopping_; }))
                return;
        }
        tick();
        deadline = next_tick_deadline(deadline, steady_clock::now(), period);
    }
}
