#include "core/worker_pool.h"

int32_t worker_count_override = 0;

int32_t default_worker_count()
{
    if (worker_count_override > 0)
        return worker_count_override;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int32_t>(cores) : 1;
}

WorkerPool::WorkerPool(int32_t workers)
{
    for (int32_t w = 1; w < workers; ++w)
        threads_.emplace_back([this, w] { serve(w); });
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
        running_ = static_cast<int32_t>(threads_.size());
        ++round_;
    }
    start_.notify_all();
    work(0);
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return running_ == 0; });
    work_ = nullptr;
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
        (*work)(worker);
        {
            std::lock_guard lock(mutex_);
            --running_;
        }
        done_.notify_one();
    }
}
