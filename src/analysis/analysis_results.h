// What one analysis run hands to note extraction besides the analysis file itself.
#pragma once

#include <cstdint>

inline constexpr int32_t MIDI_NOTE_COUNT = 128;

// One analysed note in one output frame.
struct FrameNoteRecord {
    int32_t level = 0;       // compressed level, >= 0
    int32_t note = 0;        // MIDI note (KEY_MIN + note index)
    int32_t fine_step = 0;   // 0..23, best fine pitch of the note; 12 = tempered pitch
    int32_t continuity = 0;  // 0 new, 1 same note, 2 from the note below, 3 from the note above
};

// Window length in samples of fine step 12 of every analysed note, by MIDI note. Written by
// the table build and by reading an analysis file; entries of other notes keep old values.
extern int32_t note_window_length[MIDI_NOTE_COUNT];

// Record lines written by the last analysis run and the largest level among them.
extern int32_t analysis_record_count;
extern int32_t max_level;
