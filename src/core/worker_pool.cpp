#include "core/worker_pool.h"

#include <algorithm>
#include <system_error>

int32_t worker_count_override = 0;

int32_t default_worker_count()
{
    if (worker_count_override > 0)
        return worker_count_override;
    // Past a few dozen the analysis's batches no longer hold enough work for everyone.
    constexpr unsigned MOST_WORKERS = 32;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int32_t>(std::min(cores, MOST_WORKERS)) : 1;
}

WorkerPool::WorkerPool(int32_t workers)
{
    threads_.reserve(static_cast<size_t>(std::max(workers - 1, 0)));
    for (int32_t w = 1; w < workers; ++w) {
        try {
            threads_.emplace_back([this, w] { serve(w); });
        } catch (const std::system_error&) {
            break;  // no more threads to be had: the pool works with those it has
        }
    }
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    start_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void WorkerPool::run(const std::function<void(int32_t)>& work)
{
    {
        std::lock_guard lock(mutex_);
        work_ = &work;
        failure_ = nullptr;
        running_ = static_cast<int32_t>(threads_.size());
        ++round_;
    }
    start_.notify_all();
    std::exception_ptr own_failure;
    try {
        work(0);
    } catch (...) {
        own_failure = std::current_exception();
    }
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return running_ == 0; });
    work_ = nullptr;
    const std::exception_ptr failure = own_failure ? own_failure : failure_;
    failure_ = nullptr;
    if (failure)
        std::rethrow_exception(failure);
}

void WorkerPool::serve(int32_t worker)
{
    uint64_t seen = 0;
    for (;;) {
        const std::function<void(int32_t)>* work = nullptr;
        {
            std::unique_lock lock(mutex_);
            start_.wait(lock, [&] { return closing_ || round_ != seen; });
            if (closing_)
                return;
            seen = round_;
            work = work_;
        }
        std::exception_ptr failure;
        try {
            (*work)(worker);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            if (failure && !failure_)
                failure_ = failure;
            --running_;
        }
        done_.notify_one();
    }
}
