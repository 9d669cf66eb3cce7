#include "midi/note_filter.h"

#include <array>
#include <cstdlib>
#include <vector>

#include "core/settings.h"
#include "midi/midi_event_list.h"

FilterSettings filter_settings;

namespace {

// Indexed by data1; a full byte's range, so malformed note numbers above 127 are handled
// as notes of their own instead of reaching past a table.
using NoteTable = std::array<int32_t, 256>;

NoteTable unset_table()
{
    NoteTable table;
    table.fill(-1);
    return table;
}

int64_t time_between(const MidiEvent& earlier, const MidiEvent& later)
{
    return static_cast<int64_t>(later.time) - earlier.time;
}

// Joins a note-on to the preceding note of the same number when the gap and the velocity
// step are small enough: the earlier note-off and the later note-on are deleted.
void connect_notes(int32_t count)
{
    std::vector<MidiEvent>& events = midi_event_list.events;
    NoteTable velocity = unset_table();
    NoteTable note_on = unset_table();
    NoteTable note_off = unset_table();
    for (int32_t i = 0; i < count; ++i) {
        MidiEvent& e = events[static_cast<size_t>(i)];
        const size_t n = e.data1;
        if (is_note_off(e)) {
            note_off[n] = i;
            continue;
        }
        if (!is_note_on(e))
            continue;
        const int32_t v = e.data2;
        const bool connects = velocity[n] != -1 && note_on[n] != -1 && note_off[n] != -1 &&
                              std::abs(v - velocity[n]) <= filter_settings.FILTER_VELOCITY_CHANGE_MAX &&
                              time_between(events[static_cast<size_t>(note_off[n])], e) <= filter_settings.FILTER_GAP_MAX;
        if (connects) {
            mark_deleted(e);
            mark_deleted(events[static_cast<size_t>(note_off[n])]);
        } else {
            note_on[n] = i;
        }
        velocity[n] = v;
        note_off[n] = -1;
    }
}

// Deletes quiet note-ons, notes shorter than the length limit and note-offs closing nothing.
void remove_notes(int32_t count)
{
    std::vector<MidiEvent>& events = midi_event_list.events;
    NoteTable open_on = unset_table();
    for (int32_t i = 0; i < count; ++i) {
        MidiEvent& e = events[static_cast<size_t>(i)];
        const size_t n = e.data1;
        if (is_note_on(e)) {
            if (e.data2 < filter_settings.FILTER_VELOCITY_MIN)
                mark_deleted(e);
            else
                open_on[n] = i;
        } else if (is_note_off(e)) {
            const int32_t j = open_on[n];
            if (j == -1) {
                mark_deleted(e);
            } else if (time_between(events[static_cast<size_t>(j)], e) < filter_settings.FILTER_LENGTH_MIN) {
                mark_deleted(e);
                mark_deleted(events[static_cast<size_t>(j)]);
            }
            open_on[n] = -1;
        }
    }
}

} // namespace

void reset_filter_settings()
{
    filter_settings = FilterSettings{};
}

void filter_events()
{
    const int32_t count = valid_event_count();
    if (count == 0)
        return;
    if (conversion_settings.FLT_CONNECT != 0)
        connect_notes(count);
    remove_notes(count);
    midi_event_list.event_count = compact_event_list();
}

void toggle_filter_connection()
{
    conversion_settings.FLT_CONNECT = conversion_settings.FLT_CONNECT != 0 ? 0 : 1;
    const bool on = conversion_settings.FLT_CONNECT != 0;
    filter_settings.FILTER_VELOCITY_MIN = on ? 1 : 20;
    filter_settings.FILTER_LENGTH_MIN = on ? 1 : 300;
}
