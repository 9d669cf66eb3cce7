// The tables of one analysis run: the fine-pitch grid around every analysed note and, for
// each fine pitch, a window of sine and cosine samples spanning (close to) whole periods.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/analysis_results.h"
#include "analysis/correlation_kernels.h"
#include "core/uninitialized_allocator.h"
#include "core/worker_pool.h"

inline constexpr int32_t REFERENCE_TABLE_SIZE = 32768;  // entries of one full turn
inline constexpr int32_t TABLE_AMPLITUDE = 16384;       // every correlation product divides by it
// 2*pi/32768 as a literal, so every machine builds the same reference tables.
inline constexpr double REFERENCE_PHASE_STEP = 0.0001917475984802246;

// The analysed notes, KEY_MIN upward; note index i owns fine pitches first_fine[i] .. + 23.
struct PitchGrid {
    int32_t note_count = 0;
    int32_t total_fine = 0;  // 24 * note_count
    int32_t midi_note[MIDI_NOTE_COUNT] = {};
    int32_t fine_count[MIDI_NOTE_COUNT] = {};
    int32_t first_fine[MIDI_NOTE_COUNT] = {};
};

// The working copy of one frame, from which the residual pursuit removes fitted sinusoids.
struct FrameBuffer {
    std::vector<int32_t> samples;  // FFT_SIZE
    std::vector<int32_t> fitted;   // one period of the sinusoid being subtracted: the longest window
    // An upper bound of |samples[t]| over the samples a later correlation of this frame may
    // still read; it decides whether the 32-bit kernels may run.
    int64_t peak = 0;
};

// Everything the frame analysis needs, built at the start of a run and freed at its end.
// Per-fine-pitch vectors have total_fine entries.
struct AnalysisTables {
    PitchGrid grid;
    std::vector<double> period;          // samples per cycle
    std::vector<int32_t> window_length;  // samples, 16 or more
    std::vector<int32_t> table_offset;   // first entry of the window in sine and cosine
    // All windows end to end, amplitude 16384, each followed by WINDOW_REPEAT entries that
    // repeat its start. Not zeroed when allocated: the workers that fill the windows touch
    // their pages first, rather than one thread clearing 20 MB.
    std::vector<int16_t, UninitializedAllocator<int16_t>> sine;
    std::vector<int16_t, UninitializedAllocator<int16_t>> cosine;
    std::vector<FrameBuffer> frames;     // one per analysis worker; plan_sinusoid_windows makes the first
    // Running sums of the sliding correlation. 64-bit: a full 32768-sample window of
    // full-scale samples can leave the 32-bit range.
    std::vector<int64_t> sliding_sine;
    std::vector<int64_t> sliding_cosine;
};

extern AnalysisTables analysis_tables;

// Fills the pitch grid from KEY_MIN and KEY_MAX (empty when KEY_MIN > KEY_MAX; never more
// than 128 notes).
void build_pitch_grid();

// Chooses period, window length and table offset of every fine pitch, sets
// note_window_length of the analysed notes, and allocates the frame buffer and the sliding
// sums. Leaves the per-pitch arrays empty for settings analysis_settings_problem refuses.
void plan_sinusoid_windows();

// Allocates and fills the sine and cosine windows of every fine pitch, reporting progress
// after each note from the calling thread. The windows are shared among the workers of
// pool (without one, the calling thread builds them all).
void build_sinusoid_tables(WorkerPool* pool = nullptr);

// Releases every array of the run (the grid is cleared too); note_window_length stays.
void free_analysis_tables();

// The window of fine pitch fine (0 .. total_fine - 1) in the tables.
TableWindow fine_pitch_window(int32_t fine);

// The window of fine step fine_step (0 .. FINE_STEPS - 1) around the note at note_index.
TableWindow note_window(int32_t note_index, int32_t fine_step);

// The longest window of the run's fine pitches (0 without any).
int32_t longest_window_length();
