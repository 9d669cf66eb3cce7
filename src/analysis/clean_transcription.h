// The clean transcription stage: instead of note extraction, the notes a musician played,
// found in the analysis file's levels with vibrato folded (clean_vibrato.h): each frame's
// harmonic salience (clean_salience.h), notes tracked on it (clean_notes.h), held notes'
// fragments joined (clean_fragments.h) and slow attacks' onsets moved to where they began
// (clean_onsets.h).
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/clean_notes.h"
#include "analysis/note_segments.h"

// Turns clean notes (samples) into note segments in ticks of time_unit per second at
// sample_rate, at the tempered pitch, with velocities from each note's peak level scaled
// like note extraction does against level_max. Segments too short for one tick get one.
std::vector<NoteSegment> clean_notes_to_segments(const std::vector<CleanNote>& notes, int32_t level_max,
                                                 int32_t time_unit, int32_t sample_rate);

// Runs the stage for the WAV file in current_path: reads its analysis file (taking FINE_NOTE,
// SL_DIFFLEVEL, SL_DIFFNOTE, VR_INTERVAL and note_window_length from it, as extraction does),
// finds the notes and fills note_segment_list; pitch_point_list stays empty. Returns the
// segment count; 0 when there are none, the file is missing or TIME_UNIT is not positive.
int32_t clean_note_segments();
