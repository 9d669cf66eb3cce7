// The event-rate limit: thins the event list to what the maximum code rate allows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Removes the notes of least duration x velocity wherever a window of the list holds more
// events than BIT_RATE allows (40 bits per event, 1000-tick windows rated as one second),
// compacts the list, stores and returns the new event count.
int32_t limit_event_rate();

// The order, as indices into weights, in which this exchange sort leaves them:
//     for a in 0..n-1: for b in a+1..n-1: if weights[b] > weights[a]: swap a and b
// Largest first; equal weights end up in the exchange sort's own order (for 1, 1, 2 it is
// 2, the second 1, the first 1), found without the quadratic exchange sort itself.
std::vector<int32_t> exchange_sort_order(std::span<const int64_t> weights);
