// A periodic timer on a thread of its own, for the player's 10 ms tick.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Deadlines of a periodic timer: each one period after the last, on the steady clock, so
// the ticks never drift. When the thread has fallen more than MAX_LATE_PERIODS behind (a
// suspended machine), the missed periods are dropped instead of run in a burst.
inline constexpr int MAX_LATE_PERIODS = 10;
std::chrono::steady_clock::time_point next_tick_deadline(std::chrono::steady_clock::time_point deadline,
                                                         std::chrono::steady_clock::time_point now,
                                                         std::chrono::milliseconds period);

class PeriodicTimer {
public:
    PeriodicTimer() = default;
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;
    ~PeriodicTimer() { stop(); }

    // Calls tick every period on the timer's thread until stop; a running timer is stopped
    // first. False when no thread can be started. Owner's thread only.
    bool start(std::chrono::milliseconds period, void (*tick)());

    // Returns once the last tick has ended; harmless when nothing runs. Never from a tick.
    void stop();

private:
    void run(std::chrono::milliseconds period, void (*tick)());

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};
