// The note filter: optional connection of close notes of one pitch, then removal of quiet,
// short and unmatched notes.
#pragma once

#include <cstdint>

// Values of the filter dialog; not saved, kept while the program runs.
struct FilterSettings {
    int32_t FILTER_NOTE_MIN = 21;             // shown by the dialog only
    int32_t FILTER_NOTE_MAX = 108;            // shown by the dialog only
    int32_t FILTER_VELOCITY_MIN = 20;         // quieter note-ons are removed
    int32_t FILTER_LENGTH_MIN = 300;          // ticks; shorter notes are removed
    int32_t FILTER_VELOCITY_CHANGE_MAX = 10;  // largest velocity step a connection bridges
    int32_t FILTER_GAP_MAX = 100;             // ticks; largest gap a connection bridges
};

extern FilterSettings filter_settings;

// Puts the filter settings back to their start values.
void reset_filter_settings();

// Rewrites the event list: connects notes when FLT_CONNECT is on, removes notes below the
// velocity and length limits and note-offs that close no note, then compacts.
void filter_events();

// The connection check box of the filter dialog: toggles FLT_CONNECT and sets the velocity
// and length limits to 1/1 when connection is now on, 20/300 when it is now off.
void toggle_filter_connection();
