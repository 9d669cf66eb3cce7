// A MIDI output that writes everything it receives into a log instead of playing it: the
// tests' device. One thread at a time.
#pragma once

#include <string>
#include <vector>

#include "playback/midi_output.h"

struct MidiRecording {
    // One line per call: "open 0", "B0 00 05" (a short message's bytes as packed, in hex),
    // "F0 7E 7F 09 01 F7" (a System Exclusive message), "reset", "close". Tests may add
    // lines of their own (timer calls) to see the order of everything.
    std::vector<std::string> log;
    std::vector<std::string> port_names{"Recorder"};
    bool open_fails = false;
};

extern MidiRecording midi_recording;

// The backend whose ports are midi_recording.port_names.
MidiBackend recording_midi_backend();

// Clears the log and puts the ports and open_fails back to their start values.
void reset_midi_recording();
