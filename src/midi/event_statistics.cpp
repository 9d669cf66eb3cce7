#include "midi/event_statistics.h"

#include <algorithm>

#include "midi/midi_event_list.h"

int32_t count_polyphony()
{
    const MidiEventList& list = midi_event_list;
    if (list.event_count <= 0)
        return 0;
    int32_t sounding = 0;
    int32_t result = 0;
    int32_t previous_time = list.events[0].time;
    for (int32_t i = 0; i < list.event_count; ++i) {
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
