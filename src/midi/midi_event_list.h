// The one MIDI event list of the program: converted or loaded events in list order,
// with the summary values the views, writers and player read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One channel message at an absolute time in ticks (1/TIME_UNIT second). 8 bytes.
struct MidiEvent {
    int32_t time = 0;
    uint8_t status = 0;  // kind in the high nibble, channel in the low; 0 = deleted, awaiting compaction
    uint8_t data1 = 0;   // note, controller number, or pitch-bend low 7 bits
    uint8_t data2 = 0;   // velocity, controller value, or pitch-bend high 7 bits
    uint8_t tag = 0;     // channel assigned when the event was made; carried along, never interpreted
};
static_assert(sizeof(MidiEvent) == 8);

inline constexpr uint8_t MIDI_NOTE_OFF = 0x80;
inline constexpr uint8_t MIDI_NOTE_ON = 0x90;
inline constexpr uint8_t MIDI_CONTROL_CHANGE = 0xB0;
inline constexpr uint8_t MIDI_PITCH_BEND = 0xE0;
inline constexpr uint8_t MIDI_EXPRESSION_CONTROLLER = 11;

inline bool is_note_on(const MidiEvent& e) { return (e.status & 0xF0) == MIDI_NOTE_ON; }
inline bool is_note_off(const MidiEvent& e) { return (e.status & 0xF0) == MIDI_NOTE_OFF; }
inline int event_channel(const MidiEvent& e) { return e.status & 0x0F; }

struct MidiEventList {
    // Room for everything the creator may append; event_count says how many are valid.
    std::vector<MidiEvent> events;
    int32_t event_count = 0;          // 0 means there is no MIDI data
    uint32_t last_event_time = 0;     // ticks at the end of the data, as last computed
    uint32_t duration_ms = 0;         // last_event_time * 1000 / TIME_UNIT (ticks_to_duration_ms)
    int32_t channels_used = 1;        // one more than the highest channel in use
    int32_t max_polyphony = 16;       // largest number of notes sounding at once
    int32_t peak_code_rate = 13000;   // bits per second, for the status line
    std::string source_name;          // MIDI file last read, or last written as text
    int32_t selected_on = -1;         // list index of the selected note's note-on, or -1
    int32_t selected_off = -1;        // list index of its note-off, or -1
};

extern MidiEventList midi_event_list;

// event_count limited to the events the array holds (0 for a negative count): how many
// events a pass may read.
int32_t valid_event_count();

// Replaces the list with a new array of the given capacity; event_count becomes 0 and
// channels_used 1.
void create_event_list(int32_t capacity);

// Writes the next event at index event_count. The creator sized the array for it.
void append_event(const MidiEvent& event);

// Marks an event deleted (status 0); compact_event_list removes it.
inline void mark_deleted(MidiEvent& event) { event.status = 0; }

// Moves every event whose status is non-zero down over the deleted ones, keeping order
// and all fields, and returns the new count (the caller stores it in event_count).
int32_t compact_event_list();

// Releases the array and sets event_count to 0.
void clear_event_list();

// duration_ms for a time in ticks at the current TIME_UNIT (milliseconds, truncated; the
// largest 32-bit value when they do not fit); 0 when TIME_UNIT is not positive.
uint32_t ticks_to_duration_ms(uint32_t ticks);

// Puts the whole record back to its start values (tests use it).
void reset_event_list();
