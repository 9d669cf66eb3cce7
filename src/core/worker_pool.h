// A few threads that run one piece of work together and then wait for the next: the
// analysis spreads its frames over the processor's cores with it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// How many workers a pool gets by default: the processor's cores (at least 1, at most 32),
// or worker_count_override when it is above 0 (tests use it).
int32_t default_worker_count();
extern int32_t worker_count_override;

class WorkerPool {
public:
    // Up to workers - 1 threads are started (fewer when the system has no more to give, so
    // size() may be smaller than asked); the calling thread is worker 0.
    explicit WorkerPool(int32_t workers = default_worker_count());
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int32_t size() const { return static_cast<int32_t>(threads_.size()) + 1; }

    // Calls work(worker) once on every worker (0 .. size()-1) at the same time and returns
    // when all calls have returned. Everything written before run is seen by the calls, and
    // everything the calls wrote is seen after it. When calls throw, run throws the first
    // exception once all calls have returned.
    void run(const std::function<void(int32_t worker)>& work);

private:
    void serve(int32_t worker);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable start_;
    std::condition_variable done_;
    const std::function<void(int32_t)>* work_ = nullptr;
    std::exception_ptr failure_;  // the first exception of this round
    uint64_t round_ = 0;     // counts the calls of run
    int32_t running_ = 0;    // helper threads still busy with this round
    bool closing_ = false;
};
