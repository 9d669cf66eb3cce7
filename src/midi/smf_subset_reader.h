// The files this program writes (format 0, one track, 384 ticks per quarter note, the tempo
// at the start) and the format-1 layout of a 19-byte conductor track and two tracks, read
// as they always have been: the resolution from the tempo alone, times unscaled, only note,
// pitch-bend and expression messages kept, the track read up to the first byte outside the
// subset. Damaged files are read this way too, as far as they go.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "midi/midi_event_list.h"
#include "midi/smf_scan.h"

struct SmfSubsetContents {
    int32_t time_unit = 0;
    int32_t capacity = 0;  // room the list is created with
    int32_t channels = 1;
    std::vector<MidiEvent> events;
    uint32_t last_event_time = 0;
};

// Whether a well-formed scan lies inside the subset and reads the same both ways: nothing
// the subset reading would stop at or pass over (running status beyond the bank-select low
// byte, two-byte lengths, a second tempo), and a tempo that is the one written for its own
// resolution, so the unscaled ticks are the file's times.
bool is_in_written_subset(const SmfScan& scan);

// The subset reading of the whole file (at least 22 bytes): the format-1 layout when the
// low byte of the format is 1, the format-0 layout otherwise; nothing for a track length of
// 0 or less or a format-1 file cut before its tracks.
std::optional<SmfSubsetContents> read_smf_subset(SmfBytes file);
