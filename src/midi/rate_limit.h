// The event-rate limit: thins the event list to what the maximum code rate allows.
#pragma once

#include <cstdint>

// Removes the notes of least duration x velocity wherever a window of the list holds more
// events than BIT_RATE allows (40 bits per event, 1000-tick windows rated as one second),
// compacts the list, stores and returns the new event count.
int32_t limit_event_rate();
