// Measures of the whole event list: polyphony and peak code rate.
#pragma once

#include <cstdint>

// The largest number of notes sounding at once, sampled just before each new point in time
// (an empty list gives 0). The caller stores it in max_polyphony.
int32_t count_polyphony();

// The highest event rate of the list in bits per second (40 bits per event, 1000-tick
// windows rated as one second); 0 for an empty list. The caller stores it in peak_code_rate.
int32_t measure_peak_code_rate();
