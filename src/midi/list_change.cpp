#include "midi/list_change.h"

#include <cstddef>

#include "midi/midi_event_list.h"

ListChangeSettings list_change_settings;

void reset_list_change_settings()
{
    list_change_settings = ListChangeSettings{};
}

void change_pitch_tempo(int32_t transpose, uint32_t ratio)
{
    MidiEventList& list = midi_event_list;
    if (list.event_count <= 0)
        return;
    const auto count = static_cast<size_t>(valid_event_count());
    // Unsigned addition: a result below 0 wraps above 127 and drops the event as one above 127.
    const uint32_t shift = static_cast<uint32_t>(transpose);
    // A ratio of 0 would divide by zero; it keeps the times as 100 does.
    const bool rescale = ratio != 0 && ratio != 100;
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        MidiEvent e = list.events[i];
        const uint32_t data1 = e.data1 + shift;
        if (data1 > 127)
            continue;
        e.data1 = static_cast<uint8_t>(data1);
        if (rescale)
            e.time = static_cast<int32_t>(static_cast<uint32_t>(e.time) * 100u / ratio);
        list.events[kept++] = e;
    }
    list.event_count = static_cast<int32_t>(kept);
}
