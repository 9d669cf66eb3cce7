// Every ALSA sequencer output port of the system, through RtMidi: hardware synthesizers and
// other software synthesizers.
#pragma once

#include "playback/midi_output.h"

// The ports as ALSA lists them now. A machine without the ALSA sequencer has none.
MidiBackend alsa_midi_backend();
