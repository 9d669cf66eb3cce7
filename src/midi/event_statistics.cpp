#include "midi/event_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "midi/midi_event_list.h"

namespace {

constexpr uint32_t WINDOW_TICKS = CODE_RATE_WINDOW_TICKS;  // times are compared unsigned here

uint32_t unsigned_time(int32_t index)
{
    return static_cast<uint32_t>(midi_event_list.events[static_cast<size_t>(index)].time);
}

} // namespace

int32_t count_polyphony()
{
    const MidiEventList& list = midi_event_list;
    const int32_t count = valid_event_count();
    if (count == 0)
        return 0;
    int32_t sounding = 0;
    int32_t result = 0;
    int32_t previous_time = list.events[0].time;
    for (int32_t i = 0; i < count; ++i) {
        const MidiEvent& e = list.events[static_cast<size_t>(i)];
        if (e.time > previous_time)
            result = std::max(result, sounding);
        if (is_note_on(e))
            ++sounding;
        else if (is_note_off(e))
            --sounding;
        previous_time = e.time;
    }
    return result;
}

int32_t measure_peak_code_rate()
{
    const int32_t count = valid_event_count();
    if (count == 0)
        return 0;
    const uint32_t last_time = unsigned_time(count - 1);
    const uint32_t window_count = std::max<uint32_t>(last_time / WINDOW_TICKS, 1);
    uint32_t length = WINDOW_TICKS;
    double result = 0;
    int32_t first = 0;
    for (uint32_t w = 0; w < window_count && first < count; ++w) {
        const uint32_t start = w * WINDOW_TICKS;
        const uint32_t end = w == window_count - 1 ? last_time : start + WINDOW_TICKS;
        // Events in list order up to the first one later than end; the final event belongs
        // to the window whose scan reaches it, and that window's length is its own.
        int32_t stop = first;
        while (stop < count && (stop == count - 1 || unsigned_time(stop) <= end))
            ++stop;
        if (stop == count)
            length = end - start;
        if (stop - first < 2)
            continue;  // too few events: they join the next window
        if (length > 0)
            result = std::max(result, std::trunc(static_cast<double>(stop - first) * BITS_PER_EVENT_WINDOW / length));
        first = stop;
    }
    // Many events in a very short final window can exceed what the status value holds.
    return static_cast<int32_t>(std::min(result, static_cast<double>(std::numeric_limits<int32_t>::max())));
}
