#include "midi/midi_event_list.h"

#include <algorithm>

#include "core/settings.h"

MidiEventList midi_event_list;

void create_event_list(int32_t capacity)
{
    MidiEventList& list = midi_event_list;
    list.events.assign(static_cast<size_t>(capacity > 0 ? capacity : 0), MidiEvent{});
    list.event_count = 0;
    list.channels_used = 1;
}

void append_event(const MidiEvent& event)
{
    MidiEventList& list = midi_event_list;
    // Creators size the array for everything they append; growing here keeps a miscount
    // from ever writing past the array.
    if (static_cast<size_t>(list.event_count) >= list.events.size())
        list.events.resize(static_cast<size_t>(list.event_count) + 1);
    list.events[static_cast<size_t>(list.event_count)] = event;
    ++list.event_count;
}

int32_t valid_event_count()
{
    const MidiEventList& list = midi_event_list;
    return static_cast<int32_t>(std::clamp<int64_t>(list.event_count, 0, static_cast<int64_t>(list.events.size())));
}

int32_t compact_event_list()
{
    MidiEventList& list = midi_event_list;
    const int32_t count = valid_event_count();
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (list.events[static_cast<size_t>(i)].status != 0)
            list.events[static_cast<size_t>(kept++)] = list.events[static_cast<size_t>(i)];
    }
    return kept;
}

void clear_event_list()
{
    midi_event_list.events.clear();
    midi_event_list.events.shrink_to_fit();
    midi_event_list.event_count = 0;
}

uint32_t ticks_to_duration_ms(uint32_t ticks)
{
    if (conversion_settings.TIME_UNIT <= 0)
        return 0;
    // 64 bits: at 1536 ticks per second a 32-bit product would wrap after 46 minutes.
    const uint64_t ms = uint64_t{ticks} * 1000u / static_cast<uint64_t>(conversion_settings.TIME_UNIT);
    return static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
}

void reset_event_list()
{
    midi_event_list = MidiEventList{};
}
