#include "views/roll_range.h"

#include <cstddef>

#include "core/settings.h"
#include "views/display_settings.h"

int64_t data_end_ms(int32_t last_time)
{
    const int64_t time_unit = conversion_settings.TIME_UNIT;
    return time_unit > 0 ? int64_t{static_cast<uint32_t>(last_time)} * 1000 / time_unit : 0;
}

RollRange displayed_roll_range()
{
    MidiEventList& list = midi_event_list;
    const int32_t last = list.events[static_cast<size_t>(valid_event_count() - 1)].time;
    const int64_t time_unit = conversion_settings.TIME_UNIT;
    const DisplaySettings& d = display_settings;
    RollRange range;
    range.span = last;
    range.to_end = d.display_end_ms == -1;
    if (d.display_end_ms > 0 || d.display_start_ms > 0) {
        const int64_t end = d.display_end_ms == -1 ? data_end_ms(last) : int64_t{d.display_end_ms};
        if (end > d.display_start_ms) {
            range.span = (end - d.display_start_ms) * time_unit / 1000;
            range.start_tick = static_cast<uint32_t>(time_unit * d.display_start_ms / 1000);
            range.end_tick = static_cast<uint32_t>(end * time_unit / 1000);
        }
    }
    list.duration_ms = ticks_to_duration_ms(static_cast<uint32_t>(last));
    return range;
}

bool roll_range_holds(const RollRange& range, const MidiEvent& e)
{
    const uint32_t time = static_cast<uint32_t>(e.time);
    return time >= range.start_tick && (range.to_end || time <= range.end_tick);
}

int64_t roll_position(const RollRange& range, const MidiEvent& e)
{
    return int64_t{static_cast<uint32_t>(e.time)} - int64_t{range.start_tick};
}
