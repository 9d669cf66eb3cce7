#include "playback/playback_timer.h"

#include <chrono>
#include <thread>

namespace {

bool no_timer(uint32_t, void (*)())
{
    return false;
}

void nothing_to_stop() {}

void sleep_ms(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

PlaybackTimer playback_timer{no_timer, nothing_to_stop, sleep_ms};

void reset_playback_timer()
{
    playback_timer = {no_timer, nothing_to_stop, sleep_ms};
}
