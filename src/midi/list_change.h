// Transposing and re-timing the whole event list, with the values of the pitch/tempo dialog.
#pragma once

#include <cstdint>

// Values of the pitch/tempo dialog; kept while the program runs, never saved.
struct ListChangeSettings {
    int32_t LIST_TRANSPOSE = 0;         // semitones added to every event's data1
    uint32_t LIST_TEMPO_PERCENT = 100;  // tempo ratio in percent: times become time * 100 / ratio
};

extern ListChangeSettings list_change_settings;

// Puts the pitch/tempo values back to their start values.
void reset_list_change_settings();

// Adds transpose to the first data byte of every event, dropping events whose result lies
// outside 0..127, and scales every time by 100 / ratio (unsigned 32-bit, the product first;
// a ratio of 0 or 100 keeps the times). Does nothing to an empty list.
void change_pitch_tempo(int32_t transpose, uint32_t ratio);
