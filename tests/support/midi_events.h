// Building, loading and describing MIDI events for the tests of every folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "midi/midi_event_list.h"

namespace test {

// One event; the byte fields take ints so that cases can be written as plain numbers.
MidiEvent event(int32_t time, int status, int data1, int data2 = 0, int tag = 0);

// Replaces the program-wide list with exactly these events (capacity = their number).
void load_events(const std::vector<MidiEvent>& events, int32_t channels_used = 1);

// A copy of the valid events of the program-wide list; a count beyond the stored events
// is reported as a test failure and not read.
std::vector<MidiEvent> list_events();

// "status data1 data2 @time tTag", status in hex: "90 60 100 @0 t0".
std::string describe(const MidiEvent& e);

std::vector<std::string> describe_all(const std::vector<MidiEvent>& events);

// The valid events of the program-wide list, described.
std::vector<std::string> describe_list();

} // namespace test
