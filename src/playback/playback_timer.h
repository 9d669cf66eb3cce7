// The periodic timer and the pause the player needs. The platform layer installs a real
// timer thread; tests install a simulated clock and call player_tick themselves.
#pragma once

#include <cstdint>

struct PlaybackTimer {
    // Calls tick every period_ms on a thread of its own until stop. Returns false when no
    // timer starts. UI thread.
    bool (*start)(uint32_t period_ms, void (*tick)()) = nullptr;
    // Returns once the last tick has ended; harmless when nothing runs. UI thread.
    void (*stop)() = nullptr;
    // Blocks the calling thread for ms milliseconds.
    void (*wait_ms)(uint32_t ms) = nullptr;
};

// Starts with no timer (start fails, stop does nothing) and a real sleep.
extern PlaybackTimer playback_timer;

void reset_playback_timer();
