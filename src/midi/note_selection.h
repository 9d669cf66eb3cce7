// The note chosen in the piano roll: its values, which the note edit dialog shows and
// edits, beside the selected_on/selected_off indices of the event list.
#pragma once

#include <cstdint>

struct NoteSelection {
    int32_t selected_note = 0;          // note number
    int32_t selected_on_time = 0;       // ticks
    int32_t selected_off_time = 0;      // ticks
    int32_t selected_velocity = 0;      // note-on velocity
    int32_t previous_selected_on = -1;  // selected_on before its last change
};

extern NoteSelection note_selection;

// Puts the note values back to their start values (the list's indices belong to the list).
void reset_note_selection();

// True when the list holds events and 0 <= selected_on < selected_off < event_count.
bool selection_is_valid();

// Sets both selection indices of the list to -1; the note values stay.
void deselect_note();

// Selects the note-on and note-off at the given indices and copies their times, the note
// number and the velocity into the note values. Returns false (nothing changes) when an
// index lies outside the list.
bool select_note_events(int32_t on_index, int32_t off_index);

// Selects the note whose note-on is at on_index, pairing it with a note-off as a click at
// its start in the piano roll would: same-pitch notes open in up to three slots and each
// same-pitch note-off closes the first open slot. Returns the note-off index, or -1 (nothing
// changes) when the event is no note-on or no note-off closes it.
int32_t select_note_at_index(int32_t on_index);
