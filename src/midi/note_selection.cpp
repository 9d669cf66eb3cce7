#include "midi/note_selection.h"

#include <array>
#include <cstddef>

#include "midi/midi_event_list.h"

NoteSelection note_selection;

void reset_note_selection()
{
    note_selection = NoteSelection{};
}

bool selection_is_valid()
{
    const MidiEventList& list = midi_event_list;
    return list.event_count > 0 && list.event_count == valid_event_count() && list.selected_on >= 0 && list.selected_off > list.selected_on &&
           list.selected_off < list.event_count;
}

void deselect_note()
{
    midi_event_list.selected_on = -1;
    midi_event_list.selected_off = -1;
}

bool select_note_events(int32_t on_index, int32_t off_index)
{
    const int32_t count = valid_event_count();
    if (on_index < 0 || on_index >= count || off_index < 0 || off_index >= count)
        return false;
    MidiEventList& list = midi_event_list;
    const MidiEvent& on = list.events[static_cast<size_t>(on_index)];
    const MidiEvent& off = list.events[static_cast<size_t>(off_index)];
    note_selection.previous_selected_on = list.selected_on;
    list.selected_on = on_index;
    list.selected_off = off_index;
    note_selection.selected_on_time = on.time;
    note_selection.selected_off_time = off.time;
    note_selection.selected_note = on.data1;
    note_selection.selected_velocity = on.data2;
    return true;
}

int32_t select_note_at_index(int32_t on_index)
{
    const int32_t count = valid_event_count();
    if (on_index < 0 || on_index >= count)
        return -1;
    const std::vector<MidiEvent>& events = midi_event_list.events;
    const MidiEvent& target = events[static_cast<size_t>(on_index)];
    if (!is_note_on(target))
        return -1;

    // Note-on index held by each slot, -1 when free. Only notes of the target's pitch
    // that start no later than it take a slot, as they would under a click at its start.
    std::array<int32_t, 3> slots{-1, -1, -1};
    for (int32_t i = 0; i < count; ++i) {
        const MidiEvent& e = events[static_cast<size_t>(i)];
        if (e.data1 != target.data1)
            continue;
        if (is_note_on(e)) {
            if (i != on_index && e.time > target.time)
                continue;
            int32_t slot = 0;
            while (slot < 3 && slots[static_cast<size_t>(slot)] != -1)
                ++slot;
            if (slot < 3)
                slots[static_cast<size_t>(slot)] = i;
            else if (i == on_index)
                return -1;  // three notes of this pitch already sound: a click passes it over
        } else if (is_note_off(e)) {
            int32_t slot = 0;
            while (slot < 3 && slots[static_cast<size_t>(slot)] == -1)
                ++slot;
            if (slot == 3)
                continue;
            if (slots[static_cast<size_t>(slot)] == on_index)
                return select_note_events(on_index, i) ? i : -1;
            slots[static_cast<size_t>(slot)] = -1;
        }
    }
    return -1;
}
