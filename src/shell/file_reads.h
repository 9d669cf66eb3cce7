// The GUI's file reads: a read that fails leaves the loaded data as it was, so the view the
// user had stays, and says what went wrong for the message box.
#pragma once

#include <string>

#include "shell/file_dialog_rules.h"

struct ReadAttempt {
    bool failed = false;
    bool no_data = false;  // the file was read but held no sound or no MIDI event
    std::string message;   // the first message the reader showed while it ran, or empty
};

// Reads the WAV file at path into wave_data. It fails on the reader's refusal or when the
// file holds no sample; then wave_data (samples, sizes and wave_name) is as before.
ReadAttempt read_wave_keeping_old(const std::string& path);

// Reads a text MIDI file (kind Text) or a Standard MIDI File (kind Smf) into the event list
// and stores the reader's polyphony in max_polyphony. It fails on the reader's refusal or
// when the file holds no event; then the list (with its selection and summary values),
// TIME_UNIT and the text reader's memory are as before.
ReadAttempt read_list_keeping_old(FileKind kind, const std::string& path);
