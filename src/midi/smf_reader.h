// Reads a Standard MIDI File into the event list, replacing it. The files this program
// writes (and the format-1 layout of a conductor track and two tracks) read as they always
// have; any other well-formed file of format 0 or 1 in ticks per quarter note reads as a
// sequencer plays it. Only note, pitch-bend and expression messages are kept.
#pragma once

#include <cstdint>

// Replaces the list with the events of the file at path and sets TIME_UNIT, channels_used,
// last_event_time, duration_ms and source_name. Returns the polyphony of the new list, or
// -1 on failure (smf_read_problem() says why): a file that cannot be opened changes
// nothing; any later failure (SMPTE time, format 2, a short file, a track length of 0 or
// less) leaves the list empty.
int32_t read_smf(const char* path);

// Why a read failed, in English for the console and in Japanese for the window.
struct SmfReadProblem {
    const char* english;
    const char* japanese;
};

// The reason of the last read_smf that returned -1; nullptr after one that succeeded.
const SmfReadProblem* smf_read_problem();
