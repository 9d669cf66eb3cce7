// Measures of the whole event list: polyphony and peak code rate.
#pragma once

#include <cstdint>

// The code-rate model: every event counts as 40 bits and the list is measured in windows
// of 1000 ticks, each rated as one second.
inline constexpr int64_t CODE_RATE_WINDOW_TICKS = 1000;
inline constexpr double BITS_PER_EVENT_WINDOW = 40000.0;  // 40 bits per event x 1000 ms per window

// The largest number of notes sounding at once, sampled just before each new point in time
// (an empty list gives 0). The caller stores it in max_polyphony.
int32_t count_polyphony();

// The highest event rate of the list in bits per second (40 bits per event, 1000-tick
// windows rated as one second); 0 for an empty list. The caller stores it in peak_code_rate.
int32_t measure_peak_code_rate();
