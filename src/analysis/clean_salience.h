// Harmonic salience: each grid frame's levels explained by the harmonic series of the notes
// that sound. The analysis fits and subtracts single sinusoids, so a note's partials stand
// as notes of their own an octave, a twelfth, two octaves ... above it, often louder than
// the note itself (strings, voices, bass). Here every frame's levels are taken apart again
// note by note: the note whose harmonic series holds the most of what is left is taken
// first, its share of its partials is removed, and so on. What a note keeps is its salience.
#pragma once

#include <cstdint>

#include "analysis/clean_levels.h"
#include "analysis/level_amplitude.h"

struct SalienceRules {
    int32_t fundamental_percent = 10;  // a note's own level (as amplitude) against its loudest partial
    int32_t stop_percent = 40;         // later notes of a frame need this share of the first one's salience
    int32_t floor_percent = 5;         // ... and of the recording's reference amplitude
    // A note taken in every frame since it began, no more than onset_frames ago, needs only
    // onset_stop_percent: it keeps its place while a louder note enters with it (a bass note
    // under a melody note).
    int32_t onset_stop_percent = 30;
    int32_t onset_frames = 20;
    int32_t voices = 6;                // notes taken from one frame at most
    int32_t continuity_percent = 10;   // a note taken in the frame before ranks this much higher
    int32_t history_frames = 16;       // a note held since this many frames ago ...
    int32_t held_percent = 10;         // ... (its amplitude then at least this share of now) ...
    int32_t margin_percent = 150;      // ... explains no more of a partial than it had then, times this
};

// Partials summed into a note's salience and their weights (per mille), partials 1..8.
inline constexpr int32_t SALIENCE_PARTIALS = 8;
inline constexpr int32_t SALIENCE_SEMITONES[SALIENCE_PARTIALS] = {0, 12, 19, 24, 28, 31, 34, 36};
inline constexpr int32_t SALIENCE_WEIGHTS[SALIENCE_PARTIALS] = {1000, 900, 800, 700, 600, 550, 500, 450};

// A matrix of the same shape whose cells hold the salience of the notes taken, as levels
// (0 for the others), so the note rules read it as they read analysis levels.
LevelMatrix clean_salience(const LevelMatrix& m, const SalienceRules& rules);
