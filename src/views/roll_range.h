// The part of the event list the piano roll shows: the whole data, or the displayed time
// range of the display settings.
#pragma once

#include <cstdint>

#include "midi/midi_event_list.h"

struct RollRange {
    int64_t span = 0;         // ticks across the plot width
    uint32_t start_tick = 0;  // events before it are not drawn
    uint32_t end_tick = 0;    // with a set end, events after it are not drawn
    bool to_end = true;       // display_end_ms is -1: no end check
};

// The range for the event list (which must hold events), from display_start_ms and
// display_end_ms. An end not after the start shows the whole span and only events at
// time 0. Also stores the list's duration_ms (of its last event), which the status line
// shows.
RollRange displayed_roll_range();

// The time of the data's end in milliseconds: last_time x 1000 / TIME_UNIT in 64 bits, so
// that long data keeps its true end (0 when TIME_UNIT is not positive).
int64_t data_end_ms(int32_t last_time);

// Whether the roll draws event e (times compared unsigned), and its position in the range.
bool roll_range_holds(const RollRange& range, const MidiEvent& e);
int64_t roll_position(const RollRange& range, const MidiEvent& e);
