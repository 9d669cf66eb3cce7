// Reads a text MIDI file (the current form with a "Version" header, or the older form of
// token-and-number pairs) into the event list, replacing it.
#pragma once

#include <cstdint>

// What bare time tokens and velocity-less note-ons repeat. It lives for the whole program
// and carries over from one read to the next.
struct TextMidiReaderMemory {
    int32_t last_interval = 16;    // last non-zero interval of a time token
    int32_t last_velocity = 127;   // last non-zero velocity of a note token
};

extern TextMidiReaderMemory text_midi_reader_memory;

// Puts the memory back to its start values (tests use it).
void reset_text_midi_reader_memory();

// Longest token the reader looks at; longer ones are skipped whole.
inline constexpr int32_t TEXT_MIDI_MAX_TOKEN = 29;
// Most digits a number may have; longer numbers make their token invalid.
inline constexpr int32_t TEXT_MIDI_MAX_DIGITS = 7;

// Replaces the list with the events of the file at path and sets TIME_UNIT to its
// resolution (1536 when the file gives 0 or less), channels_used, last_event_time (the time
// reached at the end), duration_ms and source_name. Returns the polyphony of the new list,
// or 0 when the file cannot be opened (then only last_event_time changes, to 0).
int32_t read_text_midi(const char* path);
