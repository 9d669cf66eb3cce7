// Reads a Standard MIDI File into the event list, replacing it: the format-0 single track
// the SMF writer makes, or a format-1 file of a 19-byte conductor track and two tracks.
// Only note, pitch-bend and expression messages are kept.
#pragma once

#include <cstdint>

// Replaces the list with the events of the file at path and sets TIME_UNIT from its tempo
// (1536 for a tempo of 0), channels_used, last_event_time, duration_ms and source_name.
// Returns the polyphony of the new list, or -1 on failure: a file that cannot be opened
// changes nothing; any later failure (short file, track length 0 or less) leaves the list
// empty.
int32_t read_smf(const char* path);
