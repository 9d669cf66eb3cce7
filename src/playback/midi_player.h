// Playing the event list on a MIDI output device.
#pragma once

// Starts playing the event list from its beginning; does nothing for an empty list.
// UI thread.
void start_midi_playback();

// Stops playback and silences the device; harmless when nothing plays. UI thread.
void stop_midi_playback();

// True while the player plays (the device was opened and the end is not reached).
bool midi_playback_running();
