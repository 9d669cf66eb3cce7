// Reads a well-formed Standard MIDI File as a sequencer plays it: the tracks merged by
// time, every tempo change applied, the times brought to one resolution in ticks per
// second.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/midi_event_list.h"
#include "midi/smf_scan.h"

// The resolution of a file whose tempo changes, or whose one tempo does not give a whole
// number of ticks per second: the program's default, fine enough that every time is
// within half a tick (0.33 ms) of the exact one.
inline constexpr int32_t SMF_CONVERTED_TIME_UNIT = 1536;

struct SmfSequence {
    std::vector<MidiEvent> events;  // notes, pitch bends and expression, in playing order
    int32_t time_unit = SMF_CONVERTED_TIME_UNIT;
    int32_t channels = 1;           // one more than the highest channel used
    uint32_t last_event_time = 0;
};

// The list a well-formed scan (format 0 or 1, ticks per quarter note) stands for. One tempo
// throughout (500000 microseconds per quarter note where the file sets none) that makes
// division * 1000000 / tempo a whole number of ticks per second from 1 to 384000000 keeps
// the file's ticks unscaled at that resolution; otherwise every time is the exact second
// rounded to SMF_CONVERTED_TIME_UNIT. A note-on of velocity 0 becomes a note-off (velocity
// 0); other controllers, program changes, aftertouch, system-exclusive and meta events are
// not list kinds and are left out. Events at one tick keep track order, then file order.
SmfSequence read_smf_sequence(const SmfScan& scan);
