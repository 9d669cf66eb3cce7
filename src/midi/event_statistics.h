// Measures of the whole event list: polyphony and peak code rate.
#pragma once

#include <cstdint>

// The largest number of notes sounding at once, sampled just before each new point in time
// (an empty list gives 0). The caller stores it in max_polyphony.
int32_t count_polyphony();
