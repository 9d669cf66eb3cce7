// The clean transcription's rules: from a grid of note levels to the notes a musician
// played. Integer arithmetic only, one thread, so every machine gets the same notes.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/clean_levels.h"

// The rules' thresholds. Levels are the analysis's compressed levels (amplitude^0.374), so a
// level ratio r is an amplitude ratio r^2.67: 70 % of a level is -11 dB, 50 % is -16 dB.
struct CleanRules {
    int32_t floor_percent = 30;        // a note starts only above this share of the recording's level
    int32_t start_percent = 62;        // ... and of the loudest note sounding at that moment
    int32_t hold_percent = 50;         // a started note holds while above this share of both
    // A note starting while a lower note sounds a partial interval below is that note's
    // partial unless its peak passes this share of the lower note's peak, by partial 2..10.
    int32_t ghost_percent[9] = {150, 130, 120, 110, 100, 100, 90, 90, 90};
    int32_t ghost_onset_frames = 4;    // a lower note starting this soon after still counts
    int32_t peak_percent = 120;        // a starting note stands this far above its neighbours (+-2 semitones)
    int32_t rise_percent = 135;        // a level this far above its recent low is a new attack
    int32_t rise_frames = 8;           // how far back the recent low is looked for
    int32_t gap_frames = 5;            // dips up to this long do not end a note
    int32_t min_frames = 8;            // shorter notes are dropped
    int32_t onset_window_percent = 50; // the onset lies this share of the note's window after its rise
};

// One transcribed note, in samples.
struct CleanNote {
    int64_t start_samples = 0;
    int64_t end_samples = 0;
    int32_t note = 0;
    int32_t peak_level = 0;  // largest level over the note's first frames
};

// Partial intervals in semitones, partials 2..10 above a fundamental.
inline constexpr int32_t CLEAN_PARTIAL_SEMITONES[9] = {12, 19, 24, 28, 31, 34, 36, 38, 40};

// The recording's reference level: the level the loudest note reaches in loud passages
// (a high percentile of each frame's loudest level, robust against one stray peak).
int32_t clean_reference_level(const LevelMatrix& m);

// Drops the notes that a lower note sounding at their start explains as its partial.
// notes: ordered by start; returns those kept in the same order.
std::vector<CleanNote> clean_drop_partials(const std::vector<CleanNote>& notes, const CleanRules& rules,
                                           int32_t hop_samples);

// The notes of the matrix, ordered by start and then note.
std::vector<CleanNote> clean_find_notes(const LevelMatrix& m, const CleanRules& rules);
