// Writes the event list as a text MIDI file: a three-line header, then one line per event
// with note names, and relative times on lines of their own.
#pragma once

#include <cstdint>

// Writes the whole list to path ("\n" line ends). Returns event_count, or 0 when the list
// is empty or the file cannot be written completely (then nothing changes: a previous file
// at path stays as it was). Sets last_event_time to the sum of the written intervals,
// duration_ms from it, and source_name to path.
int32_t write_text_midi(const char* path);
