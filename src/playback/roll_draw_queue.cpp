#include "playback/roll_draw_queue.h"

#include <utility>

void RollDrawQueue::push(const RollDrawItem& item)
{
    const std::lock_guard lock(mutex_);
    items_.push_back(item);
}

std::vector<RollDrawItem> RollDrawQueue::take()
{
    const std::lock_guard lock(mutex_);
    return std::exchange(items_, {});
}

void RollDrawQueue::clear()
{
    const std::lock_guard lock(mutex_);
    items_.clear();
}
