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
    int32_t start_percent = 66;        // ... and of the loudest note sounding at that moment
    int32_t hold_percent = 50;         // a started note holds while above this share of both
    // A note starting while a lower note sounds a partial interval below is that note's
    // partial unless its peak passes this share of the lower note's peak, by partial 2..16.
    int32_t ghost_percent[15] = {120, 120, 120, 110, 120, 120, 120, 120, 120, 120, 120, 120, 120, 120, 120};
    int32_t ghost_settle_frames = 26;    // a note starting this long after the lower one's attack is no partial
    int32_t ghost_onset_frames = 4;      // a lower note starting this soon after (or within its window) still counts
    int32_t ghost_outlast_percent = 25;  // ... and it sounds through this share of the higher note
    int32_t peak_percent = 120;        // a starting note stands this far above its neighbours (+-2 semitones)
    int32_t rise_percent = 135;        // a level this far above its recent low is a new attack
    int32_t rise_frames = 8;           // how far back the recent low is looked for
    int32_t gap_frames = 5;            // dips up to this long do not end a note
    int32_t rival_semitones = 2;       // a weaker low note this close to a stronger one sounding is its smear
    int32_t rival_below_note = 48;     // ... below C3, where the window holds only a few periods
    int32_t rival_hold_frames = 17;    // ... when the stronger one still sounds this long after its start
    int32_t strength_frames = 50;      // frames summed into a note's strength
    int32_t min_frames = 12;           // shorter notes are dropped
    int64_t min_length_samples = 2205; // ... and so are those shorter than 50 ms once placed (clean_drop_short)
    int32_t onset_level_percent = 77;  // the onset is placed where the climb reaches this share of the peak ...
    int32_t onset_window_percent = 0;  // ... plus this share of the note's window
    int32_t end_window_percent = -50;  // a note ends after its last held frame plus this share of its window
    int32_t forerunner_below_note = 48;        // a note below C3 ...
    int32_t forerunner_window_percent = 150;   // ... shorter than this share of its window ...
    int32_t forerunner_reach_samples = 2205;   // ... while a longer note starts in it or this soon (50 ms) after
};

// One transcribed note, in samples.
struct CleanNote {
    int64_t start_samples = 0;
    int64_t end_samples = 0;
    int32_t note = 0;
    int32_t peak_level = 0;  // largest analysis level over the note's first frames
    int64_t strength = 0;    // sum of its levels over its first frames (how much of it there is)
    int32_t onset_flux = 0;  // flux of the attack heard at its onset (clean_attacks.h); 0 if none
};

// The orders notes are kept in: by start, then note; and by note, then start.
inline bool clean_starts_before(const CleanNote& a, const CleanNote& b)
{
    return a.start_samples != b.start_samples ? a.start_samples < b.start_samples : a.note < b.note;
}
inline bool clean_pitch_before(const CleanNote& a, const CleanNote& b)
{
    return a.note != b.note ? a.note < b.note : a.start_samples < b.start_samples;
}

// Whether a note's number lies within MIDI's; the rules skip any that does not.
inline bool clean_valid_note(const CleanNote& n)
{
    return n.note >= 0 && n.note < MIDI_NOTE_COUNT;
}

// The notes whose entry in `kept` is set, in their order.
std::vector<CleanNote> clean_kept_notes(const std::vector<CleanNote>& notes, const std::vector<char>& kept);

// Partial intervals in semitones (nearest), partials 2..16 above a fundamental. From partial 7
// on, where the nearest semitone is off by a quarter tone or more, a semitone either side counts too.
inline constexpr int32_t CLEAN_PARTIAL_SEMITONES[15] = {12, 19, 24, 28, 31, 34, 36, 38, 40, 42, 43, 44, 46, 47, 48};
inline constexpr size_t CLEAN_PARTIAL_WIDE_FROM = 5;  // partial 7

// The recording's reference level: the level the loudest note reaches in loud passages
// (a high percentile of each frame's loudest level, robust against one stray peak).
int32_t clean_reference_level(const LevelMatrix& m);

// Drops the notes that a lower note sounding at their start explains as its partial.
// notes: ordered by start; returns those kept in the same order.
std::vector<CleanNote> clean_drop_partials(const std::vector<CleanNote>& notes, const CleanRules& rules,
                                           const LevelMatrix& m);

// Drops the notes that a stronger note a semitone or two away, sounding over their start,
// explains: the smear of a low note's short window or of an attack.
std::vector<CleanNote> clean_drop_rivals(const std::vector<CleanNote>& notes, const CleanRules& rules,
                                         const LevelMatrix& m);

// Drops the short low notes that another note's attack makes: a low note's long window
// reaches the attack before the note's own window does, and briefly sees its broad
// transient as a note of its own. notes: ordered by start; returns those kept in order.
std::vector<CleanNote> clean_drop_forerunners(const std::vector<CleanNote>& notes, const CleanRules& rules,
                                              const LevelMatrix& m);

// Drops the notes shorter than min_length_samples once their onsets and ends are placed: what
// is left of a brief peak whose end was pulled back by its window. Keeps the order.
std::vector<CleanNote> clean_drop_short(const std::vector<CleanNote>& notes, const CleanRules& rules);

// The notes of the matrix, ordered by start and then note.
std::vector<CleanNote> clean_find_notes(const LevelMatrix& m, const CleanRules& rules);

// The same, tracked on m (the salience of clean_salience.h) while the peaks that tell a
// partial from a note of its own, and the velocities, come from the analysis levels.
std::vector<CleanNote> clean_find_notes(const LevelMatrix& m, const LevelMatrix& levels, const CleanRules& rules);
